#include "i18n/TBabelfish2000.h"

#include "platform/TFileStream.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

void Load(TBabelfish2000& engine, const std::string& bytes)
{
    TMemoryStream stream(bytes);
    engine.LoadFromStream(stream);
}

// A stream that hands over at most `perRead` bytes a read, as a pipe does, and whose reads fail
// from byte `failAt` on.
class TTrickleStream : public TMemoryStream
{
public:
    TTrickleStream(std::string bytes, std::size_t perRead, std::size_t failAt = SIZE_MAX)
        : TMemoryStream(std::move(bytes)), FPerRead(perRead), FFailAt(failAt)
    {}
    std::size_t Read(void* buffer, std::size_t count) override
    {
        const auto position = static_cast<std::size_t>(Position());
        if (position >= FFailAt)
            throw EReadError();
        return TMemoryStream::Read(buffer, std::min({count, FPerRead, FFailAt - position}));
    }

private:
    std::size_t FPerRead;
    std::size_t FFailAt;
};

// A device that never ends, such as /dev/zero.
class TEndlessStream : public TStream
{
public:
    std::size_t Read(void* buffer, std::size_t count) override
    {
        std::memset(buffer, '|', count);
        return count;
    }
    std::size_t Write(const void*, std::size_t) override { return 0; }
    std::int64_t Seek(std::int64_t, SeekOrigin) override { return 0; }
};

// Runs a test body in a private current directory, where the engine writes its generated file.
class TCurrentDir
{
public:
    explicit TCurrentDir(const std::filesystem::path& path) : FOld(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~TCurrentDir() { std::filesystem::current_path(FOld); }

private:
    std::filesystem::path FOld;
};

} // namespace

TEST(Babelfish, LoadsEntriesWithNormalisedKeysAndTexts)
{
    TBabelfish2000 engine("");
    EXPECT_EQ(engine.KeyPrefix(), "BF_");
    EXPECT_FALSE(engine.AutoCreateItlFile());
    Load(engine, "\xEF\xBB\xBF[OK]=Okay|$$\r\n"
                 "[\tAscii  Encoding]=x|$$\r\n"
                 "[Trail ]= two  blanks |$$\r\n"
                 "[\r\n  Lines\r\nhere]=a\r\nb\\nc\\Nd|$$\r\n"
                 "[\xC4rger]=<%AppName%>x<%APPNAME%>|$$");
    EXPECT_THAT(engine.Keys(), ElementsAre("ok", "ascii encoding", "trail ", "lines here", "\xC4rger"));
    EXPECT_THAT(engine.Texts(), ElementsAre("Okay", "x", " two  blanks ", "a  b\r\nc\\Nd", "x"));
}

TEST(Babelfish, AppNameReplacesItsMarkerAtLoading)
{
    TBabelfish2000 engine("Byte\nscope");
    EXPECT_EQ(engine.AppName(), "Byte\nscope");
    Load(engine, "[a]=<%appname%> \\n <%AppName%>|$$");
    // Line breaks of the name and of the escape survive; those of the file do not.
    EXPECT_THAT(engine.Texts(), ElementsAre("Byte\nscope \r\n Byte\nscope"));
}

TEST(Babelfish, MalformedEntriesFollowTheChunkRules)
{
    TBabelfish2000 engine("");
    Load(engine, "[a]=1|$$\r\nb]=2|$$"    // no "[": the line break becomes a blank and goes
                 "[c]3|$$"                // no "]=": empty key, text from the second byte
                 "x]=4[d|$$"              // "[" after "]=": empty key
                 "|$$"                    // nothing at all
                 "[]=|$$"                 // empty key and text
                 "[e]=5]=6|$$"            // the first "]=" counts
                 "[f]=tail without end"); // ignored
    EXPECT_THAT(engine.Keys(), ElementsAre("a", "b", "", "", "", "", "e"));
    EXPECT_THAT(engine.Texts(), ElementsAre("1", "2", "c]3", "4[d", "", "", "5]=6"));
    EXPECT_EQ(engine.Keys().size(), engine.Texts().size());
}

TEST(Babelfish, LoadingStartsAtTheStreamStartAndReplacesTheTable)
{
    TBabelfish2000 engine("");
    TMemoryStream first(std::string("[a]=1|$$[a]=2|$$"));
    first.SetPosition(first.Size());
    engine.LoadFromStream(first);
    EXPECT_THAT(engine.Keys(), ElementsAre("a", "a"));
    EXPECT_EQ(engine.Translate("A"), "1");
    Load(engine, "[b]=3|$$");
    EXPECT_THAT(engine.Keys(), ElementsAre("b"));
    Load(engine, "");
    EXPECT_THAT(engine.Keys(), IsEmpty());
    EXPECT_THAT(engine.Texts(), IsEmpty());
}

