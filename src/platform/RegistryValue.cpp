#include "platform/RegistryValue.h"

#include "util/AsciiText.h"
#include "util/Cp1252.h"

#include <fstream>
#include <iterator>

namespace {

std::string_view TrimSpace(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string_view Unquoted(std::string_view name)
{
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        return name.substr(1, name.size() - 2);
    return name;
}

std::string InvalidType(std::string_view name)
{
    return "Invalid data type for '" + std::string(name) + "'";
}

std::string QuotedText(std::string_view value)
{
    std::string text;
    for (std::size_t i = 1; i < value.size() && value[i] != '"'; ++i) {
        if (value[i] == '\\' && i + 1 < value.size() && (value[i + 1] == '"' || value[i + 1] == '\\'))
            ++i;
        text += value[i];
    }
    return text;
}

// "hex(1):" and "hex(2):" bytes: UTF-16LE text, as registry exports write string values.
std::string Utf16HexText(std::string_view bytes, std::string_view name)
{
    std::u16string units;
    std::string raw;
    int pending = -1;
    for (const char c : bytes) {
        if (c == ',' || c == ' ' || c == '\t') {
            continue;
        }
        const int digit = HexDigitValue(c);
        if (digit < 0)
            throw RegistryError(InvalidType(name));
        if (pending < 0) {
            pending = digit;
        } else {
            raw += static_cast<char>(pending * 16 + digit);
            pending = -1;
        }
    }
    for (std::size_t i = 0; i + 1 < raw.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(raw[i]) |
                                       (static_cast<unsigned char>(raw[i + 1]) << 8));
    return Utf16ToCp1252(units);
}

// The text of a value as written after "name=", or RegistryError for another type.
std::string ValueText(std::string_view value, std::string_view name)
{
    if (!value.empty() && value.front() == '"')
        return QuotedText(value);
    if (AsciiStartsWithNoCase(value, "dword:") || AsciiStartsWithNoCase(value, "hex:"))
        throw RegistryError(InvalidType(name));
    if (AsciiStartsWithNoCase(value, "hex(")) {
        const auto close = value.find("):");
        const std::string_view kind = value.substr(4, close == std::string_view::npos ? 0 : close - 4);
        if (kind == "1" || kind == "2")
            return Utf16HexText(value.substr(close + 2), name);
        throw RegistryError(InvalidType(name));
    }
    return std::string(value);
}

std::string CutAtZero(std::string text)
{
    const auto zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    return text;
}

std::string LookUpInFile(const std::string& contents, std::string_view section, std::string_view name)
{
    bool inSection = false;
    std::size_t start = 0;
    while (start < contents.size()) {
        std::size_t end = contents.find('\n', start);
        if (end == std::string::npos)
            end = contents.size();
        const std::string_view line = TrimSpace(std::string_view(contents).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            inSection = close != std::string_view::npos &&
                        AsciiEqualNoCase(TrimSpace(line.substr(1, close - 1)), section);
            continue;
        }
        const auto equals = line.find('=');
        if (!inSection || equals == std::string_view::npos)
            continue;
        if (AsciiEqualNoCase(Unquoted(TrimSpace(line.substr(0, equals))), name))
            return CutAtZero(ValueText(TrimSpace(line.substr(equals + 1)), name));
    }
    return {};
}

} // namespace

std::string ReadRegistryText(const std::vector<std::filesystem::path>& folders,
                             const std::filesystem::path& relativePath, std::string_view section,
                             std::string_view name)
{
    for (const std::filesystem::path& folder : folders) {
        std::ifstream in(folder / relativePath, std::ios::binary);
        if (!in)
            continue;
        std::string contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (contents.compare(0, 3, "\xEF\xBB\xBF") == 0)
            contents.erase(0, 3);
        return LookUpInFile(contents, section, name);
    }
    return {};
}
