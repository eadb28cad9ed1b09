#include "imaging/pixel_buffer.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using imaging::PixelBuffer;
using imaging::Rgb;

TEST(PixelBuffer, StartsWhiteIgnoresWritesOutsideAndReadsThemBlack)
{
    PixelBuffer b(4, 3);
    EXPECT_EQ(b.pixel(0, 0), imaging::kWhite);
    EXPECT_EQ(b.pixel(3, 2), imaging::kWhite);
    const Rgb red{255, 0, 0};
    for (auto [x, y] : {std::pair{-1, 0}, {4, 0}, {0, 3}, {0, -1}})
        b.setPixel(x, y, red);
    EXPECT_EQ(b, PixelBuffer(4, 3));
    b.setPixel(3, 2, red);
    EXPECT_EQ(b.pixel(3, 2), red);
    EXPECT_EQ(b.pixel(4, 2), imaging::kBlack);
    EXPECT_EQ(b.pixel(-1, -1), imaging::kBlack);
    // Rows top down, three bytes a pixel, red first.
    EXPECT_EQ(b.stride(), 12);
    EXPECT_EQ(b.data()[2 * 12 + 3 * 3], 255);
    EXPECT_EQ(b.data()[2 * 12 + 3 * 3 + 1], 0);
    EXPECT_NE(b, PixelBuffer(4, 3));
}

TEST(PixelBuffer, RefusesAnEmptySize)
{
    EXPECT_THROW(PixelBuffer(0, 5), std::invalid_argument);
    EXPECT_THROW(PixelBuffer(5, -1), std::invalid_argument);
}

}  // namespace
