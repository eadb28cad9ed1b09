#include "optics/star_calculator.h"

#include "support/checksum.h"
#include "support/recording_progress.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using optics::ScreenCache;
using optics::StarCalculator;
using optics::StarRequest;
using optics::StarResult;
using testing_support::GridChecksum;
using testing_support::RecordingProgress;

StarRequest Request(void (*set)(StarRequest&) = nullptr)
{
    StarRequest r;
    if (set)
        set(r);
    return r;
}

StarResult Calculate(StarCalculator& calculator, const StarRequest& request)
{
    optics::NoProgress progress;
    base::Result<StarResult> result = calculator.calculate(request, progress);
    EXPECT_TRUE(result.ok()) << result.error();
    return std::move(result).value();
}

std::uint64_t StarChecksum(const StarResult& result)
{
    return GridChecksum(result.image->grid);
}

// Whole calculations pinned bit for bit: the star image and, when asked for,
// the transfer function, whether the field is kept or not (the transfer
// function keeps it for itself).
TEST(StarCalculator, ResultsArePinnedOnEveryKernel)
{
    const struct {
        const char* name;
        StarRequest request;
        std::uint64_t star;
        std::uint64_t transfer;
    } cases[] = {
        {"perfect 5 inch", Request([](StarRequest& r) { r.transferFunction = true; }), 1297496620136875227u,
         6204089608784610639u},
        {"coma at an angle",
         Request([](StarRequest& r) { r.pupil.coma = 0.7; r.pupil.comaAngle = 35; r.transferFunction = true; }),
         17767866699280416359u, 9542857550969606297u},
        {"turned-down edge",
         Request([](StarRequest& r) { r.pupil.edge = 0.5; r.pupil.edgeRadius = 85; r.transferFunction = true; }),
         10253204974285303299u, 17220827975489333773u},
        {"millimetres, offset obstruction with spider", Request([](StarRequest& r) {
             r.pupil.millimeters = true; r.pupil.diameter = 200; r.aperture = {25.0, 6.0, true, 2.0};
             r.transferFunction = true;
         }),
         16113972531834803366u, 4011487013398198052u},
        {"turbulence", Request([](StarRequest& r) { r.pupil.turbulence = 0.3; r.screenSeed = 17; }),
         6196098442016275432u, 0},
        {"everything at once", Request([](StarRequest& r) {
             r.pupil.diameter = 12; r.aperture.obstructionPercent = 30; r.pupil.focus = 0.5; r.pupil.coma = 0.2;
             r.pupil.spherical = -0.15; r.pupil.turbulence = 0.1; r.pupil.roughness = 0.05;
             r.transferFunction = true;
         }),
         10322260219038167967u, 13880805915461076349u},
    };
    ScreenCache screens;
    for (optics::LaneKernel kernel : optics::AvailableLaneKernels()) {
        StarCalculator calculator(screens);
        calculator.setLaneKernel(kernel);
        for (const auto& c : cases) {
            for (const bool keepField : {true, false}) {
                StarRequest request = c.request;
                request.keepField = keepField;
                const std::string name = c.name + std::string(keepField ? "" : ", field not kept") + " on "
                                         + optics::LaneKernelName(kernel);
                const StarResult result = Calculate(calculator, request);
                EXPECT_EQ(StarChecksum(result), c.star) << name;
                if (c.transfer != 0) {
                    EXPECT_EQ(GridChecksum(calculator.workspace().spectrumRe), c.transfer) << name;
                }
            }
        }
    }
}

// A busy request and a plain one: masks, screens, transfer function and
// wavefront all change between them.
StarRequest Busy()
{
    return Request([](StarRequest& r) {
        r.pupil.diameter = 10; r.pupil.astigmatism = 0.4; r.pupil.turbulence = 0.2;
        r.aperture = {35.0, 4.0, true, 3.0};
        r.screenDrift = 12; r.transferFunction = true; r.wavefrontMap = true;
    });
}

