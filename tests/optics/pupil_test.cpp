#include "optics/pupil.h"
#include "support/recording_sink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using testing_support::RecordingSink;

using optics::Engine;
using optics::PupilParams;
using optics::PupilResult;

constexpr double kTwoPi = 2.0 * std::numbers::pi;

//! A 256 x 256 RGB aperture picture, all white or all black to start with.
struct Picture {
    explicit Picture(bool white) : bytes(256 * 256 * 3, white ? 255 : 0) {}
    void set(int x, int y, bool white)
    {
        for (int c = 0; c < 3; ++c)
            bytes[(static_cast<size_t>(y) * 256 + x) * 3 + c] = white ? 255 : 0;
    }
    optics::AperturePicture view() const { return {bytes.data(), 256, 256, 256 * 3}; }
    std::vector<std::uint8_t> bytes;
};

class Pupil : public ::testing::Test {
protected:
    void SetUp() override { engine = Engine::Create(); }

    PupilResult build(const PupilParams& p, const Picture& picture = Picture(true))
    {
        return optics::BuildPupil(*engine, p, picture.view(), sink);
    }
    static PupilParams inches(double d)
    {
        PupilParams p;
        p.diameter = d;
        return p;
    }
    double mask(int u, int v) const { return engine->OtfImag(257 + u, 257 + v); }
    double phase(int u, int v) const { return engine->WavefrontGrid(257 + u, 257 + v); }

    std::unique_ptr<Engine> engine;
    RecordingSink sink;
};

TEST_F(Pupil, RadiusAndResolutionForFiveAndEightInches)
{
    PupilResult five = build(inches(5.0));
    EXPECT_DOUBLE_EQ(five.R, 28.5);
    EXPECT_EQ(five.N, 28);  // half to even
    EXPECT_EQ(five.t, 89);
    PupilResult eight = build(inches(8.0));
    EXPECT_NEAR(eight.R, 45.6, 1e-12);
    EXPECT_EQ(eight.N, 46);
    EXPECT_EQ(eight.t, 56);
}

TEST_F(Pupil, MillimetresGiveTheSamePupilAsInches)
{
    PupilParams p;
    p.millimeters = true;
    p.diameter = 127.0;
    PupilResult r = build(p);
    EXPECT_NEAR(r.R, 28.5, 1e-9);
    EXPECT_EQ(r.N, 28);
    EXPECT_EQ(r.t, 89);
}

TEST_F(Pupil, LongerWavelengthShrinksThePupil)
{
    engine->WaveLength = 700.0;
    EXPECT_NEAR(build(inches(5.0)).R, 28.5 * 555.0 / 700.0, 1e-12);
}

TEST_F(Pupil, UndersamplingWarningThreshold)
{
    // N = 28 for 5 inches: warned when 28 < 8 |focus + 1.5|.
    PupilParams p = inches(5.0);
    p.focus = 4.0;
    EXPECT_TRUE(build(p).undersampled);
    p.focus = 2.0;  // 8 x 3.5 = 28: not less
    EXPECT_FALSE(build(p).undersampled);
    p.focus = 2.01;
    EXPECT_TRUE(build(p).undersampled);
    p.focus = -1.5;
    EXPECT_FALSE(build(p).undersampled);
    p.focus = -5.0;  // 8 x 3.5 = 28 again, on the other side
    EXPECT_FALSE(build(p).undersampled);
    p.focus = -5.1;
    EXPECT_TRUE(build(p).undersampled);
}

TEST_F(Pupil, PerfectApertureIsFlatAndFullyOpen)
{
    PupilResult r = build(inches(5.0));
    int open = 0;
    for (int u = -28; u <= 28; ++u) {
        for (int v = -28; v <= 28; ++v) {
            const bool inDisc = u * u + v * v <= 28 * 28;
            EXPECT_EQ(mask(u, v), inDisc ? 1.0 : 0.0) << u << "," << v;
            EXPECT_EQ(engine->FieldReal(257 + u, 257 + v), inDisc ? 1.0 : 0.0);
            EXPECT_EQ(engine->FieldImag(257 + u, 257 + v), 0.0);
            open += inDisc;
        }
    }
    EXPECT_EQ(r.openCells, open);
    EXPECT_EQ(engine->PupilCellCount, open);
    EXPECT_EQ(r.rms, 0.0);
    EXPECT_EQ(r.minW, 0.0);
    EXPECT_DOUBLE_EQ(r.maxW, 1e-5);
}

