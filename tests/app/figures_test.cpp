// The figures of a star as the window shows them: the star page's readouts
// and --dump-state, the focal ratio's conversions, the encircled-energy plot,
// Hold, and the seeing editor.
#include "window_fixture.h"

#include "app/batch_driver.h"
#include "app/calculations.h"
#include "app/simulation_model.h"
#include "imaging/display.h"
#include "optics/figures.h"
#include "optics/seeing.h"
#include "ui/hints.h"
#include "ui/plot_view.h"

#include <QCheckBox>
#include <QSlider>
#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

using namespace app::names;
constexpr double kPi = std::numbers::pi;

//! Strehl ratio of W = 4 a (rho^2 - rho^4 - 1/6) waves over an annulus of
//! obstruction e: |mean of exp(2 pi i W)|^2 over the open area (u = rho^2 is
//! uniform over it), and the RMS of W in waves.
std::pair<double, double> SphericalStrehlAndRms(double a, double e)
{
    constexpr int kSteps = 20000;
    double re = 0, im = 0, sum = 0, squares = 0;
    for (int n = 0; n < kSteps; ++n) {
        const double u = e * e + (1 - e * e) * (n + 0.5) / kSteps;
        const double w = 4 * a * (u - u * u - 1.0 / 6);
        re += std::cos(2 * kPi * w);
        im += std::sin(2 * kPi * w);
        sum += w;
        squares += w * w;
    }
    const double mean = sum / kSteps;
    return {(re * re + im * im) / (double(kSteps) * kSteps), std::sqrt(squares / kSteps - mean * mean)};
}

class Figures : public testing_support::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        driver = std::make_unique<app::BatchDriver>(*window, dialogs);
    }
    void TearDown() override
    {
        driver.reset();
        WindowTest::TearDown();
    }
    QJsonObject state()
    {
        EXPECT_TRUE(driver->run({"--dump-state", path("state.json")}));
        return QJsonDocument::fromJson(testing_support::ReadBytes(path("state.json"))).object();
    }
    ui::PlotSeries* series(const char* plotName, const char* name) const
    {
        ui::PlotView* plot = find<ui::PlotView>(plotName);
        for (int i = 0;; ++i) {
            ui::PlotSeries* s = plot->series(i);
            if (!s || s->name() == QLatin1String(name))
                return s;
        }
    }
    void check(const char* name, bool checked) const { find<QAbstractButton>(name)->setChecked(checked); }
    void telescope(double inches, double obstruction, double spherical) const
    {
        set(kAperture, inches);
        set(kObstruction, obstruction);
        set(kSpherical, spherical);
    }
    static QString fixed(double value, int decimals) { return QLocale::system().toString(value, 'f', decimals); }

    std::unique_ptr<app::BatchDriver> driver;
};

