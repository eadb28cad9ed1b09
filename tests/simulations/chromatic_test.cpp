#include "simulations/chromatic.h"

#include "imaging/display.h"
#include "support/three_threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

namespace {

using optics::StarRequest;
using sim::Setting;

TEST(Chromatic, ChannelWeightsAreHalfTheColourMatchingFunctions)
{
    for (const auto& [nm, red, green, blue] : {std::array{555.0, 0.256025, 0.5, 0.002875},
                                               std::array{436.0, 0.1671755, 0.0090037, 0.8282}}) {
        const sim::ChannelWeights w = sim::WeightsAt(nm);
        EXPECT_NEAR(w.red, red, 5e-6) << nm;
        EXPECT_NEAR(w.green, green, 5e-6) << nm;
        EXPECT_NEAR(w.blue, blue, 5e-6) << nm;
    }
}

// A focus editor that holds -20..20 in tenths, other editors hundredths.
double Held(Setting setting, double value)
{
    if (setting == Setting::Focus)
        return std::clamp(std::nearbyint(value * 10.0) / 10.0, -20.0, 20.0);
    return std::nearbyint(value * 100.0) / 100.0;
}

// The shift is x (lambda - 555) / 300 waves, added to the focus as its editor
// holds it and held again.
TEST(PlanChromatic, OneRequestPerRowWithItsWavelengthHeldFocusAndSpherical)
{
    StarRequest controls;
    controls.pupil.diameter = 8.0;
    controls.pupil.coma = 0.3;
    controls.pupil.spherical = 0.9;
    const std::vector<sim::ChromaticRow> rows = {{440.0, 25.0, 0.127}, {555.0, -0.46, 0.0}, {700.0, 0.0, -0.2}};
    const std::vector<StarRequest> plan = sim::PlanChromatic(controls, rows, 10.0, Held);
    ASSERT_EQ(plan.size(), 3u);
    const std::tuple<double, double, double> expected[] = {
        {440.0, 16.2, 0.13},  // 20 - 3.8333, not 25 - 3.8333 held at 20
        {555.0, -0.5, 0.0},
        {700.0, 4.8, -0.2},  // 4.8333
    };
    for (std::size_t n = 0; n < plan.size(); ++n) {
        const auto& [waveLength, focus, spherical] = expected[n];
        EXPECT_EQ(plan[n].waveLength, waveLength);
        EXPECT_DOUBLE_EQ(plan[n].pupil.focus, focus) << waveLength;
        EXPECT_EQ(plan[n].pupil.spherical, spherical) << waveLength;
        EXPECT_EQ(plan[n].pupil.coma, 0.3);
        EXPECT_EQ(plan[n].pupil.diameter, 8.0);
    }
    EXPECT_EQ(sim::ShiftedFocus(0.7, 3.0, 555.0), 0.7);
}

std::unique_ptr<optics::ColourCells> Falling(float peak)
{
    auto cells = std::make_unique<optics::ColourCells>();
    for (int i = 1; i <= 512; ++i)
        for (int j = 1; j <= 512; ++j) {
            const float fall = peak / float(1 + std::abs(i - 257) + 2 * std::abs(j - 257));
            (*cells)(i, j) = {fall * 0.2f, fall * 0.6f, fall};
        }
    return cells;
}

// The largest sum becomes 255; sums below 1 are not stretched.
TEST(CompositeMaximum, IsTheLargestSumButAtLeastOne)
{
    testing_support::ThreeThreads threads;
    for (const auto& [peak, maximum, centre] :
         {std::tuple{2.36f, 2.36f, imaging::Rgb{51, 153, 255}}, {0.4f, 1.0f, imaging::Rgb{20, 61, 102}}}) {
        const auto cells = Falling(peak);
        EXPECT_EQ(sim::CompositeMaximum(*cells), maximum);
        EXPECT_EQ(sim::CompositeMaximum(*cells, &threads), maximum);
        EXPECT_EQ(imaging::DrawComposite(*cells, 255.0 / maximum).pixel(128, 128), centre);
    }
    // Cells outside the data area and cells that are not a number do not count.
    auto cells = Falling(2.0f);
    (*cells)(0, 5) = {9.0f, 9.0f, 9.0f};
    (*cells)(513, 5) = {9.0f, 9.0f, 9.0f};
    (*cells)(3, 3).green = std::numeric_limits<float>::quiet_NaN();
    (*cells)(400, 3).green = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(sim::CompositeMaximum(*cells), 2.0f);
    EXPECT_EQ(sim::CompositeMaximum(*cells, &threads), 2.0f);
}

TEST(ChromaticSum, AddsEachPassInItsColourAndScalesTheLargestSumTo255)
{
    auto star = std::make_shared<optics::StarImage>();
    star->grid(257, 257) = 4.0;
    star->grid(10, 20) = 0.25;
    sim::ChromaticSum sum;
    sum.add(star, 555.0);
    sum.add(star, 436.0);
    const sim::ChannelWeights at436 = sim::WeightsAt(436.0);
    const sim::Composite composite = sum.finish();
    const sim::ChannelWeights at555 = sim::WeightsAt(555.0);
    const optics::RgbCell& centre = (*composite.cells)(257, 257);
    EXPECT_EQ(centre.blue, static_cast<float>(static_cast<float>(2.0 * at555.blue) + 2.0 * at436.blue));
    const optics::RgbCell& faint = (*composite.cells)(10, 20);
    EXPECT_EQ(faint.red, static_cast<float>(static_cast<float>(0.5 * at555.red) + 0.5 * at436.red));
    EXPECT_EQ(composite.scale, 255.0 / sim::CompositeMaximum(*composite.cells));
    EXPECT_GT(composite.scale, 1.0);
    // A run without passes leaves an empty composite at scale 255.
    const sim::Composite empty = sim::ChromaticSum().finish();
    EXPECT_EQ(empty.scale, 255.0);
    EXPECT_EQ((*empty.cells)(257, 257).green, 0.0f);
}

// Passes offered out of order, or from several threads at once, sum to the
// bits of adding them in order: each waits for those ahead of it.
TEST(ChromaticSum, PassesOfferedInAnyOrderSumAsInOrder)
{
    constexpr double kWaveLengths[] = {405.0, 436.0, 486.0, 555.0, 589.0, 656.0, 700.0};
    constexpr int kPasses = static_cast<int>(std::size(kWaveLengths));
    std::vector<optics::StarImagePtr> stars;
    for (int k = 0; k < kPasses; ++k) {
        auto star = std::make_shared<optics::StarImage>();
        for (int i = 1; i <= 512; i += 3)
            for (int j = 1; j <= 512; j += 5)
                star->grid(i, j) = ((i * 31 + j * 17 + k * 7) % 97) / 97.0;
        stars.push_back(std::move(star));
    }
    sim::ChromaticSum inOrder;
    for (int k = 0; k < kPasses; ++k)
        inOrder.add(stars[k], kWaveLengths[k]);
    const sim::Composite expected = inOrder.finish();
    ASSERT_LT(expected.scale, 255.0);  // the largest sum is above 1

    const std::vector<std::vector<int>> orders = {{6, 5, 4, 3, 2, 1, 0}, {1, 0, 3, 2, 6, 4, 5}, {2, 4, 6, 0, 1, 3, 5}};
    for (const std::vector<int>& order : orders) {
        // Told how many passes come, the sum finds the largest on the way.
        sim::ChromaticSum sum(kPasses);
        for (const int k : order)
            sum.offer(k, stars[k], kWaveLengths[k]);
        const sim::Composite made = sum.finish();
        EXPECT_EQ(std::memcmp(made.cells->cells.data(), expected.cells->cells.data(), sizeof expected.cells->cells),
                  0);
        EXPECT_EQ(made.scale, expected.scale);
    }
    // Each thread shares the rows of its adds out as a worker does; the
    // grid's memory is dirty, as a reused allocation would be.
    testing_support::ThreeThreads rows;
    for (int threads : {2, 3, 7}) {
        {
            auto dirty = std::make_unique<optics::ColourCells>();
            dirty->cells.fill({7.0f, 7.0f, 7.0f});
            asm volatile("" : : "r"(dirty.get()) : "memory");
        }
        sim::ChromaticSum sum(kPasses);
        std::vector<std::thread> running;
        for (int t = 0; t < threads; ++t)
            running.emplace_back([&, t] {
                for (int k = kPasses - 1 - t; k >= 0; k -= threads)
                    sum.offer(k, stars[k], kWaveLengths[k], &rows);
            });
        for (std::thread& thread : running)
            thread.join();
        const sim::Composite made = sum.finish(&rows);
        EXPECT_EQ(std::memcmp(made.cells->cells.data(), expected.cells->cells.data(), sizeof expected.cells->cells),
                  0)
            << threads << " threads";
        EXPECT_EQ(made.scale, expected.scale);
    }
}

}  // namespace
