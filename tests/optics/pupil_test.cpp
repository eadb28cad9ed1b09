#include "optics/pupil.h"

#include "support/recording_progress.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

using optics::ApertureMask;
using optics::PupilParams;
using optics::PupilSummary;

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// A mask with the pixels for which `blocked(x, y)` holds closed.
ApertureMask Blocking(bool (*blocked)(int x, int y) = nullptr)
{
    optics::Raster raster(256, 256, 1);
    for (int y = 0; y < 256 && blocked; ++y)
        for (int x = 0; x < 256; ++x)
            if (blocked(x, y))
                raster.set(x, y, 0);
    return ApertureMask(std::move(raster));
}

PupilParams Inches(double diameter, void (*set)(PupilParams&) = nullptr)
{
    PupilParams p;
    p.diameter = diameter;
    if (set)
        set(p);
    return p;
}

class Pupil : public ::testing::Test {
protected:
    PupilSummary build(const PupilParams& p, const ApertureMask& mask = Blocking(), double waveLength = 555.0,
                       const optics::PupilScreens& screens = {})
    {
        return optics::BuildPupil(*ws, p, mask, screens, waveLength, progress);
    }
    double mask(int u, int v) const { return ws->mask(257 + u, 257 + v); }
    double phase(int u, int v) const { return ws->phase(257 + u, 257 + v); }

    std::unique_ptr<optics::Workspace> ws = optics::Workspace::Create();
    testing_support::RecordingProgress progress;
};

TEST_F(Pupil, RadiusResolutionAndCellsForDiameterUnitAndWavelength)
{
    const struct {
        PupilParams params;
        double waveLength, R;
        int N, t;
    } cases[] = {
        {Inches(5.0), 555.0, 28.5, 28, 89},  // N: half to even
        {Inches(8.0), 555.0, 45.6, 46, 56},
        {Inches(127.0, [](PupilParams& p) { p.millimeters = true; }), 555.0, 28.5, 28, 89},
        {Inches(5.0), 700.0, 28.5 * 555.0 / 700.0, 23, 89},
    };
    for (const auto& c : cases) {
        const PupilSummary r = build(c.params, Blocking(), c.waveLength);
        EXPECT_NEAR(r.R, c.R, 1e-9) << c.params.diameter << " at " << c.waveLength;
        EXPECT_EQ(r.N, c.N) << c.params.diameter;
        EXPECT_EQ(r.t, c.t) << c.params.diameter;
    }
}

TEST(PupilFits, OnlyDiametersWhosePupilFitsTheGrid)
{
    const std::tuple<PupilParams, double, bool> cases[] = {
        {Inches(5.0), 555.0, true},
        {Inches(25.0), 380.0, true},  // the largest diameter of the editors at the shortest wavelength
        {Inches(650.0, [](PupilParams& p) { p.millimeters = true; }), 380.0, true},
        {Inches(0.0), 555.0, false},
        {Inches(-5.0), 555.0, false},
        {Inches(0.05), 555.0, false},   // rounds to radius 0
        {Inches(100.0), 555.0, false},  // radius 570
        {Inches(std::nan("")), 555.0, false},
        {Inches(std::numeric_limits<double>::infinity()), 555.0, false},
        {Inches(5.0), 0.0, false},
    };
    for (const auto& [params, waveLength, fits] : cases)
        EXPECT_EQ(optics::PupilFits(params, waveLength), fits) << params.diameter << " at " << waveLength;
}

TEST_F(Pupil, UndersamplingWarningThreshold)
{
    // N = 28 for 5 inches: warned when 28 < 8 |focus + 1.5|.
    for (auto [focus, warned] :
         {std::pair{4.0, true}, {2.0, false}, {2.01, true}, {-1.5, false}, {-5.0, false}, {-5.1, true}}) {
        PupilParams p = Inches(5.0);
        p.focus = focus;
        EXPECT_EQ(build(p).undersampled, warned) << focus;
    }
}

