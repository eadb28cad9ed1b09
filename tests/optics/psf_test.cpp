#include "optics/psf.h"

#include "optics/pupil.h"
#include "support/recording_progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

using optics::PupilParams;
using testing_support::RecordingProgress;

constexpr double kPi = std::numbers::pi;

// MTF of a clear circular aperture at frequency nu / cut-off.
double CircularMtf(double nu)
{
    return nu >= 1.0 ? 0.0 : 2.0 / kPi * (std::acos(nu) - nu * std::sqrt(1.0 - nu * nu));
}

// ---- The display step -------------------------------------------------------

class DisplayStep : public ::testing::Test {
protected:
    // Puts raw intensity `value` where the quadrant swap moves it to star
    // cell [i][j].
    void setIntensityAt(int i, int j, double value)
    {
        ws->fieldRe(1 + (i - 1 + 256) % 512, 1 + (j - 1 + 256) % 512) = std::sqrt(value);
    }
    std::shared_ptr<optics::StarImage> form() { return optics::FormStarImage(*ws, progress); }

    std::unique_ptr<optics::Workspace> ws = optics::Workspace::Create();
    RecordingProgress progress;
};

// Images are reused once let go: a reused one is the image a fresh one would
// be, whatever its last holder left in it, border included.
TEST_F(DisplayStep, AReusedImageKeepsNothingOfItsLastHolder)
{
    ws->fieldRe(1, 1) = 0.6;
    ws->fieldRe(3, 5) = 0.2;
    const std::vector<double> fresh = [&] {
        const auto star = form();
        return std::vector<double>(star->grid.cells.begin(), star->grid.cells.end());
    }();
    for (int round = 0; round < 20; ++round) {
        std::vector<std::shared_ptr<optics::StarImage>> held;
        for (int k = 0; k < 3; ++k) {
            held.push_back(form());
            std::fill(held.back()->grid.cells.begin(), held.back()->grid.cells.end(), 7.0);
        }
        held.clear();
        const auto star = form();
        ASSERT_TRUE(std::equal(fresh.begin(), fresh.end(), star->grid.cells.begin())) << round;
    }
}

TEST_F(DisplayStep, NormalisesTheIntensityByItsSinglePrecisionPeakAroundTheCentre)
{
    ws->fieldRe(1, 1) = 0.6;
    ws->fieldIm(1, 1) = 0.8;  // intensity 1 at zero frequency
    ws->fieldRe(3, 5) = std::sqrt(1.0 / 3.0);
    const auto star = form();
    EXPECT_EQ(ws->intensity(1, 1), 0.36 + 0.64);
    EXPECT_NEAR(ws->intensity(3, 5), 1.0 / 3.0, 1e-15);
    EXPECT_EQ(star->peak, 1.0f);
    EXPECT_DOUBLE_EQ(star->grid(257, 257), 1.0 / 1.00001);
    EXPECT_DOUBLE_EQ(star->grid(259, 261), ws->intensity(3, 5) / 1.00001);
    // Row and column 0 are never written.
    EXPECT_EQ(star->grid(0, 257), 0.0);
    EXPECT_EQ(star->grid(257, 0), 0.0);
    EXPECT_EQ(progress.stages, (std::vector<std::string>{"Building image", ""}));

    // A peak that is not a float is rounded before it normalises.
    ws->fieldRe(1, 1) = 0.0;
    ws->fieldIm(1, 1) = 0.0;
    const auto third = form();
    EXPECT_EQ(third->peak, static_cast<float>(ws->intensity(3, 5)));
    const double k = 1.0 / (static_cast<double>(third->peak) + 0.00001);
    EXPECT_EQ(third->grid(259, 261), k * ws->intensity(3, 5));
}

TEST_F(DisplayStep, QuadrantsSwapAcrossTheCentre)
{
    // The four corners of the transform region meet around [257][257].
    for (auto [i, j] : {std::pair{1, 512}, {512, 1}, {256, 256}, {257, 257}})
        ws->fieldRe(i, j) = 1.0;
    const auto star = form();
    const double top = 1.0 / 1.00001;
    EXPECT_EQ(star->grid(257, 256), top);
    EXPECT_EQ(star->grid(256, 257), top);
    EXPECT_EQ(star->grid(512, 512), top);
    EXPECT_EQ(star->grid(1, 1), top);
}

