#include "controls/dotmatrix/TRasterLabModel.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

constexpr PixelImage::Pixel kWhite = 0xFFFFFFFFu;

// The built-in table with a few glyphs whose dots the tests rely on.
TRDGlyphTable TestGlyphs()
{
    TRDGlyphTable table = TRDGlyphTable::BuildFromDefaultGlyphs();
    const auto set = [&](unsigned char code, int first, int last, std::vector<std::uint32_t> rows) {
        table.FirstCol[code] = static_cast<std::uint8_t>(first);
        table.LastCol[code] = static_cast<std::uint8_t>(last);
        table.Rows[code] = {};
        for (std::size_t r = 0; r < rows.size(); ++r)
            table.Rows[code][r] = rows[r];
    };
    set('A', 0, 6, {0x00, 0x08, 0x08, 0x14, 0x14, 0x22, 0x3E, 0x22, 0x22, 0x77, 0x00, 0x00});
    set('1', 1, 5, {0x00, 0x08, 0x0E, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x3E, 0x00, 0x00});
    set('!', 3, 3, {0x00, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x00, 0x08, 0x00, 0x00});
    set('|', 0, 0, {0x01}); // one dot in the top-left corner
    set('=', 0, 1, {0x03}); // two neighbouring dots
    return table;
}

TRasterLabModel MakeModel()
{
    TRasterLabModel model;
    model.SetGlyphTable(TestGlyphs());
    return model;
}

// The image as one letter per pixel, row by row, with the given colours named.
std::vector<std::string> Picture(const PixelImage& image,
                                 const std::vector<std::pair<char, PixelImage::Pixel>>& names)
{
    std::vector<std::string> rows;
    for (int y = 0; y < image.Height(); ++y) {
        std::string row;
        for (int x = 0; x < image.Width(); ++x) {
            char letter = image.At(x, y) == kWhite ? 'w' : '?';
            for (const auto& [name, color] : names)
                if (image.At(x, y) == color)
                    letter = name;
            row += letter;
        }
        rows.push_back(row);
    }
    return rows;
}

// The black-white-gray scheme's light colour is white itself.
std::vector<std::string> LightAsWhite(std::vector<std::string> rows)
{
    for (auto& row : rows)
        for (auto& letter : row)
            if (letter == 'l')
                letter = 'w';
    return rows;
}

} // namespace

TEST(TRasterLabModel, SettersClampCompareAndReportChanges)
{
    TRasterLabModel model;
    EXPECT_TRUE(model.SetDotSize(0));
    EXPECT_EQ(model.DotSize(), 1);
    EXPECT_TRUE(model.SetDotSize(100));
    EXPECT_EQ(model.DotSize(), 32);
    EXPECT_FALSE(model.SetDotSize(40)); // clamps to the stored 32: no change
    EXPECT_TRUE(model.SetDotSpacing(-1));
    EXPECT_EQ(model.DotSpacing(), 0);
    EXPECT_TRUE(model.SetDotSpacing(7));
    EXPECT_EQ(model.DotSpacing(), 3);
    EXPECT_TRUE(model.SetScrollInterval(5));
    EXPECT_EQ(model.ScrollInterval(), 10);
    EXPECT_FALSE(model.SetScrollIncrement(0)); // 0 gives 1, the default
    EXPECT_TRUE(model.SetScrollIncrement(-4));
    EXPECT_EQ(model.ScrollIncrement(), 4);
    EXPECT_TRUE(model.SetScrollIncrement(INT_MIN));
    EXPECT_EQ(model.ScrollIncrement(), INT_MAX);
    EXPECT_FALSE(model.SetText("Text"));
    EXPECT_FALSE(model.SetFrameStyle(fsLowered));

    EXPECT_TRUE(model.SetColorScheme(csSystem));
    EXPECT_EQ(model.ColorFrameShadow(), clBtnShadow);
    EXPECT_EQ(model.ColorFrameLight(), clBtnHighlight);
    EXPECT_TRUE(model.SetColorScheme(csBWG));
    EXPECT_EQ(model.ColorFrameShadow(), clGray);
    EXPECT_EQ(model.ColorFrameLight(), clWhite);
    EXPECT_EQ(model.ColorFrameDark(), clBlack);
}

