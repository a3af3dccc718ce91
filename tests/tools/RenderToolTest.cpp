#include "platform/BytePath.h"
#include "support/ChildGuard.h"
#include "support/TempDir.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct RunResult
{
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

// Runs `bytescope-tool render` with `args`, without a display and without QT_QPA_PLATFORM, and waits for
// it: the process never outlives the call.
RunResult RunTool(const std::vector<std::string>& args, const TempDir& dir)
{
    std::vector<std::string> argv{BYTESCOPE_TOOL, "render"};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildGuard tool(argv, dir.Path(), {}, {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"});
    tool.CloseInput();
    const int exitCode = tool.Wait();
    return {exitCode, tool.Output(), tool.Errors()};
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The two displays of the trainer window, as the window stores them.
const std::vector<std::string> kBinDisplay{
    "--width",       "382",     "--height",   "73",     "--auto-height", "on",      "--auto-center",  "off",
    "--background",  "000000",  "--dot-on",   "FFFF00", "--dot-off",     "000080",  "--scheme",       "bwg",
    "--dot-spacing", "1",       "--dot-size", "5",      "--font",        "default", "--font-height",  "-13",
    "--frame",       "lowered", "--pos-x",    "1",      "--pos-y",       "1",       "--proportional", "off",
    "--scroll",      "off",     "--block",    "on",     "--text",        "01000001"};

} // namespace

TEST(RenderTool, DrawsTheTrainersBinaryDisplay)
{
    TempDir dir;
    const auto png = (dir / "bin.png").string();
    const RunResult run = RunTool(Concat(kBinDisplay, {"--out", png}), dir);
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out,
              "{\"width\": 382, \"height\": 73, \"pos_x\": 1, \"pos_y\": 1, \"text_pixel_width\": 385, "
              "\"glyph_width\": 7, \"glyph_height\": 12, \"scroll_offset_x\": 0, \"scroll_offset_y\": 0}\n");
    const QImage image(QString::fromStdString(png));
    ASSERT_EQ(image.size(), QSize(382, 73));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0x80, 0x80, 0x80)); // outer shadow
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0));          // inner dark edge
    // Raster lines and bands run to the edges, so they fill the corners no frame line reaches.
    EXPECT_EQ(image.pixel(381, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(380, 72), qRgb(255, 255, 255)); // outer light edge
    EXPECT_EQ(image.pixel(3, 3), qRgb(0, 0, 128));        // an unlit dot
}

TEST(RenderTool, SamplesAnInstalledFontAndScrolls)
{
    TempDir dir;
    const auto png = (dir / "ascii.png").string();
    const RunResult ascii =
        RunTool({"--width", "169", "--height", "265", "--dot-size", "8", "--font-height", "-27", "--font",
                 "Courier New", "--bold", "--pos-x", "10", "--block", "raster", "--text", "A", "--out", png},
                dir);
    ASSERT_EQ(ascii.ExitCode, 0) << ascii.Err;
    EXPECT_NE(ascii.Out.find("\"width\": 169, \"height\": 265, \"pos_x\": 10"), std::string::npos)
        << ascii.Out;
    EXPECT_EQ(ascii.Out.find("\"glyph_height\": 12,"), std::string::npos) << ascii.Out;
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(169, 265));

    // A file name is bytes: one that is not UTF-8 is written as given, not under a replacement character.
    const std::string scrolledPng = BytesFromPath(dir.Path()) + "/scrolled-\xFF.png";
    const RunResult scrolled = RunTool({"--scroll", "left", "--scroll-increment", "-3", "--ticks", "5",
                                        "--text-hex", "4142", "--proportional", "off", "--out", scrolledPng},
                                       dir);
    ASSERT_EQ(scrolled.ExitCode, 0) << scrolled.Err;
    EXPECT_NE(scrolled.Out.find("\"text_pixel_width\": 65,"), std::string::npos) << scrolled.Out;
    EXPECT_NE(scrolled.Out.find("\"scroll_offset_x\": -15,"), std::string::npos) << scrolled.Out;
    EXPECT_TRUE(ReadFileBytes(PathFromBytes(scrolledPng)).starts_with("\x89PNG")) << scrolledPng;
}

TEST(RenderTool, RefusesBadOptionsWithoutWritingAFile)
{
    TempDir dir;
    const auto png = (dir / "bad.png").string();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--dot-size", "big"}, "--dot-size"},
        {{"--frame", "wavy"}, "--frame"},
        {{"--dot-on", "12345"}, "--dot-on"},
        {{"--text-hex", "4G"}, "--text-hex"},
        {{"--width", "0"}, "--width"},
        {{"--glow", "on"}, "--glow"},
        {{"--ticks"}, "--ticks"},
    };
    for (const auto& [args, named] : cases) {
        const RunResult run = RunTool(Concat(args, {"--out", png}), dir);
        EXPECT_EQ(run.ExitCode, 2) << named;
        EXPECT_NE(run.Err.find(named), std::string::npos) << run.Err;
        EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
        EXPECT_FALSE(std::filesystem::exists(png)) << named;
    }
    EXPECT_EQ(RunTool({"--text", "x"}, dir).ExitCode, 2); // no --out
    EXPECT_EQ(RunTool({"--help"}, dir).ExitCode, 0);
}
