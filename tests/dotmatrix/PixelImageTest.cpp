#include "controls/dotmatrix/PixelImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace {

constexpr PixelImage::Pixel kInk = 0xFF112233u;
constexpr PixelImage::Pixel kWhite = 0xFFFFFFFFu;

} // namespace

TEST(PixelImage, FilledRectangleCoversLeftTopButNotRightBottom)
{
    PixelImage image(6, 6);
    image.FillRect(1, 2, 4, 5, kInk);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(image.At(x, y), (x >= 1 && x < 4 && y >= 2 && y < 5) ? kInk : kWhite) << x << "," << y;

    PixelImage clipped(4, 4);
    clipped.FillRect(-10, -10, 2, 100, kInk); // clipped, never out of bounds
    clipped.FillRect(3, 3, 1, 1, kInk);       // inverted: nothing
    EXPECT_EQ(clipped.At(1, 3), kInk);
    EXPECT_EQ(clipped.At(2, 0), kWhite);
    EXPECT_EQ(clipped.At(3, 3), kWhite);
}

TEST(PixelImage, LinesLeaveOutTheirEndPointAndPolylinesTheirLastPoint)
{
    PixelImage image(8, 8);
    image.Line(1, 1, 5, 1, kInk);
    EXPECT_EQ(image.At(1, 1), kInk);
    EXPECT_EQ(image.At(4, 1), kInk);
    EXPECT_EQ(image.At(5, 1), kWhite);

    image.Line(6, 6, 6, 2, kInk); // upwards
    EXPECT_EQ(image.At(6, 6), kInk);
    EXPECT_EQ(image.At(6, 3), kInk);
    EXPECT_EQ(image.At(6, 2), kWhite);

    image.Line(0, 7, 3, 4, kInk); // diagonal
    EXPECT_EQ(image.At(0, 7), kInk);
    EXPECT_EQ(image.At(2, 5), kInk);
    EXPECT_EQ(image.At(3, 4), kWhite);

    PixelImage ring(4, 4);
    const std::array<PixelImage::Point, 4> points{{{0, 0}, {3, 0}, {3, 3}, {0, 3}}};
    ring.Polyline(points, kInk);
    EXPECT_EQ(ring.At(3, 0), kInk); // the start of the second segment
    EXPECT_EQ(ring.At(3, 3), kInk);
    EXPECT_EQ(ring.At(1, 3), kInk);
    EXPECT_EQ(ring.At(0, 3), kWhite); // the last point
    EXPECT_EQ(ring.At(0, 1), kWhite);

    PixelImage far(4, 4);
    far.Line(-2000000000, 2, 2000000000, 2, kInk); // far end points neither overflow nor escape
    EXPECT_EQ(far.At(0, 2), kInk);
    EXPECT_EQ(far.At(3, 2), kInk);
}

TEST(PixelImage, RowsAreCopiedAsFarAsBothReach)
{
    PixelImage image(3, 2, kWhite);
    const std::vector<PixelImage::Pixel> longer{kInk, kInk, kInk, kInk, kInk};
    image.SetRow(1, longer);
    image.SetRow(2, longer);  // outside: nothing
    image.SetRow(-1, longer); // outside: nothing
    image.SetRow(0, std::vector<PixelImage::Pixel>{kInk});
    EXPECT_TRUE(std::ranges::equal(image.Pixels(),
                                   std::vector<PixelImage::Pixel>{kInk, kWhite, kWhite, kInk, kInk, kInk}));
    image.Resize(2, 4);
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.Height(), 4);
    EXPECT_EQ(image.Pixels().size(), 8u);
    image.Resize(-1, 5);
    EXPECT_EQ(image.Pixels().size(), 0u);
}
