#include "simulations/mirror_tests.h"

#include "imaging/display.h"
#include "simulations/chromatic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using sim::MirrorTest;
using sim::MirrorTestRequest;
using sim::MirrorTestResult;

constexpr int kSide = sim::kTestPictureSide;
constexpr int kMiddle = kSide / 2;

// A perfect 8-inch f/6 unless the case changes it.
MirrorTestRequest Mirror(MirrorTest test, double spherical = 0.0, double focus = 0.0)
{
    MirrorTestRequest request;
    request.test = test;
    optics::StarRequest star;
    star.pupil.diameter = 8.0;
    star.pupil.spherical = spherical;
    star.pupil.focus = focus;
    request.pupils = {star};
    request.focalRatio = 6.0;
    return request;
}

MirrorTestResult Draw(const MirrorTestRequest& request)
{
    optics::ScreenCache screens;
    base::Result<MirrorTestResult> result = sim::DrawMirrorTest(request, screens);
    EXPECT_TRUE(result) << result.error();
    return result ? std::move(result).value() : MirrorTestResult{};
}

int Grey(const MirrorTestResult& result, int x, int y)
{
    return result.picture.pixel(x, y).green;
}

// The centres of the dark runs (below half level) of row y, or of column x
// when `column`, between the pixels `from` and `to`; pixels outside the
// aperture (black, with black on the whole run to the rim) are left out by
// starting and ending inside it.
std::vector<double> DarkCentres(const MirrorTestResult& result, int line, int from, int to, bool column = false)
{
    std::vector<double> centres;
    int start = -1;
    for (int k = from; k <= to + 1; ++k) {
        const bool dark = k <= to && (column ? Grey(result, line, k) : Grey(result, k, line)) < 128;
        if (dark && start < 0)
            start = k;
        if (!dark && start >= 0) {
            centres.push_back((start + k - 1) / 2.0);
            start = -1;
        }
    }
    return centres;
}

// Well inside the open part of a line through the middle of an
// unobstructed disc, whose rim pixels are closed.
constexpr int kFirstOpen = 4;
constexpr int kLastOpen = kSide - 5;

std::vector<double> MiddleRowBands(const MirrorTestResult& result)
{
    return DarkCentres(result, kMiddle, kFirstOpen, kLastOpen);
}

struct BandCase {
    double linesPerMm;
    double offsetMm;
    double focalRatio;
    int bands;
};

// The beam at the grating is offset / N wide: as many dark bands as grating
// periods fit across it, inside focus as outside, and straight.
TEST(Ronchi, PerfectMirrorShowsStraightEvenBandsAsManyAsPeriodsAcrossTheBeam)
{
    for (const BandCase c : {BandCase{4.0, 6.0, 6.0, 4}, BandCase{4.0, -6.0, 6.0, 4}, BandCase{2.0, 6.0, 6.0, 2},
                             BandCase{4.0, 12.0, 6.0, 8}, BandCase{4.0, 6.0, 4.0, 6}}) {
        MirrorTestRequest request = Mirror(MirrorTest::Ronchi);
        request.ronchi = {c.linesPerMm, c.offsetMm, 0.0};
        request.focalRatio = c.focalRatio;
        EXPECT_NEAR(sim::RonchiBandCount(request.ronchi, c.focalRatio), c.bands, 1e-9);
        const MirrorTestResult result = Draw(request);
        const std::vector<double> centres = MiddleRowBands(result);
        ASSERT_EQ(centres.size(), static_cast<std::size_t>(c.bands)) << c.linesPerMm << " " << c.offsetMm;
        // Evenly spaced.
        for (std::size_t k = 2; k < centres.size(); ++k)
            EXPECT_NEAR(centres[k] - centres[k - 1], centres[1] - centres[0], 2.0) << c.offsetMm;
        // Straight: every open pixel of a column is the column's middle pixel.
        int bent = 0;
        for (int x = 0; x < kSide; ++x)
            for (int y = 0; y < kSide; ++y)
                if (result.picture.pixel(x, y) != imaging::kBlack && Grey(result, x, y) != Grey(result, x, kMiddle))
                    ++bent;
        EXPECT_EQ(bent, 0) << c.offsetMm;
    }
}

