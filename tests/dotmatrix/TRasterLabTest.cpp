#include "controls/dotmatrix/TRasterLab.h"

#include "controls/dotmatrix/FontSampler.h"
#include "controls/qt/QtBridge.h"
#include "util/Cp1252.h"

#include <QEventLoop>
#include <QFontMetrics>
#include <QImage>
#include <QMetaProperty>
#include <QPainter>
#include <QTimer>

#include <bit>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A display whose system refuses timers until told otherwise.
class RefusingRasterLab : public TRasterLab
{
public:
    bool Refuse = true;

protected:
    int StartScrollTimer(int intervalMs) override
    {
        return Refuse ? 0 : TRasterLab::StartScrollTimer(intervalMs);
    }
};

} // namespace

TEST(TRasterLab, ConstructorDefaultsAndPropertiesInStreamingOrder)
{
    TRasterLab lab;
    EXPECT_EQ(lab.Width(), 400);
    EXPECT_EQ(lab.Height(), 68);
    EXPECT_EQ(lab.width(), 400);
    EXPECT_EQ(lab.Text(), "Text");
    EXPECT_EQ(lab.Font().Name(), "default");
    EXPECT_EQ(lab.Font().Size(), 8);
    EXPECT_EQ(lab.GlyphHeight(), 12);
    EXPECT_TRUE(lab.ParentFont());
    EXPECT_TRUE(lab.testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_EQ(lab.PaintCount(), 0); // the constructor stores, it does not paint
    EXPECT_FALSE(lab.TimerActive());

    std::vector<std::string> names;
    const QMetaObject* meta = lab.metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        names.emplace_back(meta->property(i).name());
    const std::vector<std::string> own{
        "AutoHeight",   "AutoCenter", "ColorLabBakG",   "ColorDotOn",      "ColorDotOff", "ColorScheme",
        "DotSpacing",   "DotSize",    "Font",           "FrameStyle",      "PosX",        "PosY",
        "Proportional", "ScrollMode", "ScrollInterval", "ScrollIncrement", "ScrollLoop",  "CharBlockMode",
        "Text"};
    ASSERT_GE(names.size(), own.size());
    EXPECT_EQ(std::vector<std::string>(names.end() - static_cast<long>(own.size()), names.end()), own);
}

// Stored windows and translations set properties by name, enumerations as numbers: bad numbers
// are clamped like every bad value, and an enumeration out of range is named in a warning.
TEST(TRasterLab, PropertiesSetByNameClampBadNumbersAndSaySo)
{
    TRasterLab lab;
    lab.setObjectName("RLabBin");
    EXPECT_TRUE(lab.setProperty("DotSize", 100));
    EXPECT_EQ(lab.DotSize(), 32);
    lab.setProperty("Text", QString::fromUtf8("\u20AC"));
    EXPECT_EQ(lab.Text(), "\x80");

    testing::internal::CaptureStderr();
    lab.setProperty("FrameStyle", 3);
    EXPECT_EQ(lab.FrameStyle(), fsRaised);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    testing::internal::CaptureStderr();
    lab.setProperty("FrameStyle", 9);
    lab.setProperty("ColorScheme", -1);
    lab.setProperty("CharBlockMode", 3);
    lab.setProperty("ScrollMode", -7);
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(lab.FrameStyle(), fsEngraved);
    EXPECT_EQ(lab.ColorScheme(), csBWG);
    EXPECT_EQ(lab.CharBlockMode(), rdbmRaster);
    EXPECT_EQ(lab.ScrollMode(), rdsmOff);
    EXPECT_FALSE(lab.TimerActive());
    EXPECT_NE(warnings.find("Component \"RLabBin\": FrameStyle 9 is out of range 0..5, 5 is used"),
              std::string::npos)
        << warnings;
    for (const char* named : {"ColorScheme -1", "CharBlockMode 3", "ScrollMode -7"})
        EXPECT_NE(warnings.find(named), std::string::npos) << named;

    lab.setProperty("ScrollMode", 99); // the last mode, not an unknown one: it scrolls up
    EXPECT_EQ(lab.ScrollMode(), rdsmUp);
    EXPECT_TRUE(lab.TimerActive());
}

TEST(TRasterLab, SettersRepaintOnlyOnRealChanges)
{
    TRasterLab lab;
    int paints = lab.PaintCount();
    const auto repainted = [&] {
        const bool yes = lab.PaintCount() != paints;
        paints = lab.PaintCount();
        return yes;
    };
    lab.SetDotSize(3);
    lab.SetText("Text");
    lab.SetFrameStyle(fsLowered);
    lab.SetScrollInterval(100);
    lab.SetScrollIncrement(0); // stores 1, the current value
    EXPECT_FALSE(repainted());

    lab.SetDotSize(0); // 1: a change
    EXPECT_TRUE(repainted());
    lab.SetDotSize(-5);
    EXPECT_FALSE(repainted());
    lab.SetText("AB");
    EXPECT_TRUE(repainted());
    lab.SetColorDotOn(clRed);
    EXPECT_TRUE(repainted());
    lab.SetScrollLoop(true); // repaints although unchanged
    EXPECT_TRUE(repainted());
    lab.SetScrollInterval(5);
    EXPECT_FALSE(repainted());
    EXPECT_EQ(lab.ScrollInterval(), 10);
    EXPECT_EQ(lab.Image().At(4, 5), PixelOf(clBlack));  // a raster line of the last paint
    EXPECT_EQ(lab.Image().At(5, 5), PixelOf(0x404040)); // an unlit dot

    // Auto height resizes the widget itself.
    lab.SetDotSize(5);
    lab.SetAutoHeight(true);
    EXPECT_EQ(lab.Height(), 73);
    EXPECT_EQ(lab.height(), 73);
    EXPECT_EQ(lab.Image().Height(), 73);
    lab.SetFrameStyle(fsEmbossed);
    EXPECT_EQ(lab.height(), 73);
    lab.SetDotSpacing(0);
    EXPECT_EQ(lab.height(), 2 + 5 * 12);
}

// Width and Height are the widget's geometry, however it is set and whether the window has been
// shown or not: Qt holds back resize events until the first show, and the display must not fall
// back to an older size in between.
TEST(TRasterLab, GeometrySetThroughQtIsTheDisplaysSizeBeforeTheFirstShow)
{
    QWidget window;
    auto* lab = new TRasterLab(&window);
    lab->Font().SetName("default");
    lab->SetProportional(false);
    lab->setGeometry(10, 20, 200, 50);
    EXPECT_EQ(lab->Width(), 200);
    EXPECT_EQ(lab->Height(), 50);
    EXPECT_EQ(lab->property("Width").toInt(), 200);

    lab->SetText("AB"); // the next setter keeps the size and paints at it
    EXPECT_EQ(lab->size(), QSize(200, 50));
    EXPECT_EQ(lab->Image().Width(), 200);
    EXPECT_EQ(lab->Image().Height(), 50);

    lab->SetAutoCenter(true); // centres in 200 pixels: (200 - 64) / 2 + 1 + 1
    EXPECT_EQ(lab->PosX(), 70);
    lab->resize(300, 40);
    EXPECT_EQ(lab->Width(), 300);
    lab->SetText("BA");
    EXPECT_EQ(lab->PosX(), 120);
    EXPECT_EQ(lab->size(), QSize(300, 40));

    // Setting one side through the display keeps the other side Qt gave it.
    lab->SetWidth(250);
    EXPECT_EQ(lab->size(), QSize(250, 40));
    lab->resize(260, 30);
    lab->SetHeight(45);
    EXPECT_EQ(lab->size(), QSize(260, 45));

    // Auto height wins over the height Qt gave, and the widget follows it.
    lab->resize(260, 10);
    lab->SetDotSize(5);
    lab->SetAutoHeight(true);
    EXPECT_EQ(lab->Height(), 73);
    EXPECT_EQ(lab->size(), QSize(260, 73));
    EXPECT_EQ(lab->Model().Width(), 260);

    // Scrolling wraps at the width Qt gave, too.
    lab->resize(100, 73);
    lab->SetAutoCenter(false);
    lab->SetPosX(0);
    lab->SetScrollMode(rdsmRight);
    for (int i = 0; i < 101; ++i)
        lab->ScrollTick();
    EXPECT_LT(lab->ScrollOffsetX(), 0);
    lab->SetScrollMode(rdsmOff);

    window.show(); // the held-back resize events change nothing
    EXPECT_EQ(lab->size(), QSize(100, 73));
    EXPECT_EQ(lab->Width(), 100);
}

TEST(TRasterLab, HiddenDisplaysDrawNothingButDisplaysOutsideAWindowDo)
{
    TRasterLab alone; // in no window, never shown
    EXPECT_TRUE(alone.Visible());
    alone.SetText("x");
    EXPECT_EQ(alone.PaintCount(), 1);

    QWidget window;
    auto* inside = new TRasterLab(&window); // in a window that is not shown yet
    const int born = inside->PaintCount();  // taking the window's font paints too
    inside->SetText("y");
    EXPECT_EQ(inside->PaintCount(), born + 1);

    inside->hide();
    EXPECT_FALSE(inside->Visible());
    inside->SetText("z");
    inside->SetScrollLoop(true);
    inside->ScrollTick();
    inside->Paint();
    EXPECT_EQ(inside->PaintCount(), born + 1);
    inside->SetDesigning(true); // the designer shows hidden displays
    inside->Paint();
    EXPECT_EQ(inside->PaintCount(), born + 2);
}

TEST(TRasterLab, QtPaintRequestsShowThePaintedImage)
{
    TRasterLab lab;
    lab.SetText("A");
    lab.show();
    const int before = lab.PaintCount();
    lab.SetColorDotOff(clNavy);
    EXPECT_EQ(lab.PaintCount(), before + 1);
    const QImage shown = lab.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.width(), lab.Image().Width());
    for (const auto& [x, y] :
         std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {3, 3}, {6, 6}, {399, 0}, {200, 40}})
        EXPECT_EQ(shown.pixel(x, y), lab.Image().At(x, y)) << x << "," << y;
}

