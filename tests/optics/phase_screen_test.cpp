#include "optics/phase_screen.h"

#include "support/recording_sink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using testing_support::RecordingSink;

using optics::Engine;
using optics::Grid;
using optics::ScreenPicture;
using optics::ScreenSettings;

bool sameCells(const Grid& a, const Grid& b)
{
    return std::memcmp(a.cells.data(), b.cells.data(), sizeof(a.cells)) == 0;
}

// ---- Random generator -------------------------------------------------------

TEST(RandomBelow, FirstResultsFromSeedOne)
{
    auto engine = Engine::Create();
    engine->RandomSeed = 1;
    const std::uint32_t expected[] = {6, 172, 40, 54, 134};
    for (std::uint32_t e : expected)
        EXPECT_EQ(optics::RandomBelow(*engine, 200), e);
}

TEST(RandomBelow, StateWrapsModuloTwoToThe32)
{
    auto engine = Engine::Create();
    engine->RandomSeed = 1;
    optics::RandomBelow(*engine, 200);
    EXPECT_EQ(engine->RandomSeed, 134775814u);
    engine->RandomSeed = 0xFFFFFFFFu;
    // (2^32 - 1) x 134775813 + 1 = -134775812 modulo 2^32
    optics::RandomBelow(*engine, 200);
    EXPECT_EQ(engine->RandomSeed, 0u - 134775812u);
}

// ---- Samples and averages ---------------------------------------------------

TEST(ScreenSample, RoundsToFloatAndIsZeroOffTheArea)
{
    auto engine = Engine::Create();
    Grid& g = engine->TurbulenceGrid;
    g(1, 1) = 1.0 / 3.0;
    EXPECT_EQ(optics::ScreenSample(g, 0, 0), 1.0f / 3.0f);
    // Point 512 (cell 513) is written by the builder but never sampled.
    g(513, 1) = 7.0;
    g(1, 513) = 7.0;
    EXPECT_EQ(optics::ScreenSample(g, 512, 0), 0.0f);
    EXPECT_EQ(optics::ScreenSample(g, 0, 512), 0.0f);
    EXPECT_EQ(optics::ScreenSample(g, -1, 0), 0.0f);
    g(512, 512) = 2.5;
    EXPECT_EQ(optics::ScreenSample(g, 511, 511), 2.5f);
}

TEST(DiamondAverage, SumsInDoubleBeforeRoundingToFloat)
{
    auto engine = Engine::Create();
    Grid& g = engine->TurbulenceGrid;
    // Corners of (10, 10) at distance 2: 1, 2^-24, 2^-24, 0. Added one by one
    // in float each tiny term would vanish; summed in double they survive.
    const double tiny = 1.0 / 16777216.0;
    g(9, 9) = 1.0;
    g(13, 9) = tiny;
    g(9, 13) = tiny;
    EXPECT_EQ(optics::DiamondAverage(g, 10, 10, 2), static_cast<float>((1.0 + 2 * tiny) * 0.25));
    EXPECT_GT(optics::DiamondAverage(g, 10, 10, 2), 0.25f);
}

TEST(DiamondAverage, OutOfRangeCornersCountAsZeroButStillDivideByFour)
{
    auto engine = Engine::Create();
    Grid& g = engine->TurbulenceGrid;
    g(3, 3) = 8.0;  // point (2, 2), the only corner of (0, 0) inside the area
    EXPECT_EQ(optics::DiamondAverage(g, 0, 0, 2), 2.0f);
}

TEST(SquareAverage, UsesTheFourAxisNeighbours)
{
    auto engine = Engine::Create();
    Grid& g = engine->TurbulenceGrid;
    g(1 + 5, 1 + 3) = 1.0;  // (a + h, b)
    g(1 + 1, 1 + 3) = 2.0;  // (a - h, b)
    g(1 + 3, 1 + 5) = 3.0;  // (a, b + h)
    g(1 + 3, 1 + 1) = 6.0;  // (a, b - h)
    g(1 + 5, 1 + 5) = 100.0;  // a diagonal neighbour, not used
    EXPECT_EQ(optics::SquareAverage(g, 3, 3, 2), 3.0f);
    // At the edge: (512, 3) is off the area even though its cell holds a value.
    g(1 + 512, 1 + 3) = 100.0;
    g(1 + 510, 1 + 3) = 4.0;
    EXPECT_EQ(optics::SquareAverage(g, 511, 3, 1), 1.0f);
}

// ---- Whole screens ----------------------------------------------------------