TEST(TRasterLabModel, AutoHeightAndAutoCentreFollowGeometryChangesOnly)
{
    TRasterLabModel model = MakeModel();
    model.SetDotSize(5);
    model.SetAutoHeight(true);
    EXPECT_EQ(model.Height(), 73); // 1 + 6 x 12

    model.SetFrameStyle(fsEmbossed); // a frame does not re-apply it ...
    EXPECT_EQ(model.Height(), 73);
    model.SetDotSpacing(2);
    model.SetDotSpacing(1); // ... the next geometry change does
    EXPECT_EQ(model.Height(), 74);

    TRasterLabModel centred = MakeModel();
    centred.SetProportional(false);
    centred.SetText("AB");
    EXPECT_EQ(centred.CalcTextWidth("AB"), 64);
    centred.SetAutoCenter(true);
    EXPECT_EQ(centred.PosX(), 170); // (400 - 64) div 2 + 1 + 1
    centred.SetPosX(5);
    EXPECT_FALSE(centred.SetText("AB")); // an equal text does not re-centre
    EXPECT_EQ(centred.PosX(), 5);
    centred.SetText("ABCDEFGHIJKLMNOPQRST"); // wider than the control: truncated toward zero
    EXPECT_EQ(centred.PosX(), (400 - 20 * 32) / 2 + 2);
    centred.SetAutoCenter(false);
    EXPECT_EQ(centred.PosX(), 1);

    // Auto height comes before auto centre: the centre sees the new frame width.
    TRasterLabModel both = MakeModel();
    both.SetAutoHeight(true);
    both.SetAutoCenter(true);
    both.SetFrameStyle(fsEngraved);
    both.SetDotSize(4);
    EXPECT_EQ(both.Height(), 2 + 5 * 12);
    EXPECT_EQ(both.PosX(), (400 - both.CalcTextWidth("Text")) / 2 + 3);
}

TEST(TRasterLabModel, TextWidthsInProportionalAndFixedModes)
{
    TRasterLabModel model = MakeModel();
    model.SetDotSize(5);
    EXPECT_EQ(model.CalcTextWidth("1"), 36);
    EXPECT_EQ(model.CalcTextWidth("A"), 48);
    EXPECT_EQ(model.CalcTextWidth("!"), 12);
    EXPECT_EQ(model.CalcTextWidth(std::string("\x01", 1)), 48); // control codes take the full cell
    EXPECT_EQ(model.CalcTextWidth(""), 0);

    model.SetProportional(false);
    model.SetText("01000001");
    PixelImage image;
    model.Paint(image);
    EXPECT_EQ(model.CalcTextWidth("01000001"), 384);
    EXPECT_EQ(model.TextPixelWidth(), 385);

    model.SetText("");
    model.Paint(image);
    EXPECT_EQ(model.TextPixelWidth(), 1);
}

TEST(TRasterLabModel, EveryFrameStyleDrawsItsEdgesAndLeavesItsCornersWhite)
{
    const std::vector<std::pair<TFrameStyle, std::vector<std::string>>> cases{
        {fsNone, {"ffffff", "ffffff", "ffffff", "ffffff", "ffffff"}},
        {fsSimple, {"ssssss", "sffffs", "sffffs", "sffffs", "ssssss"}},
        {fsLowered, {"sssssw", "sdddsl", "sdffsl", "sssssl", "wwllll"}},
        {fsRaised, {"sssssw", "slllsd", "slffsd", "sssssd", "dddddd"}},
        {fsEmbossed, {"lllllw", "lsssls", "lsffls", "llllls", "wsssss"}},
        {fsEngraved, {"sssssw", "slllsl", "slffsl", "sssssl", "wlllll"}},
    };
    for (const auto& [style, expected] : cases) {
        TRasterLabModel model;
        model.SetSize(6, 5);
        model.SetText("");
        model.SetCharBlockMode(rdbmOff);
        model.SetColorLabBakG(0x123456);
        model.SetFrameStyle(style);
        PixelImage image;
        model.Paint(image);
        EXPECT_EQ(Picture(image, {{'f', PixelOf(0x123456)}, {'s', PixelOf(clGray)}, {'d', PixelOf(clBlack)}}),
                  LightAsWhite(expected))
            << "frame style " << int(style);

        // The system scheme's colours come from the resolver; this one tells light from white.
        model.SetColorScheme(csSystem);
        model.Paint(image, [](TColor c) {
            if (c == clBtnShadow)
                return PixelOf(clGray);
            return c == clBtnHighlight ? 0xFFEEEEEEu : TRasterLabModel::DefaultColor(c);
        });
        EXPECT_EQ(Picture(image, {{'f', PixelOf(0x123456)},
                                  {'s', PixelOf(clGray)},
                                  {'l', 0xFFEEEEEEu},
                                  {'d', PixelOf(clBlack)}}),
                  expected)
            << "frame style " << int(style);
    }
}

