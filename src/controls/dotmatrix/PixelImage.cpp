#include "controls/dotmatrix/PixelImage.h"

#include <algorithm>
#include <cstdlib>

PixelImage::PixelImage(int width, int height, Pixel fill)
{
    Reset(width, height, fill);
}

void PixelImage::Reset(int width, int height, Pixel fill)
{
    FWidth = std::max(width, 0);
    FHeight = std::max(height, 0);
    const std::size_t count = static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight);
    FPixels.resize(count);
    std::fill(FPixels.begin(), FPixels.end(), fill);
}

void PixelImage::Resize(int width, int height)
{
    FWidth = std::max(width, 0);
    FHeight = std::max(height, 0);
    FPixels.resize(static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight));
}

void PixelImage::SetRow(int y, std::span<const Pixel> pixels)
{
    if (y < 0 || y >= FHeight)
        return;
    const std::size_t count = std::min(pixels.size(), static_cast<std::size_t>(FWidth));
    std::copy_n(pixels.begin(), count, FPixels.begin() + static_cast<std::ptrdiff_t>(y) * FWidth);
}

PixelImage::Pixel PixelImage::At(int x, int y) const
{
    if (!Contains(x, y))
        return 0;
    return FPixels[static_cast<std::size_t>(y) * FWidth + x];
}

void PixelImage::SetPixel(int x, int y, Pixel color)
{
    if (Contains(x, y))
        FPixels[static_cast<std::size_t>(y) * FWidth + x] = color;
}

void PixelImage::FillRect(int left, int top, int right, int bottom, Pixel color)
{
    const int l = std::max(left, 0);
    const int t = std::max(top, 0);
    const int r = std::min(right, FWidth);
    const int b = std::min(bottom, FHeight);
    if (r <= l)
        return;
    const int width = FWidth;
    Pixel* const pixels = FPixels.data();
    for (int y = t; y < b; ++y) {
        Pixel* const row = pixels + static_cast<std::size_t>(y) * width;
        std::fill(row + l, row + r, color);
    }
}

void PixelImage::Line(int x0, int y0, int x1, int y1, Pixel color)
{
    // Bresenham in 64 bits so that far-away end points cannot overflow; the end point is left out.
    long long x = x0;
    long long y = y0;
    const long long dx = std::llabs(static_cast<long long>(x1) - x0);
    const long long dy = -std::llabs(static_cast<long long>(y1) - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    if (dy == 0) { // horizontal: the common case, filled as a span
        if (y0 >= 0 && y0 < FHeight)
            FillRect(sx > 0 ? x0 : x1 + 1, y0, sx > 0 ? x1 : x0 + 1, y0 + 1, color);
        return;
    }
    if (dx == 0) {
        FillRect(x0, sy > 0 ? y0 : y1 + 1, x0 + 1, sy > 0 ? y1 : y0 + 1, color);
        return;
    }
    long long error = dx + dy;
    while (x != x1 || y != y1) {
        if (x >= 0 && y >= 0 && x < FWidth && y < FHeight)
            FPixels[static_cast<std::size_t>(y) * FWidth + static_cast<std::size_t>(x)] = color;
        const long long twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void PixelImage::Polyline(std::span<const Point> points, Pixel color)
{
    for (std::size_t i = 1; i < points.size(); ++i)
        Line(points[i - 1].X, points[i - 1].Y, points[i].X, points[i].Y, color);
}
