#include "support/PrivateEnvironment.h"

#include <windows.h>

#include <cctype>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr const char* kDemonKey = "Software\\Norvane\\valdora\\demon";
constexpr const char* kViewerHandle = "ViewerHandle";

class UniqueKey
{
public:
    UniqueKey()
    {
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDemonKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                              nullptr, &FKey, nullptr) != ERROR_SUCCESS)
            throw std::runtime_error(std::string("cannot open HKLM\\") + kDemonKey);
    }
    ~UniqueKey() { ::RegCloseKey(FKey); }
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;

    HKEY Get() const { return FKey; }

private:
    HKEY FKey = nullptr;
};

struct RegistryData
{
    DWORD Type = REG_SZ;
    std::vector<BYTE> Bytes;
};

std::optional<RegistryData> ReadValue(const UniqueKey& key)
{
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key.Get(), kViewerHandle, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryData data{type, std::vector<BYTE>(size)};
    if (::RegQueryValueExA(key.Get(), kViewerHandle, nullptr, &type, data.Bytes.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    data.Bytes.resize(size);
    return data;
}

void WriteValue(const UniqueKey& key, const RegistryData& data)
{
    if (::RegSetValueExA(key.Get(), kViewerHandle, 0, data.Type, data.Bytes.data(),
                         static_cast<DWORD>(data.Bytes.size())) != ERROR_SUCCESS)
        throw std::runtime_error("cannot write the ViewerHandle value");
}

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

RegistryData Text(std::string_view text)
{
    RegistryData data{REG_SZ, std::vector<BYTE>(text.begin(), text.end())};
    data.Bytes.push_back(0);
    return data;
}

// "..." with \" and \\ inside, as a registry export writes a string.
RegistryData QuotedText(std::string_view value)
{
    std::string text;
    for (std::size_t i = 1; i < value.size() && value[i] != '"'; ++i)
        text.push_back(value[i] == '\\' && i + 1 < value.size() ? value[++i] : value[i]);
    return Text(text);
}

// "aa,bb,..." (blanks and line continuations allowed) as bytes.
std::vector<BYTE> HexBytes(std::string_view list)
{
    std::vector<BYTE> bytes;
    std::string digits;
    for (const char c : std::string(list) + ",") {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits.push_back(c);
        else if (c == ',' && !digits.empty())
            bytes.push_back(static_cast<BYTE>(std::stoul(std::exchange(digits, {}), nullptr, 16)));
    }
    return bytes;
}

// The value part of "ViewerHandle=..." in the notation of the Linux config file, which is that of
// a registry export: plain or quoted text, dword:, hex: and hex(N): for the value's type.
RegistryData ParseValue(std::string_view value)
{
    if (value.starts_with('"'))
        return QuotedText(value);
    if (StartsWithIgnoringCase(value, "dword:")) {
        const auto number = static_cast<DWORD>(std::stoul(std::string(value.substr(6)), nullptr, 16));
        RegistryData data{REG_DWORD, std::vector<BYTE>(4)};
        for (int i = 0; i < 4; ++i)
            data.Bytes[static_cast<std::size_t>(i)] = static_cast<BYTE>(number >> (8 * i));
        return data;
    }
    if (StartsWithIgnoringCase(value, "hex:"))
        return {REG_BINARY, HexBytes(value.substr(4))};
    if (StartsWithIgnoringCase(value, "hex(")) {
        const std::size_t close = value.find("):");
        if (close != std::string_view::npos)
            return {static_cast<DWORD>(std::stoul(std::string(value.substr(4, close - 4)), nullptr, 16)),
                    HexBytes(value.substr(close + 2))};
    }
    return Text(value);
}

} // namespace

class PrivateEnvironment::Saved
{
public:
    std::optional<RegistryData> ViewerHandle;
};

PrivateEnvironment::PrivateEnvironment() : FSaved(std::make_unique<Saved>())
{
    const UniqueKey key;
    FSaved->ViewerHandle = ReadValue(key);
    ::RegDeleteValueA(key.Get(), kViewerHandle);
}

PrivateEnvironment::~PrivateEnvironment()
{
    try {
        const UniqueKey key;
        if (FSaved->ViewerHandle)
            WriteValue(key, *FSaved->ViewerHandle);
        else
            ::RegDeleteValueA(key.Get(), kViewerHandle);
    } catch (const std::runtime_error&) {
        // Nothing to put back into a key that cannot be opened.
    }
}

void PrivateEnvironment::WriteViewerHandle(const std::string& line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos)
        throw std::invalid_argument("not a value line: " + line);
    WriteValue(UniqueKey(), ParseValue(Trimmed(std::string_view(line).substr(equals + 1))));
}
