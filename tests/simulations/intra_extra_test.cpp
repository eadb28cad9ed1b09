#include "simulations/intra_extra.h"

#include <gtest/gtest.h>

namespace {

// The dimmer side's own grid, times its peak over the brighter peak, picks
// the display level; sampling (h = 1 / zoom in float, halves to even),
// brightness and colour as in the star picture. Pixel (x, x) shows cell
// [257][257] of StarGrid (0.9) or IntraGrid (0.6).
TEST(Balance, TheDimmerSideIsDrawnAtThePeakRatio)
{
    using Side = sim::BalancedSide;
    struct Row {
        float extraPeak;
        double intraPeak, zoom;
        int brightness, x;
        Side side;
        int level;
    };
    const Row rows[] = {
        {2.0f, 4.0, 1.0, 0, 129, Side::Extra, 171},   // 0.9 x 1000 x 2 / 4: entry 450
        {4.0f, 2.0, 1.0, 0, 129, Side::Intra, 140},   // 0.6 x 1000 x 2 / 4: entry 300
        {4.0f, 3.0, 1.0, 0, 129, Side::Intra, 171},   // entry 450 again, from the intra grid
        {4.0f, 2.0, 1.0, 100, 129, Side::Intra, 255}, // 21 x the level, capped
        {4.0f, 2.0, 2.0, 0, 131, Side::Intra, 140},   // 3 x 0.5 + 255 = 256.5 goes to 256
        {4.0f, 2.0, 2.0, 0, 132, Side::Intra, 0},     // the next cell
        {3.0f, 3.0, 1.0, 0, 129, Side::None, 255},    // nothing drawn: the buffer stays white
    };
    for (const Row& r : rows) {
        auto engine = optics::Engine::Create();
        imaging::BuildDisplayLut(*engine, 0.5, 4.5);
        engine->StarRed = engine->StarGreen = engine->StarBlue = 255;
        engine->StarGrid(257, 257) = 0.9;
        engine->IntraGrid(257, 257) = 0.6;
        engine->PeakIntensity = r.extraPeak;
        engine->IntraPeak = r.intraPeak;
        imaging::PixelBuffer buffer(256, 256);
        EXPECT_EQ(sim::IntraExtraState(*engine).balance({r.zoom, r.brightness}, buffer), r.side);
        const auto level = static_cast<std::uint8_t>(r.level);
        EXPECT_EQ(buffer.pixel(r.x, r.x), (imaging::Rgb{level, level, level}))
            << r.extraPeak << " " << r.intraPeak << " " << r.zoom << " " << r.x;
    }
}

}  // namespace
