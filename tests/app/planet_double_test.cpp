// The planet and double-star views, driven through their buttons.
#include "window_fixture.h"

#include "app/pages/planet_page.h"
#include "app/simulation_model.h"
#include "imaging/display.h"
#include "imaging/jpeg_file.h"
#include "support/pictures.h"

#include <QComboBox>
#include <QSlider>

#include <array>
#include <cmath>

namespace {

using namespace app::names;
using testing_support::ImageChecksum;

class PlanetAndDouble : public testing_support::WindowTest {
protected:
    app::PlanetPage* planet() const { return find<app::PlanetPage>(kPlanetPage); }
    const app::SimulationModel& model() const { return window->model(); }
    // Red, green and blue totals of the colour sums.
    std::array<double, 3> colourTotals() const
    {
        std::array<double, 3> sums{};
        const optics::ColourCells& cells = app::NamedColourGrid(*window);
        for (int i = 1; i <= 512; ++i) {
            for (int j = 1; j <= 512; ++j) {
                sums[0] += cells(i, j).red;
                sums[1] += cells(i, j).green;
                sums[2] += cells(i, j).blue;
            }
        }
        return sums;
    }
};

TEST_F(PlanetAndDouble, LoadTakesPicturesByContentWarnsAboutLargeOnesAndKeepsAllOnFailure)
{
    const QString capitals = path("saturn.JPG");
    ASSERT_TRUE(imaging::WriteJpeg(imaging::PixelBuffer(300, 200), capitals.toStdString()));
    loadPlanet(capitals);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(planet()->planetFileName(), capitals);
    EXPECT_EQ(label(kPlanetImageSize), "30arcseconds wide");

    const QString large = writeDisc("large.png", {600, 300}, Qt::white);
    loadPlanet(large);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Image too large (more than 512 pixels): its central 512 x 512 pixels are used");
    EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Information);
    EXPECT_EQ(dialogs.shown()[0].buttons, QList<ui::MessageButton>{ui::MessageButton::Ok});
    EXPECT_EQ(planet()->planetFileName(), large);
    EXPECT_EQ(label(kPlanetImageSize), "60arcseconds wide");

    dialogs.clearShown();
    testing_support::WriteBytes(path("notes.jpg"), "seeing 3/10, transparency good\n");
    loadPlanet(path("notes.jpg"));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Error);
    EXPECT_TRUE(dialogs.shown()[0].text.contains(path("notes.jpg")));
    EXPECT_EQ(planet()->planetFileName(), large);
    EXPECT_EQ(picture(kPlanetImage).size(), QSize(600, 300));
}

// Each channel keeps its total brightness; a composite left by a white-light
// run does not lend the planet its scale.
TEST_F(PlanetAndDouble, AColourRunOnAPerfectTelescopeKeepsEachChannelsTotal)
{
    loadPlanet(writeDisc("disc.png", {120, 90}, QColor(200, 120, 60)));
    click(kCalculateChromatic);
    ASSERT_NE(model().trace().colourScale, 1.0);
    click(kConvoluteColour);
    EXPECT_EQ(model().trace().colourScale, 1.0);  // the cells hold 0..255
    const std::array<double, 3> sums = colourTotals();
    const sim::ChannelTotals& totals = model().trace().planetTotals;
    EXPECT_NEAR(sums[0] / totals.red, 1.0, 1e-4);
    EXPECT_NEAR(sums[1] / totals.green, 1.0, 1e-4);
    EXPECT_NEAR(sums[2] / totals.blue, 1.0, 1e-4);
    EXPECT_TRUE(model().showsComposite());
    EXPECT_EQ(model().shownPlace(), app::Place::Planet);
    // Blurred, so a little of the middle's light is in the wings; the colour stays.
    const QColor centre = picture(kPlanetAberrated).pixelColor(128, 128);
    EXPECT_GT(centre.red(), 170);
    EXPECT_NEAR(centre.greenF() / centre.redF(), 0.6, 0.02);
    EXPECT_NEAR(centre.blueF() / centre.redF(), 0.3, 0.02);
}

TEST_F(PlanetAndDouble, APictureWithoutBlueStaysFiniteAndALargeOneIsCroppedToItsMiddle)
{
    loadPlanet(writeDisc("noblue.png", {600, 520}, QColor(180, 90, 0), 100));
    dialogs.clearShown();
    click(kConvoluteColour);
    EXPECT_TRUE(dialogs.shown().empty());
    const optics::ColourCells& cells = app::NamedColourGrid(*window);
    for (int i = 1; i <= 512; ++i) {
        for (int j = 1; j <= 512; ++j) {
            ASSERT_TRUE(std::isfinite(cells(i, j).red) && std::isfinite(cells(i, j).green)) << i << ", " << j;
            ASSERT_EQ(cells(i, j).blue, 0.0f) << i << ", " << j;
        }
    }
    EXPECT_EQ(model().trace().planetTotals.blue, 0.0);
    EXPECT_EQ(window->progressText(), "Only the central 512 x 512 pixels of the 600 x 520 picture were used");
    const QColor centre = picture(kPlanetAberrated).pixelColor(128, 128);
    EXPECT_GT(centre.red(), 170);
    EXPECT_EQ(centre.blue(), 0);
}

