#include "platform/ProgramPath.h"

#include <gtest/gtest.h>

TEST(ProgramPath, FormsNamesFromTheProgramPath)
{
    EXPECT_EQ(ReplaceProgramExtension("/opt/bytescope/bytescope", ".itl"), "/opt/bytescope/bytescope.itl");
    EXPECT_EQ(ReplaceProgramExtension("C:\\Apps\\bytescope.EXE", ".itl"), "C:\\Apps\\bytescope.itl");
    EXPECT_EQ(ReplaceProgramExtension("/opt/x.y/run", ".itl"), "/opt/x.y/run.itl");
    EXPECT_EQ(FileNamePart("C:\\Apps\\bytescope.exe"), "bytescope.exe");
    EXPECT_EQ(FileNamePart("/opt/bytescope/bytescope"), "bytescope");
    EXPECT_EQ(FileNamePart("plain"), "plain");
    EXPECT_EQ(FolderPart("/opt/bytescope/bytescope"), "/opt/bytescope/");
    EXPECT_EQ(FolderPart("plain"), "");

    // The language file beside this very program: "platform_test.itl" on either system.
    const std::string own = ProgramPath();
    EXPECT_EQ(FileNamePart(ReplaceProgramExtension(own, ".itl")), "platform_test.itl") << own;
    EXPECT_FALSE(FolderPart(own).empty()) << own;
}

TEST(ProgramPath, TitleIsTheCapitalisedNameBeforeItsFirstDot)
{
    EXPECT_EQ(ApplicationTitle("/opt/bytescope/bytescope"), "Bytescope");
    EXPECT_EQ(ApplicationTitle("C:\\Apps\\ByteScope.old.exe"), "Bytescope");
    EXPECT_EQ(ApplicationTitle("/usr/bin/.hidden"), "");
}
