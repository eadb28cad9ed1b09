// The intra/extra and chromatic views, driven through their buttons and
// checked against plain calculations of the stars they are made of.
#include "window_fixture.h"

#include "app/simulation_model.h"
#include "imaging/display.h"
#include "simulations/chromatic.h"

#include <QSlider>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

using namespace app::names;
using testing_support::GridChecksum;
using testing_support::ImageChecksum;

const QRect kIntraSide(0, 0, 200, 200);
const QRect kExtraSide(304, 0, 200, 200);
const QStringList kIntraExtraProgress = {"Building focussed image", "Building Intra-focal image",
                                         "Building In-focus image", "", ""};

class FocusViews : public testing_support::WindowTest {
protected:
    QImage part(const char* name, const QRect& area) const
    {
        return picture(name).copy(area).convertToFormat(QImage::Format_RGB32);
    }
    static int brightest(const QImage& image)
    {
        int level = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                level = std::max(level, qGray(image.pixel(x, y)));
        return level;
    }
    long count(const std::string& stage) const
    {
        return std::count(window->stages.begin(), window->stages.end(), stage);
    }
};

// In focus at half the aperture (the pattern twice as large), then at minus
// and plus the defocus; none computes the transfer function.
TEST_F(FocusViews, IntraExtraShowsTheStarInFocusAtHalfApertureAndOnBothSides)
{
    struct Row {
        double focus, aperture;
        bool transfer;
        const char* intra;
        const char* extra;
        double halfAperture;
    } rows[] = {
        // With the focuser travel at the default f/6: 8 x 36 x 555 nm per wave.
        {3, 5, true, "-3 (\u22120.48 mm)", "3 (0.48 mm)", 2.5},
        {-2, 3, false, "-2 (\u22120.32 mm)", "2 (0.32 mm)", 2.0},  // half of 3 inches is less than the editor holds
    };
    click(kCalculateChromatic);  // its composite is on show until the run
    for (const Row& r : rows) {
        set(kFocus, r.focus);
        set(kAperture, r.aperture);
        find<QAbstractButton>(kTransferFunction)->setChecked(r.transfer);
        window->stages.clear();
        window->progress.clear();
        click(kCalculateIntraExtra);
        EXPECT_EQ(label(kIntraLabel), r.intra);
        EXPECT_EQ(label(kExtraLabel), r.extra);
        EXPECT_EQ(window->progress, kIntraExtraProgress);
        EXPECT_EQ(count("Building image"), 3);
        EXPECT_EQ(count("Calculating PSF/MTF"), 0);
        EXPECT_EQ(window->model().shownPlace(), app::Place::Star);
        EXPECT_FALSE(window->model().showsComposite());
        const QImage focused = part(kIntraExtraImage, QRect(202, 50, 100, 100));
        const std::uint64_t intra = GridChecksum(grid("IntraGrid"));

        set(kFocus, -std::fabs(r.focus));
        calculate();
        EXPECT_EQ(GridChecksum(grid("StarGrid")), intra) << r.focus;
        set(kFocus, 0.0);
        set(kAperture, r.halfAperture);
        calculate();
        EXPECT_EQ(part(kStarImage, QRect(78, 78, 100, 100)), focused) << r.focus;
    }
}

// Spherical aberration makes one side brighter. That side is the star
// picture of its own defocus; the dimmer one is drawn again on the brighter
// one's scale, so it stays below white.
TEST_F(FocusViews, TheDimmerOutOfFocusStarIsDrawnOnTheBrighterScale)
{
    for (const double spherical : {0.2, -0.2}) {
        set(kAperture, 8.0);
        set(kObstruction, 25.0);
        set(kFocus, 3.0);
        set(kSpherical, spherical);
        click(kCalculateIntraExtra);
        const app::SimulationModel::Trace& trace = window->model().trace();
        const bool intraDimmer = trace.intraFocal->peak < trace.display->peak;
        EXPECT_EQ(intraDimmer, spherical > 0.0);
        const QImage brighter = part(kIntraExtraImage, intraDimmer ? kExtraSide : kIntraSide);
        EXPECT_EQ(brightest(brighter), 255) << spherical;
        EXPECT_LT(brightest(part(kIntraExtraImage, intraDimmer ? kIntraSide : kExtraSide)), 255) << spherical;

        set(kFocus, intraDimmer ? 3.0 : -3.0);
        calculate();
        EXPECT_EQ(part(kStarImage, QRect(28, 28, 200, 200)), brighter) << spherical;
    }
}

TEST_F(FocusViews, WithoutDefocusTheIntraExtraViewOnlySaysSo)
{
    click(kCalculateIntraExtra);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Information);
    EXPECT_EQ(dialogs.shown()[0].text, "Focus-value is Zero");
    EXPECT_EQ(dialogs.shown()[0].buttons, QList<ui::MessageButton>{ui::MessageButton::Ok});
    EXPECT_TRUE(window->stages.empty());
    EXPECT_TRUE(window->progress.isEmpty());
    EXPECT_FALSE(find<ui::PictureBox>(kIntraExtraImage)->drawn());
    EXPECT_EQ(label(kIntraLabel), "");
}

