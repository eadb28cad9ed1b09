#include "optics/aperture.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using optics::Raster;

constexpr std::uint8_t kBack = 9;
constexpr std::uint8_t kRim = 1;
constexpr std::uint8_t kInside = 2;

// Row y of a raster as text: '.' background, 'r' rim, 'b' inside.
std::string Row(const Raster& raster, int y)
{
    std::string text;
    for (int x = 0; x < raster.width(); ++x)
        text += raster.at(x, y) == kRim ? 'r' : raster.at(x, y) == kInside ? 'b' : '.';
    return text;
}

std::vector<std::string> Rows(const Raster& raster)
{
    std::vector<std::string> rows;
    for (int y = 0; y < raster.height(); ++y)
        rows.push_back(Row(raster, y));
    return rows;
}

// ---- Drawing ----------------------------------------------------------------

TEST(FillEllipse, SmallBoxesWithRightAndBottomExclusive)
{
    Raster four(8, 8, kBack);
    optics::FillEllipse(four, 2, 2, 6, 6, kRim, kInside, 1);
    EXPECT_EQ(Rows(four), (std::vector<std::string>{"........", "........", "...rr...", "..rbbr..", "..rbbr..",
                                                    "...rr...", "........", "........"}));
    Raster three(5, 5, kBack);
    optics::FillEllipse(three, 0, 0, 3, 3, kRim, kInside, 1);
    EXPECT_EQ(Rows(three), (std::vector<std::string>{"rrr..", "rbr..", "rrr..", ".....", "....."}));
}

TEST(FillEllipse, WiderPenThickensTheRimInwardsAndEmptyBoxesDrawNothing)
{
    Raster wide(64, 64, kBack);
    optics::FillEllipse(wide, 0, 0, 64, 64, kRim, kInside, 3);
    EXPECT_EQ(Row(wide, 31).substr(0, 4), "rrrb");
    Raster empty(16, 16, kBack);
    optics::FillEllipse(empty, 5, 5, 5, 9, kRim, kInside, 1);
    optics::FillEllipse(empty, 5, 5, 9, 5, kRim, kInside, 1);
    optics::FillEllipse(empty, 9, 9, 5, 5, kRim, kInside, 1);
    EXPECT_EQ(empty, Raster(16, 16, kBack));
    // Clipped at the raster's edges: the lower right quarter of a disc.
    Raster clipped(16, 16, kBack);
    optics::FillEllipse(clipped, -8, -8, 8, 8, kRim, kInside, 1);
    EXPECT_EQ(Row(clipped, 0).substr(0, 9), "bbbbbbbr.");
}

TEST(FillEllipse, FullDiscIsSymmetricTouchesTheEdgesAndHasAClosedRim)
{
    Raster disc(256, 256, kBack);
    optics::FillEllipse(disc, 0, 0, 256, 256, kRim, kInside, 1);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            ASSERT_EQ(disc.at(x, y), disc.at(255 - x, y));
            ASSERT_EQ(disc.at(x, y), disc.at(x, 255 - y));
            ASSERT_EQ(disc.at(x, y), disc.at(y, x));
        }
    }
    EXPECT_EQ(disc.at(0, 127), kRim);
    EXPECT_EQ(disc.at(127, 0), kRim);
    EXPECT_EQ(disc.at(1, 127), kInside);
    EXPECT_EQ(disc.at(0, 0), kBack);
    EXPECT_EQ(disc.at(37, 37), kRim);  // near the diagonal crossing at 37.5
    // The rim is closed: no inside pixel touches the background.
    int inside = 0;
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            if (disc.at(x, y) != kInside)
                continue;
            ++inside;
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                ASSERT_NE(disc.at(x + dx, y + dy), kBack) << x << "," << y;
        }
    }
    // Close to pi 127^2 inside pixels within a one-pixel rim.
    EXPECT_NEAR(inside, 3.14159 * 127 * 127, 400);
}

TEST(DrawLine, StopsBeforeTheEndPointAndWidensAcrossTheLine)
{
    Raster r(256, 256, kBack);
    optics::DrawLine(r, 128, 0, 128, 255, kRim, 1);
    for (int y = 0; y < 255; ++y)
        ASSERT_EQ(Row(r, y).substr(127, 3), ".r.") << y;
    EXPECT_EQ(r.at(128, 255), kBack);

    Raster wide(256, 256, kBack);
    optics::DrawLine(wide, 0, 128, 255, 128, kRim, 3);
    for (int x = 0; x < 255; ++x) {
        ASSERT_EQ(wide.at(x, 126), kBack);
        ASSERT_EQ(wide.at(x, 127), kRim);
        ASSERT_EQ(wide.at(x, 129), kRim);
        ASSERT_EQ(wide.at(x, 130), kBack);
    }
    EXPECT_EQ(wide.at(255, 128), kBack);
    // An even width reaches one pixel further towards smaller x.
    optics::DrawLine(wide, 50, 0, 50, 20, kRim, 2);
    EXPECT_EQ(Row(wide, 5).substr(48, 4), ".rr.");
}

TEST(DrawLine, DiagonalsZeroLengthAndZeroWidth)
{
    Raster r(16, 16, kBack);
    optics::DrawLine(r, 0, 0, 5, 5, kRim, 1);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(r.at(k, k), kRim);
    EXPECT_EQ(r.at(5, 5), kBack);
    optics::DrawLine(r, 10, 8, 4, 11, kRim, 1);  // shallow, leftwards and down
    EXPECT_EQ(r.at(10, 8), kRim);
    EXPECT_EQ(r.at(4, 11), kBack);
    int count = 0;
    for (int x = 5; x <= 9; ++x)
        for (int y = 8; y <= 11; ++y)
            count += r.at(x, y) == kRim;
    EXPECT_EQ(count, 5);  // one pixel per column from 9 down to 5

    Raster dot(8, 8, kBack);
    optics::DrawLine(dot, 3, 3, 3, 3, kRim, 1);
    EXPECT_EQ(dot, Raster(8, 8, kBack));
    optics::DrawLine(dot, 3, 3, 3, 6, kRim, 0);  // a pen of width 0 draws one pixel wide
    EXPECT_EQ(Row(dot, 4), "...r....");
}