TEST(Babelfish, EntriesAreReadWholeHoweverTheStreamHandsThemOver)
{
    // Entries of every length from 250 to 520 bytes put their terminators at every offset of a block.
    std::string file;
    for (std::size_t n = 250; n <= 520; ++n)
        file += "[k" + std::to_string(n) + "]=" + std::string(n, 't') + "|$$\r\n";
    // In one piece, and in the short pieces of a pipe: only an empty read is the end.
    for (std::size_t perRead : {SIZE_MAX, std::size_t{255}, std::size_t{10}, std::size_t{1}}) {
        TBabelfish2000 engine("");
        TTrickleStream stream(file, perRead);
        engine.LoadFromStream(stream);
        ASSERT_EQ(engine.Keys().size(), 271u) << perRead;
        for (std::size_t n = 250; n <= 520; ++n) {
            EXPECT_EQ(engine.Keys()[n - 250], "k" + std::to_string(n));
            EXPECT_EQ(engine.Texts()[n - 250], std::string(n, 't'));
        }
    }

    TBabelfish2000 engine("");
    const std::string five = "[a]=1|$$[b]=2|$$[c]=3|$$[d]=4|$$[e]=5|$$";
    TTrickleStream trickle(five, 10);
    engine.LoadFromStream(trickle);
    EXPECT_THAT(engine.Keys(), ElementsAre("a", "b", "c", "d", "e"));
    // A read that fails ends the stream: the entries before it stay, the one it cut off goes.
    TTrickleStream failing(five, 10, 20);
    engine.LoadFromStream(failing);
    EXPECT_THAT(engine.Keys(), ElementsAre("a", "b"));
}

TEST(Babelfish, AStreamThatNeverEndsIsRefusedAndTheTableStays)
{
    TBabelfish2000 engine("");
    Load(engine, "[a]=1|$$");
    TEndlessStream endless;
    try {
        engine.LoadFromStream(endless);
        ADD_FAILURE() << "no error";
    } catch (const EStreamError& error) {
        EXPECT_STREQ(error.what(), "The language file is larger than 64 MiB");
    }
    EXPECT_THAT(engine.Keys(), ElementsAre("a"));
    EXPECT_THAT(engine.Texts(), ElementsAre("1"));
}

TEST(Babelfish, LookupFoldsAsciiCaseOnlyAndTakesTheFirstEntry)
{
    TBabelfish2000 engine("");
    EXPECT_EQ(engine.Translate("Exit"), "Exit");
    EXPECT_EQ(engine.Translate(""), "");
    Load(engine, "[EXIT]=Ende|$$[exit]=Second|$$[\xE4rger]=small|$$[a b]=ab|$$[]=empty|$$");
    EXPECT_EQ(engine.Translate("Exit"), "Ende");
    EXPECT_EQ(engine.Translate("eXIT"), "Ende");
    EXPECT_EQ(engine.Translate("\xC4rger"), "\xC4rger");
    EXPECT_EQ(engine.Translate("\xE4RGER"), "small");
    EXPECT_EQ(engine.Translate("a  b"), "a  b");
    EXPECT_EQ(engine.Translate(" a b"), " a b");
    EXPECT_EQ(engine.Translate(""), "empty");
}

TEST(Babelfish, ParametersFillTheirMarkersInOrder)
{
    TBabelfish2000 engine("");
    Load(engine, "[p]=<%1%>-<%2%>-<%10%>-<%1%>|$$");
    EXPECT_EQ(engine.Translate("p"), "<%1%>-<%2%>-<%10%>-<%1%>");
    const std::vector<std::string> params = {"a<%2%>", "b"};
    EXPECT_EQ(engine.Translate("p", params), "ab-b-<%10%>-ab");
    std::vector<std::string> ten(10, "x");
    ten[9] = "ten";
    // "<%1%>" is not a prefix match of "<%10%>".
    EXPECT_EQ(engine.Translate("p", ten), "x-x-ten-x");
    const std::vector<std::string> one = {"Z"};
    EXPECT_EQ(engine.Translate("Missing <%1%>", one), "Missing Z");
}

TEST(Babelfish, OnTranslateKeySeesFoundKeysOnlyAndMayChangeTheText)
{
    TBabelfish2000 engine("");
    Load(engine, "[greet]=Hello <%1%>|$$");
    std::vector<std::string> seen;
    engine.OnTranslateKey = [&](TBabelfish2000& sender, const std::string& key, std::string& text) {
        EXPECT_EQ(&sender, &engine);
        seen.push_back(key + "=" + text);
        text += "!";
    };
    const std::vector<std::string> params = {"you"};
    EXPECT_EQ(engine.Translate("GREET", params), "Hello you!");
    EXPECT_EQ(engine.Translate("missing"), "missing");
    EXPECT_THAT(seen, ElementsAre("GREET=Hello you"));
}