TEST_F(Pupil, ClearsWhatAnEarlierRunLeft)
{
    engine->FieldReal(3, 3) = 5.0;
    engine->FieldImag(500, 12) = 5.0;
    engine->WavefrontGrid(1, 512) = 5.0;
    engine->OtfImag(257 + 40, 257) = 1.0;  // outside a 5-inch pupil
    PupilResult r = build(inches(5.0));
    EXPECT_EQ(engine->FieldReal(3, 3), 0.0);
    EXPECT_EQ(engine->FieldImag(500, 12), 0.0);
    EXPECT_EQ(engine->WavefrontGrid(1, 512), 0.0);
    EXPECT_EQ(engine->OtfImag(257 + 40, 257), 0.0);
    EXPECT_EQ(r.rms, 0.0);
}

TEST_F(Pupil, ReportsItsStageFirst)
{
    build(inches(5.0));
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0], RecordingSink::Text(0, "Building aberrations at wavefront"));
}

TEST_F(Pupil, OuterRingStaysOpenUnderABlackPicture)
{
    PupilResult r = build(inches(5.0), Picture(false));
    // Only 0.9 < rho^2 <= 1 is open.
    int open = 0;
    for (int u = -28; u <= 28; ++u) {
        for (int v = -28; v <= 28; ++v) {
            const double x = u / 28.0;
            const double y = v / 28.0;
            const double rho2 = x * x + y * y;
            const bool ring = rho2 > 0.9 && rho2 <= 1.0;
            EXPECT_EQ(mask(u, v), ring ? 1.0 : 0.0) << u << "," << v;
            open += ring;
        }
    }
    EXPECT_EQ(r.openCells, open);
    EXPECT_GT(open, 0);
}

TEST_F(Pupil, SpiderVaneDoesNotCutTheOuterRing)
{
    Picture picture(true);
    for (int y = 0; y < 256; ++y)
        for (int x = 127; x <= 129; ++x)
            picture.set(x, y, false);
    build(inches(5.0), picture);
    EXPECT_EQ(mask(0, 0), 0.0);
    EXPECT_EQ(mask(0, 20), 0.0);
    EXPECT_EQ(mask(0, -26), 0.0);  // rho^2 = 0.862
    EXPECT_EQ(mask(0, 27), 1.0);   // rho^2 = 0.930
    EXPECT_EQ(mask(0, 28), 1.0);
    EXPECT_EQ(mask(0, -28), 1.0);
    EXPECT_EQ(mask(1, 0), 1.0);    // beside the vane
}

TEST_F(Pupil, CircleOfRadiusSquaredNineTenthsIsBlocked)
{
    // N = 20: (18/20)^2 + (6/20)^2 is exactly 0.9 in double arithmetic.
    PupilResult r = build(inches(20.0 / 5.7));
    ASSERT_EQ(r.N, 20);
    EXPECT_EQ(mask(18, 6), 0.0);
    EXPECT_EQ(mask(-6, 18), 0.0);
    EXPECT_EQ(mask(18, 5), 1.0);
    EXPECT_EQ(mask(18, 7), 1.0);
    EXPECT_EQ(engine->FieldReal(257 + 18, 257 + 6), 0.0);
}

TEST_F(Pupil, ObstructedCellsAreStillCounted)
{
    const int total = build(inches(5.0)).openCells;
    Picture picture(true);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            if ((x - 128) * (x - 128) + (y - 128) * (y - 128) < 50 * 50)
                picture.set(x, y, false);
    PupilResult r = build(inches(5.0), picture);
    EXPECT_EQ(engine->PupilCellCount, total);
    EXPECT_LT(r.openCells, total * 0.9);
    EXPECT_EQ(mask(0, 0), 0.0);
    EXPECT_EQ(engine->FieldReal(257, 257), 0.0);
}

