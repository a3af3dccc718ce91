#include "platform/FileBeneath.h"

#include "UniqueHandle.h"
#include "util/AsciiText.h"

#include <vector>
#include <windows.h>

namespace {

// Longer paths are refused by the ANSI calls anyway.
constexpr std::size_t kMaxPath = MAX_PATH;

// Parts that the system would read as something else than a name in the folder: devices (in any
// folder, with any extension), names it trims (trailing dots and blanks, so "..." would climb), and
// characters it gives a meaning of its own (":" opens a drive or an alternate data stream).
bool IsPlainName(std::string_view part)
{
    if (part.empty() || part.back() == '.' || part.back() == ' ')
        return false;
    for (const char c : part) {
        if (static_cast<unsigned char>(c) < 32 ||
            std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
            return false;
    }
    const std::string stem = AsciiLower(part.substr(0, part.find('.')));
    for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
        if (stem == device)
            return false;
    }
    const bool numbered = stem.size() == 4 && stem[3] >= '0' && stem[3] <= '9';
    return !(numbered && (stem.starts_with("com") || stem.starts_with("lpt")));
}

// The parts of `relative`, or nothing when any part may not be used. A last part that names a
// folder ("sub/", "sub/.") is refused: only files are read.
std::optional<std::vector<std::string>> Parts(std::string_view relative)
{
    std::vector<std::string> parts;
    std::size_t at = 0;
    for (;;) {
        const std::size_t separator = relative.find_first_of("/\\", at);
        const std::string_view part = relative.substr(at, separator - at);
        const bool last = separator == std::string_view::npos;
        if (part == ".." || (last && (part.empty() || part == ".")))
            return std::nullopt;
        if (!part.empty() && part != ".") {
            if (!IsPlainName(part))
                return std::nullopt;
            parts.emplace_back(part);
        }
        if (last)
            return parts;
        at = separator + 1;
    }
}

// Opens one entry without following it if it is a link or another reparse point. Held without
// FILE_SHARE_DELETE, a folder on the way can be neither renamed nor replaced while we go on below it.
UniqueHandle OpenEntry(const std::string& path, bool folder)
{
    const DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT | (folder ? FILE_FLAG_BACKUP_SEMANTICS : 0);
    return UniqueHandle(::CreateFileA(path.c_str(), folder ? FILE_READ_ATTRIBUTES : GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags,
                                      nullptr));
}

bool Is(HANDLE entry, bool folder)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(entry, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return false;
    return ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
}

std::string FinalPath(HANDLE entry)
{
    char path[32768];
    const DWORD length = ::GetFinalPathNameByHandleA(entry, path, sizeof path, FILE_NAME_NORMALIZED);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

// Where the file really is, however it was reached, must be below where the folder really is.
bool IsBelow(HANDLE file, HANDLE folder)
{
    const std::string filePath = FinalPath(file);
    std::string folderPath = FinalPath(folder);
    if (filePath.empty() || folderPath.empty())
        return false;
    if (folderPath.back() != '\\')
        folderPath += '\\';
    return filePath.size() > folderPath.size() &&
           AsciiEqualNoCase(std::string_view(filePath).substr(0, folderPath.size()), folderPath);
}

UniqueHandle OpenBelow(const std::filesystem::path& folder, const std::vector<std::string>& parts)
{
    std::string path = folder.string();
    std::vector<UniqueHandle> walked;
    walked.push_back(OpenEntry(path, true));
    if (!walked.back().Valid() || !Is(walked.back().Get(), true))
        return {};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        path += '\\' + parts[i];
        const bool folderPart = i + 1 < parts.size();
        if (path.size() >= kMaxPath)
            return {};
        UniqueHandle entry = OpenEntry(path, folderPart);
        if (!entry.Valid() || !Is(entry.Get(), folderPart))
            return {};
        if (!folderPart)
            return IsBelow(entry.Get(), walked.front().Get()) ? std::move(entry) : UniqueHandle();
        walked.push_back(std::move(entry));
    }
    return {};
}

std::optional<std::string> ReadRegular(HANDLE file, std::size_t maxBytes)
{
    LARGE_INTEGER size{};
    // Devices and pipes are refused before anything is read from them.
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size))
        return std::nullopt;
    if (static_cast<unsigned long long>(size.QuadPart) > maxBytes)
        return std::nullopt;
    std::string bytes;
    char block[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, block, sizeof block, &got, nullptr))
            return std::nullopt;
        if (got == 0)
            return bytes;
        bytes.append(block, got);
        if (bytes.size() > maxBytes)
            return std::nullopt; // it grew while we read
    }
}

} // namespace

std::optional<std::string> ReadFileBeneath(const std::filesystem::path& folder, std::string_view relative,
                                           std::size_t maxBytes, BeneathResolution)
{
    if (relative.empty() || relative.size() >= kMaxPath || relative.front() == '/' ||
        relative.front() == '\\' || relative.find('\0') != std::string_view::npos)
        return std::nullopt;
    const auto parts = Parts(relative);
    if (!parts || parts->empty())
        return std::nullopt;
    const UniqueHandle file = OpenBelow(folder, *parts);
    if (!file.Valid())
        return std::nullopt;
    return ReadRegular(file.Get(), maxBytes);
}
