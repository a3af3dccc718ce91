#include "platform/TFileStream.h"

#include "platform/BytePath.h"
#include "platform/LastError.h"

#include <windows.h>

namespace {

HANDLE SystemHandle(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

// A chunk that one ReadFile or WriteFile call can take.
DWORD Chunk(std::size_t left)
{
    return static_cast<DWORD>(left < (1u << 30) ? left : (1u << 30));
}

} // namespace

TFileStream::TFileStream(const std::string& name, Mode mode) : TFileStream(PathFromBytes(name), mode) {}

TFileStream::TFileStream(const std::filesystem::path& path, Mode mode) : FPath(BytesFromPath(path))
{
    const bool reading = mode == Mode::Read;
    // Others may read and write beside us, as they may on Linux; a file being replaced stays
    // readable to whoever has it open.
    const HANDLE file =
        ::CreateFileA(FPath.c_str(), reading ? GENERIC_READ : GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      reading ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const char* what = reading ? "Cannot open file \"" : "Cannot create file \"";
        throw EFOpenError(what + FPath + "\". " + LastErrorText());
    }
    FHandle = reinterpret_cast<std::intptr_t>(file);
    // Pipes and character devices (a console, NUL) have no position of their own.
    FInOrder = ::GetFileType(file) != FILE_TYPE_DISK;
}

TFileStream::~TFileStream()
{
    if (FHandle != -1)
        ::CloseHandle(SystemHandle(FHandle));
}

std::size_t TFileStream::Read(void* buffer, std::size_t count)
{
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        DWORD got = 0;
        // A pipe whose writer has gone reports an error; for us that is its end.
        if (!::ReadFile(SystemHandle(FHandle), bytes + done, Chunk(count - done), &got, nullptr) || got == 0)
            break;
        done += got;
    }
    FPosition += static_cast<std::int64_t>(done);
    return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count)
{
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    DWORD reason = ERROR_SUCCESS;
    while (done < count) {
        DWORD put = 0;
        if (!::WriteFile(SystemHandle(FHandle), bytes + done, Chunk(count - done), &put, nullptr)) {
            reason = ::GetLastError();
            break;
        }
        if (put == 0) {
            // A write that took nothing and said nothing still failed; the device is the likeliest cause.
            reason = ERROR_WRITE_FAULT;
            break;
        }
        done += put;
    }
    FPosition += static_cast<std::int64_t>(done);
    if (done != count)
        throw EWriteError("Cannot write file \"" + FPath + "\". " + ErrorText(static_cast<int>(reason)));
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, SeekOrigin origin)
{
    if (FInOrder)
        return SeekInOrder(offset, origin);
    const DWORD method =
        origin == SeekOrigin::Begin ? FILE_BEGIN : (origin == SeekOrigin::Current ? FILE_CURRENT : FILE_END);
    LARGE_INTEGER distance{};
    distance.QuadPart = offset;
    LARGE_INTEGER result{};
    if (!::SetFilePointerEx(SystemHandle(FHandle), distance, &result, method))
        FailSeek(static_cast<int>(::GetLastError()));
    return result.QuadPart;
}

std::int64_t TFileStream::SeekInOrder(std::int64_t offset, SeekOrigin origin) const
{
    // The end of a pipe is unknown until it has been read, so only a move relative to where the
    // stream stands can be answered.
    const bool stays = (origin == SeekOrigin::Current && offset == 0) ||
                       (origin == SeekOrigin::Begin && offset == FPosition);
    if (!stays)
        FailSeek(ERROR_SEEK_ON_DEVICE);
    return FPosition;
}

void TFileStream::FailSeek(int error) const
{
    throw EStreamError("Cannot seek in file \"" + FPath + "\". " + ErrorText(error));
}
