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
}

TEST(ProgramPath, TitleIsTheCapitalisedNameBeforeItsFirstDot)
{
    EXPECT_EQ(ApplicationTitle("/opt/bytescope/bytescope"), "Bytescope");
    EXPECT_EQ(ApplicationTitle("C:\\Apps\\ByteScope.old.exe"), "Bytescope");
    EXPECT_EQ(ApplicationTitle("/usr/bin/.hidden"), "");
    EXPECT_FALSE(ProgramPath().empty());
}