// The telescope of the issue: 8 inches, 25 % obstruction, 0.25 waves of
// spherical aberration, against the textbook integrals.
TEST_F(Figures, TheStarPageAndTheStateGiveStrehlWidthAndEncircledEnergy)
{
    const QJsonObject before = state();
    for (const char* key : {"Strehl", "StrehlMarechal", "StrehlClear", "FwhmArcsec", "EE50Arcsec", "EE80Arcsec"})
        EXPECT_TRUE(before[key].isNull()) << key;
    EXPECT_EQ(before["FocusTravelMm"].toDouble(), 0.0);

    telescope(8, 25, 0);
    calculate();
    const QJsonObject perfect = state();
    telescope(8, 25, 0.25);
    calculate();
    const QJsonObject s = state();
    for (const char* key : {"Strehl", "StrehlMarechal", "StrehlClear", "FwhmArcsec", "EE50Arcsec", "EE80Arcsec",
                            "FocusTravelMm"})
        EXPECT_TRUE(s[key].isDouble()) << key;

    const auto [exact, rms] = SphericalStrehlAndRms(0.25, 0.25);
    EXPECT_NEAR(s["Strehl"].toDouble(), exact, 0.006);
    EXPECT_NEAR(s["StrehlMarechal"].toDouble(), std::exp(-std::pow(2 * kPi * rms, 2)), 0.005);
    EXPECT_NEAR(s["StrehlClear"].toDouble() / s["Strehl"].toDouble(), std::pow(1 - 0.0625, 2), 0.015);
    EXPECT_EQ(perfect["Strehl"].toDouble(), 1.0);
    // The core hardly widens; the light the rings gain widens the 80 % circle.
    EXPECT_NEAR(s["FwhmArcsec"].toDouble(), perfect["FwhmArcsec"].toDouble(), 0.03);
    EXPECT_GT(s["EE50Arcsec"].toDouble(), perfect["EE50Arcsec"].toDouble());
    EXPECT_GT(s["EE80Arcsec"].toDouble(), perfect["EE80Arcsec"].toDouble() + 0.1);

    // The readouts say the same numbers, labelled.
    EXPECT_EQ(label(kStrehl), QStringLiteral("Strehl %1 (\u00f7 perfect)").arg(fixed(s["Strehl"].toDouble(), 3)));
    EXPECT_EQ(label(kMarechal),
              QStringLiteral("Mar\u00e9chal %1 (RMS)").arg(fixed(s["StrehlMarechal"].toDouble(), 3)));
    EXPECT_EQ(label(kStrehlClear),
              QStringLiteral("Peak \u00f7 clear ap. %1").arg(fixed(s["StrehlClear"].toDouble(), 3)));
    EXPECT_EQ(label(kFwhm), QStringLiteral("FWHM %1\u2033").arg(fixed(s["FwhmArcsec"].toDouble(), 2)));
    EXPECT_EQ(label(kEncircledEnergy), QStringLiteral("EE50 %1\u2033  EE80 %2\u2033")
                                           .arg(fixed(s["EE50Arcsec"].toDouble(), 2),
                                                fixed(s["EE80Arcsec"].toDouble(), 2)));
    for (const char* name : {kStrehl, kMarechal, kStrehlClear, kFwhm, kEncircledEnergy})
        EXPECT_TRUE(find<QLabel>(name)->isEnabled()) << name;
}

// An astigmatic star out of its best focus is drawn out along one axis: the
// readout gives the mean and the larger width.
TEST_F(Figures, UnequalAxesShowTheLargerWidth)
{
    set(kAperture, 8);
    set(kAstigmatism, 0.5);
    set(kFocus, 0.25);
    calculate();
    const QJsonObject s = state();
    const double mean = s["FwhmArcsec"].toDouble();
    const double larger = s["FwhmMaxArcsec"].toDouble();
    EXPECT_GT(larger, mean * 1.05);
    EXPECT_EQ(label(kFwhm), QStringLiteral("FWHM %1\u2033 (max %2\u2033)").arg(fixed(mean, 2), fixed(larger, 2)));
}

// The readouts belong to the star in the star picture: another view's star
// without figures greys them, the next Calculate brings them back.
TEST_F(Figures, TheReadoutsFollowTheStarOnShow)
{
    EXPECT_EQ(label(kStrehl), QStringLiteral("Strehl \u2013 (\u00f7 perfect)"));
    set(kFocus, 1);
    calculate();
    const QString measured = label(kStrehl);
    EXPECT_NE(measured, QStringLiteral("Strehl \u2013 (\u00f7 perfect)"));
    EXPECT_TRUE(find<QLabel>(kStrehl)->isEnabled());

    click(kCalculateIntraExtra);  // without PSF/MTF its stars are not measured
    EXPECT_FALSE(find<QLabel>(kStrehl)->isEnabled());
    EXPECT_EQ(label(kStrehl), measured);

    check(kTransferFunction, true);  // with it, they are: the extra-focal star is on show last
    click(kCalculateIntraExtra);
    EXPECT_TRUE(find<QLabel>(kStrehl)->isEnabled());
    EXPECT_LT(state()["Strehl"].toDouble(), 0.5);

    calculate();
    EXPECT_EQ(label(kStrehl), measured);
    EXPECT_TRUE(find<QLabel>(kStrehl)->isEnabled());
}

