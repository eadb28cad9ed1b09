#include "simulations/double_star.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// A linear curve, so that a pixel's grey reads back its level.
imaging::DisplayCurve LinearCurve()
{
    imaging::DisplayCurve curve;
    for (int n = 0; n <= 1000; ++n)
        curve[n] = n * 0.001;
    return curve;
}

TEST(DoubleStar, CompanionOffsetRoundsHalvesToEven)
{
    const struct {
        double separation, angle;
        int dx, dy;
    } rows[] = {
        {1.5, 45.0, -11, 11},  // drawn at (139, 117)
        {1.5, 0.0, 0, 15},     // straight above
        {1.5, 90.0, -15, 0},   // to the right
        {0.25, 0.0, 0, 2},     // 2.5 cells go to 2
        {0.35, 0.0, 0, 4},     // 3.5 cells go to 4
    };
    for (const auto& r : rows) {
        const sim::CompanionOffset o = sim::CompanionOffsetOf(r.separation, r.angle);
        EXPECT_EQ(o.dx, r.dx) << r.separation << " at " << r.angle;
        EXPECT_EQ(o.dy, r.dy) << r.separation << " at " << r.angle;
    }
    EXPECT_EQ(sim::BrightnessRatio(1.0), 2.512f);
    EXPECT_EQ(sim::BrightnessRatio(0.0), 1.0f);
}

// Any angle is taken modulo 360 first (an angle within a turn as it is), and
// a companion far out is held four picture widths away: the arithmetic never
// overflows, whatever was typed.
TEST(DoubleStar, AnyAngleAndSeparationGiveAnOffset)
{
    const struct {
        double separation, angle;
        int dx, dy;
    } rows[] = {
        {1.5, 405.0, -11, 11},  // 45 degrees
        {1.5, -315.0, -11, 11},
        {1.5, 1e308, 13, 7},    // 1e308 less whole turns is 296 degrees
        {1.5, HUGE_VAL, 0, 15},  // no number: 0
        {1e300, 0.0, 1024, 1024},  // cos 90 degrees is not quite 0
        {-1e300, 90.0, 1024, -1024},
    };
    for (const auto& r : rows) {
        const sim::CompanionOffset o = sim::CompanionOffsetOf(r.separation, r.angle);
        EXPECT_EQ(o.dx, r.dx) << r.separation << " at " << r.angle;
        EXPECT_EQ(o.dy, r.dy) << r.separation << " at " << r.angle;
    }
}

// Pixel (x, y) shows cell [129 + x][129 + y] plus the companion's cell
// divided by the ratio, in single precision, capped at full level.
TEST(DoubleStar, ComposesPrimaryAndFainterCompanion)
{
    const imaging::DisplayCurve curve = LinearCurve();
    auto star = std::make_unique<optics::Grid>();
    (*star)(257, 257) = 0.4;
    const struct {
        sim::DoubleStarParams params;
        int x, y, grey;
    } cases[] = {
        {{0.0, 1.0, 0.0}, 128, 128, 143},  // 1000 x 0.4 x (1 + 1/2.512) = 559.2
        {{0.0, 0.0, 0.0}, 128, 128, 204},  // 800
        {{1.5, 0.0, 45.0}, 128, 128, 102},
        {{1.5, 0.0, 45.0}, 139, 117, 102},
        {{1.5, 0.0, 45.0}, 117, 139, 0},
    };
    for (const auto& c : cases) {
        const imaging::PixelBuffer picture = sim::ComposeDoubleStar(*star, curve, c.params);
        EXPECT_EQ(picture.pixel(c.x, c.y), (imaging::Rgb{std::uint8_t(c.grey), std::uint8_t(c.grey),
                                                         std::uint8_t(c.grey)}))
            << c.params.separation << " " << c.params.positionAngle << " at " << c.x << "," << c.y;
    }
    (*star)(257, 257) = 1.0;
    EXPECT_EQ(sim::ComposeDoubleStar(*star, curve, {0.0, 0.0, 0.0}).pixel(128, 128).red, 255);  // 2000 capped
}

TEST(DoubleStar, CompanionIsReadOnlyInsideTheWindow)
{
    auto star = std::make_unique<optics::Grid>();
    // 12.8 arcseconds at 270 degrees: dx = 128. Pixel 126 reads cell 383,
    // pixel 127 would read cell 384, outside the 255 cells of the window.
    (*star)(383, 257) = 0.5;
    (*star)(384, 257) = 0.5;
    const imaging::PixelBuffer picture = sim::ComposeDoubleStar(*star, LinearCurve(), {12.8, 0.0, 270.0});
    EXPECT_EQ(picture.pixel(126, 128).red, 128);
    EXPECT_EQ(picture.pixel(127, 128).red, 0);
    EXPECT_EQ(picture.pixel(254, 128).red, 128);  // the primary's own cell 383
}

TEST(DoubleStar, ResolutionLimitsInArcseconds)
{
    EXPECT_DOUBLE_EQ(sim::ResolutionLimit(sim::kDawesConstant, 117.0, false), 1.0);
    EXPECT_DOUBLE_EQ(sim::ResolutionLimit(sim::kRayleighConstant, 5.0, true), 140.0 / 127.0);
}

}  // namespace