// ---- The aperture picture ---------------------------------------------------

TEST(Aperture, ObstructionRadiusInPixelsAndWhenItIsTooLarge)
{
    const std::tuple<double, int, bool> cases[] = {
        {0.0, 0, false},   {25.0, 32, false}, {30.0, 38, false},  // 38.4
        {90.0, 115, false},                                      // 115.2
        {90.5, 116, true},                                       // 115.84: 90 % of 128 is 115.2
        {95.0, 122, true}, {-5.0, -6, true},
        // Typed far out of range, read before the editor is left.
        {1e300, 1000000, true}, {-1e300, -1000000, true},
    };
    for (const auto& [percent, pixels, tooLarge] : cases) {
        EXPECT_EQ(optics::ObstructionPixels(percent), pixels) << percent;
        EXPECT_EQ(optics::ObstructionTooLarge(pixels), tooLarge) << percent;
    }
}

TEST(Aperture, DiameterInInchesIsSinglePrecision)
{
    EXPECT_EQ(optics::ApertureInchesOf(8.0, false), 8.0f);
    EXPECT_EQ(optics::ApertureInchesOf(200.0, true), static_cast<float>(200.0f * 0.039370078740157480));
    EXPECT_FLOAT_EQ(optics::ApertureInchesOf(200.0, true), 7.8740157f);
}

TEST(Aperture, OffsetObstructionOfAnEightInchAperture)
{
    const optics::ApertureLayout l = optics::LayoutAperture({25.0, 10.0, false, 1.0}, 8.0f);
    EXPECT_EQ(l.obstructionRadius, 32);
    EXPECT_EQ(l.left, 83);
    EXPECT_EQ(l.right, 147);
    EXPECT_EQ(l.top, 96);
    EXPECT_EQ(l.bottom, 160);

    const optics::ApertureMask mask = optics::DrawApertureMask(l);
    EXPECT_TRUE(mask.isOpen(82, 128));
    EXPECT_FALSE(mask.isOpen(83, 128));
    EXPECT_FALSE(mask.isOpen(146, 128));
    EXPECT_TRUE(mask.isOpen(147, 128));
    EXPECT_TRUE(mask.isOpen(115, 95));
    EXPECT_FALSE(mask.isOpen(115, 96));
    EXPECT_TRUE(mask.isOpen(115, 160));
}

// Offsets and vanes far out of range lay out as any beyond the picture does.
TEST(Aperture, OffsetsAndVanesFarOutOfRangeStayNumbers)
{
    for (double far : {1e300, -1e300, 9e18}) {
        const optics::ApertureLayout l = optics::LayoutAperture({25.0, far, true, far}, 8.0f);
        EXPECT_EQ(l.right - l.left, 64) << far;
        EXPECT_GT(std::abs(l.left), 900000) << far;
        EXPECT_EQ(std::abs(l.vaneWidth), 1024) << far;
        const optics::ApertureMask mask = optics::DrawApertureMask(l);
        EXPECT_EQ(mask.isOpen(60, 60), far < 0) << far;  // the wide vanes cover it all
    }
}

TEST(Aperture, SpiderVanesInMillimetresAndNoneWithoutObstruction)
{
    const float inches = optics::ApertureInchesOf(200.0, true);
    const optics::ApertureLayout l = optics::LayoutAperture({20.0, 0.0, true, 2.0}, inches);
    EXPECT_TRUE(l.spider);
    EXPECT_EQ(l.vaneWidth, 3);  // Round(2.56)
    const optics::ApertureMask mask = optics::DrawApertureMask(l);
    std::string across;
    for (int x = 126; x <= 130; ++x)
        across += mask.isOpen(x, 20) ? 'o' : '-';
    EXPECT_EQ(across, "o---o");
    EXPECT_FALSE(mask.isOpen(20, 127));
    EXPECT_TRUE(mask.isOpen(20, 130));

    const optics::ApertureLayout clear = optics::LayoutAperture({0.0, 0.0, true, 2.0}, 8.0f);
    EXPECT_FALSE(clear.spider);
    const optics::ApertureMask open = optics::DrawApertureMask(clear);
    EXPECT_TRUE(open.isOpen(128, 128));
    EXPECT_TRUE(open.isOpen(128, 20));
}

TEST(Aperture, MaskIsTheDiscWithoutItsRimLessTheObstruction)
{
    const optics::ApertureMask mask = optics::DrawApertureMask(optics::LayoutAperture({90.0, 0.0, false, 1.0}, 5.0f));
    EXPECT_FALSE(mask.isOpen(0, 0));
    EXPECT_FALSE(mask.isOpen(255, 255));
    EXPECT_FALSE(mask.isOpen(0, 128));  // rim
    EXPECT_TRUE(mask.isOpen(1, 128));
    EXPECT_FALSE(mask.isOpen(128, 128));
    EXPECT_TRUE(mask.isOpen(128 - 116, 128));
    EXPECT_FALSE(mask.isOpen(128 - 115, 128));
    EXPECT_FALSE(mask.isOpen(-1, 128));  // never outside the picture
}

}  // namespace
