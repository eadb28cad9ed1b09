#include "simulations/double_star.h"

#include <gtest/gtest.h>

namespace {

// A linear display table, so a pixel's grey reads back its level.
std::unique_ptr<optics::Engine> linearEngine()
{
    auto e = optics::Engine::Create();
    for (int n = 0; n <= 1000; ++n)
        e->DisplayLut[n] = n * 0.001;
    return e;
}

int grey(const imaging::PixelBuffer& b, int x, int y)
{
    return b.pixel(x, y).red;
}

TEST(DoubleStar, CompanionOffsetRoundsHalvesToEven)
{
    struct Row {
        double separation, angle;
        int dx, dy;
    } rows[] = {
        {1.5, 45.0, -11, 11},  // drawn at (139, 117)
        {1.5, 0.0, 0, 15},     // straight above
        {1.5, 90.0, -15, 0},   // to the right
        {0.25, 0.0, 0, 2},     // 2.5 cells go to 2
        {0.35, 0.0, 0, 4},     // 3.5 cells go to 4
    };
    for (const Row& r : rows) {
        const sim::CompanionOffset o = sim::CompanionOffsetOf(r.separation, r.angle);
        EXPECT_EQ(o.dx, r.dx) << r.separation << " at " << r.angle;
        EXPECT_EQ(o.dy, r.dy) << r.separation << " at " << r.angle;
    }
    EXPECT_FLOAT_EQ(sim::BrightnessRatio(1.0), 2.512f);
}

TEST(DoubleStar, ComposesPrimaryAndFainterCompanionInSinglePrecision)
{
    auto e = linearEngine();
    imaging::PixelBuffer picture(256, 256);
    e->StarGrid(257, 257) = 0.4;
    // On top of each other: 1 + 1/ratio times the centre before the cap.
    sim::ComposeDoubleStar(*e, {0.0, 1.0, 0.0}, picture);
    EXPECT_EQ(grey(picture, 128, 128), 143);  // 1000 x 0.4 x (1 + 1/2.512) = 559.2
    e->StarGrid(257, 257) = 1.0;
    sim::ComposeDoubleStar(*e, {0.0, 0.0, 0.0}, picture);
    EXPECT_EQ(grey(picture, 128, 128), 255);  // 2000 capped at 1000

    sim::ComposeDoubleStar(*e, {1.5, 0.0, 45.0}, picture);
    EXPECT_EQ(grey(picture, 128, 128), 255);
    EXPECT_EQ(grey(picture, 139, 117), 255);
    EXPECT_EQ(grey(picture, 117, 139), 0);
}

TEST(DoubleStar, CompanionIsReadOnlyInsideTheWindow)
{
    auto e = linearEngine();
    imaging::PixelBuffer picture(256, 256);
    // 12.8 arcseconds at 270 degrees: dx = 128. Pixel 126 reads cell 383,
    // pixel 127 would read cell 384, outside the 255 cells of the window.
    e->StarGrid(383, 257) = 0.5;
    e->StarGrid(384, 257) = 0.5;
    sim::ComposeDoubleStar(*e, {12.8, 0.0, 270.0}, picture);
    EXPECT_EQ(grey(picture, 126, 128), 128);
    EXPECT_EQ(grey(picture, 127, 128), 0);
    EXPECT_EQ(grey(picture, 254, 128), 128);  // the primary's own cell 383
}

}  // namespace
