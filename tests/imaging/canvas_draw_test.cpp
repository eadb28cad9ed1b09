#include "imaging/canvas_draw.h"

#include <gtest/gtest.h>

#include <deque>
#include <utility>

namespace {

using imaging::kBlack;
using imaging::kWhite;
using imaging::PixelBuffer;
using imaging::Rgb;

constexpr Rgb kGrey{100, 100, 100};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBlue{0, 0, 255};

PixelBuffer Canvas(int side = 256)
{
    PixelBuffer b(side, side);
    b.brushColour = kGrey;
    b.fillRect(0, 0, side, side);
    b.penColour = kRed;
    b.brushColour = kBlue;
    return b;
}

TEST(DrawEllipse, FourByFourBoxDropsTheCornersAndFillsTheMiddle)
{
    PixelBuffer b = Canvas(8);
    imaging::DrawEllipse(b, 2, 2, 6, 6);
    const char* expected[] = {
        "........",
        "........",
        "...rr...",
        "..rbbr..",
        "..rbbr..",
        "...rr...",
        "........",
        "........",
    };
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const char c = expected[y][x];
            const Rgb want = c == 'r' ? kRed : c == 'b' ? kBlue : kGrey;
            EXPECT_EQ(b.pixel(x, y), want) << x << "," << y;
        }
    }
}

TEST(DrawEllipse, RightAndBottomAreExclusive)
{
    PixelBuffer b = Canvas(8);
    imaging::DrawEllipse(b, 0, 0, 3, 3);  // 3 x 3: the whole box, one brush pixel
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(b.pixel(x, y), (x == 1 && y == 1) ? kBlue : kRed);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(b.pixel(3, k), kGrey);
        EXPECT_EQ(b.pixel(k, 3), kGrey);
    }
}

TEST(DrawEllipse, FullDiscIsSymmetricTouchesTheEdgesAndHasAClosedRim)
{
    PixelBuffer b = Canvas();
    imaging::DrawEllipse(b, 0, 0, 256, 256);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            ASSERT_EQ(b.pixel(x, y), b.pixel(255 - x, y));
            ASSERT_EQ(b.pixel(x, y), b.pixel(x, 255 - y));
            ASSERT_EQ(b.pixel(x, y), b.pixel(y, x));
        }
    }
    EXPECT_EQ(b.pixel(0, 127), kRed);
    EXPECT_EQ(b.pixel(127, 0), kRed);
    EXPECT_EQ(b.pixel(1, 127), kBlue);
    EXPECT_EQ(b.pixel(0, 0), kGrey);
    EXPECT_EQ(b.pixel(37, 37), kRed);  // near the diagonal crossing at 37.5
    // A fill from the centre through brush pixels never leaves the disc.
    std::vector<bool> seen(256 * 256, false);
    std::deque<std::pair<int, int>> todo{{128, 128}};
    int filled = 0;
    while (!todo.empty()) {
        auto [x, y] = todo.front();
        todo.pop_front();
        if (!b.contains(x, y) || seen[y * 256 + x] || b.pixel(x, y) != kBlue)
            continue;
        seen[y * 256 + x] = true;
        ++filled;
        ASSERT_TRUE(x > 0 && y > 0 && x < 255 && y < 255);
        todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
    }
    // Close to pi 127^2 pixels of brush inside a one-pixel rim.
    EXPECT_NEAR(filled, 3.14159 * 127 * 127, 400);
}

TEST(DrawEllipse, WiderPenThickensTheRimInwards)
{
    PixelBuffer b = Canvas(64);
    b.penWidth = 3;
    imaging::DrawEllipse(b, 0, 0, 64, 64);
    EXPECT_EQ(b.pixel(0, 31), kRed);
    EXPECT_EQ(b.pixel(2, 31), kRed);
    EXPECT_EQ(b.pixel(3, 31), kBlue);
}

TEST(DrawEllipse, EmptyOrReversedBoxDrawsNothing)
{
    PixelBuffer b = Canvas(16);
    imaging::DrawEllipse(b, 5, 5, 5, 9);
    imaging::DrawEllipse(b, 5, 5, 9, 5);
    imaging::DrawEllipse(b, 9, 9, 5, 5);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(b.pixel(x, y), kGrey);
}