TEST_F(Pupil, PerfectApertureIsFlatAndFullyOpenAndClearsAnEarlierPupil)
{
    // An earlier, wider pupil with an error leaves phase and mask beyond a
    // 5-inch one; a transform leaves the field anywhere. Only the rows the
    // new pupil covers are cleared: its transform reads no other.
    build(Inches(10.0, [](PupilParams& p) { p.focus = 1.0; }));
    ASSERT_EQ(mask(40, 0), 1.0);
    ASSERT_NE(phase(40, 0), 0.0);
    ws->fieldRe(257 - 28, 3) = 5.0;
    ws->fieldIm(257 + 28, 500) = 5.0;
    ws->spectrumAfterPupil = true;
    progress.stages.clear();
    const PupilSummary r = build(Inches(5.0));
    int open = 0;
    for (int u = -28; u <= 28; ++u) {
        for (int v = -28; v <= 28; ++v) {
            const bool inDisc = u * u + v * v <= 28 * 28;
            ASSERT_EQ(mask(u, v), inDisc ? 1.0 : 0.0) << u << "," << v;
            ASSERT_EQ(ws->fieldRe(257 + u, 257 + v), inDisc ? 1.0 : 0.0);
            ASSERT_EQ(ws->fieldIm(257 + u, 257 + v), 0.0);
            open += inDisc;
        }
    }
    EXPECT_EQ(r.openCells, open);
    EXPECT_EQ(r.cellCount, open);
    EXPECT_EQ(r.rms, 0.0);
    EXPECT_EQ(r.minW, 0.0);
    EXPECT_DOUBLE_EQ(r.maxW, 1e-5);
    EXPECT_EQ(ws->fieldRe(257 - 28, 3) + ws->fieldIm(257 + 28, 500), 0.0);
    EXPECT_EQ(ws->fieldRows.first, 257 - 28);
    EXPECT_EQ(ws->fieldRows.last, 257 + 28);
    int leftOver = 0;
    for (int i = 0; i < optics::kGridSide; ++i)
        for (int j = 0; j < optics::kGridSide; ++j)
            if ((i - 257) * (i - 257) + (j - 257) * (j - 257) > 28 * 28)
                leftOver += ws->phase(i, j) != 0.0 || ws->mask(i, j) != 0.0;
    EXPECT_EQ(leftOver, 0);
    EXPECT_FALSE(ws->spectrumAfterPupil);
    EXPECT_EQ(progress.stages, std::vector<std::string>{"Building aberrations at wavefront"});
}

TEST_F(Pupil, OuterRingStaysOpenUnderAClosedMask)
{
    const PupilSummary r = build(Inches(5.0), ApertureMask());
    // Only 0.9 < rho^2 <= 1 is open.
    int open = 0;
    for (int u = -28; u <= 28; ++u) {
        for (int v = -28; v <= 28; ++v) {
            const double rho2 = (u / 28.0) * (u / 28.0) + (v / 28.0) * (v / 28.0);
            const bool ring = rho2 > 0.9 && rho2 <= 1.0;
            ASSERT_EQ(mask(u, v), ring ? 1.0 : 0.0) << u << "," << v;
            open += ring;
        }
    }
    EXPECT_EQ(r.openCells, open);
    EXPECT_GT(open, 0);
}

// Inside the ring the mask decides, sampled at the cell's position scaled to
// the 128-pixel radius; the circle rho^2 = 0.9 itself is blocked.
TEST_F(Pupil, TheMaskDecidesInsideTheOuterRing)
{
    const struct {
        const char* name;
        double diameter;
        bool (*blocked)(int x, int y);
        std::vector<std::tuple<int, int, bool>> cells;  // u, v, open
    } cases[] = {
        {"a vane", 5.0, [](int x, int) { return x >= 127 && x <= 129; },
         {{0, 0, false}, {0, 20, false}, {0, -26, false},  // rho^2 = 0.862
          {0, 27, true}, {0, 28, true}, {0, -28, true}, {1, 0, true}}},  // 0.930 and beyond
        // N = 20: (18/20)^2 + (6/20)^2 is exactly 0.9 in double arithmetic.
        {"the circle 0.9", 20.0 / 5.7, nullptr, {{18, 6, false}, {-6, 18, false}, {18, 5, true}, {18, 7, true}}},
        // 8 inches: s = 128 / 45.6. Cell u = 10 samples pixel Round(28.07) + 128.
        {"one column", 8.0, [](int x, int) { return x == 156; }, {{10, 0, false}, {9, 0, true}, {11, 0, true}}},
    };
    for (const auto& c : cases) {
        build(Inches(c.diameter), Blocking(c.blocked));
        for (const auto& [u, v, open] : c.cells) {
            EXPECT_EQ(mask(u, v), open ? 1.0 : 0.0) << c.name << " at " << u << "," << v;
            EXPECT_EQ(ws->fieldRe(257 + u, 257 + v), open ? 1.0 : 0.0) << c.name << " at " << u << "," << v;
        }
    }
    // Obstructed cells are still counted in the disc.
    const int total = build(Inches(5.0)).openCells;
    const PupilSummary r = build(Inches(5.0), Blocking([](int x, int y) {
                                     return (x - 128) * (x - 128) + (y - 128) * (y - 128) < 2500;
                                 }));
    EXPECT_EQ(r.cellCount, total);
    EXPECT_LT(r.openCells, total * 0.9);
}