// Delta z = 8 N^2 lambda W: under the focus editor, on the intra/extra labels
// and in the state, following the focal ratio without a calculation.
TEST_F(Figures, TheFocalRatioGivesFocuserTravelAndTheFocalPlaneScale)
{
    struct Row {
        double focus, ratio;
        const char* travel;
        double millimetres;
    } rows[] = {
        {3, 6, "0.48 mm", 8 * 36 * 555e-6 * 3},
        {-3, 6, "\u22120.48 mm", -8 * 36 * 555e-6 * 3},
        {1, 10, "0.44 mm", 8 * 100 * 555e-6},
        {-0.5, 4, "\u22120.04 mm", -8 * 16 * 555e-6 * 0.5},
        {0, 30, "0.00 mm", 0},
    };
    for (const Row& r : rows) {
        set(kFocus, r.focus);
        set(kFocalRatio, r.ratio);
        EXPECT_EQ(label(kFocusTravel), QString::fromUtf8(r.travel)) << r.focus << " f/" << r.ratio;
        EXPECT_NEAR(state()["FocusTravelMm"].toDouble(), r.millimetres, 1e-12);
    }

    set(kFocus, 3);
    set(kFocalRatio, 6);
    click(kCalculateIntraExtra);
    EXPECT_EQ(label(kIntraLabel), QStringLiteral("-3 (\u22120.48 mm)"));
    EXPECT_EQ(label(kExtraLabel), QStringLiteral("3 (0.48 mm)"));
    set(kFocalRatio, 4);
    EXPECT_EQ(label(kIntraLabel), QStringLiteral("-3 (\u22120.21 mm)"));
    EXPECT_EQ(label(kExtraLabel), QStringLiteral("3 (0.21 mm)"));

    // 256 cells of 0.10035 arcsec at the focal length N x D of the star on show.
    set(kAperture, 10);
    calculate();
    for (const double ratio : {4.0, 8.0}) {
        set(kFocalRatio, ratio);
        const double micrometres = 256 * 0.10035 / 206264.8 * ratio * 254.0e3;
        EXPECT_EQ(label(kStarImageLabel),
                  QStringLiteral("Star image (25 arcseconds, %1 \u00b5m)").arg(std::round(micrometres)));
    }
    set(kAperture, 5);  // not calculated: the picture still shows the 10-inch star
    EXPECT_TRUE(label(kStarImageLabel).contains(QString::number(std::round(256 * 0.10035 / 206264.8 * 8 * 254.0e3))));
}

// The MTF against cycles per arcsecond (cut-off D / lambda) and line pairs per
// millimetre (cut-off 1 / (lambda N)), and back.
TEST_F(Figures, TheMtfFrequencyAxisInThreeUnits)
{
    check(kTransferFunction, true);
    set(kAperture, 8);
    calculate();
    ui::PlotSeries* mtf = series(kMtfPlot, kMtfX);
    std::vector<double> normalised;
    for (int i = 0; i < mtf->count(); ++i)
        normalised.push_back(mtf->x(i));
    auto* choice = find<QComboBox>(kCurveChoice);

    const double cyclesPerArcsec = 0.2032 / 555e-9 / 206264.806;  // 1.775
    choice->setCurrentIndex(1);
    for (const int i : {10, 100, 200})
        EXPECT_NEAR(mtf->x(i), normalised[i] * cyclesPerArcsec, 1e-6) << i;
    EXPECT_NEAR(find<ui::PlotView>(kMtfPlot)->xAxis->range().upper, cyclesPerArcsec, 1e-6);

    choice->setCurrentIndex(2);
    EXPECT_NEAR(mtf->x(200), normalised[200] / (555e-6 * 6), 1e-9);
    set(kFocalRatio, 10);
    EXPECT_NEAR(mtf->x(200), normalised[200] / (555e-6 * 10), 1e-9);
    EXPECT_EQ(find<ui::PlotView>(kMtfPlot)->xAxis->label(), QStringLiteral("Line pairs per mm (f/10)"));

    choice->setCurrentIndex(0);
    for (int i = 0; i < mtf->count(); ++i)
        ASSERT_EQ(mtf->x(i), normalised[i]) << i;
    EXPECT_EQ(find<ui::PlotView>(kMtfPlot)->xAxis->range().upper, 1.0);
}