TEST(DrawEllipse, ClippedAtTheBufferEdges)
{
    PixelBuffer b = Canvas(16);
    imaging::DrawEllipse(b, -8, -8, 8, 8);
    EXPECT_EQ(b.pixel(0, 0), kBlue);
    EXPECT_EQ(b.pixel(7, 0), kRed);
    EXPECT_EQ(b.pixel(8, 0), kGrey);
}

TEST(DrawLine, EndPointIsExcluded)
{
    PixelBuffer b = Canvas();
    imaging::DrawLine(b, 128, 0, 128, 255);
    for (int y = 0; y < 255; ++y)
        ASSERT_EQ(b.pixel(128, y), kRed) << y;
    EXPECT_EQ(b.pixel(128, 255), kGrey);
    EXPECT_EQ(b.pixel(127, 10), kGrey);
    EXPECT_EQ(b.pixel(129, 10), kGrey);
}

TEST(DrawLine, PenWidthWidensAcrossTheLine)
{
    PixelBuffer b = Canvas();
    b.penWidth = 3;
    imaging::DrawLine(b, 0, 128, 255, 128);
    for (int x = 0; x < 255; ++x) {
        ASSERT_EQ(b.pixel(x, 126), kGrey);
        ASSERT_EQ(b.pixel(x, 127), kRed);
        ASSERT_EQ(b.pixel(x, 129), kRed);
        ASSERT_EQ(b.pixel(x, 130), kGrey);
    }
    EXPECT_EQ(b.pixel(255, 128), kGrey);
    b.penWidth = 2;
    imaging::DrawLine(b, 50, 0, 50, 20);
    EXPECT_EQ(b.pixel(49, 5), kRed);
    EXPECT_EQ(b.pixel(50, 5), kRed);
    EXPECT_EQ(b.pixel(51, 5), kGrey);
    EXPECT_EQ(b.pixel(48, 5), kGrey);
}

TEST(DrawLine, DiagonalInEitherDirection)
{
    PixelBuffer b = Canvas(16);
    imaging::DrawLine(b, 0, 0, 5, 5);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(b.pixel(k, k), kRed);
    EXPECT_EQ(b.pixel(5, 5), kGrey);
    imaging::DrawLine(b, 10, 8, 4, 11);  // shallow, leftwards and down
    EXPECT_EQ(b.pixel(10, 8), kRed);
    EXPECT_EQ(b.pixel(4, 11), kGrey);
    int count = 0;
    for (int x = 5; x <= 9; ++x)
        for (int y = 8; y <= 11; ++y)
            count += b.pixel(x, y) == kRed;
    EXPECT_EQ(count, 5);  // one pixel per column from 9 down to 5
}

TEST(DrawLine, ZeroLengthAndZeroWidth)
{
    PixelBuffer b = Canvas(16);
    imaging::DrawLine(b, 3, 3, 3, 3);
    EXPECT_EQ(b.pixel(3, 3), kGrey);
    b.penWidth = 0;  // a pen of width 0 draws one pixel wide
    imaging::DrawLine(b, 3, 3, 3, 6);
    EXPECT_EQ(b.pixel(3, 4), kRed);
    EXPECT_EQ(b.pixel(2, 4), kGrey);
    EXPECT_EQ(b.pixel(4, 4), kGrey);
}

TEST(AperturePicture, ObstructionRadiusAndItsReset)
{
    EXPECT_EQ(imaging::ObstructionPixels(25.0), 32);
    EXPECT_EQ(imaging::ObstructionPixels(30.0), 38);   // 38.4
    EXPECT_EQ(imaging::ObstructionPixels(90.0), 115);  // 115.2
    EXPECT_FALSE(imaging::ObstructionTooLarge(115));
    EXPECT_EQ(imaging::ObstructionPixels(90.5), 116);  // 115.84
    EXPECT_TRUE(imaging::ObstructionTooLarge(116));
    EXPECT_TRUE(imaging::ObstructionTooLarge(imaging::ObstructionPixels(95.0)));
    EXPECT_TRUE(imaging::ObstructionTooLarge(imaging::ObstructionPixels(-5.0)));
    EXPECT_FALSE(imaging::ObstructionTooLarge(0));
}