TEST_F(Pupil, PictureIsSampledAtTheScaledCellPosition)
{
    // 8 inches: s = 128 / 45.6. Cell u = 10 samples pixel Round(28.07) + 128.
    Picture picture(true);
    for (int y = 0; y < 256; ++y)
        picture.set(156, y, false);
    build(inches(8.0), picture);
    EXPECT_EQ(mask(10, 0), 0.0);
    EXPECT_EQ(mask(9, 0), 1.0);
    EXPECT_EQ(mask(11, 0), 1.0);
}

TEST_F(Pupil, TurnedDownEdgeAtTheStartRadius)
{
    // N = 40: cell u = 38 lies at rho 0.95, u = 40 on the rim.
    PupilParams p = inches(40.0 / 5.7);
    p.edge = 1.0;
    p.edgeRadius = 95.0;
    PupilResult r = build(p);
    ASSERT_EQ(r.N, 40);
    EXPECT_NEAR(phase(38, 0) / kTwoPi, -0.0461, 5e-5);
    EXPECT_NEAR(phase(40, 0) / kTwoPi, -1.0, 1e-9);
    EXPECT_NEAR(phase(0, -40) / kTwoPi, -1.0, 1e-9);
    EXPECT_EQ(phase(37, 0), 0.0);
    EXPECT_EQ(phase(0, 0), 0.0);
    EXPECT_NEAR(r.minW / kTwoPi, -1.0, 1e-9);
}

TEST_F(Pupil, EdgeZoneOfZeroWidthLeavesTheRimFinite)
{
    PupilParams p = inches(5.0);
    p.edge = 1.0;
    p.edgeRadius = 100.0;
    PupilResult r = build(p);
    EXPECT_EQ(phase(28, 0), 0.0);
    EXPECT_EQ(engine->FieldReal(257 + 28, 257), 1.0);
    EXPECT_TRUE(std::isfinite(r.rms));
    EXPECT_EQ(r.rms, 0.0);
}

TEST_F(Pupil, PhaseScalesWithReferenceOverCurrentWavelength)
{
    // A diameter scaled with the wavelength keeps the same cells, so every
    // cell must carry 555 / 700 of its phase.
    PupilParams p = inches(8.0);
    p.focus = 0.7;
    p.spherical = 0.4;
    p.coma = 0.3;
    p.comaAngle = 30;
    p.pinch = -0.2;
    build(p);
    std::vector<double> at555(engine->WavefrontGrid.cells.begin(), engine->WavefrontGrid.cells.end());
    engine->WaveLength = 700.0;
    p.diameter = 8.0 * 700.0 / 555.0;
    PupilResult r = build(p);
    ASSERT_EQ(r.N, 46);
    int compared = 0;
    for (int u = -46; u <= 46; ++u) {
        for (int v = -46; v <= 46; ++v) {
            const double before = at555[static_cast<size_t>(257 + u) * 517 + 257 + v];
            ASSERT_NEAR(phase(u, v), before * 555.0 / 700.0, 1e-12) << u << "," << v;
            compared += before != 0.0;
        }
    }
    EXPECT_GT(compared, 5000);
}

TEST_F(Pupil, DefocusIsQuadraticInRadius)
{
    PupilParams p = inches(5.0);
    p.focus = 1.0;
    PupilResult r = build(p);
    EXPECT_NEAR(phase(28, 0), kTwoPi, 1e-12);
    EXPECT_NEAR(phase(14, 0), kTwoPi / 4, 1e-12);
    EXPECT_NEAR(phase(0, -14), kTwoPi / 4, 1e-12);
    EXPECT_EQ(phase(0, 0), 0.0);
    EXPECT_NEAR(engine->FieldReal(257 + 14, 257), 0.0, 1e-12);  // cos(pi / 2)
    EXPECT_NEAR(engine->FieldImag(257 + 14, 257), 1.0, 1e-12);
    EXPECT_NEAR(r.maxW, kTwoPi + 1e-5, 1e-12);
    EXPECT_EQ(r.minW, 0.0);
}