TEST_F(Pupil, PhaseScalesWithReferenceOverCurrentWavelength)
{
    // A diameter scaled with the wavelength keeps the same cells, so every
    // cell must carry 555 / 700 of its phase.
    PupilParams p = Inches(8.0, [](PupilParams& p) {
        p.focus = 0.7; p.spherical = 0.4; p.coma = 0.3; p.comaAngle = 30; p.pinch = -0.2;
    });
    build(p);
    const auto at555 = std::make_unique<optics::Grid>(ws->phase);
    p.diameter = 8.0 * 700.0 / 555.0;
    ASSERT_EQ(build(p, Blocking(), 700.0).N, 46);
    int compared = 0;
    for (int u = -46; u <= 46; ++u) {
        for (int v = -46; v <= 46; ++v) {
            const double before = (*at555)(257 + u, 257 + v);
            ASSERT_NEAR(phase(u, v), before * 555.0 / 700.0, 1e-12) << u << "," << v;
            compared += before != 0.0;
        }
    }
    EXPECT_GT(compared, 5000);
}

// Each term in waves at cells of a 5-inch pupil (N = 28) unless told otherwise.
TEST_F(Pupil, EveryTermFollowsItsShapeAngleAndZone)
{
    // theta of cell (14, 8) is atan(8 / 14) = 29.7 degrees: sin(3 theta) x 0.5 rho^2.
    const double rho2 = (14 * 14 + 8 * 8) / (28.0 * 28.0);
    const double pinchAt = std::sin(3 * std::atan2(8 / 28.0 + 1e-7, 14 / 28.0 + 1e-7)) * 0.5 * rho2;
    const struct {
        const char* name;
        PupilParams params;
        std::vector<std::tuple<int, int, double>> waves;
        double tolerance;
    } cases[] = {
        {"defocus", Inches(5.0, [](PupilParams& p) { p.focus = 1.0; }),
         {{28, 0, 1.0}, {14, 0, 0.25}, {0, -14, 0.25}, {0, 0, 0.0}}, 1e-12},
        // cos(theta) at 90 degrees: largest along +x, antisymmetric in x.
        {"coma 90", Inches(5.0, [](PupilParams& p) { p.coma = 1.0; p.comaAngle = 90; }),
         {{28, 0, 0.5}, {-28, 0, -0.5}, {0, 28, 0.0}}, 1e-6},
        // cos(theta + pi / 2) = -sin(theta) at 180 degrees: largest along -y.
        {"coma 180", Inches(5.0, [](PupilParams& p) { p.coma = 1.0; p.comaAngle = 180; }),
         {{0, -28, 0.5}, {0, 28, -0.5}}, 1e-6},
        {"astigmatism", Inches(5.0, [](PupilParams& p) { p.astigmatism = 1.0; }), {{28, 0, 0.5}, {0, 28, -0.5}},
         1e-6},
        {"pinch", Inches(5.0, [](PupilParams& p) { p.pinch = 1.0; }), {{14, 8, pinchAt}, {0, 28, -0.5}}, 1e-6},
        // Only y beyond the band start: y = 0.5 is not; ((0.75 - 0.5) / 0.5)^3.
        {"tube", Inches(5.0, [](PupilParams& p) { p.tube = 1.0; p.tubeRadius = 0.5; }),
         {{0, 14, 0.0}, {0, -20, 0.0}, {0, 28, 1.0}, {0, 21, 0.125}}, 1e-12},
        // N = 40: cell u = 38 lies at rho 0.95, u = 40 on the rim.
        {"edge from 95 %", Inches(40.0 / 5.7, [](PupilParams& p) { p.edge = 1.0; p.edgeRadius = 95.0; }),
         {{40, 0, -1.0}, {0, -40, -1.0}, {37, 0, 0.0}, {0, 0, 0.0}}, 1e-9},
        {"edge at its start", Inches(40.0 / 5.7, [](PupilParams& p) { p.edge = 1.0; }), {{38, 0, -0.0461}}, 5e-5},
        // A zone of zero width leaves even the rim alone.
        {"edge from 100 %", Inches(5.0, [](PupilParams& p) { p.edge = 1.0; p.edgeRadius = 100.0; }),
         {{28, 0, 0.0}}, 0.0},
        {"higher spherical", Inches(8.0, [](PupilParams& p) { p.higherSpherical = 1.0; }),
         {{0, 0, 0.5}, {46, 0, -0.5}}, 1e-9},
    };
    for (const auto& c : cases) {
        const PupilSummary r = build(c.params);
        for (const auto& [u, v, waves] : c.waves)
            EXPECT_NEAR(phase(u, v) / kTwoPi, waves, c.tolerance) << c.name << " at " << u << "," << v;
        EXPECT_LE(r.minW, 0.0) << c.name;
    }
    // The field is cos and sin of the phase; the readouts its extremes.
    PupilSummary r = build(Inches(5.0, [](PupilParams& p) { p.focus = 1.0; }));
    EXPECT_NEAR(ws->fieldRe(257 + 14, 257), 0.0, 1e-12);  // cos(pi / 2)
    EXPECT_NEAR(ws->fieldIm(257 + 14, 257), 1.0, 1e-12);
    EXPECT_NEAR(r.maxW, kTwoPi + 1e-5, 1e-12);
    EXPECT_EQ(r.minW, 0.0);
    r = build(Inches(40.0 / 5.7, [](PupilParams& p) { p.edge = 1.0; }));
    EXPECT_NEAR(r.minW / kTwoPi, -1.0, 1e-9);
    EXPECT_EQ(build(Inches(5.0, [](PupilParams& p) { p.edge = 1.0; p.edgeRadius = 100.0; })).rms, 0.0);
}

