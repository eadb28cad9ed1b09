#include "optics/phase_screen.h"

#include "support/checksum.h"
#include "support/recording_progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using optics::Grid;
using optics::RandomGenerator;
using optics::ScreenCache;
using optics::ScreenKind;
using optics::ScreenPicture;
using testing_support::GridChecksum;
using testing_support::RecordingProgress;

// The fractal writes points 0..512, cells [1..513][1..513].
std::uint64_t ScreenChecksum(const Grid& g)
{
    return GridChecksum(g, 1, 513);
}

std::uint64_t PictureChecksum(const ScreenPicture& picture)
{
    testing_support::Checksum sum;
    sum.add(picture.grey.data(), picture.grey.size());
    return sum.value();
}

std::shared_ptr<optics::PhaseScreen> Build(ScreenKind kind, double seed, double amplitude)
{
    optics::NoProgress progress;
    return optics::BuildScreen(kind, {seed, amplitude}, progress);
}

// ---- Random generator -------------------------------------------------------

TEST(RandomGenerator, FirstResultsFromStateOneAndTheWrapModuloTwoToThe32)
{
    RandomGenerator random(1);
    for (std::uint32_t expected : {6u, 172u, 40u, 54u, 134u})
        EXPECT_EQ(random.below(200), expected);
    RandomGenerator once(1);
    once.below(200);
    EXPECT_EQ(once.state(), 134775814u);
    // (2^32 - 1) x 134775813 + 1 = -134775812 modulo 2^32
    RandomGenerator top(0xFFFFFFFFu);
    top.below(200);
    EXPECT_EQ(top.state(), 0u - 134775812u);
}

TEST(RandomGenerator, StateOfASeedIsTheRoundedValueModuloTwoToThe32)
{
    const std::pair<double, std::uint32_t> cases[] = {
        {1.0, 1u},
        {1.4, 1u},
        {2.5, 2u},  // halves to even
        {3.5, 4u},
        {-1.0, 0xFFFFFFFFu},
        {4294967301.0, 5u},
        {std::numeric_limits<double>::quiet_NaN(), 0u},
        {std::numeric_limits<double>::infinity(), 0u},
        {1.0e19, 0u},
    };
    for (const auto& [seed, state] : cases)
        EXPECT_EQ(RandomGenerator::StateOf(seed), state) << seed;
}

// ---- Samples and averages ---------------------------------------------------

TEST(ScreenSample, RoundsToFloatAndIsZeroOffTheArea)
{
    auto g = std::make_unique<Grid>();
    (*g)(1, 1) = 1.0 / 3.0;
    EXPECT_EQ(optics::ScreenSample(*g, 0, 0), 1.0f / 3.0f);
    // Point 512 (cell 513) is written by the builder but never sampled.
    (*g)(513, 1) = 7.0;
    (*g)(1, 513) = 7.0;
    EXPECT_EQ(optics::ScreenSample(*g, 512, 0), 0.0f);
    EXPECT_EQ(optics::ScreenSample(*g, 0, 512), 0.0f);
    EXPECT_EQ(optics::ScreenSample(*g, -1, 0), 0.0f);
    (*g)(512, 512) = 2.5;
    EXPECT_EQ(optics::ScreenSample(*g, 511, 511), 2.5f);
}

TEST(DiamondAverage, SumsInDoubleAndCountsCornersOffTheAreaAsZero)
{
    auto g = std::make_unique<Grid>();
    // Corners of (10, 10) at distance 2: 1, 2^-24, 2^-24, 0. Added one by one
    // in float each tiny term would vanish; summed in double they survive.
    const double tiny = 1.0 / 16777216.0;
    (*g)(9, 9) = 1.0;
    (*g)(13, 9) = tiny;
    (*g)(9, 13) = tiny;
    EXPECT_EQ(optics::DiamondAverage(*g, 10, 10, 2), static_cast<float>((1.0 + 2 * tiny) * 0.25));
    EXPECT_GT(optics::DiamondAverage(*g, 10, 10, 2), 0.25f);
    // Point (2, 2) is the only corner of (0, 0) inside the area; still / 4.
    (*g)(3, 3) = 8.0;
    EXPECT_EQ(optics::DiamondAverage(*g, 0, 0, 2), 2.0f);
}

