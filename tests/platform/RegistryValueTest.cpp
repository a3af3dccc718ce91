#include "platform/RegistryValue.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifndef _WIN32
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
#endif

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

// The config folders are a Linux matter; Windows reads the registry (below).
#ifndef _WIN32
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
#endif

#ifdef _WIN32
namespace {

// A key of the test's own below HKEY_LOCAL_MACHINE\Software\Norvane\valdora, removed with its
// values afterwards.
class TestKey
{
public:
    TestKey() : FSection("bytescope-test-" + std::to_string(std::random_device()()))
    {
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, Path().c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &FKey, nullptr) != ERROR_SUCCESS)
            FKey = nullptr;
    }
    ~TestKey()
    {
        if (FKey != nullptr)
            ::RegCloseKey(FKey);
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, Path().c_str());
    }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    bool Valid() const { return FKey != nullptr; }
    std::string Path() const { return "Software\\Norvane\\valdora\\" + FSection; }
    const std::string& Section() const { return FSection; }
    void Set(const std::string& name, DWORD type, const std::string& bytes) const
    {
        ::RegSetValueExA(FKey, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                         static_cast<DWORD>(bytes.size()));
    }

private:
    std::string FSection;
    HKEY FKey = nullptr;
};

std::string ErrorOfValue(const TestKey& key, const std::string& name)
{
    try {
        ReadValdoraValue(key.Section(), name);
    } catch (const RegistryError& error) {
        return error.what();
    }
    return "no error";
}

} // namespace

// Windows keeps the value in the registry: each type as the system stores it.
TEST(RegistryValue, WindowsReadsTextOfTheKeyAndRefusesEveryOtherType)
{
    const TestKey key;
    ASSERT_TRUE(key.Valid());
    key.Set("ViewerHandle", REG_SZ, std::string("1a2b\0", 5));
    key.Set("Accented", REG_SZ, std::string("\xE9t\xE9\0", 4)); // Windows-1252 bytes stay as they are
    key.Set("Cut", REG_SZ, std::string("ab\0cd\0", 6));
    key.Set("Unterminated", REG_SZ, "xyz");
    key.Set("Expandable", REG_EXPAND_SZ, std::string("%PATH%\0", 7)); // not expanded
    key.Set("Empty", REG_SZ, std::string("\0", 1));
    EXPECT_EQ(ReadValdoraValue(key.Section(), "ViewerHandle"), "1a2b");
    EXPECT_EQ(ReadValdoraValue(key.Section(), "viewerhandle"), "1a2b"); // names ignore letter case
    EXPECT_EQ(ReadValdoraValue(key.Section(), "Accented"), "\xE9t\xE9");
    EXPECT_EQ(ReadValdoraValue(key.Section(), "Cut"), "ab");
    EXPECT_EQ(ReadValdoraValue(key.Section(), "Unterminated"), "xyz");
    EXPECT_EQ(ReadValdoraValue(key.Section(), "Expandable"), "%PATH%");
    EXPECT_EQ(ReadValdoraValue(key.Section(), "Empty"), "");
    EXPECT_EQ(ReadValdoraValue(key.Section(), "Missing"), "");
    EXPECT_EQ(ReadValdoraValue(key.Section() + "-missing", "ViewerHandle"), "");
    EXPECT_EQ(ReadMachineRegistryText(key.Path(), "ViewerHandle"), "1a2b");

    key.Set("Dword", REG_DWORD, std::string("\1\0\0\0", 4));
    key.Set("Qword", REG_QWORD, std::string(8, '\0'));
    key.Set("Binary", REG_BINARY, "AB");
    key.Set("Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
    key.Set("None", REG_NONE, "");
    for (const char* name : {"Dword", "Qword", "Binary", "Multi", "None"})
        EXPECT_EQ(ErrorOfValue(key, name), "Invalid data type for '" + std::string(name) + "'");
}
#endif