// Turned by 90 degrees the lines lie flat: the bands count down a column.
TEST(Ronchi, TheAngleTurnsTheGrating)
{
    MirrorTestRequest request = Mirror(MirrorTest::Ronchi);
    request.ronchi.angle = 90.0;
    const MirrorTestResult result = Draw(request);
    EXPECT_EQ(DarkCentres(result, kMiddle, kFirstOpen, kLastOpen, true).size(), 4u);
    EXPECT_EQ(MiddleRowBands(result).size(), 0u);
}

// How far the inner edge of the outermost band right of the middle moves
// between the middle row and a row 0.6 of the radius up: 0 for straight
// bands.
double Bend(const MirrorTestResult& result)
{
    const int upper = kMiddle - static_cast<int>(0.6 * kMiddle);
    const auto innerEdge = [&](int row) {
        int edge = -1;
        for (int x = kMiddle; x <= kLastOpen; ++x)
            if (Grey(result, x, row) < 128 && Grey(result, x - 1, row) >= 128)
                edge = x;
        return edge;
    };
    return innerEdge(upper) - innerEdge(kMiddle);
}

// Spherical aberration bends the bands, one way inside focus and the other
// way outside; the textbooks' pictures of an undercorrected mirror.
TEST(Ronchi, SphericalAberrationBendsTheBandsOppositeWaysEitherSideOfFocus)
{
    struct Case {
        double spherical;
        double inside;   // bend at -6 mm
        double outside;  // bend at +6 mm
    };
    std::vector<double> bends;
    for (const double spherical : {0.0, 0.5, -0.5}) {
        double bend[2];
        for (int side = 0; side < 2; ++side) {
            MirrorTestRequest request = Mirror(MirrorTest::Ronchi, spherical);
            request.ronchi.offsetMm = side == 0 ? -6.0 : 6.0;
            bend[side] = Bend(Draw(request));
        }
        if (spherical == 0.0) {
            EXPECT_EQ(bend[0], 0.0);
            EXPECT_EQ(bend[1], 0.0);
        } else {
            EXPECT_GE(std::abs(bend[0]), 2.0) << spherical;
            EXPECT_GE(std::abs(bend[1]), 2.0) << spherical;
            EXPECT_LT(bend[0] * bend[1], 0.0) << spherical;
            bends.push_back(bend[0]);
        }
    }
    // The opposite correction bends them the other way.
    ASSERT_EQ(bends.size(), 2u);
    EXPECT_LT(bends[0] * bends[1], 0.0);
}

// Pixels whose levels differ by more than `tolerance` in a channel (an
// edge pixel with one sub-pixel sample the other way differs by 16).
int DifferentPixels(const MirrorTestResult& a, const MirrorTestResult& b, int tolerance = 0)
{
    int different = 0;
    for (int x = 0; x < kSide; ++x)
        for (int y = 0; y < kSide; ++y) {
            const imaging::Rgb p = a.picture.pixel(x, y);
            const imaging::Rgb q = b.picture.pixel(x, y);
            if (std::abs(p.red - q.red) > tolerance || std::abs(p.green - q.green) > tolerance
                || std::abs(p.blue - q.blue) > tolerance)
                ++different;
        }
    return different;
}

// Moving the grating is moving the focus: a perfect mirror's grating at z
// shows what the grating at focus shows with the focus error of z, and the
// same error from a measured wavefront (Fringe Z4 = 2 rho^2 - 1) shows it too.
TEST(Ronchi, GratingOffsetFocusErrorAndMeasuredDefocusAgree)
{
    // Off the pixel grid: no band edge falls on a sample.
    const double offset = 3.7;
    const double waves = offset / optics::FocusTravelMm(1.0, 6.0);
    MirrorTestRequest moved = Mirror(MirrorTest::Ronchi);
    moved.ronchi.offsetMm = offset;
    MirrorTestRequest focused = Mirror(MirrorTest::Ronchi, 0.0, waves);
    focused.ronchi.offsetMm = 0.0;
    MirrorTestRequest measured = Mirror(MirrorTest::Ronchi);
    measured.ronchi.offsetMm = 0.0;
    std::array<double, optics::kFringeTerms> terms{};
    terms[3] = waves / 2.0;
    measured.pupils[0].measured = std::make_shared<const optics::MeasuredWavefront>(terms, nullptr);
    const MirrorTestResult a = Draw(moved);
    const MirrorTestResult b = Draw(focused);
    const MirrorTestResult c = Draw(measured);
    EXPECT_EQ(MiddleRowBands(a).size(), MiddleRowBands(b).size());
    EXPECT_LT(DifferentPixels(a, b, 30), kSide * kSide / 1000);
    EXPECT_LT(DifferentPixels(a, c, 30), kSide * kSide / 1000);
}