TEST(SquareAverage, UsesTheFourAxisNeighbours)
{
    auto g = std::make_unique<Grid>();
    (*g)(1 + 5, 1 + 3) = 1.0;    // (a + h, b)
    (*g)(1 + 1, 1 + 3) = 2.0;    // (a - h, b)
    (*g)(1 + 3, 1 + 5) = 3.0;    // (a, b + h)
    (*g)(1 + 3, 1 + 1) = 6.0;    // (a, b - h)
    (*g)(1 + 5, 1 + 5) = 100.0;  // a diagonal neighbour, not used
    EXPECT_EQ(optics::SquareAverage(*g, 3, 3, 2), 3.0f);
    // At the edge: (512, 3) is off the area even though its cell holds a value.
    (*g)(1 + 512, 1 + 3) = 100.0;
    (*g)(1 + 510, 1 + 3) = 4.0;
    EXPECT_EQ(optics::SquareAverage(*g, 511, 3, 1), 1.0f);
}

// ---- Whole screens ----------------------------------------------------------

// Both screens of one seed and their pictures, pinned bit for bit: a change to
// either step of the fractal (the size of a displacement, an average, a
// rounding, the roughness screen's early levels without averages) or to the
// picture scale moves them. Point (0, 128) is the first square-step point of
// level 1.
TEST(BuildScreen, SeededScreensArePinned)
{
    const auto turbulence = Build(ScreenKind::Turbulence, 7.0, 0.4);
    const auto roughness = Build(ScreenKind::Roughness, 7.0, 0.4);
    EXPECT_EQ(turbulence->grid(1, 129), 0x1.1b5b33p+11);
    EXPECT_EQ(roughness->grid(1, 129), 0x1.1b5b33p+11);
    EXPECT_EQ(ScreenChecksum(turbulence->grid), 10215641364495354229u);
    EXPECT_EQ(ScreenChecksum(roughness->grid), 9742665867338497649u);
    EXPECT_EQ(PictureChecksum(turbulence->picture), 5870745172087625369u);
    EXPECT_EQ(PictureChecksum(roughness->picture), 16680638951382393284u);
    EXPECT_EQ(turbulence->kind, ScreenKind::Turbulence);
    EXPECT_EQ(roughness->settings.seed, 7.0);
    EXPECT_EQ(roughness->settings.amplitude, 0.4);
}

// The first write is point (128, 128): d = (6 - 100) x 128 and the value
// 1 + 1203.2 x amplitude / 0.1. Nothing writes it again until the last level,
// which lifts every point by one in the diamond pass and four times in the
// square pass, each time from its float sample.
TEST(BuildScreen, BothKindsStartFromTheFirstDrawAtPoint128)
{
    const std::tuple<ScreenKind, double, double> cases[] = {
        {ScreenKind::Turbulence, 0.1, 1204.2},
        {ScreenKind::Roughness, 0.1, 1204.2},
        {ScreenKind::Turbulence, 0.2, 2407.4},
    };
    for (const auto& [kind, amplitude, first] : cases) {
        const auto screen = Build(kind, 1.0, amplitude);
        EXPECT_EQ(screen->grid(129, 129), static_cast<double>(static_cast<float>(first)) + 5.0) << amplitude;
    }
}

// Nine levels of 5 n^2 draws each, n = 2, 4, ..., 512.
TEST(BuildScreen, TheGeneratorEndsAfterEveryDrawOrWhereItStartedForAFlatScreen)
{
    RandomGenerator random(RandomGenerator::StateOf(42.0));
    for (int n = 2; n <= 512; n *= 2)
        for (int k = 0; k < 5 * n * n; ++k)
            random.below(200);
    for (ScreenKind kind : {ScreenKind::Turbulence, ScreenKind::Roughness}) {
        EXPECT_EQ(Build(kind, 42.0, 1.3)->finalState, random.state());
        EXPECT_EQ(Build(kind, 42.0, 0.0)->finalState, 42u);
    }
}

// Points 0..512 are cells [1..513]; the far edge holds exactly 1, the cells
// around stay 0, and a zero amplitude makes a flat screen with a black picture.
TEST(BuildScreen, OnlyTheScreenPointsAreWrittenAndAFlatScreenIsZero)
{
    for (ScreenKind kind : {ScreenKind::Turbulence, ScreenKind::Roughness}) {
        const auto screen = Build(kind, 42.0, 1.3);
        const Grid& g = screen->grid;
        for (int k = 0; k < optics::kGridSide; ++k) {
            if (k >= 2 && k <= 513) {
                ASSERT_TRUE(g(513, k) == 1.0 && g(k, 513) == 1.0) << k;
            }
            ASSERT_TRUE(g(0, k) == 0.0 && g(k, 0) == 0.0 && g(514, k) == 0.0 && g(k, 514) == 0.0) << k;
        }
        const auto flat = Build(kind, 1.0, 0.0);
        const auto& cells = flat->grid.cells;
        const auto& grey = flat->picture.grey;
        EXPECT_TRUE(std::all_of(cells.begin(), cells.end(), [](double v) { return v == 0; }));
        EXPECT_TRUE(std::all_of(grey.begin(), grey.end(), [](int level) { return level == 0; }));
    }
}

