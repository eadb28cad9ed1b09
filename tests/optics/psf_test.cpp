#include "optics/psf.h"

#include "optics/fft.h"
#include "optics/pupil.h"
#include "support/recording_sink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

using testing_support::RecordingSink;

using optics::Engine;
using optics::PupilParams;

constexpr double kPi = std::numbers::pi;

//! Analytic MTF of a clear circular aperture at frequency nu / cut-off.
double CircularMtf(double nu)
{
    if (nu >= 1.0)
        return 0.0;
    return 2.0 / kPi * (std::acos(nu) - nu * std::sqrt(1.0 - nu * nu));
}

class Psf : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine = Engine::Create();
        optics::FillBitReverse(*engine);
        picture.assign(256 * 256 * 3, 255);
    }

    //! Blocks the picture inside a disc of `radius` pixels around (128, 128).
    void obstruct(double radius)
    {
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                if ((x - 128) * (x - 128) + (y - 128) * (y - 128) < radius * radius)
                    for (int c = 0; c < 3; ++c)
                        picture[(static_cast<size_t>(y) * 256 + x) * 3 + c] = 0;
    }

    void run(const PupilParams& p)
    {
        optics::BuildPupil(*engine, p, {picture.data(), 256, 256, 256 * 3}, sink);
        optics::TransformPupilField(*engine, sink);
        // The display step's intensity and peak.
        float peak = -1e9f;
        for (int a = 1; a <= 512; ++a) {
            for (int b = 1; b <= 512; ++b) {
                const double e = intensityAt(a, b);
                if (e > peak)
                    peak = static_cast<float>(e);
            }
        }
        engine->PeakIntensity = peak;
    }

    double intensityAt(int a, int b) const
    {
        const double re = engine->FieldReal(a, b);
        const double im = engine->FieldImag(a, b);
        return re * re + im * im;
    }
    //! Intensity at offset (i, j) from the zero frequency.
    double centred(int i, int j) const { return intensityAt(1 + ((i + 512) % 512), 1 + ((j + 512) % 512)); }

    static PupilParams inches(double d)
    {
        PupilParams p;
        p.diameter = d;
        return p;
    }

    std::unique_ptr<Engine> engine;
    std::vector<std::uint8_t> picture;
    RecordingSink sink;
};

TEST_F(Psf, PerfectApertureHasItsPeakAtTheCentreAndIsPointSymmetric)
{
    run(inches(5.0));
    const double peak = centred(0, 0);
    EXPECT_FLOAT_EQ(static_cast<float>(peak), engine->PeakIntensity);
    for (int i = -60; i <= 60; ++i) {
        for (int j = -60; j <= 60; ++j) {
            if (i != 0 || j != 0) {
                ASSERT_LT(centred(i, j), peak) << i << "," << j;
            }
            ASSERT_NEAR(centred(i, j), centred(-i, -j), peak * 2e-6) << i << "," << j;
        }
    }
}

TEST_F(Psf, FirstDarkRingOfAPerfectApertureAtAiryRadius)
{
    run(inches(5.0));
    // 1.22 lambda / D for 127 mm at 555 nm is 1.0997 arcsec = 10.96 cells.
    const double airyCells = 1.22 * 555e-9 / 0.127 * 206264.806 / 0.1003;
    for (int axis = 0; axis < 2; ++axis) {
        int first = 0;
        for (int i = 1; i < 40 && first == 0; ++i) {
            const double here = axis == 0 ? centred(i, 0) : centred(0, i);
            const double next = axis == 0 ? centred(i + 1, 0) : centred(0, i + 1);
            if (next > here)
                first = i;
        }
        EXPECT_NEAR(first, airyCells, 1.0) << "axis " << axis;
        EXPECT_LT((axis == 0 ? centred(first, 0) : centred(0, first)) / centred(0, 0), 0.01);
    }
}

TEST_F(Psf, PerfectAperturePeakEqualsTheSquaredCellCount)
{
    run(inches(5.0));
    EXPECT_NEAR(optics::PsfScale(*engine), 1.0, 0.01);
}