// The screens take part in every picture.
TEST(MirrorTests, TurbulenceChangesEveryPicture)
{
    for (const MirrorTest test : {MirrorTest::Ronchi, MirrorTest::Knife, MirrorTest::Fringes}) {
        MirrorTestRequest calm = Mirror(test);
        MirrorTestRequest seeing = calm;
        seeing.pupils[0].pupil.turbulence = 0.2;
        calm.knife.offsetMm = seeing.knife.offsetMm = -0.3;
        EXPECT_GT(DifferentPixels(Draw(calm), Draw(seeing)), kSide * kSide / 20) << static_cast<int>(test);
    }
}

// Mean grey of the open pixels left and right of a line through the
// middle at `angle` degrees (the knife's edge), within 0.8 of the radius.
struct Halves {
    double knifeSide = 0.0;
    double otherSide = 0.0;
};

Halves MeanHalves(const MirrorTestResult& result, double angle)
{
    const double c = std::cos(angle * M_PI / 180.0);
    const double s = std::sin(angle * M_PI / 180.0);
    double sum[2] = {};
    int count[2] = {};
    for (int px = 0; px < kSide; ++px) {
        for (int py = 0; py < kSide; ++py) {
            const double x = (px - kMiddle) / double(kMiddle);
            const double y = (kMiddle - py) / double(kMiddle);
            const double along = x * c + y * s;
            if (x * x + y * y > 0.64 || std::abs(along) < 0.1)
                continue;
            const int side = along < 0.0 ? 0 : 1;
            sum[side] += Grey(result, px, py);
            ++count[side];
        }
    }
    return {sum[0] / count[0], sum[1] / count[1]};
}

// At focus the knife halves the light of a perfect mirror evenly: both
// halves at the display level of a quarter of the intensity (half the
// amplitude). Inside focus it darkens the mirror on its own side, outside
// on the other; turned, it does so from where it comes in.
TEST(Knife, DarkensEvenlyAtFocusAndFromTheTextbooksSideOffFocus)
{
    struct Case {
        double offsetMm;
        double angle;
        int darker;  // 0 the knife's side, 1 the other, -1 neither
    };
    const imaging::DisplayCurve curve = imaging::BuildDisplayCurve(0.5, 4.5);
    for (const Case c : {Case{0.0, 0.0, -1}, Case{0.0, 90.0, -1}, Case{-0.3, 0.0, 0}, Case{0.3, 0.0, 1},
                         Case{-0.3, 90.0, 0}, Case{0.3, 90.0, 1}, Case{-0.3, 225.0, 0}}) {
        MirrorTestRequest request = Mirror(MirrorTest::Knife);
        request.knife = {c.offsetMm, c.angle};
        const Halves h = MeanHalves(Draw(request), c.angle);
        const std::string what = std::to_string(c.offsetMm) + " mm, " + std::to_string(c.angle) + " degrees";
        if (c.darker < 0) {
            EXPECT_NEAR(h.knifeSide, h.otherSide, 0.04 * h.otherSide) << what;
            EXPECT_NEAR(h.knifeSide, 255.0 * curve[250], 0.1 * 255.0 * curve[250]) << what;
        } else {
            const double dark = c.darker == 0 ? h.knifeSide : h.otherSide;
            const double bright = c.darker == 0 ? h.otherSide : h.knifeSide;
            EXPECT_LT(dark, 0.3 * bright) << what;
        }
    }
}