// A clear perfect aperture holds 83.8 % of its light within the first dark
// ring (1.22 lambda / D), and its curve is the perfect telescope's.
TEST_F(Figures, TheEncircledEnergyPlotTakesTheMtfPlotsPlace)
{
    check(kTransferFunction, true);
    set(kAperture, 8);
    calculate();
    find<QComboBox>(kCurveChoice)->setCurrentIndex(3);
    EXPECT_FALSE(find<QWidget>(kEnergyPlot)->isHidden());
    EXPECT_TRUE(find<QWidget>(kMtfPlot)->isHidden());
    ui::PlotSeries* energy = series(kEnergyPlot, kEnergyLine);
    ui::PlotSeries* perfect = series(kEnergyPlot, kEnergyPerfect);
    ASSERT_EQ(energy->count(), 201);
    ASSERT_EQ(perfect->count(), 201);
    // Pupil radius 46 cells: the ring at 1.2197 x 256 / 46 cells.
    const double ring = 1.2197 * 256.0 / 46 * optics::kArcsecPerCell;
    const int point = static_cast<int>(std::round(ring / 0.05));
    EXPECT_NEAR(energy->y(point), 0.838, 0.01) << energy->x(point);
    for (int i = 0; i < energy->count(); ++i)
        ASSERT_EQ(energy->y(i), perfect->y(i)) << i;
    for (int i = 1; i < energy->count(); ++i)
        ASSERT_GE(energy->y(i), energy->y(i - 1) - 1e-4) << i;

    find<QComboBox>(kCurveChoice)->setCurrentIndex(0);
    EXPECT_TRUE(find<QWidget>(kEnergyPlot)->isHidden());
    EXPECT_FALSE(find<QWidget>(kMtfPlot)->isHidden());
}

// Hold keeps the curves (dashed) and the star; the star page shows the held
// star beside the current one at the same scale and display settings.
TEST_F(Figures, HoldComparesTheNextCalculationWithTheHeldOne)
{
    check(kTransferFunction, true);
    telescope(8, 25, 0);
    calculate();
    ui::PlotSeries* psf = series(kPsfPlot, kPsfX);
    std::vector<double> perfectPsf;
    for (int i = 0; i < psf->count(); ++i)
        perfectPsf.push_back(psf->y(i));
    const optics::StarImagePtr perfectStar = window->model().starImage();
    EXPECT_FALSE(find<QCheckBox>(kShowHeld)->isEnabled());

    click(kHoldCurves);
    set(kSpherical, 0.25);
    calculate();
    ui::PlotSeries* held = series(kPsfPlot, kPsfXHeld);
    ASSERT_EQ(held->count(), 201);
    for (int i = 0; i < held->count(); ++i)
        ASSERT_EQ(held->y(i), perfectPsf[i]) << i;
    EXPECT_NE(psf->y(100), perfectPsf[100]);
    EXPECT_EQ(find<ui::PlotView>(kPsfPlot)->graph(0)->pen().style(), Qt::DashLine);
    EXPECT_EQ(series(kMtfPlot, kMtfXHeld)->count(), 256);
    // The energy curves are drawn when their plot is chosen.
    EXPECT_EQ(series(kEnergyPlot, kEnergyHeld)->count(), 0);
    find<QComboBox>(kCurveChoice)->setCurrentIndex(3);
    EXPECT_EQ(series(kEnergyPlot, kEnergyHeld)->count(), 201);
    EXPECT_EQ(series(kEnergyPlot, kEnergyLine)->count(), 201);
    find<QComboBox>(kCurveChoice)->setCurrentIndex(0);
    // The axis reaches the higher (held) peak.
    EXPECT_NEAR(find<ui::PlotView>(kPsfPlot)->leftMaximum(), perfectPsf[100], 1e-9);
    EXPECT_TRUE(ui::hintOf(find<QLabel>(kNowLegend)).startsWith(QStringLiteral("Now: 8 in, obs. 25 %, sph 0.25")));
    EXPECT_TRUE(
        ui::hintOf(find<QLabel>(kHeldLegend)).startsWith(QStringLiteral("Held (- -): 8 in, obs. 25 %; Strehl 1")));

    // Beside: the middle 128 columns of each star picture, held on the left.
    ASSERT_TRUE(find<QCheckBox>(kShowHeld)->isEnabled());
    check(kShowHeld, true);
    const auto expectBeside = [&] {
        const app::SimulationModel& model = window->model();
        const QImage shown = picture(kStarImage).convertToFormat(QImage::Format_RGB888);
        const imaging::PixelBuffer heldPicture =
            imaging::DrawStarPicture(perfectStar->grid, model.curve(), model.look());
        const imaging::PixelBuffer* now = model.picture(app::Place::Star);
        for (int y = 0; y < 256; y += 5) {
            for (int x = 0; x < 128; x += 3) {
                const QRgb left = shown.pixel(x, y);
                const imaging::Rgb h = heldPicture.pixel(x + 64, y);
                ASSERT_EQ(left, qRgb(h.red, h.green, h.blue)) << x << "," << y;
                if (x == 0)
                    continue;  // the divider
                const QRgb right = shown.pixel(128 + x, y);
                const imaging::Rgb n = now->pixel(x + 64, y);
                ASSERT_EQ(right, qRgb(n.red, n.green, n.blue)) << x << "," << y;
            }
        }
    };
    expectBeside();
    set(kGamma, 0.7);  // both halves follow the display settings
    expectBeside();
    find<QSlider>(kBrightness)->setValue(50);
    expectBeside();

    // Released: nothing dashed, the star picture whole again.
    click(kHoldCurves);
    EXPECT_EQ(series(kPsfPlot, kPsfXHeld)->count(), 0);
    EXPECT_EQ(series(kMtfPlot, kMtfYHeld)->count(), 0);
    EXPECT_EQ(label(kHeldLegend), QString());
    EXPECT_FALSE(find<QCheckBox>(kShowHeld)->isEnabled());
    const imaging::PixelBuffer* now = window->model().picture(app::Place::Star);
    EXPECT_EQ(picture(kStarImage).convertToFormat(QImage::Format_RGB888).pixel(30, 128),
              qRgb(now->pixel(30, 128).red, now->pixel(30, 128).green, now->pixel(30, 128).blue));
    EXPECT_EQ(find<ui::PlotView>(kPsfPlot)->leftMaximum(), window->model().curveCalculation()->curves->psfScale);
}

