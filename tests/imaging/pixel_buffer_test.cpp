#include "imaging/pixel_buffer.h"

#include <gtest/gtest.h>

namespace {

using imaging::PixelBuffer;
using imaging::Rgb;

TEST(PixelBuffer, NewBufferIsWhiteWithBlackPenAndWhiteBrush)
{
    PixelBuffer b(256, 256);
    EXPECT_EQ(b.pixel(0, 0), imaging::kWhite);
    EXPECT_EQ(b.pixel(255, 255), imaging::kWhite);
    EXPECT_EQ(b.penColour, imaging::kBlack);
    EXPECT_EQ(b.brushColour, imaging::kWhite);
    EXPECT_EQ(b.penWidth, 1);
}

TEST(PixelBuffer, WritesOutsideAreIgnoredAndReadBlack)
{
    PixelBuffer b(4, 3);
    const Rgb red{255, 0, 0};
    b.setPixel(-1, 0, red);
    b.setPixel(4, 0, red);
    b.setPixel(0, 3, red);
    b.setPixel(3, 2, red);
    EXPECT_EQ(b.pixel(3, 2), red);
    EXPECT_EQ(b.pixel(4, 2), imaging::kBlack);
    EXPECT_EQ(b.pixel(-1, -1), imaging::kBlack);
    // Only the one pixel inside changed.
    int changed = 0;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            changed += b.pixel(x, y) == red;
    EXPECT_EQ(changed, 1);
}

TEST(PixelBuffer, FillAndCopyAreClipped)
{
    PixelBuffer a(8, 8);
    a.brushColour = imaging::kBlack;
    a.fillRect(-5, -5, 3, 2);
    EXPECT_EQ(a.pixel(2, 1), imaging::kBlack);
    EXPECT_EQ(a.pixel(3, 1), imaging::kWhite);
    EXPECT_EQ(a.pixel(2, 2), imaging::kWhite);

    PixelBuffer b(4, 4);
    b.copyRect(a, 0, 0, 8, 8, 2, 2);
    EXPECT_EQ(b.pixel(2, 2), imaging::kBlack);
    EXPECT_EQ(b.pixel(3, 3), imaging::kBlack);
    EXPECT_EQ(b.pixel(1, 1), imaging::kWhite);
}

}  // namespace