class ScreenBuild : public ::testing::Test {
protected:
    std::unique_ptr<Engine> engine = Engine::Create();
    RecordingSink sink;
};

TEST_F(ScreenBuild, TurbulenceStartsFromTheFirstDrawAtPoint128)
{
    optics::BuildTurbulenceScreen(*engine, ScreenSettings{1.0, 0.1}, sink);
    // The first write is point (128, 128): d = (6 - 100) x 128 and the value
    // 1 + 1203.2. Nothing writes it again until the last level, which lifts
    // every point by one in the diamond pass and four times in the square pass,
    // each time from its float sample.
    EXPECT_EQ(engine->TurbulenceGrid(129, 129), static_cast<double>(static_cast<float>(1204.2)) + 5.0);
    EXPECT_TRUE(engine->TurbulenceReady);
    EXPECT_EQ(engine->ScreenRms, 0.1);
}

TEST_F(ScreenBuild, RoughnessStartsFromTheSameFirstValue)
{
    optics::BuildRoughnessScreen(*engine, ScreenSettings{1.0, 0.1}, sink);
    EXPECT_EQ(engine->RoughnessGrid(129, 129), static_cast<double>(static_cast<float>(1204.2)) + 5.0);
    EXPECT_TRUE(engine->RoughnessReady);
    EXPECT_FALSE(engine->TurbulenceReady);
}

TEST_F(ScreenBuild, AmplitudeScalesTheDisplacementButNotTheDraws)
{
    optics::BuildTurbulenceScreen(*engine, ScreenSettings{1.0, 0.2}, sink);
    EXPECT_EQ(engine->TurbulenceGrid(129, 129), static_cast<double>(static_cast<float>(2407.4)) + 5.0);
}

TEST_F(ScreenBuild, SameSeedReproducesTheScreen)
{
    optics::BuildTurbulenceScreen(*engine, ScreenSettings{17.0, 0.35}, sink);
    optics::CopyGrid(engine->TurbulenceGrid, engine->KernelGrid);
    optics::BuildTurbulenceScreen(*engine, ScreenSettings{3.0, 0.35}, sink);
    EXPECT_FALSE(sameCells(engine->TurbulenceGrid, engine->KernelGrid));
    optics::BuildTurbulenceScreen(*engine, ScreenSettings{17.0, 0.35}, sink);
    EXPECT_TRUE(sameCells(engine->TurbulenceGrid, engine->KernelGrid));
}

TEST_F(ScreenBuild, SeedIsTheRoundedControlValue)
{
    optics::BuildTurbulenceScreen(*engine, ScreenSettings{2.0, 0.1}, sink);
    optics::CopyGrid(engine->TurbulenceGrid, engine->KernelGrid);
    optics::BuildTurbulenceScreen(*engine, ScreenSettings{2.5, 0.1}, sink);  // halves go to even
    EXPECT_TRUE(sameCells(engine->TurbulenceGrid, engine->KernelGrid));
}

TEST_F(ScreenBuild, RoughnessDiffersFromTurbulenceInTheEarlyLevels)
{
    optics::BuildTurbulenceScreen(*engine, ScreenSettings{1.0, 0.1}, sink);
    optics::BuildRoughnessScreen(*engine, ScreenSettings{1.0, 0.1}, sink);
    // Level 1 is identical (its corners are all 0); level 2 displaces its
    // diamond points without averaging in the roughness screen. Point
    // (64, 64) is the first diamond point of level 2.
    EXPECT_EQ(engine->RoughnessGrid(385, 385), engine->TurbulenceGrid(385, 385));
    EXPECT_NE(engine->RoughnessGrid(65, 65), engine->TurbulenceGrid(65, 65));
}

TEST_F(ScreenBuild, ZeroAmplitudeLeavesAZeroScreenAndABlackPicture)
{
    engine->TurbulenceGrid(200, 200) = 5.0;  // a stale screen is cleared
    const ScreenPicture picture = optics::BuildTurbulenceScreen(*engine, ScreenSettings{1.0, 0.0}, sink);
    for (double v : engine->TurbulenceGrid.cells)
        ASSERT_EQ(v, 0.0);
    for (std::uint8_t g : picture.grey)
        ASSERT_EQ(g, 0);
    EXPECT_TRUE(engine->TurbulenceReady);

    const ScreenPicture rough = optics::BuildRoughnessScreen(*engine, ScreenSettings{1.0, 0.0}, sink);
    for (double v : engine->RoughnessGrid.cells)
        ASSERT_EQ(v, 0.0);
    for (std::uint8_t g : rough.grey)
        ASSERT_EQ(g, 0);
}