// The cone of a knife off focus must fit the grid's field: its radius at
// most 160 of the 256 cells, so the largest offset grows with the aperture
// and the square of the focal ratio.
TEST(Knife, OffsetsBeyondTheFieldAreRefusedNamingTheLargest)
{
    struct Case {
        double inches;
        double focalRatio;
        double largest;
    };
    for (const Case c : {Case{8.0, 6.0, 1.1388}, Case{4.0, 4.0, 0.2531}, Case{16.0, 4.0, 1.0123}}) {
        MirrorTestRequest request = Mirror(MirrorTest::Knife);
        request.pupils[0].pupil.diameter = c.inches;
        request.focalRatio = c.focalRatio;
        EXPECT_NEAR(sim::LargestKnifeOffsetMm(request.pupils[0], c.focalRatio), c.largest, 1e-4) << c.inches;
        request.knife.offsetMm = -c.largest * 0.99;
        EXPECT_TRUE(sim::CheckMirrorTest(request)) << c.inches;
        request.knife.offsetMm = c.largest * 1.01;
        const base::Status refused = sim::CheckMirrorTest(request);
        ASSERT_FALSE(refused) << c.inches;
        char largest[48];
        std::snprintf(largest, sizeof largest, "%.2f mm either side", c.largest);
        EXPECT_NE(refused.error().find(largest), std::string::npos) << refused.error();
        optics::ScreenCache screens;
        EXPECT_FALSE(sim::DrawMirrorTest(request, screens));
    }
}

TEST(MirrorTests, RequestsThatCannotBeDrawnAreRefused)
{
    MirrorTestRequest none = Mirror(MirrorTest::Fringes);
    none.pupils.clear();
    MirrorTestRequest huge = Mirror(MirrorTest::Ronchi);
    huge.pupils[0].pupil.diameter = 1000.0;
    MirrorTestRequest noRatio = Mirror(MirrorTest::Ronchi);
    noRatio.focalRatio = 0.0;
    MirrorTestRequest noLines = Mirror(MirrorTest::Ronchi);
    noLines.ronchi.linesPerMm = std::nan("");
    MirrorTestRequest threePass = Mirror(MirrorTest::Fringes);
    threePass.fringes.perWave = 3;
    for (const MirrorTestRequest& request : {none, huge, noRatio, noLines, threePass}) {
        const base::Status checked = sim::CheckMirrorTest(request);
        EXPECT_FALSE(checked);
        EXPECT_FALSE(checked.error().empty());
    }
}

// W waves of defocus without tilt show W rings a fringe per wave, twice as
// many in a double pass, whether the mirror or the reference has it; N tilt
// fringes are N straight fringes in the direction of the angle.
TEST(Fringes, DefocusGivesRingsAndTiltGivesStraightFringes)
{
    struct Case {
        double focus;
        double defocus;
        double tilt;
        double angle;
        int perWave;
        int darkAcrossHalf;  // dark fringes from the middle to the rim (rings), or across (tilt)
    };
    for (const Case c : {Case{2.0, 0.0, 0.0, 0.0, 1, 2}, Case{2.0, 0.0, 0.0, 0.0, 2, 4}, Case{3.0, 0.0, 0.0, 0.0, 1, 3},
                         Case{0.0, 2.0, 0.0, 0.0, 1, 2}, Case{0.0, 0.0, 4.0, 0.0, 1, 4}, Case{0.0, 0.0, 10.0, 0.0, 2, 10},
                         Case{0.0, 0.0, 6.0, 90.0, 1, 6}}) {
        MirrorTestRequest request = Mirror(MirrorTest::Fringes, 0.0, c.focus);
        request.fringes = {c.tilt, c.angle, c.defocus, c.perWave};
        const MirrorTestResult result = Draw(request);
        const std::string what = std::to_string(c.focus) + " " + std::to_string(c.defocus) + " "
                                 + std::to_string(c.tilt) + " x" + std::to_string(c.perWave);
        if (c.tilt == 0.0) {
            EXPECT_EQ(DarkCentres(result, kMiddle, kMiddle, kLastOpen).size(), static_cast<std::size_t>(c.darkAcrossHalf))
                << what;
            continue;
        }
        const bool upright = c.angle == 0.0;
        EXPECT_EQ(DarkCentres(result, kMiddle, kFirstOpen, kLastOpen, !upright).size(), static_cast<std::size_t>(c.darkAcrossHalf))
            << what;
        int bent = 0;
        for (int a = 0; a < kSide; ++a)
            for (int b = 0; b < kSide; ++b) {
                const int x = upright ? a : b;
                const int y = upright ? b : a;
                const int middle = upright ? Grey(result, x, kMiddle) : Grey(result, kMiddle, y);
                // A level apart where the turned fringes round either way.
                if (result.picture.pixel(x, y) != imaging::kBlack && std::abs(Grey(result, x, y) - middle) > 1)
                    ++bent;
            }
        EXPECT_EQ(bent, 0) << what;
    }
}

