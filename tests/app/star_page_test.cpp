// What one star calculation shows besides the star: the PSF and MTF plots,
// the resolution and undersampling readouts, the aperture, wavefront and
// screen pictures.
#include "window_fixture.h"

#include "app/simulation_model.h"
#include "imaging/colour.h"
#include "optics/phase_screen.h"
#include "optics/psf.h"
#include "ui/plot_view.h"

#include <QCheckBox>
#include <QLocale>
#include <QRadioButton>

#include <cmath>
#include <functional>
#include <numbers>
#include <tuple>
#include <vector>

namespace {

using namespace app::names;

double CircularMtf(double nu)
{
    if (nu >= 1.0)
        return 0.0;
    return 2.0 / std::numbers::pi * (std::acos(nu) - nu * std::sqrt(1.0 - nu * nu));
}

class StarPage : public testing_support::WindowTest {
protected:
    ui::PlotSeries* series(const char* name) const
    {
        const QString n = QString::fromLatin1(name);
        ui::PlotView* plot = find<ui::PlotView>(n.startsWith(QLatin1String("PSF")) ? kPsfPlot : kMtfPlot);
        for (int i = 0;; ++i) {
            ui::PlotSeries* s = plot->series(i);
            if (!s || s->name() == n)
                return s;
        }
    }
    void check(const char* name, bool checked) const { find<QAbstractButton>(name)->setChecked(checked); }
    bool open(int x, int y) const { return (picture(kAperturePicture).pixel(x, y) & 0xffffff) == 0xffffff; }
    double number(const char* name, const QString& prefix) const
    {
        const QString text = label(name);
        EXPECT_TRUE(text.startsWith(prefix)) << text.toStdString();
        return QLocale::system().toDouble(text.mid(prefix.size()).section(QLatin1Char(' '), 0, 0));
    }
};

TEST_F(StarPage, APerfectFiveInchTelescopeHasTheAiryPsfAndTheMtfOfACircle)
{
    check(kTransferFunction, true);
    calculate();
    ASSERT_EQ(series(kPsfX)->count(), 201);
    ASSERT_EQ(series(kPsfY)->count(), 201);
    ASSERT_EQ(series(kMtfPerfect)->count(), 101);
    ASSERT_EQ(series(kMtfX)->count(), 256);
    ASSERT_EQ(series(kMtfY)->count(), 256);

    const app::SimulationModel::Trace& trace = window->model().trace();
    const double scale = optics::PsfScale(trace.display->peak, trace.cellCount);
    EXPECT_NEAR(scale, 1.0, 0.01);
    EXPECT_DOUBLE_EQ(find<ui::PlotView>(kPsfPlot)->leftMaximum(), scale);
    EXPECT_DOUBLE_EQ(series(kPsfX)->x(0), -10.0);
    EXPECT_DOUBLE_EQ(series(kPsfX)->x(200), 10.0);
    EXPECT_NEAR(series(kPsfX)->y(100), 1.0, 0.01);
    EXPECT_LT(series(kPsfX)->y(112), 0.01);  // the first dark ring, 1.2 arcseconds out
    EXPECT_NEAR(series(kPsfY)->y(90), series(kPsfX)->y(110), 1e-5);
    EXPECT_EQ(series(kMtfX)->y(0), 1.0);
    EXPECT_EQ(series(kMtfY)->y(0), 1.0);
    for (int i = 0; i < 256; ++i) {
        const double x = series(kMtfX)->x(i);
        EXPECT_NEAR(series(kMtfX)->y(i), CircularMtf(x), 0.02) << "x " << x;
        EXPECT_NEAR(series(kMtfY)->y(i), CircularMtf(x), 0.02) << "x " << x;
    }
    for (int i = 0; i <= 100; ++i)
        EXPECT_NEAR(series(kMtfPerfect)->y(i), CircularMtf(series(kMtfPerfect)->x(i)), 0.02) << i;
    EXPECT_DOUBLE_EQ(series(kMtfPerfect)->x(96), 1.0);
    EXPECT_EQ(series(kPsfX)->colour(), QColor(Qt::green));
    EXPECT_EQ(series(kPsfY)->colour(), QColor(Qt::red));
    EXPECT_EQ(series(kMtfPerfect)->colour(), QColor(Qt::black));
}

// The PSF plot ends at the peak of the unobstructed telescope's PSF, or at 1
// with "Set Max=1"; without PSF/MTF the plots keep their curves.
TEST_F(StarPage, TheObstructionLowersThePsfAndThePlotsKeepTheirCurvesWithoutPsfMtf)
{
    set(kAperture, 8.0);
    set(kObstruction, 30.0);
    check(kTransferFunction, true);
    calculate();
    const double expected = std::pow(1.0 - 0.3 * 0.3, 2);  // 0.828
    EXPECT_NEAR(find<ui::PlotView>(kPsfPlot)->leftMaximum(), expected, 0.01 * expected);
    EXPECT_NEAR(series(kPsfX)->y(100), expected, 0.01 * expected);
    check(kPsfMaxOne, true);
    calculate();
    EXPECT_EQ(find<ui::PlotView>(kPsfPlot)->leftMaximum(), 1.0);
    const double peak = series(kPsfX)->y(100);
    EXPECT_NEAR(peak, expected, 0.01 * expected);

    check(kTransferFunction, false);
    set(kFocus, 1.0);
    set(kObstruction, 20.0);
    calculate();
    EXPECT_EQ(series(kPsfX)->y(100), peak);
    EXPECT_EQ(series(kPsfX)->count(), 201);
    // Without the transfer function the aperture mask is what OtfImag holds.
    EXPECT_EQ(grid("OtfImag")(257, 257), 0.0);
    EXPECT_EQ(grid("OtfImag")(257 + 28, 257), 1.0);
}

TEST_F(StarPage, ResolutionAndTheUndersamplingWarning)
{
    const auto resolution = [](double arcseconds) {
        return QStringLiteral("Max. resolution (x) = ") + QLocale::system().toString(arcseconds, 'g', 15) + "arcsec.";
    };
    struct Row {
        bool millimetres;
        double aperture, focus;
        double resolution;
        bool undersampled;
    } rows[] = {
        {false, 5, 0, 0.89, false},
        {false, 5, 4, 0.89, true},
        {false, 5, -1.5, 0.89, false},
        {true, 200, 0, 0.57, false},
    };
    for (const Row& r : rows) {
        click(r.millimetres ? kMillimeters : kInches);
        set(kAperture, r.aperture);
        set(kFocus, r.focus);
        calculate();
        EXPECT_EQ(label(kResolution), resolution(r.resolution)) << r.focus;
        EXPECT_EQ(find(kUndersampled)->isVisibleTo(window.get()), r.undersampled) << r.focus;
    }
}

// The obstruction is shifted by its offset; the spider vanes are as wide as
// set in millimetres, whatever the unit of the diameter. The pupil has the
// same holes as the picture.
TEST_F(StarPage, TheAperturePictureShowsTheObstructionOffsetAndTheSpider)
{
    struct Row {
        const char* what;
        std::function<void()> setUp;
        float inches;
        std::vector<QPoint> openPixels, blockedPixels;
        std::vector<QPoint> openCells, blockedCells;
    } rows[] = {
        {"offset",
         [this] {
             set(kAperture, 8.0);
             set(kObstruction, 25.0);
             set(kOffset, 10.0);
         },
         8.0f, {{82, 128}, {147, 128}, {115, 95}}, {{83, 128}, {146, 128}, {115, 96}, {0, 0}},
         {{257 + 15, 257}}, {{257 - 15, 257}}},
        {"spider",
         [this] {
             click(kMillimeters);
             set(kAperture, 200.0);
             set(kObstruction, 20.0);
             check(kSpider, true);
             set(kVaneWidth, 2.0);
         },
         7.8740157f, {{126, 20}, {130, 20}, {20, 130}}, {{127, 20}, {129, 20}, {20, 129}}, {}, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        createWindow();
        r.setUp();
        calculate();
        EXPECT_FLOAT_EQ(window->model().trace().apertureInches, r.inches);
        for (const QPoint& p : r.openPixels)
            EXPECT_TRUE(open(p.x(), p.y())) << p.x() << "," << p.y();
        for (const QPoint& p : r.blockedPixels)
            EXPECT_FALSE(open(p.x(), p.y())) << p.x() << "," << p.y();
        for (const QPoint& c : r.openCells)
            EXPECT_EQ(grid("OtfImag")(c.x(), c.y()), 1.0);
        for (const QPoint& c : r.blockedCells)
            EXPECT_EQ(grid("OtfImag")(c.x(), c.y()), 0.0);
    }
}

// An obstruction the picture cannot show is left out, and its editor goes
// back to 0 (hiding the offset and the spider).
TEST_F(StarPage, AnObstructionTooLargeIsLeftOutAndItsEditorReset)
{
    set(kObstruction, 90.0);
    calculate();
    EXPECT_EQ(edit(kObstruction)->value(), 90.0);
    EXPECT_FALSE(open(128, 128));

    check(kSpider, true);
    set(kObstruction, 95.0);
    ASSERT_TRUE(edit(kOffset)->isVisibleTo(window.get()));
    calculate();
    EXPECT_EQ(edit(kObstruction)->value(), 0.0);
    EXPECT_FALSE(edit(kOffset)->isVisibleTo(window.get()));
    EXPECT_FALSE(find<QCheckBox>(kSpider)->isChecked());
    EXPECT_TRUE(open(128, 128));
    EXPECT_TRUE(open(128, 20));
    EXPECT_EQ(grid("OtfImag")(257, 257), 1.0);
}

TEST_F(StarPage, TheWavefrontPictureAndItsReadouts)
{
    check(kWavefront, true);
    calculate();
    const imaging::Rgb flat = imaging::WavelengthToRgb(528);
    EXPECT_EQ(picture(kWavefrontPicture).pixel(128, 128) & 0xffffff, qRgb(flat.red, flat.green, flat.blue) & 0xffffff);
    EXPECT_EQ(number(kRms, "RMS: "), 0.0);
    EXPECT_EQ(label(kRmsWaves), "");
    EXPECT_EQ(label(kPeakToValleyWaves), "");
    const QString zero = QLocale::system().toString(0.0, 'f', 3);
    EXPECT_EQ(label(kPeakToValley), "PV: lo " + zero + " hi " + zero);

    set(kSpherical, 1.0);
    calculate();
    EXPECT_NEAR(number(kRms, "RMS: "), 0.298, 0.003);
    EXPECT_NEAR(number(kRmsWaves, "1/"), 1 / 0.298, 0.04);
    EXPECT_TRUE(label(kRmsWaves).endsWith(" wave"));
    EXPECT_TRUE(label(kPeakToValley).startsWith("PV: lo -"));
    EXPECT_TRUE(label(kPeakToValleyWaves).startsWith("1/"));
}

// The picture shows the screen's grey levels with x to the right and y down;
// its 129th row falls outside the box.
TEST_F(StarPage, TheScreensAreDrawnOnTheirPage)
{
    set(kSeed, 3);
    set(kTurbulenceAmount, 0.1);
    set(kRoughnessAmount, 0.5);
    calculate();
    optics::NoProgress quiet;
    for (const auto& [name, kind, amplitude] :
         {std::tuple{kTurbulencePicture, optics::ScreenKind::Turbulence, 0.1},
          std::tuple{kRoughnessPicture, optics::ScreenKind::Roughness, 0.5}}) {
        const optics::ScreenPicture levels = optics::BuildScreen(kind, {3.0, amplitude}, quiet)->picture;
        ASSERT_NE(levels.level(3, 40), levels.level(40, 3));  // not symmetric: a swap would show
        const QImage& shown = picture(name);
        ASSERT_EQ(shown.size(), QSize(129, 128));
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 129; ++x)
                ASSERT_EQ(shown.pixel(x, y), qRgb(levels.level(x, y), levels.level(x, y), levels.level(x, y)))
                    << name << " " << x << "," << y;
    }
    // A zero amplitude gives a black picture.
    set(kTurbulenceAmount, 0.0);
    calculate();
    const QImage& flat = picture(kTurbulencePicture);
    for (int y = 0; y < flat.height(); ++y)
        for (int x = 0; x < flat.width(); ++x)
            ASSERT_EQ(flat.pixel(x, y) & 0xffffff, 0u);
}

}  // namespace
