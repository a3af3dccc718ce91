#pragma once

#include <cstdint>
#include <span>
#include <vector>

// An off-screen image of 0xFFRRGGBB pixels (the layout of QImage::Format_RGB32), drawn with the
// pixel conventions of the classic Windows drawing interface:
//   - FillRect(l, t, r, b) covers l <= x < r, t <= y < b;
//   - a line from A to B covers A up to, but not including, B;
//   - a polyline draws its segments in order, so every point but the last is covered.
// Everything outside the image is clipped.
class PixelImage
{
public:
    using Pixel = std::uint32_t;

    PixelImage() = default;
    PixelImage(int width, int height, Pixel fill = 0xFFFFFFFFu);

    // Makes the image width x height (negative sizes count as 0) and fills it; keeps the buffer
    // when the size is unchanged.
    void Reset(int width, int height, Pixel fill);
    // Makes the image width x height without filling it, for a caller that writes every pixel;
    // what it holds until then is unspecified.
    void Resize(int width, int height);
    // Copies `pixels` into row y from its left edge, as far as both reach; nothing outside the image.
    void SetRow(int y, std::span<const Pixel> pixels);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < FWidth && y < FHeight; }

    // The pixel at (x, y); 0 outside the image.
    Pixel At(int x, int y) const;
    void SetPixel(int x, int y, Pixel color);
    void FillRect(int left, int top, int right, int bottom, Pixel color);
    void Line(int x0, int y0, int x1, int y1, Pixel color);

    struct Point
    {
        int X;
        int Y;
    };
    void Polyline(std::span<const Point> points, Pixel color);

    const Pixel* Data() const { return FPixels.data(); }
    std::span<const Pixel> Pixels() const { return FPixels; }

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<Pixel> FPixels;
};

// The opaque pixel of a plain 0x00BBGGRR colour.
constexpr PixelImage::Pixel PixelOf(std::uint32_t bgr)
{
    return 0xFF000000u | ((bgr & 0xFFu) << 16) | (bgr & 0xFF00u) | ((bgr >> 16) & 0xFFu);
}