TEST_F(Pupil, ComaPointsAlongItsAngleFromPlusXTowardsPlusY)
{
    PupilParams p = inches(5.0);
    p.coma = 1.0;
    p.comaAngle = 90;  // cos(theta): largest along +x, antisymmetric in x
    build(p);
    EXPECT_NEAR(phase(28, 0) / kTwoPi, 0.5, 1e-6);
    EXPECT_NEAR(phase(-28, 0) / kTwoPi, -0.5, 1e-6);
    EXPECT_NEAR(phase(0, 28) / kTwoPi, 0.0, 1e-6);
    p.comaAngle = 180;  // cos(theta + pi / 2) = -sin(theta): largest along -y
    build(p);
    EXPECT_NEAR(phase(0, -28) / kTwoPi, 0.5, 1e-6);
    EXPECT_NEAR(phase(0, 28) / kTwoPi, -0.5, 1e-6);
}

TEST_F(Pupil, AstigmatismAndPinchFollowTheirAngles)
{
    PupilParams p = inches(5.0);
    p.astigmatism = 1.0;
    p.astigmatismAngle = 0;
    build(p);
    EXPECT_NEAR(phase(28, 0) / kTwoPi, 0.5, 1e-6);
    EXPECT_NEAR(phase(0, 28) / kTwoPi, -0.5, 1e-6);
    p.astigmatism = 0.0;
    p.pinch = 1.0;
    build(p);
    // sin(3 theta) x 0.5 rho^2: theta = 30 degrees gives the full half wave.
    const int u = 14;
    const int v = 8;  // atan(8 / 14) = 29.7 degrees
    const double rho2 = (u * u + v * v) / (28.0 * 28.0);
    const double theta = std::atan2(v / 28.0 + 1e-7, u / 28.0 + 1e-7);
    EXPECT_NEAR(phase(u, v), std::sin(3 * theta) * 0.5 * kTwoPi * rho2, 1e-6);
    EXPECT_NEAR(phase(0, 28) / kTwoPi, std::sin(3 * std::numbers::pi / 2) * 0.5, 1e-6);
}

TEST_F(Pupil, TubeCurrentsOnlyBelowTheirBand)
{
    PupilParams p = inches(5.0);
    p.tube = 1.0;
    p.tubeRadius = 0.5;
    build(p);
    EXPECT_EQ(phase(0, 14), 0.0);  // y = 0.5 is not beyond the start
    EXPECT_EQ(phase(0, -20), 0.0);
    EXPECT_NEAR(phase(0, 28) / kTwoPi, 1.0, 1e-12);
    EXPECT_NEAR(phase(0, 21) / kTwoPi, 0.125, 1e-12);  // ((0.75 - 0.5) / 0.5)^3
}

TEST_F(Pupil, LowerSphericalOfOneWaveHasRmsOfPoint298Waves)
{
    PupilParams p = inches(8.0);
    p.spherical = 1.0;
    PupilResult r = build(p);
    // 4 (rho^2 - rho^4 - 1/6) has a standard deviation of sqrt(1/180) x 4.
    EXPECT_NEAR(r.rms / kTwoPi, 0.298, 0.003);
    EXPECT_NEAR(r.mean / kTwoPi, 0.0, 0.01);
}

TEST_F(Pupil, HigherSphericalIsBalancedAroundZero)
{
    PupilParams p = inches(8.0);
    p.higherSpherical = 1.0;
    PupilResult r = build(p);
    // -(10 rho^6 - 15 rho^4 + 6 rho^2 - 0.5) has mean 0 over the disc and
    // RMS 0.5 / sqrt(7).
    EXPECT_NEAR(r.mean / kTwoPi, 0.0, 0.01);
    EXPECT_NEAR(r.rms / kTwoPi, 0.5 / std::sqrt(7.0), 0.005);
    EXPECT_NEAR(phase(0, 0) / kTwoPi, 0.5, 1e-12);
    EXPECT_NEAR(phase(46, 0) / kTwoPi, -0.5, 1e-9);
}