TEST(Babelfish, GatheringRecordsEachMissedKeyOnceInTheCaseFirstMet)
{
    TBabelfish2000 engine("");
    Load(engine, "[known]=K|$$");
    engine.Translate("Before");
    EXPECT_THAT(engine.OutputLines(), IsEmpty());

    engine.SetAutoCreateItlFile(true);
    const std::vector<std::string> params = {"P"};
    for (const char* key : {"Exit", "known", "EXIT", "exit", "Info <%1%>", "\xC4rger", "\xE4RGER", "a  b"})
        engine.Translate(key, params);
    EXPECT_THAT(engine.OutputLines(), ElementsAre("[Exit]=Exit|$$", "[Info <%1%>]=Info <%1%>|$$",
                                                  "[\xC4rger]=\xC4rger|$$", "[a  b]=a  b|$$"));
    // Loading does not forget what was gathered.
    Load(engine, "");
    EXPECT_EQ(engine.OutputLines().size(), 4u);
    engine.SetAutoCreateItlFile(false);
}

TEST(Babelfish, GeneratedFileHoldsGatheredLinesThenTheTableAndReadsBack)
{
    TempDir dir;
    TBabelfish2000 engine("");
    Load(engine, "[OK]=Ok\\nay|$$[Home]=x<%APPNAME%>y|$$");
    engine.SetAutoCreateItlFile(true);
    engine.Translate("Exit");
    engine.Translate("ok");
    const std::string expected = "[Exit]=Exit|$$\r\n[ok]=Ok\r\nay|$$\r\n[home]=xy|$$\r\n";
    EXPECT_EQ(engine.GeneratedItlText(), expected);
    engine.WriteItlFile(dir / "out.itl");
    EXPECT_EQ(ReadFileBytes(dir / "out.itl"), expected);
    engine.SetAutoCreateItlFile(false);

    TBabelfish2000 reader("");
    TFileStream file(dir / "out.itl", TFileStream::Mode::Read);
    reader.LoadFromStream(file);
    EXPECT_THAT(reader.Keys(), ElementsAre("exit", "ok", "home"));
    EXPECT_THAT(reader.Texts(), ElementsAre("Exit", "Ok  ay", "xy"));

    try {
        engine.WriteItlFile(dir / "missing" / "out.itl");
        ADD_FAILURE() << "no error";
    } catch (const EStreamError& error) {
        EXPECT_THAT(error.what(), HasSubstr((std::filesystem::path("missing") / "out.itl").string()));
#ifndef _WIN32 // the system's own words; Windows words it otherwise
        EXPECT_THAT(error.what(), HasSubstr("No such file or directory"));
#endif
    }
#ifndef _WIN32 // Linux's device that is always full; Windows has none
    try {
        engine.WriteItlFile("/dev/full");
        ADD_FAILURE() << "no error";
    } catch (const EStreamError& error) {
        EXPECT_THAT(error.what(), HasSubstr("/dev/full"));
        EXPECT_THAT(error.what(), HasSubstr("No space left on device"));
    }
#endif
}

TEST(Babelfish, DestructionWritesTheGeneratedFileIntoTheCurrentDirectory)
{
    TempDir dir;
    TCurrentDir here(dir.Path());
    const std::string name = TBabelfish2000::GeneratedItlFileName();
    // The test program's own name, with a Windows ".exe" replaced rather than kept.
    EXPECT_EQ(name, "i18n_core_test.itl");

    {
        TBabelfish2000 off("");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / name));
    {
        TBabelfish2000 empty("");
        empty.SetAutoCreateItlFile(true);
    }
    ASSERT_TRUE(std::filesystem::exists(dir / name));
    EXPECT_EQ(std::filesystem::file_size(dir / name), 0u);
    {
        TBabelfish2000 engine("");
        engine.SetAutoCreateItlFile(true);
        engine.Translate("ASCII Encoding");
    }
    EXPECT_EQ(ReadFileBytes(dir / name), "[ASCII Encoding]=ASCII Encoding|$$\r\n");

    // A file that cannot be created is reported, and destruction goes on.
    std::filesystem::remove(dir / name);
    std::filesystem::create_directory(dir / name);
    testing::internal::CaptureStderr();
    {
        TBabelfish2000 engine("");
        engine.SetAutoCreateItlFile(true);
    }
    const std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_THAT(reported, HasSubstr(name));
    // The reason is the system's own wording.
#ifdef _WIN32
    EXPECT_THAT(reported, HasSubstr("Access denied"));
#else
    EXPECT_THAT(reported, HasSubstr("Is a directory"));
#endif
}

TEST(Babelfish, NormalisationRules)
{
    EXPECT_EQ(NormalizeKey(""), "");
    EXPECT_EQ(NormalizeKey(" \t\r\n "), "");
    EXPECT_EQ(NormalizeKey("  a \t b\r\n"), "a b ");
    EXPECT_EQ(NormalizeKey("\tASCII  \xC4rger"), "ascii \xC4rger");
    EXPECT_EQ(NormalizeText("", "App"), "");
    EXPECT_EQ(NormalizeText("\ta  b\r\n", "App"), "\ta  b  ");
    // The escape is taken from the left, once; a break of the file never joins one.
    EXPECT_EQ(NormalizeText("\\\\n|\\n\\n|\\N|\\|\\\nn|end\\", "App"), "\\\r\n|\r\n\r\n|\\N|\\|\\ n|end\\");
    EXPECT_EQ(NormalizeText("<%appname%>\\n", "A\\n"), "A\\n\r\n");
}