TEST_F(DisplayStep, NonFiniteCellsNeverBecomeThePeakAndAZeroFieldStaysZero)
{
    EXPECT_EQ(form()->peak, 0.0f);
    setIntensityAt(257, 257, 4.0);
    ws->fieldRe(5, 5) = std::nan("");
    const auto star = form();
    EXPECT_EQ(star->peak, 4.0f);
    EXPECT_TRUE(std::isnan(star->grid(261, 261)));
}

// Runs a loop's ranges in reverse order and in uneven pieces, as threads
// that finish in any order might.
class Backwards final : public optics::LoopRunner {
public:
    void run(int count, const std::function<void(int, int)>& body) override
    {
        for (int last = count; last > 0;) {
            const int first = std::max(0, last - 1 - last % 7);
            body(first, last);
            last = first;
        }
    }
};

// The intensity formed row by row as the transform writes it gives the
// image, peak, stages and intensity grid of the one formed afterwards, on
// every kernel, alone and shared out.
TEST(FormedWhileTransforming, GivesTheImageFormedAfterTheTransform)
{
    PupilParams params;
    params.diameter = 5.0;
    params.focus = 3.0;
    optics::Raster raster(256, 256, 1);
    const optics::ApertureMask open(std::move(raster));
    Backwards backwards;
    const auto scratch = std::make_unique<optics::TransformScratch>();
    // Handed on, the rows come from a buffer each thread reuses for its next
    // group: the intensity must be formed from the rows of its own group.
    for (const optics::LaneKernel kernel : optics::AvailableLaneKernels()) {
        for (const bool shared : {false, true}) {
            for (const optics::ResultRows rows : {optics::ResultRows::Stored, optics::ResultRows::HandedOn}) {
                const bool stored = rows == optics::ResultRows::Stored;
                SCOPED_TRACE(std::string(optics::LaneKernelName(kernel)) + (shared ? ", shared" : ", alone")
                             + (stored ? ", stored" : ", handed on"));
                const optics::TransformRunner runner{kernel, shared ? &backwards : nullptr, scratch.get()};
                std::unique_ptr<optics::Workspace> after = optics::Workspace::Create();
                std::unique_ptr<optics::Workspace> during = optics::Workspace::Create();
                RecordingProgress told[2];
                for (optics::Workspace* ws : {after.get(), during.get()})
                    optics::BuildPupil(*ws, params, open, {}, 555.0, told[0]);
                told[0].stages.clear();
                optics::TransformPupilField(*after, told[0], runner);
                const auto want = optics::FormStarImage(*after, told[0], runner.loops);
                const optics::FormedIntensity formed =
                    optics::TransformPupilFieldToIntensity(*during, told[1], runner, rows);
                const auto got = optics::FormStarImage(*during, formed, told[1], runner.loops);
                EXPECT_EQ(got->peak, want->peak);
                EXPECT_GT(got->peak, 0.0f);
                EXPECT_EQ(0, std::memcmp(got->grid.cells.data(), want->grid.cells.data(), sizeof got->grid.cells));
                EXPECT_EQ(0, std::memcmp(during->intensity.cells.data(), after->intensity.cells.data(),
                                         sizeof after->intensity.cells));
                EXPECT_EQ(told[0].stages, told[1].stages);
                if (stored) {
                    EXPECT_EQ(0, std::memcmp(during->fieldRe.cells.data(), after->fieldRe.cells.data(),
                                             sizeof after->fieldRe.cells));
                }
            }
        }
    }
}

// ---- Star images of real pupils ---------------------------------------------

