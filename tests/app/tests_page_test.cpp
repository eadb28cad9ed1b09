// The Tests page through the window: its pictures follow Calculate, their own
// settings and the focal ratio without a button, a knife too far from focus
// is refused on the page and keeps its picture, the white light takes the
// Chromatic page's rows, the batch driver sets, saves and reports it all, and
// nothing of it reaches the star's grids or the user's editors.
#include "window_fixture.h"

#include "app/batch_driver.h"
#include "app/pages/tests_page.h"
#include "support/checksum.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTabBar>

#include <functional>

namespace {

using namespace app::names;

class TestsPage : public testing_support::WindowTest {
protected:
    QJsonObject state() const { return window->findChild<app::TestsPage*>()->state(); }
    QJsonObject made(const char* picture) const { return state()[QLatin1String(picture)].toObject(); }
    std::uint64_t sum(const char* name) const
    {
        const QImage image = picture(name).convertToFormat(QImage::Format_RGB888);
        testing_support::Checksum checksum;
        for (int y = 0; y < image.height(); ++y)
            checksum.add(image.constScanLine(y), static_cast<std::size_t>(image.width()) * 3);
        return checksum.value();
    }
    void eightInch()
    {
        set(kAperture, 8.0);
        set(kFocalRatio, 6.0);
    }
    void showTests() const { find<QTabWidget>(kTabs)->setCurrentIndex(app::MainWindow::TestsIndex); }
    void showStar() const { find<QTabWidget>(kTabs)->setCurrentIndex(app::MainWindow::StartestIndex); }
};

const char* const kPictures[] = {kRonchiImage, kKnifeImage, kFringeImage};

TEST_F(TestsPage, IsTheTwelfthTabAndEveryCaptionStaysInView)
{
    auto* tabs = find<QTabWidget>(kTabs);
    ASSERT_EQ(tabs->count(), 12);
    EXPECT_EQ(tabs->tabText(app::MainWindow::TestsIndex), "Tests");
    EXPECT_EQ(tabs->widget(app::MainWindow::TestsIndex)->objectName(), kTestsPage);
    for (int i = 0; i < tabs->count(); ++i)
        EXPECT_LE(tabs->tabBar()->tabRect(i).right(), tabs->width()) << i;
    for (const char* name : kPictures)
        EXPECT_EQ(picture(name).size(), QSize(257, 257)) << name;
}

// Calculate draws all three from the star's wavefront; spherical aberration
// changes all three; the state says what each was made with.
TEST_F(TestsPage, CalculateDrawsEveryPictureFromTheStarsWavefront)
{
    eightInch();
    for (const char* name : kPictures)
        EXPECT_FALSE(made(name)["drawn"].toBool()) << name;
    showTests();
    calculate();
    std::uint64_t perfect[3];
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(made(kPictures[k])["drawn"].toBool()) << kPictures[k];
        EXPECT_EQ(made(kPictures[k])["diameter"].toDouble(), 8.0);
        EXPECT_EQ(made(kPictures[k])["spherical"].toDouble(), 0.0);
        perfect[k] = sum(kPictures[k]);
    }
    EXPECT_EQ(made(kRonchiImage)["bands"].toDouble(), 4.0);
    EXPECT_EQ(made(kRonchiImage)["offsetMm"].toDouble(), 6.0);
    EXPECT_EQ(made(kRonchiImage)["linesPerMm"].toDouble(), 4.0);
    set(kSpherical, 0.5);
    // Not before Calculate: the pictures show the calculated star's wavefront.
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(sum(kPictures[k]), perfect[k]) << kPictures[k];
    calculate();
    for (int k = 0; k < 3; ++k) {
        EXPECT_NE(sum(kPictures[k]), perfect[k]) << kPictures[k];
        EXPECT_EQ(made(kPictures[k])["spherical"].toDouble(), 0.5);
        EXPECT_GT(made(kPictures[k])["RMS"].toDouble(), 0.0);
    }
}