TEST_F(ScreenBuild, FarEdgeHoldsExactlyOneAndRowZeroStaysZero)
{
    for (bool roughness : {false, true}) {
        const Grid& g = roughness ? engine->RoughnessGrid : engine->TurbulenceGrid;
        if (roughness)
            optics::BuildRoughnessScreen(*engine, ScreenSettings{42.0, 1.3}, sink);
        else
            optics::BuildTurbulenceScreen(*engine, ScreenSettings{42.0, 1.3}, sink);
        for (int k = 2; k <= 513; ++k) {
            ASSERT_EQ(g(513, k), 1.0) << roughness << " " << k;
            ASSERT_EQ(g(k, 513), 1.0) << roughness << " " << k;
        }
        // Points (512, 0) and (0, 512) are never written.
        EXPECT_EQ(g(513, 1), 0.0);
        EXPECT_EQ(g(1, 513), 0.0);
        for (int k = 0; k < optics::kGridSide; ++k) {
            ASSERT_EQ(g(0, k), 0.0);
            ASSERT_EQ(g(k, 0), 0.0);
            ASSERT_EQ(g(514, k), 0.0);
            ASSERT_EQ(g(k, 514), 0.0);
        }
        // Point (0, 128) is written by the square pass of level 1; point
        // (0, 0) lies on no diamond or square of any level.
        EXPECT_NE(g(1, 129), 0.0);
        EXPECT_EQ(g(1, 1), 0.0);
    }
}

TEST_F(ScreenBuild, PictureLevelsFollowTheScreenValues)
{
    const ScreenPicture picture = optics::BuildTurbulenceScreen(*engine, ScreenSettings{5.0, 0.5}, sink);
    const Grid& g = engine->TurbulenceGrid;
    // Brighter grey for every higher value among the shown points.
    std::vector<std::pair<double, int>> shown;
    for (int y = 0; y < ScreenPicture::kSide; ++y)
        for (int x = 0; x < ScreenPicture::kSide; ++x)
            shown.emplace_back(g(4 * x + 1, 4 * y + 1), picture.level(x, y));
    std::sort(shown.begin(), shown.end());
    for (std::size_t k = 1; k < shown.size(); ++k)
        ASSERT_LE(shown[k - 1].second, shown[k].second);
    // The scale spans the sampled range (points 0..511): the lowest shown
    // points are dark, the highest bright.
    EXPECT_LE(shown.front().second, 10);
    EXPECT_GE(shown.back().second, 200);
}

TEST_F(ScreenBuild, StatusNamesTheScreen)
{
    optics::BuildTurbulenceScreen(*engine, ScreenSettings{1.0, 0.1}, sink);
    optics::BuildRoughnessScreen(*engine, ScreenSettings{1.0, 0.1}, sink);
    ASSERT_EQ(sink.texts.size(), 2u);
    EXPECT_EQ(sink.texts[0], std::make_pair(0, std::string("Calculating Turbulence")));
    EXPECT_EQ(sink.texts[1], std::make_pair(0, std::string("Calculating Roughness")));
}

// FNV-1a over the cells [1..513][1..513] the fractal writes.
std::uint64_t screenChecksum(const Grid& g)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (int i = 1; i <= 513; ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(g.row(i) + 1);
        for (std::size_t n = 0; n < 513 * sizeof(double); ++n) {
            hash ^= p[n];
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

// Both screens of one seed, pinned bit for bit: a change to either step of the
// fractal (the size of a displacement, an average, a rounding) moves them.
// Point (0, 128) is the first square-step point of level 1.
TEST_F(ScreenBuild, SeededScreensArePinned)
{
    optics::BuildTurbulenceScreen(*engine, ScreenSettings{7.0, 0.4}, sink);
    optics::BuildRoughnessScreen(*engine, ScreenSettings{7.0, 0.4}, sink);
    EXPECT_EQ(engine->TurbulenceGrid(1, 129), 0x1.1b5b33p+11);
    EXPECT_EQ(engine->RoughnessGrid(1, 129), 0x1.1b5b33p+11);
    EXPECT_EQ(screenChecksum(engine->TurbulenceGrid), 10215641364495354229u);
    EXPECT_EQ(screenChecksum(engine->RoughnessGrid), 9742665867338497649u);
}

}  // namespace
