#include "controls/qt/QtBridge.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <gtest/gtest.h>

TEST(QtBridge, ResolvesPlainAndSystemColours)
{
    QPalette palette;
    palette.setColor(QPalette::Dark, QColor(1, 2, 3));
    palette.setColor(QPalette::Light, QColor(4, 5, 6));
    EXPECT_EQ(ToQColor(clBtnShadow, palette), QColor(1, 2, 3));
    EXPECT_EQ(ToQColor(clBtnHighlight, palette), QColor(4, 5, 6));
    EXPECT_EQ(ToQColor(clNavy, palette), QColor(0, 0, 128));
    EXPECT_EQ(ToQRgb(RGBColor(255, 251, 240), palette), qRgb(255, 251, 240));
}

TEST(QtBridge, NegativeHeightIsTheEmSizeInPixels)
{
    TFont font;
    font.SetName("Courier New");
    font.SetHeight(-27);
    font.SetStyle(fsBold);
    const QFont qfont = ToQFont(font);
    EXPECT_EQ(qfont.pixelSize(), 27);
    EXPECT_TRUE(qfont.bold());
    // Qt's offscreen platform on Windows reads fonts only from Qt's own font folder, which holds
    // none: there the pitch cannot be asked.
    if (QFontDatabase::families().isEmpty())
        GTEST_SKIP() << "no fonts on this Qt platform";
    // Liberation Mono stands in for Courier New on our machines.
    EXPECT_TRUE(QFontInfo(qfont).fixedPitch()) << QFontInfo(qfont).family().toStdString();
}

TEST(QtBridge, TextCrossesAsWindows1252)
{
    EXPECT_EQ(ToQString("\xC4rger \x80"), QString::fromUtf8("Ärger €"));
    EXPECT_EQ(ToCp1252(QString::fromUtf8("Ärger €")), "\xC4rger \x80");
}