TEST(TRasterLabModel, RasterLinesFollowTheTextGridAlsoAboveAndLeftOfTheControl)
{
    TRasterLabModel model;
    model.SetSize(20, 20);
    model.SetFrameStyle(fsNone);
    model.SetText("");
    model.SetCharBlockMode(rdbmRaster);
    model.SetColorLabBakG(0x0000AA);
    model.SetColorDotOff(0x00AA00);
    model.SetDotSize(5);
    model.SetPosY(-7); // p = 6: ry = -1, lines at y = -2, 4, 10, 16
    model.SetPosX(3);  // rx = 3: columns at x = 2, 8, 14
    PixelImage image;
    model.Paint(image);
    for (int y = 0; y < 20; ++y) {
        const bool line = y == 4 || y == 10 || y == 16;
        EXPECT_EQ(image.At(0, y), PixelOf(line ? 0x0000AA : 0x00AA00)) << "row " << y;
    }
    for (int x = 0; x < 20; ++x) {
        const bool line = x == 2 || x == 8 || x == 14;
        EXPECT_EQ(image.At(x, 0), PixelOf(line ? 0x0000AA : 0x00AA00)) << "column " << x;
    }

    model.SetDotSize(2);
    model.SetDotSpacing(2); // p = 4, two-pixel lines
    model.SetPosX(0);
    model.Paint(image);
    EXPECT_EQ(image.At(1, 1), PixelOf(0x00AA00));
    EXPECT_EQ(image.At(2, 1), PixelOf(0x0000AA));
    EXPECT_EQ(image.At(3, 1), PixelOf(0x0000AA));
    EXPECT_EQ(image.At(4, 1), PixelOf(0x00AA00));

    model.SetDotSpacing(0); // no raster lines at all
    model.Paint(image);
    for (const auto pixel : image.Pixels())
        EXPECT_EQ(pixel, PixelOf(0x00AA00));
}

TEST(TRasterLabModel, BlockModesDecideFieldRasterAndBands)
{
    TRasterLabModel model = MakeModel();
    model.SetSize(30, 8);
    model.SetFrameStyle(fsNone);
    model.SetDotSize(3);
    model.SetDotSpacing(0); // bands stand apart from raster lines
    model.SetColorLabBakG(0x0000AA);
    model.SetColorDotOff(0x00AA00);
    model.SetColorDotOn(0xAA0000);
    model.SetPosX(10);
    model.SetPosY(0);
    model.SetText("|");
    PixelImage image;
    const auto row = [&](int y) {
        return Picture(image, {{'b', PixelOf(0x0000AA)},
                               {'f', PixelOf(0x00AA00)},
                               {'o', PixelOf(0xAA0000)}})[static_cast<std::size_t>(y)];
    };

    model.SetCharBlockMode(rdbmOn);
    model.Paint(image);
    // Band before the text at 7..8, the dot at 10..12, band after it (x = 16) at 13..14.
    EXPECT_EQ(row(0), "fffffffbbfooobbfffffffffffffff");
    EXPECT_EQ(row(5), "fffffffbbffffbbfffffffffffffff");
    EXPECT_EQ(model.TextPixelWidth(), 7);

    model.SetCharBlockMode(rdbmRaster);
    model.Paint(image);
    EXPECT_EQ(row(0), "ffffffffffooofffffffffffffffff");

    model.SetCharBlockMode(rdbmOff);
    model.Paint(image);
    EXPECT_EQ(row(0), "bbbbbbbbbbooobbbbbbbbbbbbbbbbb");
    model.SetText("    ");
    model.Paint(image);
    for (const auto pixel : image.Pixels())
        EXPECT_EQ(pixel, PixelOf(0x0000AA));

    // Neighbouring lit dots touch without spacing; dot size 1 lights single pixels.
    model.SetText("=");
    model.Paint(image);
    EXPECT_EQ(row(0), "bbbbbbbbbboooooobbbbbbbbbbbbbb");
    model.SetDotSize(1);
    model.SetDotSpacing(1);
    model.Paint(image);
    EXPECT_EQ(row(0), "bbbbbbbbbbobobbbbbbbbbbbbbbbbb");
    EXPECT_EQ(row(1), "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbb");
}