TEST_F(Pupil, SphericalAberrationsAreBalancedAroundZero)
{
    // 4 (rho^2 - rho^4 - 1/6) has a standard deviation of sqrt(1/180) x 4;
    // -(10 rho^6 - 15 rho^4 + 6 rho^2 - 0.5) has RMS 0.5 / sqrt(7).
    const std::tuple<void (*)(PupilParams&), double, double> cases[] = {
        {[](PupilParams& p) { p.spherical = 1.0; }, 0.298, 0.003},
        {[](PupilParams& p) { p.higherSpherical = 1.0; }, 0.5 / std::sqrt(7.0), 0.005},
    };
    for (const auto& [set, rms, tolerance] : cases) {
        const PupilSummary r = build(Inches(8.0, set));
        EXPECT_NEAR(r.rms / kTwoPi, rms, tolerance);
        EXPECT_NEAR(r.mean / kTwoPi, 0.0, 0.01);
    }
}

class PupilWithScreens : public Pupil {
protected:
    void SetUp() override
    {
        std::fill(turbulence->cells.begin(), turbulence->cells.end(), 100.0);
        std::fill(roughness->cells.begin(), roughness->cells.end(), 50.0);
    }
    void build(double turbulenceAmount, double roughnessAmount, int drift)
    {
        PupilParams p = Inches(5.0);
        p.turbulence = turbulenceAmount;
        p.roughness = roughnessAmount;
        Pupil::build(p, Blocking(), 555.0, {turbulence.get(), roughness.get(), drift});
    }