TEST(TRasterLab, AssignCopiesTextFrameAndColoursAndRefusesOtherSources)
{
    TRasterLab source;
    source.SetText("Src");
    source.SetFrameStyle(fsSimple);
    source.SetColorDotOn(clRed);
    source.SetColorDotOff(clBlue);
    source.SetColorScheme(csSystem);
    source.SetDotSize(7);
    source.SetCharBlockMode(rdbmOff);

    TRasterLab target;
    const int paints = target.PaintCount();
    source.AssignTo(&target);
    EXPECT_EQ(target.Text(), "Src");
    EXPECT_EQ(target.FrameStyle(), fsSimple);
    EXPECT_EQ(target.ColorDotOn(), clRed);
    EXPECT_EQ(target.ColorScheme(), csSystem);
    EXPECT_EQ(target.ColorFrameLight(), clBtnHighlight);
    EXPECT_EQ(target.ColorDotOff(), 0x404040u);
    EXPECT_EQ(target.DotSize(), 3);
    EXPECT_EQ(target.CharBlockMode(), rdbmOn);
    EXPECT_EQ(target.PaintCount(), paints + 1);

    QObject other;
    EXPECT_THROW(target.Assign(&other), std::invalid_argument);
    EXPECT_THROW(target.AssignTo(&other), std::invalid_argument);
    EXPECT_THROW(target.Assign(nullptr), std::invalid_argument);
}