TEST(TRasterLabModel, GlyphDotsLandOnTheGridInBothModes)
{
    TRasterLabModel model = MakeModel();
    model.SetSize(60, 40);
    model.SetFrameStyle(fsNone);
    model.SetCharBlockMode(rdbmOff);
    model.SetDotSize(2);
    model.SetText("!"); // range 3..3: its dot column is drawn at PosX
    model.SetPosX(4);
    model.SetPosY(2);
    PixelImage image;
    model.Paint(image);
    const auto on = PixelOf(clLime);
    EXPECT_EQ(image.At(4, 2 + 1 * 3), on); // row 1
    EXPECT_EQ(image.At(5, 3 + 1 * 3), on);
    EXPECT_NE(image.At(4, 2 + 8 * 3), on); // row 8 is blank
    EXPECT_EQ(image.At(4, 2 + 9 * 3), on);
    EXPECT_EQ(model.TextPixelWidth(), 3 + 3 + 1);

    model.SetProportional(false); // the whole cell: column 3 lands three pitches in
    model.Paint(image);
    EXPECT_NE(image.At(4, 5), on);
    EXPECT_EQ(image.At(4 + 3 * 3, 5), on);
    EXPECT_EQ(model.TextPixelWidth(), 3 + 7 * 3 + 1);
}

TEST(TRasterLabModel, ScrollStepsWrapAtTheirLimits)
{
    TRasterLabModel model = MakeModel();
    model.SetDotSize(5);
    model.SetProportional(false);
    model.SetText("01000001");
    PixelImage image;
    model.Paint(image);
    ASSERT_EQ(model.TextPixelWidth(), 385);

    model.SetScrollMode(rdsmLeft);
    for (int step = 1; step <= 385; ++step)
        ASSERT_FALSE(model.ScrollStep()) << step;
    EXPECT_EQ(model.ScrollOffsetX(), -385);
    EXPECT_TRUE(model.ScrollStep()); // -386 < -385
    EXPECT_EQ(model.ScrollOffsetX(), 400);

    model.SetScrollMode(rdsmRight);
    model.SetScrollOffsets(399, 0);
    EXPECT_FALSE(model.ScrollStep());
    EXPECT_TRUE(model.ScrollStep());
    EXPECT_EQ(model.ScrollOffsetX(), -385);

    model.SetScrollMode(rdsmUp);
    model.SetScrollOffsets(0, -72);
    EXPECT_TRUE(model.ScrollStep());
    EXPECT_EQ(model.ScrollOffsetY(), model.Height()); // -73 < -(12 x 6)

    model.SetScrollMode(rdsmDown);
    model.SetScrollIncrement(5);
    model.SetScrollOffsets(0, 63);
    EXPECT_FALSE(model.ScrollStep());
    EXPECT_EQ(model.ScrollOffsetY(), 68); // not beyond Height 68 yet
    EXPECT_TRUE(model.ScrollStep());
    EXPECT_EQ(model.ScrollOffsetY(), -72);

    model.SetScrollLoop(false); // without looping the text just keeps going
    model.SetScrollOffsets(0, 1000);
    EXPECT_FALSE(model.ScrollStep());
    EXPECT_EQ(model.ScrollOffsetY(), 1005);
    model.SetScrollIncrement(INT_MAX);
    model.ScrollStep();
    EXPECT_EQ(model.ScrollOffsetY(), INT_MAX); // saturates, never overflows
    model.Paint(image);

    model.SetScrollRunning(true);
    model.SetScrollMode(rdsmOff);
    EXPECT_FALSE(model.ScrollStep());
    EXPECT_FALSE(model.ScrollRunning());
    EXPECT_EQ(model.ScrollOffsetX(), 0);
    EXPECT_EQ(model.ScrollOffsetY(), 0);
}

