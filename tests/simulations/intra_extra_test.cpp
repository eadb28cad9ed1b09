#include "simulations/intra_extra.h"

#include <gtest/gtest.h>

namespace {

using imaging::Rgb;

class Balance : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine = optics::Engine::Create();
        imaging::BuildDisplayLut(*engine, 0.5, 4.5);
        engine->StarRed = engine->StarGreen = engine->StarBlue = 255;
    }

    Rgb grey(int level) const { return {std::uint8_t(level), std::uint8_t(level), std::uint8_t(level)}; }

    std::unique_ptr<optics::Engine> engine;
    imaging::PixelBuffer buffer{256, 256};
};

// The dimmer image's cells times its peak over the brighter peak pick the
// display level; sampling, brightness and colour as in the star picture.
TEST_F(Balance, CellsAreDrawnAtThePeakRatio)
{
    struct Row {
        double zoom;
        int brightness;
        double peak, brighterPeak;
        int x;  // pixel (x, x) shows cell [257][257]
        int level;
    };
    const Row rows[] = {
        {1.0, 0, 1.0, 4.0, 129, 128},    // 249.75 -> entry 250, sqrt(0.250001) x 255 = 127.50025
        {1.0, 0, 3.0, 4.0, 129, 221},    // entry 749
        {1.0, 100, 1.0, 4.0, 129, 255},  // 21 x 0.5, capped
        {2.0, 0, 1.0, 4.0, 131, 128},    // 3 x 0.5 + 255 = 256.5 goes to 256
        {2.0, 0, 1.0, 4.0, 132, 0},      // 257: the next cell
    };
    engine->StarGrid(257, 257) = 0.999;
    for (const Row& r : rows) {
        sim::DrawOnPeakScale(*engine, engine->StarGrid, r.peak, r.brighterPeak, {r.zoom, r.brightness}, buffer);
        EXPECT_EQ(buffer.pixel(r.x, r.x), grey(r.level)) << r.zoom << " " << r.brightness << " " << r.peak;
    }
}

TEST_F(Balance, TheDimmerSideIsDrawnFromItsOwnGrid)
{
    struct Row {
        float extraPeak;
        double intraPeak;
        sim::BalancedSide side;
        int level;
    };
    const Row rows[] = {
        {2.0f, 4.0, sim::BalancedSide::Extra, 171},  // StarGrid 0.9 x 2 / 4 -> entry 450
        {4.0f, 2.0, sim::BalancedSide::Intra, 140},  // IntraGrid 0.6 x 2 / 4 -> entry 300
        {3.0f, 3.0, sim::BalancedSide::None, 255},   // nothing drawn: the buffer stays white
    };
    for (const Row& r : rows) {
        engine->StarGrid(257, 257) = 0.9;
        engine->IntraGrid(257, 257) = 0.6;
        engine->PeakIntensity = r.extraPeak;
        engine->IntraPeak = r.intraPeak;
        buffer.fillRect(0, 0, 256, 256);
        sim::IntraExtraState state(*engine);
        EXPECT_EQ(state.balance({1.0, 0}, buffer), r.side);
        EXPECT_EQ(buffer.pixel(129, 129), grey(r.level)) << r.extraPeak;
    }
}

}  // namespace