    std::unique_ptr<optics::Grid> turbulence = std::make_unique<optics::Grid>();
    std::unique_ptr<optics::Grid> roughness = std::make_unique<optics::Grid>();
};

TEST_F(PupilWithScreens, AddFourThousandthsOfTheirValueWhenTheirAmountIsNotZero)
{
    build(0.1, 0.0, 0);
    EXPECT_NEAR(phase(0, 0), 0.4, 1e-12);
    build(0.0, 0.1, 0);
    EXPECT_NEAR(phase(5, 3), 0.2, 1e-12);
    // A screen that is not there adds nothing.
    Pupil::build(Inches(5.0, [](PupilParams& p) { p.turbulence = 0.1; p.roughness = 0.1; }));
    EXPECT_EQ(phase(5, 3), 0.0);
}

TEST_F(PupilWithScreens, TurbulenceDriftedOffTheGridReadsZero)
{
    // The centre reads 129 + 400 on both axes.
    build(0.1, 0.0, 400);
    EXPECT_EQ(phase(0, 0), 0.0);
    EXPECT_EQ(phase(-28, 0), 0.0);  // first index 403 is inside, second 529 is not
    // Drifted below the first cell: the centre reads -11.
    build(0.1, 0.0, -140);
    EXPECT_EQ(phase(0, 0), 0.0);
    EXPECT_NEAR(phase(20, 10), 0.4, 1e-12);  // indices 79 and 34
}

TEST(AngleOf, QuadrantsAndSinglePrecision)
{
    EXPECT_EQ(optics::AngleOf(0.0, 0.0), static_cast<float>(std::numbers::pi / 4));
    EXPECT_EQ(optics::AngleOf(1.0, -1e-7), 1.5707964f);  // x exactly cancelled
    EXPECT_EQ(optics::AngleOf(-1.0, -1e-7), -1.5707964f);
    EXPECT_EQ(optics::AngleOf(-1e-7, -1.0), 0.0f);  // y exactly cancelled
    EXPECT_EQ(optics::AngleOf(-1e-7, -1e-7), 0.0f);
    EXPECT_NEAR(optics::AngleOf(0.5, -0.5), 3 * std::numbers::pi / 4, 1e-6);
    EXPECT_NEAR(optics::AngleOf(-0.5, -0.5), -3 * std::numbers::pi / 4, 1e-6);
    EXPECT_EQ(optics::AngleOf(0.3, 0.7), static_cast<float>(std::atan2(0.3 + 1e-7, 0.7 + 1e-7)));
}

}  // namespace

namespace {

// A measured wavefront adds its value at the cell's pupil point, y up: the
// cell below the centre on the pictures (v > 0) is a point with y < 0.
TEST_F(Pupil, AMeasuredWavefrontIsAddedAtEachCellsPointWithYUp)
{
    const struct {
        int term;
        int u, v;
        double waves;  // of the term, at the cell
    } rows[] = {
        {2, 20, 0, 20.0 / 46},  // X tilt grows to the right
        {3, 0, -20, 20.0 / 46},  // Y tilt grows upwards, towards smaller v
        {3, 0, 20, -20.0 / 46}, {4, 0, 0, -1.0},  // defocus 2 rho^2 - 1 at the centre
        {8, 0, -46, 1.0},  // Y coma (3 rho^3 - 2 rho) sin theta at the top
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.term);
        std::array<double, optics::kFringeTerms> terms{};
        terms[static_cast<std::size_t>(r.term - 1)] = 0.25;
        const optics::MeasuredWavefront measured(terms, nullptr);
        optics::PupilScreens screens;
        screens.measured = &measured;
        // 8 inches: 46 cells of radius at 555 nm; at twice the wavelength 23
        // cells and half as many waves, as for every named error.
        build(Inches(8.0), Blocking(), 555.0, screens);
        EXPECT_NEAR(phase(r.u, r.v), kTwoPi * 0.25 * r.waves, 1e-12);
        build(Inches(8.0), Blocking(), 1110.0, screens);
        EXPECT_NEAR(phase(r.u / 2, r.v / 2), kTwoPi * 0.25 * r.waves / 2, 1e-12);
    }
}

}  // namespace