TEST(TRasterLabModel, AssignTakesTextFrameAndColoursButNotGeometry)
{
    TRasterLabModel source = MakeModel();
    source.SetText("Other");
    source.SetFrameStyle(fsRaised);
    source.SetColorLabBakG(1);
    source.SetColorDotOn(2);
    source.SetColorDotOff(3);
    source.SetColorScheme(csSystem);
    source.SetDotSize(9);
    source.SetPosX(44);
    source.SetCharBlockMode(rdbmOff);

    TRasterLabModel target = MakeModel();
    target.SetAutoCenter(true);
    const int posX = target.PosX();
    target.AssignFrom(source);
    EXPECT_EQ(target.Text(), "Other");
    EXPECT_EQ(target.FrameStyle(), fsRaised);
    EXPECT_EQ(target.ColorLabBakG(), 1u);
    EXPECT_EQ(target.ColorDotOn(), 2u);
    EXPECT_EQ(target.ColorScheme(), csSystem);
    EXPECT_EQ(target.ColorFrameShadow(), clBtnShadow);
    EXPECT_EQ(target.ColorDotOff(), 0x404040u);
    EXPECT_EQ(target.DotSize(), 3);
    EXPECT_EQ(target.PosX(), posX); // no re-centring
    EXPECT_EQ(target.CharBlockMode(), rdbmOn);
}

TEST(TRDGlyphTable, EveryCodeHasADefinedNonNegativeRange)
{
    const TRDGlyphTable table = TRDGlyphTable::BuildFromDefaultGlyphs();
    EXPECT_EQ(table.GlyphWidth, 7);
    EXPECT_EQ(table.GlyphHeight, 12);
    for (int code = 0; code < 32; ++code) {
        EXPECT_EQ(table.FirstCol[code], 0);
        EXPECT_EQ(table.LastCol[code], 6);
        for (const auto row : table.Rows[code])
            EXPECT_EQ(row, 0u);
    }
    for (int code = 0; code < 256; ++code)
        EXPECT_LE(table.FirstCol[code], table.LastCol[code]) << code;

    TRDGlyphTable sampled; // as sampling leaves an inkless glyph, and a font without any ink
    sampled.GlyphWidth = 0;
    sampled.FirstCol.fill(31);
    sampled.LastCol.fill(0);
    sampled.CompleteBlankGlyphs();
    EXPECT_EQ(sampled.FirstCol['x'], 0);
    EXPECT_EQ(sampled.LastCol['x'], 0);
}

// The raster is painted row by row from patterns; it must equal drawing the field, then one line
// per spacing row and per spacing column, for every offset, spacing, size and frame.
TEST(TRasterLabModelRaster, RowPatternsEqualOneLinePerSpacingRowAndColumn)
{
    constexpr PixelImage::Pixel kBack = 0xFF000000u;
    constexpr PixelImage::Pixel kOff = 0xFF000080u;
    for (const TFrameStyle frame : {fsNone, fsLowered}) {
        for (int spacing = 0; spacing <= 3; ++spacing) {
            for (int size = 1; size <= 3; ++size) {
                for (int offset = -9; offset <= 9; offset += 3) {
                    TRasterLabModel model;
                    model.SetSize(23, 17);
                    model.SetFrameStyle(frame);
                    model.SetCharBlockMode(rdbmRaster);
                    model.SetColorLabBakG(clBlack);
                    model.SetColorDotOff(clNavy);
                    model.SetDotSpacing(spacing);
                    model.SetDotSize(size);
                    model.SetText("");
                    model.SetScrollOffsets(offset, -offset / 2);
                    PixelImage painted;
                    model.Paint(painted);

                    const int w = 23;
                    const int h = 17;
                    const int inset = frame == fsNone ? 0 : 1;
                    PixelImage expected(w, h, kWhite);
                    expected.FillRect(inset, inset, w - inset, h - inset, kOff);
                    const long long pitch = model.CellPitch();
                    const long long ry = (model.PosY() + model.ScrollOffsetY()) % pitch;
                    const long long rx = (model.PosX() + model.ScrollOffsetX()) % pitch;
                    for (long long b = 0; b <= h / pitch + 1; ++b) {
                        for (long long i = 1; i <= spacing; ++i) {
                            const int y = static_cast<int>(ry + b * pitch - spacing - 1 + i);
                            expected.Line(0, y, w, y, kBack);
                        }
                    }
                    for (long long b = 0; b <= w / pitch + 1; ++b) {
                        for (long long i = 1; i <= spacing; ++i) {
                            const int x = static_cast<int>(rx + b * pitch - spacing - 1 + i);
                            expected.Line(x, 0, x, h, kBack);
                        }
                    }
                    // The frame covers the outer two rings; compare everything inside them.
                    const int skip = frame == fsNone ? 0 : 2;
                    for (int y = skip; y < h - skip; ++y) {
                        for (int x = skip; x < w - skip; ++x)
                            ASSERT_EQ(painted.At(x, y), expected.At(x, y))
                                << "frame " << frame << " spacing " << spacing << " size " << size
                                << " offset " << offset << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}
