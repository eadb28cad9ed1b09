// The window as a whole: its frame and pages, start-up, hints, and the
// Calculate button with its status texts.
#include "window_fixture.h"

#include "app/calculations.h"
#include "app/pages/planet_page.h"
#include "imaging/jpeg_file.h"
#include "support/pictures.h"
#include "ui/hints.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QStatusBar>
#include <QTest>
#include <QTabBar>
#include <QTimer>

#include <string_view>

namespace {

using namespace app::names;
using app::MainWindow;
using testing_support::WindowTest;
using Window = WindowTest;

TEST_F(Window, HasTitleSizeAndTheTwelvePagesInOrder)
{
    EXPECT_EQ(window->objectName(), kWindow);
    EXPECT_EQ(window->windowTitle(), "Quintalis");
    EXPECT_EQ(window->size(), QSize(697, 434));
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);

    auto* tabs = find<QTabWidget>(kTabs);
    const QStringList captions = {"Startest", "Intra/Extra", "Planet", "Double", "Animation",
                                  "PSF/MTF", "Turbulence", "Wavefront", "Chromatic", "About", "Measured", "Tests"};
    ASSERT_EQ(tabs->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i)
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    EXPECT_EQ(tabs->geometry(), QRect(0, -1, 561, 345));
    EXPECT_LE(tabs->tabBar()->tabRect(11).right(), tabs->width());  // all twelve captions stay in view
    auto* status = find<QStatusBar>(kStatusBar);
    EXPECT_EQ(status->geometry(), QRect(0, 415, 697, 19));
    EXPECT_FALSE(status->isSizeGripEnabled());
    EXPECT_EQ(find(kStatusPanel0)->width(), 250);
    EXPECT_EQ(find(kStatusPanel1)->width(), 350);
}

