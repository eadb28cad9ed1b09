#include "simulations/colour.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ColourMatch, PublishedValuesAtWholeAndRoundedWavelengths)
{
    struct Row {
        double nm;
        double x, y, z;
    };
    const Row rows[] = {
        {555.0, 0.5120501, 1.0, 0.005749999},
        {436.0, 0.3343513, 0.01800736, 1.6564048},
        {360.0, 0.0001299, 0.000003917, 0.0006061},
        {830.0, 0.000001251141, 0.00000045181, 0.0},
        {554.5, 0.4959713, 0.9997482, 0.0062428},  // halves go to the even neighbour: 554
        {555.5, 0.5282959, 0.9998567, 0.0053036},  // and here 556
        {435.6, 0.3343513, 0.01800736, 1.6564048},
        {359.4, 0.0, 0.0, 0.0},  // off the table
        {830.6, 0.0, 0.0, 0.0},
    };
    for (const Row& r : rows) {
        const sim::ColourMatch m = sim::ColourMatchAt(r.nm);
        EXPECT_DOUBLE_EQ(m.x, r.x) << r.nm;
        EXPECT_DOUBLE_EQ(m.y, r.y) << r.nm;
        EXPECT_DOUBLE_EQ(m.z, r.z) << r.nm;
    }
}

TEST(AccumulateColour, AddsTheWeightedAmplitudeToEveryCellOfTheDataArea)
{
    auto engine = optics::Engine::Create();
    engine->StarGrid(1, 1) = 0.25;
    engine->StarGrid(512, 7) = 1.0;
    engine->StarGrid(0, 5) = 1.0;    // outside the data area
    engine->StarGrid(513, 5) = 1.0;  // outside the data area
    engine->ColourGrid(1, 1) = {0.5f, 0.0f, 0.0f};
    engine->WeightRed = 2.0;
    engine->WeightGreen = 0.5;
    engine->WeightBlue = 0.0;
    sim::AccumulateColour(*engine);
    sim::AccumulateColour(*engine);

    const optics::RgbCell& first = engine->ColourGrid(1, 1);
    EXPECT_FLOAT_EQ(first.red, 0.5f + 2 * 0.5 * 2.0);
    EXPECT_FLOAT_EQ(first.green, 2 * 0.5 * 0.5);
    EXPECT_EQ(first.blue, 0.0f);
    EXPECT_FLOAT_EQ(engine->ColourGrid(512, 7).red, 4.0f);
    EXPECT_EQ(engine->ColourGrid(0, 5).red, 0.0f);
    EXPECT_EQ(engine->ColourGrid(513, 5).red, 0.0f);
    EXPECT_EQ(engine->ColourGrid(2, 2).red, 0.0f);
}

}  // namespace