// The seeing sets the turbulence amount for the aperture; an amount typed
// puts the seeing back to 0; Reset clears both.
TEST_F(Figures, SeeingSetsTheTurbulenceAmount)
{
    set(kAperture, 8);
    set(kSeeing, 1.5);
    const double amount = optics::TurbulenceForSeeing(1.5, 8.0);
    EXPECT_EQ(window->calculations().request().pupil.turbulence, amount);
    EXPECT_EQ(edit(kTurbulenceAmount)->text(), fixed(amount, 2));
    EXPECT_GT(amount, 0.1);

    set(kAperture, 16);  // twice the aperture needs more turbulence for the same seeing
    const double wider = optics::TurbulenceForSeeing(1.5, 16.0);
    EXPECT_GT(wider, amount);
    EXPECT_EQ(window->calculations().request().pupil.turbulence, wider);
    EXPECT_EQ(edit(kTurbulenceAmount)->text(), fixed(wider, 2));
    EXPECT_DOUBLE_EQ(edit(kSeeing)->value(), 1.5);

    set(kTurbulenceAmount, 0.3);  // typed: the amount as typed
    EXPECT_EQ(edit(kSeeing)->value(), 0.0);
    EXPECT_EQ(window->calculations().request().pupil.turbulence, 0.3);
    set(kAperture, 8);
    EXPECT_EQ(window->calculations().request().pupil.turbulence, 0.3);

    set(kSeeing, 2);
    dialogs.queueAnswer(ui::MessageButton::Ok);
    click(kResetAberrations);
    EXPECT_EQ(edit(kSeeing)->value(), 0.0);
    EXPECT_EQ(edit(kTurbulenceAmount)->value(), 0.0);
    EXPECT_EQ(window->calculations().request().pupil.turbulence, 0.0);
}

}  // namespace
