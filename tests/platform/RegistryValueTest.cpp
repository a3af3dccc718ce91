#include "platform/RegistryValue.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

class ConfigDirs
{
public:
    explicit ConfigDirs(const std::string& value)
    {
        const char* saved = std::getenv("XDG_CONFIG_DIRS");
        FHad = saved != nullptr;
        FSaved = FHad ? saved : "";
        ::setenv("XDG_CONFIG_DIRS", value.c_str(), 1);
    }
    ~ConfigDirs()
    {
        if (FHad)
            ::setenv("XDG_CONFIG_DIRS", FSaved.c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_DIRS");
    }

private:
    bool FHad;
    std::string FSaved;
};

void WriteConf(const std::filesystem::path& folder, const std::string& text)
{
    std::filesystem::create_directories(folder / "Norvane");
    WriteFileBytes(folder / "Norvane" / "valdora.conf", text);
}

std::string ReadFrom(const TempDir& dir, const std::string& text, const std::string& name = "ViewerHandle")
{
    WriteConf(dir.Path(), text);
    return ReadRegistryText({dir.Path()}, "Norvane/valdora.conf", "demon", name);
}

std::string ErrorOf(const TempDir& dir, const std::string& text)
{
    try {
        ReadFrom(dir, text);
    } catch (const RegistryError& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

TEST(RegistryValue, ReadsTextValuesOfTheSection)
{
    TempDir dir;
    EXPECT_EQ(ReadFrom(dir, "[demon]\nViewerHandle=00000000\n"), "00000000");
    EXPECT_EQ(ReadFrom(dir, "; comment\n[other]\nViewerHandle=no\n\n[ Demon ]\r\n  viewerhandle = abc \r\n"),
              "abc");
    EXPECT_EQ(ReadFrom(dir, "[demon]\n\"ViewerHandle\"=\"a \\\"q\\\" \\\\ b\"\n"), "a \"q\" \\ b");
    EXPECT_EQ(ReadFrom(dir, std::string("[demon]\nViewerHandle=ab\0cd\n", 27)), "ab");
    EXPECT_EQ(ReadFrom(dir, "[demon]\nViewerHandle=hex(1):41,00,42,00,00,00,43,00\n"), "AB");
    EXPECT_EQ(ReadFrom(dir, "[demon]\nViewerHandle=\n"), "");
    EXPECT_EQ(ReadFrom(dir, "[demon]\nOther=1\n"), "");
    EXPECT_EQ(ReadFrom(dir, "[demonic]\nViewerHandle=1\n"), "");
    EXPECT_EQ(ReadFrom(dir, "ViewerHandle=outside any section\n"), "");
}

TEST(RegistryValue, ValuesOfAnotherTypeAreRefused)
{
    TempDir dir;
    EXPECT_EQ(ErrorOf(dir, "[demon]\nViewerHandle=dword:00000001\n"), "Invalid data type for 'ViewerHandle'");
    EXPECT_EQ(ErrorOf(dir, "[demon]\nViewerHandle=HEX:01,02\n"), "Invalid data type for 'ViewerHandle'");
    EXPECT_EQ(ErrorOf(dir, "[demon]\nViewerHandle=hex(7):41,00,00,00\n"),
              "Invalid data type for 'ViewerHandle'");
    EXPECT_EQ(ErrorOf(dir, "[other]\nViewerHandle=dword:1\n"), "no error");
}

TEST(RegistryValue, FirstFileAlongXdgConfigDirsWins)
{
    TempDir empty;
    TempDir withoutKey;
    TempDir withKey;
    WriteConf(withoutKey.Path(), "[demon]\n");
    WriteConf(withKey.Path(), "[demon]\nViewerHandle=42\n");
    {
        ConfigDirs dirs("relative/dir:" + empty.Path().string() + ":" + withKey.Path().string() + ":" +
                        withoutKey.Path().string());
        EXPECT_EQ(ReadValdoraValue("demon", "ViewerHandle"), "42");
        EXPECT_EQ(ConfigFolders().size(), 3u);
    }
    {
        ConfigDirs dirs(withoutKey.Path().string() + ":" + withKey.Path().string());
        EXPECT_EQ(ReadValdoraValue("demon", "ViewerHandle"), "");
    }
    {
        ConfigDirs dirs("");
        ASSERT_EQ(ConfigFolders().size(), 1u);
        EXPECT_EQ(ConfigFolders()[0], "/etc/xdg");
    }
}
