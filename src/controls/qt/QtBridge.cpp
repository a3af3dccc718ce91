#include "controls/qt/QtBridge.h"

#include "util/Cp1252.h"

#include <QFontMetrics>
#include <QGuiApplication>

#include <algorithm>

namespace {

QPalette::ColorRole RoleOf(TColor color)
{
    switch (color & 0xFF) {
    case 5:
        return QPalette::Base;
    case 8:
        return QPalette::WindowText;
    case 15:
        return QPalette::Button;
    case 16:
        return QPalette::Dark;
    case 20:
        return QPalette::Light;
    default:
        return QPalette::Window;
    }
}

} // namespace

QColor ToQColor(TColor color, const QPalette& palette)
{
    if (IsSystemColor(color))
        return palette.color(QPalette::Active, RoleOf(color));
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

QColor ToQColor(TColor color)
{
    return ToQColor(color, QGuiApplication::palette());
}

QRgb ToQRgb(TColor color, const QPalette& palette)
{
    return ToQColor(color, palette).rgb();
}

QFont ToQFont(const TFont& font)
{
    QFont qfont(ToQString(font.Name()));
    qfont.setBold(font.Bold());
    qfont.setItalic(font.Italic());
    qfont.setUnderline(font.Underline());
    qfont.setStrikeOut(font.StrikeOut());
    qfont.setStyleStrategy(QFont::PreferDefault);
    // Heights beyond any real font are held to one Qt can draw; this also keeps the negation
    // of the most negative height defined.
    constexpr int kLargestPixels = 4096;
    const int height = std::clamp(font.Height(), -kLargestPixels, kLargestPixels);
    if (height < 0) {
        qfont.setPixelSize(-height);
    } else if (height > 0) {
        // A cell height: shrink the em size until ascent plus descent fits.
        int pixels = height;
        qfont.setPixelSize(pixels);
        while (pixels > 1 && QFontMetrics(qfont).height() > height) {
            qfont.setPixelSize(--pixels);
        }
    }
    return qfont;
}

QString ToQString(std::string_view cp1252)
{
    return QString::fromStdU16String(Cp1252ToUtf16(cp1252));
}

std::string ToCp1252(const QString& text)
{
    return Utf16ToCp1252(text.toStdU16String());
}