StarRequest Plain()
{
    return Request([](StarRequest& r) { r.pupil.focus = -1.5; });
}

TEST(StarCalculator, CalculatorsAreIndependentAndKeepNothingBetweenCalls)
{
    ScreenCache screens;
    StarCalculator used(screens);
    StarCalculator fresh(screens);
    const optics::Workspace* workspace = &used.workspace();
    const StarResult busy = Calculate(used, Busy());
    EXPECT_EQ(StarChecksum(Calculate(fresh, Busy())), StarChecksum(busy));
    const StarResult plain = Calculate(used, Plain());
    StarCalculator other(screens);
    const StarResult expected = Calculate(other, Plain());
    EXPECT_EQ(StarChecksum(plain), StarChecksum(expected));
    EXPECT_EQ(plain.image->peak, expected.image->peak);
    EXPECT_EQ(plain.pupil.rms, expected.pupil.rms);
    EXPECT_EQ(*plain.aperture, *expected.aperture);
    EXPECT_FALSE(used.workspace().spectrumAfterPupil);
    // The grids are the calculator's own, allocated once.
    EXPECT_EQ(&used.workspace(), workspace);
    EXPECT_NE(&fresh.workspace(), workspace);
    // The first result is still what it was.
    EXPECT_EQ(StarChecksum(busy), StarChecksum(Calculate(fresh, Busy())));
}

TEST(StarCalculator, CurvesAndWavefrontOnlyWhenAskedFor)
{
    ScreenCache screens;
    StarCalculator calculator(screens);
    for (bool transfer : {false, true}) {
        for (bool wavefront : {false, true}) {
            StarRequest request = Busy();
            request.transferFunction = transfer;
            request.wavefrontMap = wavefront;
            const StarResult result = Calculate(calculator, request);
            EXPECT_EQ(result.curves.has_value(), transfer);
            EXPECT_EQ(calculator.workspace().spectrumAfterPupil, transfer);
            ASSERT_EQ(result.wavefront != nullptr, wavefront);
            if (transfer) {
                EXPECT_EQ(result.curves->psfScale, optics::PsfScale(result.image->peak, result.pupil.cellCount));
            }
            if (!wavefront)
                continue;
            // The map shows cells [129 + x][129 + y] of the pupil.
            const optics::Workspace& ws = calculator.workspace();
            for (int x = 0; x < optics::WavefrontMap::kSide; ++x) {
                for (int y = 0; y < optics::WavefrontMap::kSide; ++y) {
                    ASSERT_EQ(result.wavefront->phaseAt(x, y), ws.phase(129 + x, 129 + y)) << x << "," << y;
                    ASSERT_EQ(result.wavefront->openAt(x, y), ws.mask(129 + x, 129 + y) == 1.0) << x << "," << y;
                }
            }
            EXPECT_TRUE(result.wavefront->openAt(128 + 57, 128));
            EXPECT_FALSE(result.wavefront->openAt(128 + 58, 128));
        }
    }
}

TEST(StarCalculator, RequestsThatDoNotFitAreRefusedWithAReason)
{
    ScreenCache screens;
    StarCalculator calculator(screens);
    calculator.workspace().fieldRe(300, 300) = 7.0;
    for (double diameter : {0.0, -5.0, 0.05, 100.0, std::nan("")}) {
        StarRequest request;
        request.pupil.diameter = diameter;
        EXPECT_FALSE(optics::Fits(request));
        RecordingProgress progress;
        const base::Result<StarResult> result = calculator.calculate(request, progress);
        EXPECT_FALSE(result.ok()) << diameter;
        EXPECT_NE(result.error().find("fits the grid"), std::string::npos) << result.error();
        EXPECT_TRUE(progress.stages.empty());
    }
    EXPECT_EQ(calculator.workspace().fieldRe(300, 300), 7.0);
    EXPECT_FALSE(screens.holds(optics::ScreenKind::Turbulence, {1.0, 0.0}));
    // The same diameter fits at a longer wavelength.
    StarRequest longer;
    longer.pupil.diameter = 50.0;  // radius 285 at 555 nm, 226 at 700 nm
    EXPECT_FALSE(optics::Fits(longer));
    longer.waveLength = 700.0;
    EXPECT_TRUE(optics::Fits(longer));
}

