#include "i18n/TBabelfish2000.h"

#include "platform/BytePath.h"
#include "platform/ProgramPath.h"
#include "platform/TFileStream.h"
#include "util/AsciiText.h"
#include "util/ReplaceAll.h"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace {

constexpr std::string_view kTerminator = "|$$";
constexpr std::string_view kLineEnd = "\r\n";

// Folding for the duplicate test of gathered lines, as a Western user reads Windows-1252 text:
// A..Z, the accented capitals C0..DE (not the multiplication sign D7), and the capitals
// Š, Œ, Ž, Ÿ fold to their small letters. Letters without a single-byte partner (ß, µ) stay.
// Every byte folds the same way wherever it stands, so the test is symmetric and transitive.
char WesternFold(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7))
        return static_cast<char>(byte + 0x20);
    switch (byte) {
    case 0x8A: // Š
    case 0x8C: // Œ
    case 0x8E: // Ž
        return static_cast<char>(byte + 0x10);
    case 0x9F: // Ÿ
        return static_cast<char>(0xFF);
    default:
        return c;
    }
}

bool WesternEqualNoCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) { return WesternFold(x) == WesternFold(y); });
}

std::string EntryLine(std::string_view key, std::string_view text)
{
    std::string line;
    line.reserve(key.size() + text.size() + 6);
    line.append("[").append(key).append("]=").append(text).append(kTerminator);
    return line;
}

// Characters `from` to `to` (both counted from 1) of `chunk`; a range ending before it starts is
// empty. Positions are those of the chunk rules, where 0 means "absent", so `to` may be -1.
std::string_view Range(std::string_view chunk, std::ptrdiff_t from, std::ptrdiff_t to)
{
    from = std::max<std::ptrdiff_t>(from, 1);
    to = std::min<std::ptrdiff_t>(to, std::ssize(chunk));
    if (to < from)
        return {};
    return chunk.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from + 1));
}

std::ptrdiff_t Pos(std::string_view chunk, std::string_view what)
{
    const auto index = chunk.find(what);
    return index == std::string_view::npos ? 0 : static_cast<std::ptrdiff_t>(index) + 1;
}

// The largest language file the engine reads: as large as a message from the server may be, far
// beyond any real table, and a bound for a device that never ends.
constexpr std::size_t kMaxItlBytes = 64 * 1024 * 1024;

std::size_t ReadSome(TStream& stream, char* buffer, std::size_t count)
{
    try {
        return stream.Read(buffer, count);
    } catch (const EStreamError&) {
        return 0; // a failed read counts as the end of the stream
    }
}

// What is left of a stream that knows its size; 0 for a pipe, which does not.
std::size_t SizeHint(TStream& stream)
{
    try {
        const std::int64_t left = stream.Size() - stream.Position();
        return left > 0 ? static_cast<std::size_t>(std::min<std::int64_t>(left, kMaxItlBytes)) : 0;
    } catch (const EStreamError&) {
        return 0;
    }
}

// The stream's bytes from its position to its end. A pipe hands its bytes over in pieces of any
// size, so only a read that gives nothing (or fails) is the end.
std::string ReadToEnd(TStream& stream)
{
    constexpr std::size_t kBlock = 64 * 1024;
    std::string bytes(SizeHint(stream) + 1, '\0'); // one more, so that the end costs no copy
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size())
            bytes.resize(std::max(2 * bytes.size(), used + kBlock));
        const std::size_t n = ReadSome(stream, bytes.data() + used, bytes.size() - used);
        if (n == 0)
            break;
        used += n;
        if (used > kMaxItlBytes)
            throw EStreamError("The language file is larger than 64 MiB");
    }
    bytes.resize(used);
    return bytes;
}

std::string FillParams(std::string text, std::span<const std::string> params)
{
    for (std::size_t n = 1; n <= params.size(); ++n)
        text = ReplaceAll(text, "<%" + std::to_string(n) + "%>", params[n - 1], true);
    return text;
}

} // namespace

