#include "controls/dotmatrix/FontSampler.h"

#include "controls/qt/QtBridge.h"
#include "util/AsciiText.h"
#include "util/Cp1252.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>

namespace {

constexpr int kSurface = 65; // the drawing surface; only its top-left 32 x 32 pixels are read
constexpr int kSampled = 32;

void SampleCode(const QImage& image, int code, TRDGlyphTable& table)
{
    int min = kSampled - 1;
    int max = 0;
    for (int i = 0; i < kSampled; ++i) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(i));
        std::uint32_t mask = 0;
        for (int j = 0; j < kSampled; ++j) {
            if ((line[j] & 0xFFFFFFu) == 0xFFFFFFu)
                continue;
            mask |= 1u << j;
            min = std::min(min, j);
            max = std::max(max, j);
        }
        table.Rows[static_cast<std::size_t>(code)][static_cast<std::size_t>(i)] = mask;
        if (mask != 0 && i + 1 > table.GlyphHeight)
            table.GlyphHeight = i + 1;
    }
    table.FirstCol[static_cast<std::size_t>(code)] = static_cast<std::uint8_t>(min);
    table.LastCol[static_cast<std::size_t>(code)] = static_cast<std::uint8_t>(max);
    table.GlyphWidth = std::max(table.GlyphWidth, max - min + 1);
}

} // namespace

TRDGlyphTable SampleFontGlyphs(const TFont& font)
{
    TRDGlyphTable table;
    QImage image(kSurface, kSurface, QImage::Format_RGB32);
    const QFont qfont = ToQFont(font);
    const int ascent = QFontMetrics(qfont).ascent();
    QString codes;
    for (int code = 32; code < 256; ++code)
        codes += QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(code))));
    // Laying out one character at a time costs more than drawing it. A glyph that the font
    // itself holds is drawn straight from its index, which gives the same pixels; a character
    // that the font lacks (index 0) goes through text layout, which finds it in a fallback
    // font, and so do fonts with underline or strike-out. Drawing from the index also shows the
    // soft hyphen (code 173) as the font draws it, where text layout would hide it.
    const QRawFont raw = QRawFont::fromFont(qfont);
    const bool direct = raw.isValid() && !qfont.underline() && !qfont.strikeOut();
    const QList<quint32> glyphs = direct ? raw.glyphIndexesForString(codes) : QList<quint32>();
    QGlyphRun run;
    run.setRawFont(raw);
    run.setPositions({QPointF(0, ascent)});
    {
        QPainter painter(&image);
        painter.setFont(qfont);
        painter.setPen(ToQColor(font.Color()));
        for (int code = 32; code < 256; ++code) {
            const auto at = static_cast<qsizetype>(code - 32);
            painter.fillRect(0, 0, 100, 100, Qt::white);
            // The character cell's top-left corner at (0, 0): the base line lies one ascent down.
            if (at < glyphs.size() && glyphs[at] != 0) {
                run.setGlyphIndexes({glyphs[at]});
                painter.drawGlyphRun(QPointF(0, 0), run);
            } else {
                painter.drawText(0, ascent, QString(codes[at]));
            }
            // The raster engine draws straight into the image, so it can be read at once.
            SampleCode(image, code, table);
        }
    }
    table.FirstCol[32] = 0;
    table.LastCol[32] = static_cast<std::uint8_t>(table.GlyphWidth / 2);
    table.CompleteBlankGlyphs();
    return table;
}

TRDGlyphTable BuildGlyphTable(const TFont& font)
{
    if (AsciiLower(font.Name()) == "default")
        return TRDGlyphTable::BuildFromDefaultGlyphs();
    return SampleFontGlyphs(font);
}