TEST_F(PlanetAndDouble, TheComparisonPictureReplacesTheOriginalOnlyAfterAColourRun)
{
    loadPlanet(writeDisc("disc.png", {120, 90}, Qt::white));
    dialogs.queueFile({writeDisc("other.png", {40, 40}, Qt::red, 10), 1});
    find<QComboBox>(kCompareBox)->setCurrentIndex(1);
    click(kConvoluteGrey);
    EXPECT_EQ(picture(kPlanetImage).size(), QSize(120, 90));
    click(kConvoluteColour);
    EXPECT_EQ(picture(kPlanetImage).size(), QSize(40, 40));
    click(kConvoluteGrey);
    EXPECT_EQ(picture(kPlanetImage).size(), QSize(120, 90));
    // A run reads the file as it is now.
    writeDisc("disc.png", {100, 80}, Qt::white);
    click(kConvoluteGrey);
    EXPECT_EQ(planet()->planetBitmap().size(), QSize(100, 80));
    // Cancelled: no comparison picture.
    find<QComboBox>(kCompareBox)->setCurrentIndex(0);
    find<QComboBox>(kCompareBox)->setCurrentIndex(1);
    EXPECT_EQ(planet()->compareFileName(), QString());
}

// A picture is decoded once a load: the runs after it work on the picture
// Load decoded (the same pixels in memory) until the file changes, and so
// do the runs after start-up on mars.jpg.
TEST_F(PlanetAndDouble, APictureIsDecodedOncePerLoad)
{
    loadPlanet(writeDisc("disc.png", {120, 90}, Qt::white));
    const qint64 loaded = planet()->planetBitmap().cacheKey();
    click(kConvoluteGrey);
    click(kConvoluteColour);
    EXPECT_EQ(planet()->planetBitmap().cacheKey(), loaded);
    writeDisc("disc.png", {100, 80}, Qt::white);
    click(kConvoluteGrey);
    EXPECT_NE(planet()->planetBitmap().cacheKey(), loaded);
    EXPECT_EQ(planet()->planetBitmap().size(), QSize(100, 80));

    ASSERT_TRUE(QFile::copy(QStringLiteral(QUINTALIS_SOURCE_DIR "/assets/mars.jpg"), path("mars.jpg")));
    createWindow();
    const qint64 started = planet()->planetBitmap().cacheKey();
    EXPECT_FALSE(planet()->planetBitmap().isNull());
    click(kConvoluteGrey);
    EXPECT_EQ(planet()->planetBitmap().cacheKey(), started);
}

// The grey planet is shown at zoom 1; then every display setting redraws it,
// and the star picture stays as it was.
TEST_F(PlanetAndDouble, TheDisplaySettingsRedrawTheGreyPlanet)
{
    loadPlanet(writeDisc("disc.png", {120, 90}, Qt::white, 15));
    set(kZoom, 1.5);
    calculate();
    click(kConvoluteGrey);
    EXPECT_EQ(edit(kZoom)->value(), 1.0);
    const QImage star = picture(kStarImage).copy();
    const auto shown = [this] { return ImageChecksum(picture(kPlanetAberrated).copy(0, 0, 256, 256)); };
    const auto drawn = [this](bool zoomed) {
        const optics::Grid& planet = grid("StarGrid");
        const app::SimulationModel& m = model();
        return ImageChecksum(ui::imageView(zoomed ? imaging::DrawZoomedStarPicture(planet, m.curve(), m.look())
                                                  : imaging::DrawStarPicture(planet, m.curve(), m.look())));
    };
    EXPECT_EQ(shown(), drawn(false));
    find<QSlider>(kBrightness)->setValue(40);
    EXPECT_EQ(shown(), drawn(false));
    set(kZoom, 1.5);
    EXPECT_EQ(shown(), drawn(true));
    EXPECT_EQ(picture(kStarImage), star);
}

// The double star is composed from the star image of the star page: with no
// star yet there is nothing to compose, and a planet run changes nothing.
TEST_F(PlanetAndDouble, TheDoubleStarIsComposedFromTheStarPageNeverFromAPlanet)
{
    loadPlanet(writeDisc("disc.png", {120, 90}, Qt::white, 15));
    click(kConvoluteGrey);
    set(kPositionAngle, 90);
    EXPECT_FALSE(find<ui::PictureBox>(kDoubleImage)->drawn());

    calculate();
    set(kSeparation, 8.0);  // the companion 80 cells to the right
    const QImage pair = picture(kDoubleImage).copy();
    EXPECT_GT(qGray(pair.pixel(128, 128)), 200);
    EXPECT_GT(qGray(pair.pixel(208, 128)), 200);
    EXPECT_LT(qGray(pair.pixel(168, 128)), 30);

    click(kConvoluteGrey);
    set(kSeparation, 5.0);
    set(kSeparation, 8.0);
    EXPECT_EQ(picture(kDoubleImage), pair);
    EXPECT_EQ(model().shownPlace(), app::Place::Planet);

    // Calculate makes a new star at the reference wavelength and composes it.
    click(kCalculateDouble);
    EXPECT_EQ(model().shownPlace(), app::Place::Star);
    EXPECT_GT(grid("StarGrid")(257, 257), 0.99);
    EXPECT_EQ(picture(kDoubleImage), pair);
}

TEST_F(PlanetAndDouble, DawesAndRayleighSetTheSeparationForTheAperture)
{
    struct Row {
        const char* button;
        bool millimetres;
        double aperture;
        double separation;
    } rows[] = {
        {kDawes, true, 100.0, 1.17},
        {kRayleigh, true, 100.0, 1.40},
        {kDawes, false, 8.0, 0.58},
        {kRayleigh, false, 8.0, 0.69},
    };
    for (const Row& r : rows) {
        click(r.millimetres ? kMillimeters : kInches);
        set(kAperture, r.aperture);
        window->stages.clear();
        click(r.button);
        EXPECT_DOUBLE_EQ(edit(kSeparation)->value(), r.separation) << r.button << " " << r.aperture;
        EXPECT_EQ(model().shownPlace(), app::Place::Star);
        EXPECT_TRUE(find<ui::PictureBox>(kDoubleImage)->drawn());
        EXPECT_FALSE(window->stages.empty());
    }
}

}  // namespace