TEST(TRasterLab, FontNamesSelectTheBuiltInFontOrSampleAnInstalledOne)
{
    TRasterLab lab;
    lab.Font().SetName("DeFaUlT");
    EXPECT_EQ(lab.GlyphWidth(), 7);
    EXPECT_EQ(lab.GlyphHeight(), 12);
    EXPECT_FALSE(lab.ParentFont()); // a font of its own

    lab.Font().SetHeight(-27);
    lab.Font().SetName("Courier New"); // Liberation Mono stands in for it
    lab.Font().SetStyle(fsBold);
    EXPECT_GT(lab.GlyphWidth(), 7);
    EXPECT_LE(lab.GlyphWidth(), 32);
    EXPECT_GT(lab.GlyphHeight(), 12);
    EXPECT_LE(lab.GlyphHeight(), 32);
    const TRDGlyphTable& table = lab.Model().GlyphTable();
    EXPECT_EQ(table.FirstCol[' '], 0);
    EXPECT_EQ(table.LastCol[' '], lab.GlyphWidth() / 2);
    EXPECT_NE(table.Rows['A'][table.GlyphHeight / 2], 0u);
    EXPECT_LE(table.FirstCol['A'], table.LastCol['A']);
    EXPECT_LT(table.FirstCol['i'] + 0, table.LastCol['i'] + 1);

    lab.Font().SetName("default "); // a trailing blank is another font
    EXPECT_NE(lab.GlyphHeight(), 12);

    // A white font leaves no ink: nothing is drawn and auto height shrinks to the frame.
    TRasterLab white;
    white.SetCharBlockMode(rdbmOff);
    white.SetAutoHeight(true);
    white.Font().SetColor(clWhite);
    white.Font().SetName("Courier New");
    EXPECT_EQ(white.GlyphWidth(), 0);
    EXPECT_EQ(white.GlyphHeight(), 0);
    EXPECT_EQ(white.Height(), 1);
    white.SetHeight(20);
    white.SetText("Wide text");
    for (int y = 1; y < 18; ++y)
        for (int x = 1; x < 398; ++x)
            ASSERT_EQ(white.Image().At(x, y), PixelOf(clBlack)) << x << "," << y;
}