TEST(BuildScreen, PictureLevelsRiseWithTheScreenValues)
{
    const auto screen = Build(ScreenKind::Turbulence, 5.0, 0.5);
    std::vector<std::pair<double, int>> shown;
    for (int y = 0; y < ScreenPicture::kSide; ++y)
        for (int x = 0; x < ScreenPicture::kSide; ++x)
            shown.emplace_back(screen->grid(4 * x + 1, 4 * y + 1), screen->picture.level(x, y));
    std::sort(shown.begin(), shown.end());
    for (std::size_t k = 1; k < shown.size(); ++k)
        ASSERT_LE(shown[k - 1].second, shown[k].second);
    // The scale spans the sampled range (points 0..511): the lowest shown
    // points are dark, the highest bright.
    EXPECT_LE(shown.front().second, 10);
    EXPECT_GE(shown.back().second, 200);
}

TEST(BuildScreen, ReportsWhichScreenItCalculates)
{
    RecordingProgress progress;
    optics::BuildScreen(ScreenKind::Turbulence, {1.0, 0.1}, progress);
    optics::BuildScreen(ScreenKind::Roughness, {1.0, 0.1}, progress);
    EXPECT_EQ(progress.stages, (std::vector<std::string>{"Calculating Turbulence", "Calculating Roughness"}));
}

// ---- Cache ------------------------------------------------------------------

TEST(ScreenCache, ASecondRequestBuildsNothingAndSharesTheScreen)
{
    ScreenCache cache;
    RecordingProgress progress;
    const ScreenCache::Lookup first = cache.get(ScreenKind::Turbulence, {1.0, 0.3}, progress);
    EXPECT_TRUE(first.built);
    EXPECT_TRUE(cache.holds(ScreenKind::Turbulence, {1.0, 0.3}));
    // Seeds that round to the same state are the same screen.
    const ScreenCache::Lookup again = cache.get(ScreenKind::Turbulence, {1.4, 0.3}, progress);
    EXPECT_FALSE(again.built);
    EXPECT_EQ(again.screen, first.screen);
    EXPECT_EQ(progress.stages, std::vector<std::string>{"Calculating Turbulence"});
    // The same settings of the other kind, or another amplitude, are not held.
    EXPECT_FALSE(cache.holds(ScreenKind::Roughness, {1.0, 0.3}));
    EXPECT_FALSE(cache.holds(ScreenKind::Turbulence, {1.0, 0.31}));
}

TEST(ScreenCache, CachedScreensAreTheBuiltOnesBitForBit)
{
    ScreenCache cache;
    optics::NoProgress progress;
    for (ScreenKind kind : {ScreenKind::Turbulence, ScreenKind::Roughness}) {
        const optics::PhaseScreenPtr cached = cache.get(kind, {7.0, 0.4}, progress).screen;
        const auto built = Build(kind, 7.0, 0.4);
        EXPECT_EQ(ScreenChecksum(cached->grid), ScreenChecksum(built->grid));
        EXPECT_EQ(cached->picture.grey, built->picture.grey);
        EXPECT_EQ(cached->finalState, built->finalState);
    }
}

// Each kind keeps its own newest screens; using a screen makes it the newest.
TEST(ScreenCache, DropsTheLeastRecentlyUsedScreenOfAKindBeyondItsCapacity)
{
    ScreenCache cache(2);
    optics::NoProgress progress;
    auto get = [&](ScreenKind kind, double seed) { return cache.get(kind, {seed, 0.1}, progress).built; };
    EXPECT_TRUE(get(ScreenKind::Turbulence, 1.0));
    EXPECT_TRUE(get(ScreenKind::Turbulence, 2.0));
    EXPECT_TRUE(get(ScreenKind::Roughness, 1.0));
    EXPECT_FALSE(get(ScreenKind::Turbulence, 1.0));  // 1 is now newer than 2
    EXPECT_TRUE(get(ScreenKind::Turbulence, 3.0));   // drops 2
    EXPECT_TRUE(cache.holds(ScreenKind::Turbulence, {1.0, 0.1}));
    EXPECT_FALSE(cache.holds(ScreenKind::Turbulence, {2.0, 0.1}));
    EXPECT_TRUE(cache.holds(ScreenKind::Turbulence, {3.0, 0.1}));
    EXPECT_TRUE(cache.holds(ScreenKind::Roughness, {1.0, 0.1}));
    // A capacity of 0 still keeps the last screen.
    ScreenCache small(0);
    EXPECT_TRUE(small.get(ScreenKind::Roughness, {1.0, 0.1}, progress).built);
    EXPECT_FALSE(small.get(ScreenKind::Roughness, {1.0, 0.1}, progress).built);
}

}  // namespace