// One calculation per ticked row at its wavelength, its own focus moved by
// the focal shift and its own spherical aberration, each as the main editors
// would hold it: the main focus and spherical aberration play no part.
TEST_F(FocusViews, TheWhiteLightStarSumsTheTickedRowsInColour)
{
    set(kFocus, 1.5);
    set(kSpherical, 0.25);
    set(kFocalShift, 1.0);
    set(kRowSpherical[1], 0.3);
    find<QAbstractButton>(kRowIncluded[6])->setChecked(false);
    click(kCalculateChromatic);

    const struct {
        double waveLength, focus, spherical;
    } passes[] = {{405, -0.50, 0}, {436, -0.40, 0.30}, {486, -0.23, 0}, {555, 0, 0}, {589, 0.11, 0}, {656, 0.34, 0}};
    optics::ScreenCache screens;
    optics::StarCalculator calculator(screens);
    optics::NoProgress quiet;
    sim::ChromaticSum sum;
    for (const auto& p : passes) {
        optics::StarRequest request;
        request.waveLength = p.waveLength;
        request.pupil.focus = p.focus;
        request.pupil.spherical = p.spherical;
        sum.add(calculator.calculate(request, quiet).value().image, p.waveLength);
    }
    const sim::Composite expected = sum.finish();
    const optics::ColourCells& made = app::NamedColourGrid(*window);
    EXPECT_EQ(std::memcmp(made.cells.data(), expected.cells->cells.data(), sizeof made.cells), 0);
    EXPECT_EQ(window->model().trace().colourScale, expected.scale);
    EXPECT_EQ(ImageChecksum(picture(kChromaticImage).copy(0, 0, 256, 256)),
              ImageChecksum(ui::imageView(imaging::DrawComposite(*expected.cells, expected.scale))));
}

TEST_F(FocusViews, TheWhiteLightCentreFollowsTheTickedRows)
{
    struct Row {
        QString ticked;  // rows 1..7
        QRgb centre;
    } rows[] = {
        {"1234567", qRgb(233, 221, 255)},  // the blue sum is the largest and becomes 255
        {"4", qRgb(65, 128, 1)},           // sums below 1 are not stretched
        {"", qRgb(0, 0, 0)},
    };
    for (const Row& r : rows) {
        for (int k = 0; k < 7; ++k)
            find<QAbstractButton>(kRowIncluded[k])->setChecked(r.ticked.contains(QString::number(k + 1)));
        window->stages.clear();
        click(kCalculateChromatic);
        const QRgb centre = picture(kChromaticImage).pixel(128, 128);
        EXPECT_NEAR(qRed(centre), qRed(r.centre), 1) << r.ticked.toStdString();
        EXPECT_NEAR(qGreen(centre), qGreen(r.centre), 1) << r.ticked.toStdString();
        EXPECT_NEAR(qBlue(centre), qBlue(r.centre), 1) << r.ticked.toStdString();
        EXPECT_EQ(count("Building image"), r.ticked.size());
    }
    EXPECT_EQ(brightest(picture(kChromaticImage)), 0);
}

// After a white-light run the zoom redraws the composite from its sums (and
// rewrites the scale labels); gamma and brightness leave it, and the star
// picture, alone.
TEST_F(FocusViews, TheZoomRedrawsTheWhiteLightStarAndGammaAndBrightnessLeaveIt)
{
    calculate();
    const QImage star = picture(kStarImage).copy();
    click(kCalculateChromatic);
    const QImage composite = picture(kChromaticImage).copy();
    set(kGamma, 0.8);
    find<QSlider>(kBrightness)->setValue(60);
    EXPECT_EQ(picture(kChromaticImage), composite);
    EXPECT_EQ(picture(kStarImage), star);

    const app::SimulationModel::Trace& trace = window->model().trace();
    const std::pair<double, int> zooms[] = {{2.0, 12}, {0.1, 250}, {0.5, 50}, {1.0, 25}};
    // The width at the focal plane: 256 cells of 0.10035 arcsec over the zoom,
    // at the 762 mm focal length of the 5-inch f/6.
    const auto micrometres = [](double zoom) {
        return QString::number(std::round(256 * 0.10035 / zoom / 206264.8 * 762.0e3));
    };
    for (const auto& [zoom, arcseconds] : zooms) {
        set(kZoom, zoom);
        EXPECT_EQ(label(kStarImageLabel),
                  QStringLiteral("Star image (%1 arcseconds, %2 \u00b5m)").arg(arcseconds).arg(micrometres(zoom)));
        EXPECT_EQ(label(kPlanetLabel), QStringLiteral("Planet image (%1 arcseconds)").arg(arcseconds));
        EXPECT_EQ(ImageChecksum(picture(kChromaticImage).copy(0, 0, 256, 256)),
                  ImageChecksum(ui::imageView(imaging::DrawComposite(*trace.colours, trace.colourScale, zoom))))
            << zoom;
    }
    EXPECT_EQ(picture(kStarImage), star);
}

}  // namespace