TEST(TRasterLab, ParentFontTakesTheParentsFont)
{
    QWidget window;
    QFont font("Liberation Sans");
    font.setPixelSize(20);
    window.setFont(font);
    auto* lab = new TRasterLab(&window);
    lab->Font().SetName("default"); // its own font
    EXPECT_FALSE(lab->ParentFont());
    lab->SetParentFont(true);
    EXPECT_TRUE(lab->ParentFont());
    EXPECT_EQ(lab->Font().Name(), "Liberation Sans");
    EXPECT_EQ(lab->Font().Height(), -20);
    EXPECT_NE(lab->GlyphHeight(), 12);
}

// Born inside a parent or put into one later: a display that follows its parent's font
// samples that font either way, and one with a font of its own keeps it.
TEST(TRasterLab, ParentFontIsTakenAtBirthAndOnReparenting)
{
    QWidget window;
    QFont font("Liberation Sans");
    font.setPixelSize(20);
    window.setFont(font);
    TRasterLab born(&window);
    EXPECT_EQ(born.Font().Name(), "Liberation Sans");
    EXPECT_NE(born.GlyphHeight(), 12);

    TRasterLab moved;
    moved.setParent(&window);
    EXPECT_EQ(moved.Font().Name(), "Liberation Sans");
    EXPECT_EQ(moved.GlyphHeight(), born.GlyphHeight());

    TRasterLab own;
    own.Font().SetName("default");
    own.setParent(&window);
    EXPECT_EQ(own.Font().Name(), "default");
    EXPECT_EQ(own.GlyphHeight(), 12);
    own.setParent(nullptr);
    moved.setParent(nullptr);
}

TEST(TRasterLab, ScrollTicksMoveWrapRepaintAndNotifyInOrder)
{
    TRasterLab lab;
    lab.SetDotSize(5);
    lab.SetProportional(false);
    lab.SetText("01000001");
    ASSERT_EQ(lab.TextPixelWidth(), 385);

    std::vector<std::string> events;
    lab.SetOnScrollLoopRestart([&](TRasterLab* sender) {
        EXPECT_EQ(sender, &lab);
        events.push_back("restart@" + std::to_string(lab.ScrollOffsetX()) + "/" +
                         std::to_string(lab.PaintCount()));
    });
    lab.SetOnScrollTimer([&](TRasterLab*) { events.push_back("timer/" + std::to_string(lab.PaintCount())); });

    lab.SetScrollMode(rdsmLeft);
    EXPECT_TRUE(lab.ScrollRunning());
    EXPECT_TRUE(lab.TimerActive());
    for (int i = 0; i < 385; ++i)
        lab.ScrollTick();
    EXPECT_EQ(lab.ScrollOffsetX(), -385);
    events.clear();
    const int paints = lab.PaintCount();
    lab.ScrollTick();
    const std::vector<std::string> expected{"restart@400/" + std::to_string(paints),
                                            "timer/" + std::to_string(paints + 1)};
    EXPECT_EQ(events, expected);

    lab.SetScrollMode(rdsmOff);
    EXPECT_FALSE(lab.TimerActive());
    EXPECT_FALSE(lab.ScrollRunning());
    EXPECT_EQ(lab.ScrollOffsetX(), 0);
    EXPECT_EQ(lab.PaintCount(), paints + 2);
}