TEST_F(Window, StartsOnTheAboutPageAndSaysWhenThePlanetPictureIsMissing)
{
    ASSERT_EQ(startMessages.size(), 1u);
    EXPECT_EQ(startMessages[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(startMessages[0].text,
              "mars.jpg file missing, please put this file with the Quintalis in the same directory !!!!!");
    EXPECT_EQ(startMessages[0].buttons, QList<ui::MessageButton>{ui::MessageButton::Yes});
    // The steps after the message still ran.
    EXPECT_EQ(label(kPlanetImageSize), "0arcseconds wide");
    EXPECT_EQ(find<app::PlanetPage>(kPlanetPage)->planetFileName(), "mars.jpg");
    EXPECT_EQ(page(), MainWindow::AboutIndex);
    EXPECT_TRUE(find(kUndersampled)->isHidden());
    EXPECT_TRUE(find(kSpecials)->isHidden());
    EXPECT_EQ(window->stageText(), QString());
    EXPECT_EQ(label(kStarImageLabel), "Star image (25 arcseconds)");
}

// The caption gives the width by integer division at 10 pixels an arcsecond.
TEST_F(Window, ThePlanetPictureFoundAtStartUpGivesItsWidthInArcseconds)
{
    for (int width : {300, 309}) {
        const imaging::PixelBuffer mars = testing_support::Filled(width, 40, {90, 60, 30});
        ASSERT_TRUE(imaging::WriteJpeg(mars, path("mars.jpg").toStdString()));
        createWindow();
        EXPECT_TRUE(startMessages.empty());
        EXPECT_EQ(label(kPlanetImageSize), "30arcseconds wide") << width;
        EXPECT_EQ(picture(kPlanetImage).width(), width);
        EXPECT_EQ(find<app::PlanetPage>(kPlanetPage)->planetBitmap().format(), QImage::Format_RGB888);
    }
}

// A program started from a menu has some other working folder: the runs read
// the picture where start-up found it, not a mars.jpg of whatever folder is
// current by then.
TEST_F(Window, PlanetRunsReadThePictureWhereStartUpFoundIt)
{
    ASSERT_TRUE(imaging::WriteJpeg(testing_support::Filled(120, 80, {200, 150, 90}), path("mars.jpg").toStdString()));
    createWindow();
    ASSERT_TRUE(startMessages.empty());
    EXPECT_EQ(find<app::PlanetPage>(kPlanetPage)->planetFileName(), QFileInfo(path("mars.jpg")).absoluteFilePath());
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    ASSERT_TRUE(imaging::WriteJpeg(testing_support::Filled(60, 60, {0, 0, 0}), "mars.jpg"));
    click(kConvoluteGrey);
    EXPECT_EQ(messages(), QStringList());
    EXPECT_EQ(find<app::PlanetPage>(kPlanetPage)->planetBitmap().size(), QSize(120, 80));
    EXPECT_GT(qGray(picture(kPlanetAberrated).pixel(128, 128)), 100);
}

TEST_F(Window, TheHintOfTheControlUnderTheMouseShowsInTheStatusBar)
{
    struct Row {
        QWidget* control;
        const char* hint;
        bool tooltip;
    } rows[] = {
        {find(kSaveStar), "Save Startest (Alt+S, Ctrl+S)", true},
        {find(kBrightness), "Brightness Slider", true},
        {find(kFocus), "= perfect focus -/+ = defocusing before/after focuspoint", false},
        {ui::captionLabel(edit(kPinch)), "Pinched Optics (3-fold)", true},
        {ui::captionLabel(edit(kTube)), "Tube currents Effect of cooling down mirrors", true},
    };
    for (const Row& r : rows) {
        testing_support::Hover(r.control);
        EXPECT_EQ(window->progressText(), r.hint);
        EXPECT_EQ(r.control->toolTip().isEmpty(), !r.tooltip) << r.hint;
    }
}

TEST_F(Window, CalculateSwitchesToTheStarPageOnlyFromAbout)
{
    calculate();
    EXPECT_EQ(page(), MainWindow::StartestIndex);
    EXPECT_TRUE(find<ui::PictureBox>(kStarImage)->drawn());
    find<QTabWidget>(kTabs)->setCurrentIndex(MainWindow::PsfMtfIndex);
    calculate();
    EXPECT_EQ(page(), MainWindow::PsfMtfIndex);
}

// Screens are built only for settings no calculation has used lately.
TEST_F(Window, StageTextsInOrderAndScreensOnlyWhenNeeded)
{
    const std::vector<std::string> all = {"Calculating Turbulence", "Calculating Roughness", "Building aperture",
                                          "Fast Fourier Transform", "Building aberrations at wavefront",
                                          "Start Fourier Transform", "Building image", "", "Calculating PSF/MTF"};
    const std::vector<std::string> noScreens(all.begin() + 2, all.end());
    struct Row {
        const char* what;
        int seed;
        bool transfer;
        std::vector<std::string> stages;
    } rows[] = {
        {"first", 1, true, all},
        {"again", 1, true, noScreens},
        {"a new seed", 7, false, std::vector<std::string>(all.begin(), all.end() - 1)},
        {"the first seed again", 1, true, noScreens},
    };
    for (const Row& r : rows) {
        set(kSeed, r.seed);
        find<QAbstractButton>(kTransferFunction)->setChecked(r.transfer);
        window->stages.clear();
        calculate();
        // The last stage says the calculation is done, and how long it took.
        ASSERT_FALSE(window->stages.empty());
        const std::string done = window->stages.back();
        window->stages.pop_back();
        EXPECT_EQ(window->stages, r.stages) << r.what;
        EXPECT_EQ(done.rfind("Calculated in ", 0), 0u) << done;
        EXPECT_EQ(window->stageText(), QString::fromStdString(done)) << r.what;
    }
}

// The views that take the diameter as it reads check every calculation they
// will run before they run the first (the intra/extra view takes the
// diameter as the editor holds it). 40 inches fit the grid at 707 nm but not
// at 405 nm.
TEST_F(Window, DiametersThatCannotBeCalculatedAreRefusedBeforeAnythingRuns)
{
    struct Row {
        const char* typed;
        const char* button;
        const char* why;
    } rows[] = {
        {"0", kCalculate, "The aperture must be greater than 0 (it reads 0)."},
        {"-3", kCalculateChromatic, "The aperture must be greater than 0 (it reads -3)."},
        {"90", kCalculate,  // typed, not yet clamped
         "The aperture 90 cannot be calculated: enter a diameter from 2 to 25 inches or 50 to 650 mm."},
        {"90", kCalculateDouble, nullptr},
        {"90", kAnimate, nullptr},
        {"40", kCalculateChromatic, "The aperture 40 cannot be calculated: enter a diameter from 2 to 25 inches "
                                    "or 50 to 650 mm."},
    };
    set(kRowWavelength[0], 707);
    set(kRowWavelength[6], 405);
    for (int k = 1; k < 6; ++k)
        find<QAbstractButton>(kRowIncluded[k])->setChecked(false);
    for (const Row& r : rows) {
        edit(kAperture)->setText(QString::fromLatin1(r.typed));
        dialogs.clearShown();
        window->stages.clear();
        click(r.button);
        ASSERT_EQ(dialogs.shown().size(), 1u) << r.button;
        EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Error);
        if (r.why) {
            EXPECT_EQ(dialogs.shown()[0].text, r.why);
        }
        EXPECT_TRUE(window->stages.empty()) << r.button << " " << r.typed;
        if (std::string_view(r.button) == kCalculate) {
            EXPECT_EQ(page(), MainWindow::AboutIndex);
        }
    }
    EXPECT_FALSE(find<ui::PictureBox>(kStarImage)->drawn());
}

// Text that is no number leaves the value the editor held: a calculation
// started while it stands uses that value, leaving the editor writes it
// back, and the status bar names the editor, the text and the value kept,
// for a few seconds.
TEST_F(Window, TextThatIsNoNumberKeepsTheLastValueAndTheStatusBarSaysSo)
{
    using testing_support::LoseFocus;
    struct Row {
        const char* name;
        double held;
        const char* typed;
        const char* notice;
    } rows[] = {
        {kFocus, 1.5, "", "Focus: \"\" is not a number; kept 1.50"},
        {kFocus, -2, "-", "Focus: \"-\" is not a number; kept -2.00"},
        {kObstruction, 20, "inf", "Obstruction(%): \"inf\" is not a number; kept 20.0"},
        // No caption beside it: its hint names it.
        {kComaAngle, 45, "nan", "Coma angle (degrees): \"nan\" is not a number; kept 45"},
        {kPositionAngle, -90, "1e999", "Position Angle (degrees): \"1e999\" is not a number; kept -90"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        set(r.name, r.held);
        edit(r.name)->setText(QString::fromLatin1(r.typed));
        EXPECT_EQ(edit(r.name)->value(), r.held);
        if (std::string_view(r.name) == kFocus) {
            EXPECT_EQ(window->calculations().request().pupil.focus, r.held);
        }
        LoseFocus(edit(r.name));
        EXPECT_EQ(edit(r.name)->value(), r.held);
        EXPECT_EQ(window->progressText(), QString::fromUtf8(r.notice));
    }
    // The notice goes after five seconds, unless something else is on show.
    auto* timer = window->findChild<QTimer*>(QLatin1String(kNoticeTimer));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 5000);
    for (bool replaced : {false, true}) {
        edit(kFocus)->setText(QString());
        LoseFocus(edit(kFocus));
        if (replaced)
            window->showProgress(QStringLiteral("Building final image"));
        timer->start(0);
        while (timer->isActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        EXPECT_EQ(window->progressText(), replaced ? QStringLiteral("Building final image") : QString());
    }
}

// The keys: F5 and Ctrl+R run the page on show, Enter in an editor too,
// Ctrl+Tab and Ctrl+number change pages, Alt and a letter press a button of
// the page on show (the one its hint names).
TEST_F(Window, KeysRunTheCalculationOfThePageAndChangePages)
{
    auto press = [this](int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent down(QEvent::ShortcutOverride, key, modifiers);
        QApplication::sendEvent(window.get(), &down);
        QTest::keyClick(window.get(), static_cast<Qt::Key>(key), modifiers);
        window->waitForRuns();
    };
    window->show();
    QApplication::setActiveWindow(window.get());
    press(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(page(), MainWindow::StartestIndex);
    press(Qt::Key_F5);
    EXPECT_TRUE(find<ui::PictureBox>(kStarImage)->drawn());
    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(page(), MainWindow::IntraExtraIndex);
    set(kFocus, 3);
    press(Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(find<ui::PictureBox>(kIntraExtraImage)->drawn());
    press(Qt::Key_4, Qt::ControlModifier);
    EXPECT_EQ(page(), MainWindow::DoubleIndex);
    const QString hint = ui::hintOf(find(kDawes));
    const int at = hint.indexOf("(Alt+");
    ASSERT_GE(at, 0) << hint.toStdString();
    press(Qt::Key_A + (hint.at(at + 5).unicode() - 'A'), Qt::AltModifier);
    EXPECT_TRUE(find<ui::PictureBox>(kDoubleImage)->drawn());
    EXPECT_NE(edit(kSeparation)->text(), "1.50");
    // Enter in an editor of the column runs the page on show.
    press(Qt::Key_9, Qt::ControlModifier);
    EXPECT_EQ(page(), MainWindow::ChromaticIndex);
    QTest::keyClick(edit(kFocus), Qt::Key_Return);
    window->waitForRuns();
    EXPECT_TRUE(find<ui::PictureBox>(kChromaticImage)->drawn());
}

}  // namespace
