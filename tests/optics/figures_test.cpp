#include "optics/figures.h"

#include "optics/seeing.h"
#include "optics/star_calculator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>

namespace {

using optics::kArcsecPerCell;
constexpr double kPi = std::numbers::pi;
constexpr double kRadianArcsec = 180.0 * 3600.0 / kPi;

// ---- Conversions: each against the textbook formula with its own numbers.

TEST(FigureUnits, FocuserTravelIsEightNSquaredLambdaPerWave)
{
    struct Row {
        double waves, focalRatio, millimetres;
    } rows[] = {
        {3.0, 6.0, 8 * 36 * 555e-6 * 3},    // the star test of an f/6: 0.48 mm
        {-3.0, 6.0, -8 * 36 * 555e-6 * 3},  // inside focus
        {1.0, 10.0, 8 * 100 * 555e-6},
        {0.5, 4.0, 8 * 16 * 555e-6 * 0.5},
        {0.0, 30.0, 0.0},
    };
    for (const Row& r : rows)
        EXPECT_NEAR(optics::FocusTravelMm(r.waves, r.focalRatio), r.millimetres, 1e-12)
            << r.waves << " f/" << r.focalRatio;
    EXPECT_NEAR(optics::FocusTravelMm(3.0, 6.0), 0.4795, 1e-4);
}

TEST(FigureUnits, FocalPlaneAndCutOff)
{
    // 1 arcsec at the 1219.2 mm focus of an 8-inch f/6.
    EXPECT_NEAR(optics::FocalPlaneMicrometres(1.0, 8.0, 6.0), 1219.2e3 / kRadianArcsec, 1e-9);
    EXPECT_NEAR(optics::FocalPlaneMicrometres(25.0, 5.0, 10.0), 25.0 * 1270.0e3 / kRadianArcsec, 1e-9);
    // D / lambda: 0.2032 m / 555 nm per radian.
    EXPECT_NEAR(optics::CutoffCyclesPerArcsec(8.0, 555.0), 0.2032 / 555e-9 / kRadianArcsec, 1e-9);
    EXPECT_NEAR(optics::CutoffCyclesPerArcsec(8.0, 555.0), 1.775, 1e-3);
    // 1 / (lambda N): 300 line pairs per mm at f/6.
    EXPECT_NEAR(optics::CutoffLinePairsPerMm(6.0, 555.0), 1.0 / (555e-6 * 6.0), 1e-9);
    EXPECT_NEAR(optics::CutoffLinePairsPerMm(6.0, 555.0), 300.3, 0.05);
    // The grid: lambda / (512 cells of a pupil of 1 inch / 5.7 / 2 cells).
    EXPECT_NEAR(kArcsecPerCell, 0.10035, 1e-5);
}

TEST(FigureUnits, MarechalIsExpOfMinusTwoPiSigmaSquared)
{
    for (const double sigmaWaves : {0.0, 0.02, 0.05, 0.1, 0.2}) {
        const double expected = std::exp(-std::pow(2 * kPi * sigmaWaves, 2));
        EXPECT_NEAR(optics::MarechalStrehl(2 * kPi * sigmaWaves), expected, 1e-15) << sigmaWaves;
    }
    EXPECT_NEAR(optics::MarechalStrehl(2 * kPi * 0.1), 0.6738, 1e-4);
}

// ---- Measurements on images whose answers are known exactly.

//! A round Gaussian star of width sigma (cells) centred at (ci, cj), periodic
//! on the 512-cell grid, peak 1.
std::unique_ptr<optics::Grid> Gaussian(double sigma, double ci, double cj)
{
    auto grid = std::make_unique<optics::Grid>();
    for (int i = 1; i <= 512; ++i) {
        for (int j = 1; j <= 512; ++j) {
            // The nearest periodic copy.
            const double di = std::remainder(i - ci, 512.0);
            const double dj = std::remainder(j - cj, 512.0);
            (*grid)(i, j) = std::exp(-(di * di + dj * dj) / (2 * sigma * sigma));
        }
    }
    return grid;
}

struct GaussianCase {
    double sigma;
    double ci;
    double cj;
};

class GaussianStar : public ::testing::TestWithParam<GaussianCase> {};

TEST_P(GaussianStar, WidthsEnergyAndCentreAreTheGaussians)
{
    const GaussianCase c = GetParam();
    const auto grid = Gaussian(c.sigma, c.ci, c.cj);
    const double fwhm = 2 * std::sqrt(2 * std::log(2.0)) * c.sigma;

    // The brightest cell's lines are Gaussians of the same width, whatever
    // fraction of a cell the centre lies off it.
    const optics::Widths widths = optics::MeasureFwhm(*grid);
    EXPECT_NEAR(widths.x, fwhm, 1e-4 * fwhm);
    EXPECT_NEAR(widths.y, fwhm, 1e-4 * fwhm);

    // The spectrum comes from the single-precision transform.
    const optics::EncircledEnergy energy(*grid);
    EXPECT_NEAR(energy.centreI(), c.ci, 1e-5);
    EXPECT_NEAR(energy.centreJ(), c.cj, 1e-5);
    for (const double r : {0.5, 1.0, 2.0, 3.5, 8.0, 20.0}) {
        const double expected = 1 - std::exp(-r * r / (2 * c.sigma * c.sigma));
        EXPECT_NEAR(energy.at(r), expected, 2e-6) << "radius " << r;
        EXPECT_NEAR(energy.ringAverage(r) / energy.ringAverage(0.0), std::exp(-r * r / (2 * c.sigma * c.sigma)),
                    2e-5)
            << "radius " << r;
    }
    EXPECT_NEAR(energy.radiusFor(0.5), c.sigma * std::sqrt(2 * std::log(2.0)), 2e-4);
    EXPECT_NEAR(energy.radiusFor(0.8), c.sigma * std::sqrt(2 * std::log(5.0)), 2e-4);
    EXPECT_NEAR(energy.roundWidth(), fwhm, 1e-3);
}

std::string GaussianName(const ::testing::TestParamInfo<GaussianCase>& info)
{
    const char* const names[] = {"Centred", "OffTheCell", "Wider", "FarOut", "AcrossTheEdge"};
    return names[info.index];
}

INSTANTIATE_TEST_SUITE_P(CentredAndOff, GaussianStar,
                         ::testing::Values(GaussianCase{2.0, 257.0, 257.0}, GaussianCase{2.0, 257.3, 256.8},
                                           GaussianCase{3.5, 250.5, 270.25}, GaussianCase{6.0, 100.0, 400.7},
                                           // Across the grid's edge: the image is periodic.
                                           GaussianCase{4.0, 2.5, 511.0}),
                         GaussianName);

TEST(ImageLineTest, PassesThroughTheCellsAndIsPeriodic)
{
    const auto grid = Gaussian(3.0, 200.4, 300.0);
    const optics::ImageLine line(*grid, true, 300);
    for (const int cell : {1, 150, 200, 201, 512})
        EXPECT_DOUBLE_EQ(line.at(cell), (*grid)(cell, 300));
    EXPECT_NEAR(line.at(200.4), 1.0, 1e-9);
    EXPECT_NEAR(line.at(200.4 + 512), 1.0, 1e-9);
    EXPECT_NEAR(line.at(203.4), std::exp(-9.0 / 18.0), 1e-9);
}

TEST(EnergyCurveTest, RunsToTenArcsecondsInTwentiethsOfOne)
{
    const auto grid = Gaussian(3.0, 257.0, 257.0);
    const std::vector<optics::CurvePoint> curve = optics::EnergyCurve(optics::EncircledEnergy(*grid));
    ASSERT_EQ(curve.size(), 201u);
    EXPECT_EQ(curve.front().x, 0.0);
    EXPECT_EQ(curve.front().y, 0.0);
    EXPECT_NEAR(curve.back().x, 10.0, 1e-12);
    const double r = 20 * 0.05 / kArcsecPerCell;  // point 20: 1 arcsec
    EXPECT_NEAR(curve[20].y, 1 - std::exp(-r * r / 18.0), 2e-6);
}

// ---- Figures of the calculator's stars against the textbook.

optics::StarRequest Telescope(double inches, double obstruction = 0.0)
{
    optics::StarRequest request;
    request.pupil.diameter = inches;
    request.aperture.obstructionPercent = obstruction;
    request.figures = true;
    return request;
}

class StarFiguresTest : public ::testing::Test {
protected:
    optics::StarResult calculate(const optics::StarRequest& request)
    {
        return calculator.calculate(request, quiet).value();
    }
    optics::ScreenCache screens;
    optics::StarCalculator calculator{screens};
    optics::NoProgress quiet;
};

TEST_F(StarFiguresTest, APerfectTelescopeHasStrehlOneAndTheAiryWidths)
{
    for (const double inches : {3.0, 8.0, 14.0}) {
        const optics::StarResult star = calculate(Telescope(inches));
        const optics::StarFigures& f = *star.figures;
        EXPECT_EQ(f.strehl, 1.0) << inches;
        EXPECT_NEAR(f.strehlMarechal, 1.0, 1e-12);
        // Cells at rho^2 = 0.9 exactly are blocked: a few of the thousands.
        EXPECT_NEAR(f.strehlClear, 1.0, 1e-3);
        // The pupil of integer radius N spans 2N of the 512 cells: lambda / D
        // is 256 / N cells. Airy: FWHM 1.029, EE50 0.5348, EE80 0.8969 lambda / D.
        const double lambdaOverD = 256.0 / star.pupil.N * kArcsecPerCell;
        EXPECT_NEAR(f.fwhmArcsec() / lambdaOverD, 1.029, 0.005) << inches;
        EXPECT_NEAR(f.fwhmXArcsec, f.fwhmYArcsec, 1e-5);
        EXPECT_NEAR(f.ee50Arcsec / lambdaOverD, 0.5348, 0.003) << inches;
        EXPECT_NEAR(f.ee80Arcsec / lambdaOverD, 0.8969, 0.005) << inches;
        ASSERT_TRUE(f.perfect);
        EXPECT_EQ(f.energy().size(), f.perfect->energy.size());
        for (std::size_t n = 0; n < f.energy().size(); ++n)
            EXPECT_EQ(f.energy()[n].y, f.perfect->energy[n].y);
    }
}

TEST_F(StarFiguresTest, StrehlOfDefocusIsSincSquaredAndObstructionOnlyLowersThePeakOverAClearAperture)
{
    struct Row {
        double focus, obstruction;
    } rows[] = {{0.1, 0}, {0.2, 0}, {0.3, 0}, {0.2, 25}, {0.0, 33}};
    for (const Row& r : rows) {
        optics::StarRequest request = Telescope(8.0, r.obstruction);
        request.pupil.focus = r.focus;
        const optics::StarFigures f = *calculate(request).figures;
        const double e = r.obstruction / 100.0;
        // W = a rho^2 over an annulus: |integral of exp(2 pi i a u) du| over
        // u = rho^2 from e^2 to 1, relative to the perfect annulus.
        const double a = r.focus * (1 - e * e);
        const double exact = a == 0.0 ? 1.0 : std::pow(std::sin(kPi * a) / (kPi * a), 2);
        EXPECT_NEAR(f.strehl, exact, 0.005) << r.focus << " " << r.obstruction;
        // The perfect annulus peaks at (1 - e^2)^2 of the clear aperture.
        EXPECT_NEAR(f.strehlClear / f.strehl, std::pow(1 - e * e, 2), 0.015) << r.obstruction;
        EXPECT_GT(f.strehlMarechal, f.strehl - 0.02);
    }
}

TEST_F(StarFiguresTest, StrehlOfSphericalAberrationIsTheRadialIntegral)
{
    // W = 4 a (rho^2 - rho^4 - 1/6) waves: S = |2 integral exp(2 pi i W) rho drho|^2
    // over the annulus, divided by (1 - e^2)^2.
    const auto exact = [](double a, double e) {
        constexpr int kSteps = 20000;
        double re = 0, im = 0;
        for (int n = 0; n < kSteps; ++n) {
            const double u = e * e + (1 - e * e) * (n + 0.5) / kSteps;  // u = rho^2
            const double phase = 2 * kPi * 4 * a * (u - u * u - 1.0 / 6);
            re += std::cos(phase);
            im += std::sin(phase);
        }
        return (re * re + im * im) / (double(kSteps) * kSteps);
    };
    for (const auto& [a, obstruction] : {std::pair{0.1, 0.0}, std::pair{0.25, 0.0}, std::pair{0.25, 25.0},
                                         std::pair{0.4, 0.0}}) {
        optics::StarRequest request = Telescope(8.0, obstruction);
        request.pupil.spherical = a;
        const optics::StarFigures f = *calculate(request).figures;
        EXPECT_NEAR(f.strehl, exact(a, obstruction / 100.0), 0.006) << a << " " << obstruction;
    }
}

TEST_F(StarFiguresTest, FiguresLeaveTheGridsAsTheCalculationAloneLeavesThem)
{
    optics::StarRequest request = Telescope(6.0, 30.0);
    request.pupil.spherical = 0.3;
    request.pupil.coma = 0.2;
    request.transferFunction = true;
    optics::StarRequest plain = request;
    plain.figures = false;

    optics::ScreenCache otherScreens;
    optics::StarCalculator other(otherScreens);
    const optics::StarResult with = calculate(request);
    const optics::StarResult without = other.calculate(plain, quiet).value();
    EXPECT_FALSE(without.figures);
    EXPECT_EQ(with.image->grid.cells, without.image->grid.cells);
    EXPECT_EQ(with.image->peak, without.image->peak);
    const optics::Workspace& a = calculator.workspace();
    const optics::Workspace& b = other.workspace();
    EXPECT_EQ(a.fieldRe.cells, b.fieldRe.cells);
    EXPECT_EQ(a.fieldIm.cells, b.fieldIm.cells);
    EXPECT_EQ(a.intensity.cells, b.intensity.cells);
    EXPECT_EQ(a.mask.cells, b.mask.cells);
    EXPECT_EQ(a.phase.cells, b.phase.cells);
    EXPECT_EQ(a.spectrumRe.cells, b.spectrumRe.cells);
    EXPECT_EQ(a.spectrumAfterPupil, b.spectrumAfterPupil);
}

TEST_F(StarFiguresTest, ThePerfectStarIsKeptPerGeometry)
{
    optics::StarRequest request = Telescope(8.0, 25.0);
    const auto first = calculator.perfectStar(request);
    request.pupil.spherical = 0.5;  // errors do not change the perfect telescope
    EXPECT_EQ(calculator.perfectStar(request), first);

    optics::StarRequest wider = request;
    wider.aperture.obstructionPercent = 35.0;
    const auto obstructed = calculator.perfectStar(wider);
    EXPECT_NE(obstructed, first);
    EXPECT_LT(obstructed->peak, first->peak);
    optics::StarRequest red = request;
    red.waveLength = 645.0;
    EXPECT_NE(calculator.perfectStar(red), first);
    // Still kept after the others.
    EXPECT_EQ(calculator.perfectStar(request), first);

    // A new calculator finds the same star.
    optics::ScreenCache otherScreens;
    optics::StarCalculator other(otherScreens);
    const auto again = other.perfectStar(request);
    EXPECT_EQ(again->peak, first->peak);
    EXPECT_EQ(again->fwhmArcsec, first->fwhmArcsec);

    optics::StarRequest none = request;
    none.pupil.diameter = 0.0;
    EXPECT_EQ(calculator.perfectStar(none), nullptr);
}

// ---- Seeing

TEST(Seeing, ZeroSeeingIsNoTurbulenceAndTheAmountGrowsWithSeeingAndAperture)
{
    EXPECT_EQ(optics::TurbulenceForSeeing(0.0, 8.0), 0.0);
    EXPECT_EQ(optics::TurbulenceForSeeing(-1.0, 8.0), 0.0);
    double last = 0.0;
    for (double seeing = 0.25; seeing <= 5.0; seeing += 0.25) {
        const double amount = optics::TurbulenceForSeeing(seeing, 8.0);
        EXPECT_GT(amount, last) << seeing;
        last = amount;
    }
    EXPECT_GT(optics::TurbulenceForSeeing(2.0, 12.0), optics::TurbulenceForSeeing(2.0, 6.0));
    // Beyond the calibrated range the amount stays at its end.
    EXPECT_EQ(optics::TurbulenceForSeeing(5.0, 25.0) <= 1.0, true);
    EXPECT_EQ(optics::TurbulenceForSeeing(50.0, 25.0), 1.0);
}

TEST(Seeing, TheAmountDependsOnSeeingOverLambdaOverD)
{
    // The same seeing in units of lambda / D gives the same amount.
    for (const auto& [seeing, inches] : {std::pair{1.0, 8.0}, std::pair{2.5, 5.0}, std::pair{0.7, 16.0}})
        EXPECT_NEAR(optics::TurbulenceForSeeing(seeing, inches), optics::TurbulenceForSeeing(2 * seeing, inches / 2),
                    1e-12);
}

TEST(Seeing, SeeingAndAmountAreInverse)
{
    for (const double inches : {4.0, 8.0, 16.0}) {
        for (const double seeing : {0.3, 1.0, 2.0, 3.5}) {
            const double amount = optics::TurbulenceForSeeing(seeing, inches);
            EXPECT_NEAR(optics::SeeingForTurbulence(amount, inches), seeing, 1e-9) << seeing << " " << inches;
        }
    }
    // At 555 nm a seeing shrinks as lambda^-1/5.
    EXPECT_NEAR(optics::SeeingAtReference(1.0), std::pow(555.0 / 500.0, -0.2), 1e-12);
    EXPECT_NEAR(optics::SeeingAtReference(1.0), 0.9794, 1e-4);
    // The table starts at the telescope's own width and rises.
    EXPECT_NEAR(optics::LongExposureWidth(0.0), 1.02, 0.01);
    EXPECT_GT(optics::LongExposureWidth(0.5), 10.0);
}

}  // namespace