// Obstruction and spider are black; the rest of the disc is drawn.
TEST(MirrorTests, ObstructionAndSpiderAreBlackInEveryPicture)
{
    for (const MirrorTest test : {MirrorTest::Ronchi, MirrorTest::Knife, MirrorTest::Fringes}) {
        MirrorTestRequest request = Mirror(test);
        request.pupils[0].aperture = {25.0, 0.0, true, 2.0};
        request.fringes.tilt = 0.0;  // a bright disc
        const MirrorTestResult result = Draw(request);
        EXPECT_EQ(result.picture.pixel(kMiddle, kMiddle), imaging::kBlack);         // obstruction
        EXPECT_EQ(result.picture.pixel(kMiddle, kMiddle - 100), imaging::kBlack);   // vane
        EXPECT_EQ(result.picture.pixel(0, 0), imaging::kBlack);                      // outside
        EXPECT_NE(result.picture.pixel(kMiddle + 70, kMiddle - 70), imaging::kBlack) << static_cast<int>(test);
    }
}

// White light: the Chromatic page's rows in colour. Without a focal shift
// every wavelength shows the same bands (grey); a refractor's focal shift
// puts the bands of each colour elsewhere.
TEST(Ronchi, WhiteLightShowsColouredBandsOnlyWithAFocalShift)
{
    const std::vector<sim::ChromaticRow> rows = {{405, 0, 0}, {436, 0, 0}, {486, 0, 0}, {555, 0, 0},
                                                 {589, 0, 0}, {656, 0, 0}, {707, 0, 0}};
    const sim::HeldValue held = [](sim::Setting, double value) { return value; };
    for (const double shift : {0.0, 2.0}) {
        MirrorTestRequest request = Mirror(MirrorTest::Ronchi);
        request.pupils = sim::PlanChromatic(request.pupils[0], rows, shift, held);
        const MirrorTestResult result = Draw(request);
        int coloured = 0;
        int white = 0;
        for (int x = 0; x < kSide; ++x)
            for (int y = 0; y < kSide; ++y) {
                const imaging::Rgb p = result.picture.pixel(x, y);
                const int spread = std::max({p.red, p.green, p.blue}) - std::min({p.red, p.green, p.blue});
                coloured += spread > 40;
                white += p == imaging::kWhite;
            }
        if (shift == 0.0)
            EXPECT_EQ(coloured, 0);
        else
            EXPECT_GT(coloured, kSide * kSide / 20);
        EXPECT_GT(white, kSide * kSide / 10) << shift;
    }
}

}  // namespace

// A knife edge drawn in grids another calculation or knife left (a
// calculator's, or those kept between draws) is the picture of fresh grids,
// bit for bit; the other pictures take the grids as they come.
TEST(Knife, GridsReusedFromEarlierWorkGiveTheSamePicture)
{
    optics::ScreenCache screens;
    optics::StarCalculator calculator(screens);
    optics::NoProgress progress;
    optics::StarRequest earlier;
    earlier.pupil.diameter = 14.0;
    earlier.pupil.focus = 2.0;
    earlier.pupil.coma = 0.7;
    ASSERT_TRUE(calculator.calculate(earlier, progress));
    struct Case {
        const char* name;
        MirrorTestRequest request;
    };
    MirrorTestRequest inside = Mirror(MirrorTest::Knife, 0.5);
    inside.knife = {-0.2, 30.0};
    MirrorTestRequest small = Mirror(MirrorTest::Knife, -0.3);
    small.pupils.front().pupil.diameter = 3.0;
    small.pupils.front().pupil.turbulence = 0.2;
    const Case cases[] = {{"inside focus", inside},
                          {"small and turbulent", small},
                          {"ronchi", Mirror(MirrorTest::Ronchi, 0.5)},
                          {"at focus", Mirror(MirrorTest::Knife)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MirrorTestResult fresh = Draw(c.request);
        const base::Result<MirrorTestResult> reused =
            sim::DrawMirrorTest(c.request, screens, calculator.workspace(), calculator.laneKernel());
        ASSERT_TRUE(reused) << reused.error();
        EXPECT_TRUE(std::equal(fresh.picture.data(), fresh.picture.data() + kSide * kSide * 3,
                               reused->picture.data()));
        EXPECT_EQ(reused->meanLevel, fresh.meanLevel);
    }
}