TEST_F(Psf, ObstructionLowersThePeakByTheSquaredOpenArea)
{
    obstruct(0.3 * 128);
    run(inches(8.0));
    EXPECT_NEAR(optics::PsfScale(*engine), std::pow(1.0 - 0.3 * 0.3, 2), 0.01 * 0.83);
}

TEST_F(Psf, DefocusStrehlFollowsSinc)
{
    for (double a : {0.1, 0.25}) {
        PupilParams p = inches(8.0);
        p.focus = a;
        run(p);
        const double sinc = std::sin(kPi * a) / (kPi * a);
        EXPECT_NEAR(optics::PsfScale(*engine), sinc * sinc, 0.01 * sinc * sinc) << "defocus " << a;
    }
}

TEST_F(Psf, DefocusKeepsTheImageCentred)
{
    PupilParams p = inches(5.0);
    p.focus = 3.0;
    run(p);
    for (int i = -40; i <= 40; ++i)
        for (int j = -40; j <= 40; ++j)
            ASSERT_NEAR(centred(i, j), centred(-i, -j), engine->PeakIntensity * 2e-6);
}

TEST_F(Psf, TransferFunctionStartsAtTheTotalIntensity)
{
    run(inches(5.0));
    double total = 0.0;
    for (int a = 1; a <= 512; ++a)
        for (int b = 1; b <= 512; ++b)
            total += intensityAt(a, b);
    const int open = engine->PupilCellCount;
    optics::ComputeTransferFunction(*engine, sink);
    // Parseval: the total intensity is 512^2 times the open cell count.
    EXPECT_NEAR(total, 262144.0 * open, 262144.0 * open * 1e-5);
    EXPECT_NEAR(engine->OtfReal(1, 1), total, total * 1e-5);
    EXPECT_LT(engine->OtfImag(1, 1), total * 1e-5);
}

TEST_F(Psf, MtfOfAPerfectApertureFollowsTheCircularAperture)
{
    run(inches(5.0));
    optics::ComputeTransferFunction(*engine, sink);
    // The pupil is 2R = 57 cells across, so the transfer function reaches
    // zero at index 57.
    const double cutoff = 2 * 28.5;
    for (int i = 0; i <= 80; ++i) {
        const double expected = CircularMtf(i / cutoff);
        EXPECT_NEAR(engine->OtfReal(1 + i, 1) / engine->OtfReal(1, 1), expected, 0.02) << i;
        EXPECT_NEAR(engine->OtfReal(1, 1 + i) / engine->OtfReal(1, 1), expected, 0.02) << i;
    }
}

TEST_F(Psf, ObstructionDepressesTheMiddleFrequencies)
{
    obstruct(0.4 * 128);
    run(inches(8.0));
    optics::ComputeTransferFunction(*engine, sink);
    // 2R = 91.2 cells; at a quarter of the cut-off an obstructed aperture
    // transfers clearly less contrast than a clear one.
    const double mtf = engine->OtfReal(1 + 23, 1) / engine->OtfReal(1, 1);
    EXPECT_LT(mtf, CircularMtf(0.25) - 0.1);
    EXPECT_GT(mtf, 0.2);
}

TEST_F(Psf, StagesReportInOrder)
{
    run(inches(5.0));
    optics::ComputeTransferFunction(*engine, sink);
    const std::vector<RecordingSink::Text> expected = {
        {0, "Building aberrations at wavefront"}, {0, "Start Fourier Transform"}, {0, "Calculating PSF/MTF"}};
    EXPECT_EQ(sink.texts, expected);
}

TEST(MtfFrequency, ReachesTheCutOffAtTwiceThePupilRadius)
{
    // 5 inches: 2R = 57 cells; the frequency there is 1.0075.
    EXPECT_NEAR(optics::MtfFrequency(57, 555.0, 5.0f), 1.0075, 1e-4);
    EXPECT_EQ(optics::MtfFrequency(0, 555.0, 5.0f), 0.0);
    EXPECT_NEAR(optics::MtfFrequency(57, 700.0, 5.0f), 1.0075 * 700 / 555, 1e-4);
}

}  // namespace
