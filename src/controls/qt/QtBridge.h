#pragma once

#include "controls/TColor.h"
#include "controls/TFont.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

#include <string>
#include <string_view>

// Where the controls' own types meet Qt: colours, fonts and Windows-1252 text.

// A plain colour as it is; a system colour from the palette (the application's by default).
QColor ToQColor(TColor color, const QPalette& palette);
QColor ToQColor(TColor color);

// The colour as 0xFFRRGGBB, the pixel layout of QImage::Format_RGB32.
QRgb ToQRgb(TColor color, const QPalette& palette);

// The Qt font for a stored font: a negative height is the em size in pixels, a positive one the
// cell height (ascent plus descent).
QFont ToQFont(const TFont& font);

QString ToQString(std::string_view cp1252);
std::string ToCp1252(const QString& text);