TEST(AperturePicture, OffsetObstructionBoxForEightInches)
{
    imaging::AperturePictureParams p;
    p.obstructionPercent = 25.0;
    p.apertureInches = imaging::ApertureInchesOf(8.0, false);
    p.offsetMm = 10.0;
    const imaging::ApertureLayout l = imaging::LayoutAperturePicture(p);
    EXPECT_EQ(l.obstructionRadius, 32);
    EXPECT_EQ(l.left, 83);
    EXPECT_EQ(l.right, 147);
    EXPECT_EQ(l.top, 96);
    EXPECT_EQ(l.bottom, 160);

    PixelBuffer b(256, 256);
    imaging::DrawAperturePicture(b, l);
    EXPECT_EQ(b.pixel(82, 128), kWhite);
    EXPECT_EQ(b.pixel(83, 128), kBlack);
    EXPECT_EQ(b.pixel(146, 128), kBlack);
    EXPECT_EQ(b.pixel(147, 128), kWhite);
    EXPECT_EQ(b.pixel(115, 95), kWhite);
    EXPECT_EQ(b.pixel(115, 96), kBlack);
    EXPECT_EQ(b.pixel(115, 160), kWhite);
}

TEST(AperturePicture, VaneWidthInMillimetreMode)
{
    imaging::AperturePictureParams p;
    p.apertureInches = imaging::ApertureInchesOf(200.0, true);
    EXPECT_FLOAT_EQ(p.apertureInches, 7.8740157f);
    EXPECT_EQ(p.apertureInches, static_cast<float>(200.0f * 0.039370078740157480));
    p.obstructionPercent = 20.0;
    p.spider = true;
    p.vaneWidthMm = 2.0;
    const imaging::ApertureLayout l = imaging::LayoutAperturePicture(p);
    EXPECT_TRUE(l.spider);
    EXPECT_EQ(l.vaneWidth, 3);  // Round(2.56)

    PixelBuffer b(256, 256);
    imaging::DrawAperturePicture(b, l);
    EXPECT_EQ(b.pixel(126, 20), kWhite);
    EXPECT_EQ(b.pixel(127, 20), kBlack);
    EXPECT_EQ(b.pixel(129, 20), kBlack);
    EXPECT_EQ(b.pixel(130, 20), kWhite);
    EXPECT_EQ(b.pixel(20, 127), kBlack);
    EXPECT_EQ(b.pixel(20, 130), kWhite);
    EXPECT_EQ(b.penWidth, 1);
}

TEST(AperturePicture, NoSpiderWithoutObstruction)
{
    imaging::AperturePictureParams p;
    p.apertureInches = 8.0f;
    p.spider = true;
    p.vaneWidthMm = 2.0;
    const imaging::ApertureLayout l = imaging::LayoutAperturePicture(p);
    EXPECT_FALSE(l.spider);
    PixelBuffer b(256, 256);
    imaging::DrawAperturePicture(b, l);
    EXPECT_EQ(b.pixel(128, 128), kWhite);
    EXPECT_EQ(b.pixel(128, 20), kWhite);
}

TEST(AperturePicture, WhiteDiscOnBlackWithCentralObstruction)
{
    imaging::AperturePictureParams p;
    p.apertureInches = 5.0f;
    p.obstructionPercent = 90.0;  // b = 115, still drawn
    const imaging::ApertureLayout l = imaging::LayoutAperturePicture(p);
    PixelBuffer b(256, 256);
    imaging::DrawAperturePicture(b, l);
    EXPECT_EQ(b.pixel(0, 0), kBlack);
    EXPECT_EQ(b.pixel(255, 255), kBlack);
    EXPECT_EQ(b.pixel(0, 128), kBlack);  // rim
    EXPECT_EQ(b.pixel(128, 128), kBlack);
    EXPECT_EQ(b.pixel(128 - 116, 128), kWhite);
    EXPECT_EQ(b.pixel(128 - 115, 128), kBlack);
}

}  // namespace