TEST_F(Pupil, ScreensAddFourThousandthsOfTheirValue)
{
    for (int i = 0; i < 517; ++i) {
        for (int j = 0; j < 517; ++j) {
            engine->TurbulenceGrid(i, j) = 100.0;
            engine->RoughnessGrid(i, j) = 50.0;
        }
    }
    PupilParams p = inches(5.0);
    p.turbulence = 0.1;
    build(p);
    EXPECT_NEAR(phase(0, 0), 0.4, 1e-12);
    p.turbulence = 0.0;
    p.roughness = 0.1;
    build(p);
    EXPECT_NEAR(phase(5, 3), 0.2, 1e-12);
}

TEST_F(Pupil, TurbulenceSamplesOffTheGridReadZero)
{
    for (int i = 0; i < 517; ++i)
        for (int j = 0; j < 517; ++j)
            engine->TurbulenceGrid(i, j) = 100.0;
    PupilParams p = inches(5.0);
    p.turbulence = 0.1;
    // A large shift pushes the samples beyond the last cell: the centre reads
    // 129 + 400 on both axes.
    engine->TurbulenceShift = 400;
    build(p);
    EXPECT_EQ(phase(0, 0), 0.0);
    EXPECT_EQ(phase(-28, 0), 0.0);  // first index 403 is inside, second 529 is not
    // A negative shift below the first cell: the centre reads -11.
    engine->TurbulenceShift = -140;
    build(p);
    EXPECT_EQ(phase(0, 0), 0.0);
    EXPECT_NEAR(phase(20, 10), 0.4, 1e-12);  // indices 79 and 34
}

TEST(AngleOf, QuadrantsAndSinglePrecision)
{
    EXPECT_EQ(optics::AngleOf(0.0, 0.0), static_cast<float>(std::numbers::pi / 4));
    EXPECT_EQ(optics::AngleOf(1.0, -1e-7), 1.5707964f);  // x exactly cancelled
    EXPECT_EQ(optics::AngleOf(-1.0, -1e-7), -1.5707964f);
    EXPECT_EQ(optics::AngleOf(-1e-7, -1.0), 0.0f);       // y exactly cancelled
    EXPECT_EQ(optics::AngleOf(-1e-7, -1e-7), 0.0f);
    EXPECT_NEAR(optics::AngleOf(0.5, -0.5), 3 * std::numbers::pi / 4, 1e-6);
    EXPECT_NEAR(optics::AngleOf(-0.5, -0.5), -3 * std::numbers::pi / 4, 1e-6);
    const float a = optics::AngleOf(0.3, 0.7);
    EXPECT_EQ(a, static_cast<float>(std::atan2(0.3 + 1e-7, 0.7 + 1e-7)));
}

TEST_F(Pupil, RefusesDiametersThatGiveNoPupilOnTheGrid)
{
    engine->FieldReal(300, 300) = 7.0;
    EXPECT_THROW(build(inches(0.0)), std::invalid_argument);
    EXPECT_THROW(build(inches(-5.0)), std::invalid_argument);
    EXPECT_THROW(build(inches(0.05)), std::invalid_argument);   // rounds to radius 0
    EXPECT_THROW(build(inches(100.0)), std::invalid_argument);  // radius 570
    EXPECT_THROW(build(inches(std::nan(""))), std::invalid_argument);
    EXPECT_EQ(engine->FieldReal(300, 300), 7.0);
    EXPECT_TRUE(sink.texts.empty());
    // The largest diameter of the controls fits, even at 380 nm.
    engine->WaveLength = 380.0;
    EXPECT_LE(build(inches(25.0)).N, optics::kMaxPupilRadius);
}

}  // namespace