TEST(TRasterLab, TimerTicksAreGuardedAndDesigningNeverStartsTheTimer)
{
    TRasterLab lab;
    lab.SetScrollInterval(10);
    lab.SetScrollMode(rdsmUp);
    ASSERT_TRUE(lab.TimerActive());
    // Errors of a tick reach the application's handler (stderr without one) and the timer goes on.
    QEventLoop loop;
    int ticks = 0;
    lab.SetOnScrollTimer([&](TRasterLab*) {
        if (++ticks == 2)
            loop.quit();
        throw std::runtime_error("handler failed");
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit); // a cap, should the timer never run
    testing::internal::CaptureStderr();
    loop.exec();
    const std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(lab.ScrollOffsetY(), -2);
    EXPECT_NE(reported.find("handler failed"), std::string::npos);
    EXPECT_TRUE(lab.TimerActive());

    TRasterLab designed;
    designed.SetDesigning(true);
    designed.SetScrollMode(rdsmLeft);
    EXPECT_FALSE(designed.TimerActive());
    EXPECT_FALSE(designed.ScrollRunning());
}

TEST(TRasterLab, ARefusedTimerRaisesTheDisplaysErrorAndKeepsTheValue)
{
    RefusingRasterLab lab;
    lab.setObjectName("RLabBin");
    try {
        lab.SetScrollMode(rdsmRight);
        FAIL() << "no error";
    } catch (const EQZLRasterLabError& e) {
        EXPECT_STREQ(e.what(), "Component \"RLabBin\": no timer available");
    }
    EXPECT_EQ(lab.ScrollMode(), rdsmRight);
    EXPECT_TRUE(lab.ScrollRunning());
    EXPECT_FALSE(lab.TimerActive());

    lab.Refuse = false;
    lab.SetScrollInterval(50); // a later restart resumes scrolling
    EXPECT_TRUE(lab.TimerActive());
}

// The sampler draws most glyphs from their index rather than through text layout; both must give
// the same dots, including for a character the font lacks and for the soft hyphen, which layout
// hides.
TEST(FontSampler, GlyphsMatchWhatTextLayoutDraws)
{
    for (const TFontStyles style :
         {TFontStyles{0}, TFontStyles{fsBold}, TFontStyles{fsItalic | fsUnderline}}) {
        TFont font;
        font.SetName("Courier New");
        font.SetHeight(-27);
        font.SetStyle(style);
        const TRDGlyphTable table = SampleFontGlyphs(font);
        const QFont qfont = ToQFont(font);
        const int ascent = QFontMetrics(qfont).ascent();
        for (const int code : {int{'A'}, int{'g'}, int{'W'}, 0x80, 0xFF}) {
            QImage image(65, 65, QImage::Format_RGB32);
            image.fill(Qt::white);
            {
                QPainter painter(&image);
                painter.setFont(qfont);
                painter.setPen(Qt::black);
                painter.drawText(
                    0, ascent,
                    QString(QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(code))))));
            }
            for (int row = 0; row < 32; ++row) {
                std::uint32_t mask = 0;
                for (int col = 0; col < 32; ++col) {
                    if ((image.pixel(col, row) & 0xFFFFFFu) != 0xFFFFFFu)
                        mask |= 1u << col;
                }
                ASSERT_EQ(table.Rows[static_cast<std::size_t>(code)][static_cast<std::size_t>(row)], mask)
                    << "style " << int(style) << " code " << code << " row " << row;
            }
        }
    }
}

// The display shows every code the font can draw: the soft hyphen (173), which text layout
// leaves out, has the font's own ink like the hyphen (45).
TEST(FontSampler, SoftHyphenIsDrawnLikeAnyGlyph)
{
    TFont font;
    font.SetName("Courier New");
    font.SetHeight(-27);
    font.SetStyle(fsBold);
    const TRDGlyphTable table = SampleFontGlyphs(font);
    const auto ink = [&](int code) {
        int dots = 0;
        for (const std::uint32_t row : table.Rows[static_cast<std::size_t>(code)])
            dots += std::popcount(row);
        return dots;
    };
    ASSERT_GT(ink('-'), 0);
    EXPECT_GT(ink(0xAD), 0);
}