// Out of sight a Calculate only marks the pictures out of date; whatever
// reads them (the page coming on show, a Save button, the batch driver's
// pictures and state) gets, bit for bit, what drawing at once gave.
TEST_F(TestsPage, OutOfSightTheyWaitAndWhatReadsThemGetsWhatDrawingAtOnceGave)
{
    app::BatchDriver driver(*window, dialogs);
    eightInch();
    set(kKnifeOffset, -0.1);
    struct Reader {
        const char* name;
        double spherical;
        std::function<void()> read;
    };
    const Reader readers[] = {
        {"the page on show", 0.5, [&] { showTests(); }},
        {"a Save button", 0.3, [&] {
             dialogs.queueFile({path("knife.png"), 3});
             click(kSaveKnife);
         }},
        {"--save-picture", 0.2,
         [&] { ASSERT_TRUE(driver.run({"--save-picture", "FringeImage=" + path("f.png")})); }},
        {"--dump-state", -0.4, [&] { ASSERT_TRUE(driver.run({"--dump-state", path("state.json")})); }},
    };
    for (const Reader& r : readers) {
        SCOPED_TRACE(r.name);
        showTests();
        set(kSpherical, r.spherical);
        calculate();
        std::uint64_t atOnce[3];
        for (int k = 0; k < 3; ++k)
            atOnce[k] = sum(kPictures[k]);
        set(kSpherical, 0.0);
        calculate();
        showStar();
        set(kSpherical, r.spherical);
        calculate();
        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(made(kPictures[k])["waiting"].toBool()) << kPictures[k];
            EXPECT_EQ(made(kPictures[k])["spherical"].toDouble(), 0.0) << kPictures[k];
        }
        r.read();
        window->waitForRuns();
        for (int k = 0; k < 3; ++k) {
            EXPECT_FALSE(made(kPictures[k])["waiting"].toBool()) << kPictures[k];
            EXPECT_EQ(sum(kPictures[k]), atOnce[k]) << kPictures[k];
        }
    }
    EXPECT_EQ(QImage(path("knife.png")).size(), QSize(257, 257));
    EXPECT_EQ(messages(), QStringList());
}

// Each setting redraws its own picture, no button needed; the focal ratio
// redraws the Ronchi and knife pictures and the bands' note.
TEST_F(TestsPage, SettingsAndTheFocalRatioRedrawWithoutAButton)
{
    showTests();
    eightInch();
    set(kSpherical, 0.25);
    calculate();
    struct Case {
        const char* setting;
        double value;
        const char* picture;
        const char* field;
    };
    for (const Case c : {Case{kRonchiLines, 2.0, kRonchiImage, "linesPerMm"},
                         Case{kRonchiOffset, -6.0, kRonchiImage, "offsetMm"},
                         Case{kRonchiAngle, 30.0, kRonchiImage, "angle"},
                         Case{kKnifeOffset, -0.2, kKnifeImage, "offsetMm"},
                         Case{kKnifeAngle, 90.0, kKnifeImage, "angle"},
                         Case{kFringeTilt, 3.0, kFringeImage, "tilt"},
                         Case{kFringeAngle, 45.0, kFringeImage, "angle"},
                         Case{kFringeDefocus, 1.5, kFringeImage, "defocus"},
                         Case{kFringesPerWave, 2.0, kFringeImage, "perWave"}}) {
        std::uint64_t before[3];
        for (int k = 0; k < 3; ++k)
            before[k] = sum(kPictures[k]);
        set(c.setting, c.value);
        window->waitForRuns();
        EXPECT_EQ(made(c.picture)[QLatin1String(c.field)].toDouble(), c.value) << c.setting;
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(sum(kPictures[k]) != before[k], kPictures[k] == std::string(c.picture)) << c.setting;
    }
    const std::uint64_t fringes = sum(kFringeImage);
    const QString bands = label(kRonchiBands);
    set(kFocalRatio, 8.0);
    EXPECT_EQ(made(kRonchiImage)["focalRatio"].toDouble(), 8.0);
    EXPECT_EQ(made(kKnifeImage)["focalRatio"].toDouble(), 8.0);
    EXPECT_EQ(sum(kFringeImage), fringes);
    EXPECT_NE(label(kRonchiBands), bands);
    EXPECT_TRUE(label(kRonchiBands).contains("f/8")) << label(kRonchiBands).toStdString();
}

// A knife whose cone would not fit the field is refused on the page, naming
// the largest offset; the picture keeps what it showed and no dialog comes.
TEST_F(TestsPage, AKnifeTooFarFromFocusIsRefusedNamingTheLargest)
{
    set(kAperture, 4.0);
    set(kFocalRatio, 4.0);
    calculate();
    // Out of sight the note follows the knife at once, the picture waits.
    set(kKnifeOffset, 0.5);
    EXPECT_TRUE(label(kKnifeNote).contains("largest offset is 0.25 mm")) << label(kKnifeNote).toStdString();
    set(kKnifeOffset, 0.0);
    EXPECT_FALSE(made(kKnifeImage)["drawn"].toBool());
    showTests();
    const std::uint64_t shown = sum(kKnifeImage);
    EXPECT_TRUE(label(kKnifeNote).contains("0.25 mm")) << label(kKnifeNote).toStdString();
    set(kKnifeOffset, 0.5);
    EXPECT_TRUE(label(kKnifeNote).contains("largest offset is 0.25 mm")) << label(kKnifeNote).toStdString();
    EXPECT_EQ(sum(kKnifeImage), shown);
    EXPECT_EQ(made(kKnifeImage)["offsetMm"].toDouble(), 0.0);
    EXPECT_EQ(messages(), QStringList());
    set(kKnifeOffset, -0.2);
    EXPECT_FALSE(label(kKnifeNote).contains("largest offset is")) << label(kKnifeNote).toStdString();
    EXPECT_EQ(made(kKnifeImage)["offsetMm"].toDouble(), -0.2);
    EXPECT_NE(sum(kKnifeImage), shown);
}