TEST(StarCalculator, ApertureFromItsShapeOrFromAGivenMask)
{
    ScreenCache screens;
    StarCalculator calculator(screens);
    auto with = [](optics::ApertureShape shape) {
        StarRequest r;
        r.pupil.diameter = 8.0;
        r.aperture = shape;
        return r;
    };
    const StarResult clear = Calculate(calculator, with({0.0, 0.0, true, 2.0}));
    EXPECT_FALSE(clear.obstructionLeftOut);
    // An obstruction too large for the picture is left out, and so are the
    // vanes that hold it.
    for (double tooLarge : {95.0, -5.0}) {
        const StarResult r = Calculate(calculator, with({tooLarge, 0.0, true, 2.0}));
        EXPECT_TRUE(r.obstructionLeftOut) << tooLarge;
        EXPECT_EQ(StarChecksum(r), StarChecksum(clear)) << tooLarge;
    }
    const StarResult obstructed = Calculate(calculator, with({25.0, 3.0, true, 2.0}));
    EXPECT_NE(StarChecksum(obstructed), StarChecksum(clear));
    EXPECT_EQ(*obstructed.aperture,
              optics::DrawApertureMask(optics::LayoutAperture({25.0, 3.0, true, 2.0}, obstructed.apertureInches)));
    // A mask of the request replaces the shape.
    StarRequest masked = with({});
    masked.mask = obstructed.aperture;
    const StarResult fromMask = Calculate(calculator, masked);
    EXPECT_EQ(fromMask.aperture, obstructed.aperture);
    EXPECT_EQ(StarChecksum(fromMask), StarChecksum(obstructed));
}

TEST(StarCalculator, ScreensComeFromTheCacheAndAreBuiltOnce)
{
    ScreenCache screens;
    StarCalculator calculator(screens);
    StarRequest request;
    request.pupil.turbulence = 0.2;
    request.pupil.roughness = 0.1;
    request.screenSeed = 3.0;
    request.transferFunction = true;
    RecordingProgress first;
    const StarResult built = calculator.calculate(request, first).value();
    EXPECT_TRUE(built.turbulenceBuilt);
    EXPECT_TRUE(built.roughnessBuilt);
    EXPECT_EQ(first.stages, (std::vector<std::string>{"Calculating Turbulence", "Calculating Roughness",
                                                      "Building aperture", "Fast Fourier Transform",
                                                      "Building aberrations at wavefront", "Start Fourier Transform",
                                                      "Building image", "", "Calculating PSF/MTF"}));
    // Another calculator on the same cache, with a seed that rounds the same.
    StarCalculator other(screens);
    request.screenSeed = 3.2;
    request.transferFunction = false;
    RecordingProgress second;
    const StarResult taken = other.calculate(request, second).value();
    EXPECT_FALSE(taken.turbulenceBuilt);
    EXPECT_FALSE(taken.roughnessBuilt);
    EXPECT_EQ(taken.turbulence, built.turbulence);
    EXPECT_EQ(taken.roughness, built.roughness);
    EXPECT_EQ(StarChecksum(taken), StarChecksum(built));
    EXPECT_EQ(second.stages.front(), "Building aperture");
    EXPECT_EQ(second.stages.back(), "");

    // The pupil centre reads the turbulence screen at cell 129 + drift on both
    // axes and the roughness screen at its centre, 0.004 of each.
    request.screenDrift = 12;
    request.wavefrontMap = true;
    const StarResult drifted = Calculate(other, request);
    EXPECT_EQ(drifted.wavefront->phaseAt(128, 128),
              0.001 * built.turbulence->grid(141, 141) * 4.0 + 0.001 * built.roughness->grid(257, 257) * 4.0);
}

}  // namespace
