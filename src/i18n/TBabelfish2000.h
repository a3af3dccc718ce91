#pragma once

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TStream;
// The object that the component walk (i18n/TranslateComponent.h) is about to translate. The
// engine itself never touches it and does not depend on Qt.
class QObject;

// The translation engine: one language table read from a language file, the key lookup, and the
// gathering and writing of a generated language file. Text is Windows-1252 bytes throughout.
//
// A language file is a sequence of entries "[" key "]=" text "|$$"; keys are kept in lower case
// (A..Z) with blanks normalised, texts with their line breaks turned into blanks, the escape "\n"
// into CR LF and the marker "<%APPNAME%>" into the application name.
class TBabelfish2000
{
public:
    // Called after a key was found; `text` is the translation, which the handler may change.
    using TTranslateKeyEvent =
        std::function<void(TBabelfish2000& sender, const std::string& key, std::string& text)>;
    // Called before an object's own properties are translated; false in `doTranslate` skips them.
    using TTranslateObjectEvent =
        std::function<void(TBabelfish2000& sender, QObject* instance, bool& doTranslate)>;

    explicit TBabelfish2000(std::string appName);
    // With AutoCreateItlFile on, writes the generated language file into the current directory
    // first. A failure is reported on stderr with the path and the system's reason; it never throws.
    ~TBabelfish2000();
    TBabelfish2000(const TBabelfish2000&) = delete;
    TBabelfish2000& operator=(const TBabelfish2000&) = delete;

    TTranslateKeyEvent OnTranslateKey;
    TTranslateObjectEvent OnTranslateObject;

    // Replaces the whole table with the entries of `stream`, read from its start to its end. The
    // caller keeps the stream; its position is moved. A last entry without terminator is ignored.
    // A stream that cannot go to its start (a pipe already read from) or holds more than 64 MiB
    // raises EStreamError (util/Stream.h) and leaves the table as it was; a failing read ends it.
    void LoadFromStream(TStream& stream);

    // The text to show for `key` (as the caller has it, without the "BF_" prefix), with the
    // markers "<%1%>", "<%2%>", ... filled from `params` in order. A key missing from the table
    // gives back itself (parameters filled in too) and, with generation on, is gathered.
    std::string Translate(std::string_view key, std::span<const std::string> params = {});

    const std::vector<std::string>& Keys() const { return FKeys; }
    const std::vector<std::string>& Texts() const { return FTexts; }
    const std::string& KeyPrefix() const { return FKeyPrefix; }
    const std::vector<std::string>& OutputLines() const { return FOutputLines; }
    bool AutoCreateItlFile() const { return FAutoCreateItlFile; }
    void SetAutoCreateItlFile(bool value) { FAutoCreateItlFile = value; }
    const std::string& AppName() const { return FAppName; }

    // The bytes of the generated language file: the gathered lines, then one line per table
    // entry, each line ended by CR LF.
    std::string GeneratedItlText() const;
    // Writes GeneratedItlText() to `path`, creating or replacing it. Raises EStreamError
    // (util/Stream.h) with a message that names the file and the system's reason on failure.
    void WriteItlFile(const std::filesystem::path& path) const;
    // The name the destructor writes to: the program's file name with its extension replaced by
    // ".itl", without a folder, so the file lands in the current directory.
    static std::string GeneratedItlFileName();

private:
    std::vector<std::string> FKeys;
    std::vector<std::string> FTexts;
    std::string FKeyPrefix = "BF_";
    std::vector<std::string> FOutputLines;
    bool FAutoCreateItlFile = false;
    std::string FAppName;
};

// The normalisations that loading applies, exposed for the tool and the tests. NormalizeKey
// lower-cases A..Z as well.
std::string NormalizeKey(std::string_view key);
std::string NormalizeText(std::string_view text, std::string_view appName);