// White light takes the ticked rows of the Chromatic page with its focal
// shift: coloured bands; the editors of that page and of the column keep
// what they hold.
TEST_F(TestsPage, WhiteLightTakesTheChromaticRowsAndWritesNoEditor)
{
    showTests();
    eightInch();
    set(kFocalShift, 2.0);
    find<QCheckBox>(kRowIncluded[6])->setChecked(false);
    calculate();
    find<QCheckBox>(kRonchiWhite)->setChecked(true);
    const QJsonObject ronchi = made(kRonchiImage);
    EXPECT_TRUE(ronchi["white"].toBool());
    EXPECT_EQ(ronchi["waveLengths"].toArray().size(), 6);
    const QImage image = picture(kRonchiImage).convertToFormat(QImage::Format_RGB888);
    int coloured = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            coloured += std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 40;
        }
    EXPECT_GT(coloured, 1000);
    EXPECT_EQ(edit(kFocus)->text(), "0.00");
    EXPECT_EQ(edit(kRowFocus[0])->text(), "0.00");
    EXPECT_EQ(edit(kFocalShift)->text(), "2.00");
}

// The pictures are drawn from the calculation, not into it: the star's grids
// and the stage text are what the star left.
TEST_F(TestsPage, TheStarsGridsAndStatusAreTheStars)
{
    showTests();
    eightInch();
    set(kSpherical, 0.3);
    find<QCheckBox>(kTransferFunction)->setChecked(true);
    calculate();
    const std::uint64_t field = testing_support::GridChecksum(grid("FieldReal"));
    const std::uint64_t otf = testing_support::GridChecksum(grid("OtfReal"));
    const QString stage = window->stageText();
    set(kKnifeOffset, 0.3);
    set(kRonchiLines, 10.0);
    EXPECT_EQ(testing_support::GridChecksum(grid("FieldReal")), field);
    EXPECT_EQ(testing_support::GridChecksum(grid("OtfReal")), otf);
    EXPECT_EQ(window->stageText(), stage);
    EXPECT_TRUE(stage.startsWith("Calculated in")) << stage.toStdString();
}

// Opening the page draws what was never drawn; the batch driver sets every
// setting, saves every picture and reports them.
TEST_F(TestsPage, TheBatchDriverSetsSavesAndReportsThePictures)
{
    app::BatchDriver driver(*window, dialogs);
    ASSERT_TRUE(driver.run({"--set", "ApertureSpin=8", "--select", "Tabs=11"}));
    for (const char* name : kPictures)
        EXPECT_TRUE(made(name)["drawn"].toBool()) << name;
    const QString ronchi = path("ronchi.png");
    const QString knife = path("knife.bmp");
    const QString fringes = path("fringes.png");
    ASSERT_TRUE(driver.run({"--set", "RonchiLines=2", "--set", "RonchiOffset=-3", "--set", "RonchiAngle=90",
                            "--check", "RonchiWhite", "--set", "KnifeOffset=0.1", "--set", "KnifeAngle=180",
                            "--set", "FringeTilt=4", "--set", "FringeAngle=90", "--set", "FringeDefocus=1",
                            "--set", "FringesPerWave=2", "--click", "CalculateButton",
                            "--save-picture", "RonchiImage=" + ronchi, "--save-picture", "KnifeImage=" + knife,
                            "--save-picture", "FringeImage=" + fringes, "--dump-state", path("state.json")}));
    const QJsonObject tests =
        QJsonDocument::fromJson(testing_support::ReadBytes(path("state.json"))).object()["tests"].toObject();
    const QJsonObject r = tests["RonchiImage"].toObject();
    EXPECT_EQ(r["linesPerMm"].toDouble(), 2.0);
    EXPECT_EQ(r["offsetMm"].toDouble(), -3.0);
    EXPECT_EQ(r["angle"].toDouble(), 90.0);
    EXPECT_TRUE(r["white"].toBool());
    EXPECT_EQ(tests["KnifeImage"].toObject()["offsetMm"].toDouble(), 0.1);
    EXPECT_EQ(tests["KnifeImage"].toObject()["angle"].toDouble(), 180.0);
    const QJsonObject f = tests["FringeImage"].toObject();
    EXPECT_EQ(f["tilt"].toDouble(), 4.0);
    EXPECT_EQ(f["defocus"].toDouble(), 1.0);
    EXPECT_EQ(f["perWave"].toInt(), 2);
    for (const QString& file : {ronchi, knife, fringes}) {
        const QImage saved(file);
        EXPECT_EQ(saved.size(), QSize(257, 257)) << file.toStdString();
    }
    EXPECT_EQ(QImage(ronchi).convertToFormat(QImage::Format_RGB888),
              picture(kRonchiImage).convertToFormat(QImage::Format_RGB888));
}

}  // namespace