class Psf : public ::testing::Test {
protected:
    // The star image of a pupil with the pixels of the mask within `obstruction`
    // x 128 pixels of the centre closed.
    void run(const PupilParams& p, double obstruction = 0.0)
    {
        optics::Raster raster(256, 256, 1);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                if ((x - 128) * (x - 128) + (y - 128) * (y - 128) < std::pow(obstruction * 128, 2))
                    raster.set(x, y, 0);
        pupil = optics::BuildPupil(*ws, p, optics::ApertureMask(std::move(raster)), {}, 555.0, progress);
        optics::TransformPupilField(*ws, progress);
        star = optics::FormStarImage(*ws, progress);
    }
    double centred(int i, int j) const { return star->grid(257 + i, 257 + j); }
    double strehl() const { return optics::PsfScale(star->peak, pupil.cellCount); }
    // The transfer function relative to its zero frequency.
    double mtf(int i, int j) const { return ws->spectrumRe(1 + i, 1 + j) / ws->spectrumRe(1, 1); }

    static PupilParams Inches(double d, double focus = 0.0)
    {
        PupilParams p;
        p.diameter = d;
        p.focus = focus;
        return p;
    }

    std::unique_ptr<optics::Workspace> ws = optics::Workspace::Create();
    RecordingProgress progress;
    optics::PupilSummary pupil;
    std::shared_ptr<optics::StarImage> star;
};

TEST_F(Psf, InFocusOrNotTheImageHasItsPeakAtTheCentreAndIsPointSymmetric)
{
    for (double focus : {0.0, 3.0}) {
        run(Inches(5.0, focus));
        if (focus == 0.0) {
            EXPECT_EQ(star->peak, static_cast<float>(ws->intensity(1, 1)));
        }
        for (int i = -60; i <= 60; ++i) {
            for (int j = -60; j <= 60; ++j) {
                if (focus == 0.0 && (i != 0 || j != 0)) {
                    ASSERT_LT(centred(i, j), centred(0, 0)) << i << "," << j;
                }
                ASSERT_NEAR(centred(i, j), centred(-i, -j), 2e-6) << focus << " at " << i << "," << j;
            }
        }
    }
}

TEST_F(Psf, FirstDarkRingOfAPerfectApertureAtAiryRadius)
{
    run(Inches(5.0));
    // 1.22 lambda / D for 127 mm at 555 nm is 1.0997 arcsec = 10.96 cells.
    const double airyCells = 1.22 * 555e-9 / 0.127 * 206264.806 / 0.1003;
    for (int axis = 0; axis < 2; ++axis) {
        auto at = [&](int i) { return axis == 0 ? centred(i, 0) : centred(0, i); };
        int first = 0;
        for (int i = 1; i < 40 && first == 0; ++i)
            if (at(i + 1) > at(i))
                first = i;
        EXPECT_NEAR(first, airyCells, 1.0) << "axis " << axis;
        EXPECT_LT(at(first) / at(0), 0.01);
    }
}

// The peak against the squared cell count of a clear aperture: 1 for a
// perfect one, the squared open area for an obstructed one, sinc^2 for a
// small defocus.
TEST_F(Psf, PeakScaleIsTheStrehlRatio)
{
    const double sinc1 = std::sin(kPi * 0.1) / (kPi * 0.1);
    const double sinc25 = std::sin(kPi * 0.25) / (kPi * 0.25);
    const struct {
        PupilParams params;
        double obstruction;
        double expected;
        double tolerance;
    } cases[] = {
        {Inches(5.0), 0.0, 1.0, 0.01},
        {Inches(8.0), 0.3, std::pow(1.0 - 0.3 * 0.3, 2), 0.01 * 0.83},
        {Inches(8.0, 0.1), 0.0, sinc1 * sinc1, 0.01 * sinc1 * sinc1},
        {Inches(8.0, 0.25), 0.0, sinc25 * sinc25, 0.01 * sinc25 * sinc25},
    };
    for (const auto& c : cases) {
        run(c.params, c.obstruction);
        EXPECT_NEAR(strehl(), c.expected, c.tolerance) << c.params.diameter << " " << c.obstruction;
    }
    EXPECT_EQ(optics::PsfScale(4.0f, 0), 0.0);
    EXPECT_EQ(optics::PsfScale(4.0f, 2), 1.0);
}