std::string NormalizeKey(std::string_view key)
{
    // One pass does what lower-casing and the repeated replacements do: line breaks and tabs
    // become blanks, each run of blanks becomes one, leading blanks go, a trailing one stays.
    std::string result;
    result.reserve(key.size());
    for (char c : key) {
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
        if (c == ' ' && (result.empty() || result.back() == ' '))
            continue;
        result.push_back(AsciiLowerChar(c));
    }
    return result;
}

std::string NormalizeText(std::string_view text, std::string_view appName)
{
    if (text.empty())
        return {};
    std::string result(text);
    // Most texts hold no line break: the library's byte search skips the pass over them.
    if (text.find('\r') != std::string_view::npos || text.find('\n') != std::string_view::npos)
        std::replace_if(
            result.begin(), result.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    // The escape and the line break it stands for are both two bytes: the text is rewritten where
    // it lies. The file's own breaks are blanks by now, so none of them is taken for the escape.
    for (std::size_t at = result.find('\\'); at != std::string::npos; at = result.find('\\', at + 1)) {
        if (at + 1 < result.size() && result[at + 1] == 'n') {
            result[at] = '\r';
            result[++at] = '\n';
        }
    }
    if (result.find('<') != std::string::npos)
        result = ReplaceAll(result, "<%APPNAME%>", appName, true);
    return result;
}

TBabelfish2000::TBabelfish2000(std::string appName) : FAppName(std::move(appName)) {}

TBabelfish2000::~TBabelfish2000()
{
    if (!FAutoCreateItlFile)
        return;
    // Shutdown goes on whatever happens here; the stream error's message names the file and the
    // system's reason.
    try {
        WriteItlFile(PathFromBytes(GeneratedItlFileName()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "The generated language file was not written: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "The generated language file was not written.\n");
    }
}

void TBabelfish2000::LoadFromStream(TStream& stream)
{
    // Read first: a stream that cannot be read whole leaves the table as it was.
    stream.SetPosition(0);
    const std::string bytes = ReadToEnd(stream);
    FKeys.clear();
    FTexts.clear();
    const std::string_view all = bytes;
    for (std::size_t start = 0;;) {
        const std::size_t hit = all.find(kTerminator, start);
        if (hit == std::string_view::npos)
            break;
        // The entry without its terminator: the terminator ends the text, and the first one in
        // the entry is the one that was found.
        const std::string_view entry = all.substr(start, hit - start);
        start = hit + kTerminator.size();
        const std::ptrdiff_t p1 = Pos(entry, "[");
        const std::ptrdiff_t p2 = Pos(entry, "]=");
        FKeys.push_back(NormalizeKey(Range(entry, p1 + 1, p2 - 1)));
        FTexts.push_back(NormalizeText(Range(entry, p2 + 2, std::ssize(entry)), FAppName));
    }
}

std::string TBabelfish2000::Translate(std::string_view key, std::span<const std::string> params)
{
    const std::string lowerKey = AsciiLower(key);
    const auto found = std::find(FKeys.begin(), FKeys.end(), lowerKey);
    if (found != FKeys.end()) {
        std::string text = FillParams(FTexts[static_cast<std::size_t>(found - FKeys.begin())], params);
        if (OnTranslateKey)
            OnTranslateKey(*this, std::string(key), text);
        return text;
    }
    if (FAutoCreateItlFile) {
        std::string line = EntryLine(key, key);
        const bool known = std::ranges::any_of(
            FOutputLines, [&line](const std::string& other) { return WesternEqualNoCase(other, line); });
        if (!known)
            FOutputLines.push_back(std::move(line));
    }
    return FillParams(std::string(key), params);
}

std::string TBabelfish2000::GeneratedItlText() const
{
    std::string bytes;
    for (const std::string& line : FOutputLines)
        bytes.append(line).append(kLineEnd);
    for (std::size_t i = 0; i < FKeys.size(); ++i)
        bytes.append(EntryLine(FKeys[i], FTexts[i])).append(kLineEnd);
    return bytes;
}

void TBabelfish2000::WriteItlFile(const std::filesystem::path& path) const
{
    TFileStream file(path, TFileStream::Mode::Create);
    file.WriteBytes(GeneratedItlText());
}

std::string TBabelfish2000::GeneratedItlFileName()
{
    return FileNamePart(ReplaceProgramExtension(ProgramPath(), ".itl"));
}
