#include "simulations/colour.h"

#include "support/three_threads.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

namespace {

using optics::RgbCell;
using sim::ChannelWeights;

TEST(ColourMatch, PublishedValuesAtWholeAndRoundedWavelengths)
{
    const struct {
        double nm;
        double x, y, z;
    } rows[] = {
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
    for (const auto& r : rows) {
        const sim::ColourMatch m = sim::ColourMatchAt(r.nm);
        EXPECT_DOUBLE_EQ(m.x, r.x) << r.nm;
        EXPECT_DOUBLE_EQ(m.y, r.y) << r.nm;
        EXPECT_DOUBLE_EQ(m.z, r.z) << r.nm;
    }
}

// Every cell of the data area, whatever its place in the row, gets its own
// channel sums, formed in double and stored as float; a start puts them onto
// 0 without reading the grid and clears the cells around it. One weighted
// channel leaves the others alone. Rows shared between threads sum alike.
TEST(AccumulateColour, EveryCellAddsItsOwnWeightedAmplitude)
{
    auto star = std::make_unique<optics::Grid>();
    for (int i = 1; i <= 512; ++i)
        for (int j = 1; j <= 512; ++j)
            (*star)(i, j) = 1.0 / (i + 3 * j);
    (*star)(0, 5) = 1.0;  // outside the data area
    (*star)(513, 5) = 1.0;
    auto held = [](int i, int j) { return RgbCell{float(i) / 7, float(j) / 3, 9.0f}; };
    testing_support::ThreeThreads threads;
    const std::tuple<ChannelWeights, bool, optics::LoopRunner*> cases[] = {{{0.3, 0.5, 0.7}, false, nullptr},
                                                                           {{0.3, 0.5, 0.7}, true, nullptr},
                                                                           {{0.0, 0.5, 0.0}, false, nullptr},
                                                                           {{0.0, 0.0, 0.7}, true, nullptr},
                                                                           {{0.3, 0.5, 0.7}, false, &threads},
                                                                           {{0.3, 0.5, 0.7}, true, &threads},
                                                                           {{0.0, 0.5, 0.0}, false, &threads}};
    for (const auto& [w, start, loops] : cases) {
        SCOPED_TRACE(testing::Message() << w.red << " " << w.green << " " << w.blue << (start ? " start" : "")
                                        << (loops ? " threads" : ""));
        auto cells = std::make_unique<optics::ColourCells>();
        for (int i = 0; i < optics::ColourCells::kSide; ++i)
            for (int j = 0; j < optics::ColourCells::kSide; ++j)
                (*cells)(i, j) = held(i, j);
        // The largest sum found on the way is the one a search afterwards finds.
        float largest = 0.0f;
        start ? sim::StartColour(*cells, *star, w, loops, &largest)
              : sim::AccumulateColour(*cells, *star, w, loops, &largest);
        EXPECT_EQ(largest, sim::ColourMaximum(*cells, 0, 512, 1.0f));
        EXPECT_TRUE(start || largest > 1.0f);
        for (int i = 1; i <= 512; ++i) {
            for (int j = 1; j <= 512; ++j) {
                const double a = std::sqrt(1.0 / (i + 3 * j));
                const RgbCell h = start ? RgbCell{0, 0, 0} : held(i, j);
                const RgbCell& cell = (*cells)(i, j);
                ASSERT_EQ(cell.red, float(h.red + a * w.red)) << i << "," << j;
                ASSERT_EQ(cell.green, float(h.green + a * w.green)) << i << "," << j;
                ASSERT_EQ(cell.blue, float(h.blue + a * w.blue)) << i << "," << j;
            }
        }
        for (auto [i, j] : {std::pair{0, 5}, {513, 5}, {5, 0}, {5, 513}, {0, 0}, {513, 513}}) {
            const RgbCell around = start ? RgbCell{0, 0, 0} : held(i, j);
            EXPECT_EQ((*cells)(i, j).red, around.red) << i << "," << j;
            EXPECT_EQ((*cells)(i, j).blue, around.blue) << i << "," << j;
        }
    }
}

// The weight keeps the channel's total: total / sum of sqrt(star).
TEST(AccumulateChannel, WeightsKeepTheTotalAndABlackPlaneGetsNone)
{
    auto star = std::make_unique<optics::Grid>();
    double roots = 0.0;
    for (int i = 1; i <= 512; ++i)
        for (int j = 1; j <= 512; ++j) {
            (*star)(i, j) = std::exp(-((i - 257) * (i - 257) + (j - 257) * (j - 257)) / 8.0);
            roots += std::sqrt((*star)(i, j));
        }
    auto cells = std::make_unique<optics::ColourCells>();
    (*cells)(257, 257) = {1.0f, 2.0f, 3.0f};
    std::vector<double> amplitude;
    const double weight = sim::AccumulateChannel(*cells, *star, sim::Channel::Green, 1000.0, amplitude);
    EXPECT_NEAR(weight, 1000.0 / roots, 1e-12 * weight);
    EXPECT_EQ((*cells)(257, 257).green, static_cast<float>(2.0f + std::sqrt((*star)(257, 257)) * weight));
    EXPECT_EQ((*cells)(257, 257).red, 1.0f);
    EXPECT_EQ((*cells)(257, 257).blue, 3.0f);

    auto black = std::make_unique<optics::Grid>();
    for (double total : {0.0, 500.0})
        EXPECT_EQ(sim::AccumulateChannel(*cells, *black, sim::Channel::Blue, total, amplitude), 0.0) << total;
    EXPECT_EQ((*cells)(257, 257).blue, 3.0f);

    // A start writes its channel anew, around the data area too, as if the
    // channel had been cleared first; the other channels keep what they hold.
    (*star)(3, 4) = -0.0;
    for (const bool blank : {false, true}) {
        auto cleared = std::make_unique<optics::ColourCells>();
        auto dirty = std::make_unique<optics::ColourCells>();
        dirty->cells.fill({5.0f, -1.0f, 7.0f});
        for (optics::RgbCell& cell : cleared->cells)
            cell.red = cell.blue = 9.0f;
        for (optics::RgbCell& cell : dirty->cells)
            cell.red = cell.blue = 9.0f;
        const optics::Grid& plane = blank ? *black : *star;
        const double expected = sim::AccumulateChannel(*cleared, plane, sim::Channel::Green, 1000.0, amplitude);
        EXPECT_EQ(sim::AccumulateChannel(*dirty, plane, sim::Channel::Green, 1000.0, amplitude, true), expected);
        EXPECT_EQ(std::memcmp(dirty->cells.data(), cleared->cells.data(), sizeof cleared->cells), 0) << blank;
    }

    // Rows shared out over threads give the weight and the cells of one thread.
    testing_support::ThreeThreads threads;
    for (const bool start : {false, true}) {
        auto alone = std::make_unique<optics::ColourCells>();
        alone->cells.fill({5.0f, -1.0f, 7.0f});
        auto shared = std::make_unique<optics::ColourCells>(*alone);
        const double expected = sim::AccumulateChannel(*alone, *star, sim::Channel::Blue, 321.0, amplitude, start);
        std::vector<double> own;
        EXPECT_EQ(sim::AccumulateChannel(*shared, *star, sim::Channel::Blue, 321.0, own, start, &threads), expected);
        EXPECT_EQ(std::memcmp(shared->cells.data(), alone->cells.data(), sizeof alone->cells), 0) << start;
    }
}

}  // namespace