TEST_F(Psf, TransferFunctionStartsAtTheTotalIntensityAndFollowsTheCircularAperture)
{
    run(Inches(5.0));
    double total = 0.0;
    for (int a = 1; a <= 512; ++a)
        for (int b = 1; b <= 512; ++b)
            total += ws->intensity(a, b);
    optics::ComputeTransferFunction(*ws, progress);
    EXPECT_TRUE(ws->spectrumAfterPupil);
    // Parseval: the total intensity is 512^2 times the open cell count.
    EXPECT_NEAR(total, 262144.0 * pupil.openCells, 262144.0 * pupil.openCells * 1e-5);
    EXPECT_NEAR(ws->spectrumRe(1, 1), total, total * 1e-5);
    EXPECT_LT(ws->spectrumIm(1, 1), total * 1e-5);
    // The pupil is 2R = 57 cells across, so the transfer function reaches
    // zero at index 57.
    for (int i = 0; i <= 80; ++i) {
        EXPECT_NEAR(mtf(i, 0), CircularMtf(i / 57.0), 0.02) << i;
        EXPECT_NEAR(mtf(0, i), CircularMtf(i / 57.0), 0.02) << i;
    }
    EXPECT_EQ(progress.stages,
              (std::vector<std::string>{"Building aberrations at wavefront", "Start Fourier Transform",
                                        "Building image", "", "Calculating PSF/MTF"}));
}

TEST_F(Psf, ObstructionDepressesTheMiddleFrequencies)
{
    run(Inches(8.0), 0.4);
    optics::ComputeTransferFunction(*ws, progress);
    // 2R = 91.2 cells; at a quarter of the cut-off an obstructed aperture
    // transfers clearly less contrast than a clear one.
    EXPECT_LT(mtf(23, 0), CircularMtf(0.25) - 0.1);
    EXPECT_GT(mtf(23, 0), 0.2);
}

TEST(MtfFrequency, ReachesTheCutOffAtTwiceThePupilRadius)
{
    // 5 inches: 2R = 57 cells; the frequency there is 1.0075.
    EXPECT_NEAR(optics::MtfFrequency(57, 555.0, 5.0f), 1.0075, 1e-4);
    EXPECT_EQ(optics::MtfFrequency(0, 555.0, 5.0f), 0.0);
    EXPECT_NEAR(optics::MtfFrequency(57, 700.0, 5.0f), 1.0075 * 700 / 555, 1e-4);
}

// The cuts run along the first index for x and the second for y.
TEST(ExtractCurves, CutsThroughTheCentreAndAlongTheAxesOfTheTransferFunction)
{
    auto star = std::make_unique<optics::StarImage>();
    star->peak = 16.0f;
    star->grid(257 + 3, 257) = 0.5;
    star->grid(257, 257 - 2) = 0.25;
    auto transfer = std::make_unique<optics::Grid>();
    (*transfer)(1, 1) = 8.0;
    (*transfer)(1 + 4, 1) = 2.0;
    (*transfer)(1, 1 + 5) = 1.0;
    const optics::PsfMtfCurves c = optics::ExtractCurves(*star, 2, *transfer, 555.0, 5.0f);
    EXPECT_EQ(c.psfScale, 4.0);
    EXPECT_DOUBLE_EQ(c.psfX[103].x, 0.3);
    EXPECT_EQ(c.psfX[103].y, 2.0);
    EXPECT_EQ(c.psfY[103].y, 0.0);
    EXPECT_DOUBLE_EQ(c.psfY[98].x, -0.2);
    EXPECT_EQ(c.psfY[98].y, 1.0);
    EXPECT_EQ(c.mtfX[4].y, 0.25);
    EXPECT_EQ(c.mtfY[5].y, 0.125);
    EXPECT_EQ(c.mtfY[4].y, 0.0);
    EXPECT_EQ(c.mtfX[57].x, optics::MtfFrequency(57, 555.0, 5.0f));
    EXPECT_DOUBLE_EQ(c.perfect[96].x, 1.0);
    EXPECT_EQ(c.perfect[50].y, optics::PerfectMtfTable[50]);
}

}  // namespace
