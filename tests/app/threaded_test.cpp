// Runs on the workers give what the window's own thread gives, to the bit,
// for every view; Cancel and a newer run leave nothing of the old one on
// screen; Live follows the values.
#include "app/batch_driver.h"
#include "app/calculations.h"
#include "app/control_names.h"
#include "app/main_window.h"
#include "app/pages/animation_page.h"
#include "imaging/gif_file.h"
#include "optics/star_calculator.h"
#include "support/checksum.h"
#include "ui/dialog_service.h"
#include "ui/gif_player.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace names = app::names;
using testing_support::Checksum;
using testing_support::GridChecksum;

// The real window, keeping the stage names it was given.
class StageWindow final : public app::MainWindow {
public:
    using app::MainWindow::MainWindow;
    void stage(const std::string& name) override
    {
        stages.push_back(name);
        app::MainWindow::stage(name);
    }
    std::vector<std::string> stages;
};

// A window in a folder that holds the planet picture.
struct Window {
    explicit Window(int workers)
    {
        EXPECT_TRUE(folder.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        QFile::copy(QStringLiteral(QUINTALIS_SOURCE_DIR "/assets/mars.jpg"), QStringLiteral("mars.jpg"));
        auto made = std::make_unique<StageWindow>(dialogs, app::WindowOptions{workers, false});
        stageWindow = made.get();
        window = std::move(made);
    }
    ~Window()
    {
        window.reset();
        QDir::setCurrent(previous);
    }

    template <typename T>
    T* find(const char* name) const
    {
        return window->findChild<T*>(QLatin1String(name));
    }
    void set(const char* name, double value) { find<ui::NumberEdit>(name)->setValue(value); }
    void click(const char* name)
    {
        find<QAbstractButton>(name)->click();
        window->waitForRuns();
        // What follows the run (the Tests page's pictures) too.
        QCoreApplication::processEvents();
        window->waitForRuns();
    }
    std::uint64_t picture(const char* name) const
    {
        const QImage image = find<ui::PictureBox>(name)->picture().convertToFormat(QImage::Format_RGB888);
        Checksum sum;
        for (int y = 0; y < image.height(); ++y)
            sum.add(image.constScanLine(y), static_cast<std::size_t>(image.width()) * 3);
        return sum.value();
    }

    QTemporaryDir folder;
    QString previous;
    ui::ScriptedDialogService dialogs;
    std::unique_ptr<app::MainWindow> window;
    StageWindow* stageWindow = nullptr;
};

// The grids a calculator keeps as scratch: after a cancelled run they hold
// whatever its last task left, which nothing on screen shows.
bool isScratch(const QString& grid)
{
    return grid == QLatin1String("FieldReal") || grid == QLatin1String("FieldImag")
           || grid == QLatin1String("WavefrontGrid") || grid == QLatin1String("OtfReal")
           || grid == QLatin1String("OtfImag");
}

// What a view left: the pictures of every page, the grids --dump-grid
// writes (without the scratch ones when `scratch` is false), the labels of the
// Wavefront and PSF/MTF pages, the animation.
std::map<std::string, std::uint64_t> outcome(Window& w, bool scratch = true)
{
    std::map<std::string, std::uint64_t> all;
    for (const char* picture : {names::kStarImage, names::kIntraExtraImage, names::kPlanetAberrated,
                                names::kChromaticImage, names::kDoubleImage, names::kAperturePicture,
                                names::kWavefrontPicture, names::kTurbulencePicture, names::kRonchiImage,
                                names::kKnifeImage, names::kFringeImage})
        all[picture] = w.picture(picture);
    for (const QString& grid : app::gridNames())
        if (grid != QLatin1String("ColourGrid") && grid != QLatin1String("ZeroGrid") && (scratch || !isScratch(grid)))
            all[grid.toStdString()] = GridChecksum(app::NamedGrid(*w.window, grid));
    Checksum colours;
    const optics::ColourCells& cells = app::NamedColourGrid(*w.window);
    colours.add(cells.cells.data(), sizeof cells.cells);
    all["ColourGrid"] = colours.value();
    Checksum labels;
    for (const char* label : {names::kResolution, names::kPeakToValley, names::kRms, names::kIntraLabel,
                              names::kExtraLabel})
        labels.add(w.find<QLabel>(label)->text().toStdString());
    all["labels"] = labels.value();
    if (const base::Result<std::string> gif = w.window->findChild<app::AnimationPage*>()->animation().encode()) {
        Checksum animation;
        animation.add(*gif);
        all["animation"] = animation.value();
    }
    return all;
}

// The stage names the window was given, leaving out the times of finished
// runs, sorted: the workers' come in the order they were given, which
// depends on which ran first.
std::uint64_t stageNames(const Window& w)
{
    std::vector<std::string> stages = w.stageWindow->stages;
    std::erase_if(stages, [](const std::string& name) { return name.rfind("Calculated in ", 0) == 0; });
    std::sort(stages.begin(), stages.end());
    Checksum names;
    for (const std::string& name : stages)
        names.add(name + '\n');
    return names.value();
}

struct View {
    const char* name;
    std::function<void(Window&)> setUp;
    const char* button;
    // Whether the stage names are those of the window's thread. On show, the
    // Tests page draws its pictures as the values are typed; on workers,
    // Calculate supersedes a drawing still going ("Ready") and builds the
    // turbulence screen that drawing would have built.
    bool sameStages = true;
};

TEST(Threaded, EveryViewOnWorkersGivesTheBitsOfTheWindowThread)
{
    const std::vector<View> views = {
        {"star with everything", [](Window& w) {
             w.set(names::kAperture, 12);
             w.set(names::kObstruction, 30);
             w.set(names::kFocus, 0.5);
             w.set(names::kComa, 0.2);
             w.set(names::kTurbulenceAmount, 0.1);
             w.set(names::kRoughnessAmount, 0.05);
             w.find<QAbstractButton>(names::kTransferFunction)->click();
             w.find<QAbstractButton>(names::kWavefront)->click();
         }, names::kCalculate},
        {"knife offset animation", [](Window& w) {
             w.find<QComboBox>(names::kAnimatedError)->setCurrentIndex(12);
             w.set(names::kSpherical, 0.3);
             w.set(names::kLowest, -0.2);
             w.set(names::kHighest, 0.2);
             w.set(names::kSteps, 4);
         }, names::kAnimate},
        {"ronchi offset animation in white light", [](Window& w) {
             w.find<QComboBox>(names::kAnimatedError)->setCurrentIndex(11);
             w.set(names::kFocalShift, 2);
             w.find<QAbstractButton>(names::kRonchiWhite)->click();
             w.set(names::kSteps, 3);
         }, names::kAnimate},
        {"mirror tests in white light", [](Window& w) {
             // On show: its pictures follow Calculate at once.
             w.find<QTabWidget>(names::kTabs)->setCurrentIndex(app::MainWindow::TestsIndex);
             w.set(names::kAperture, 8);
             w.set(names::kSpherical, 0.5);
             w.set(names::kTurbulenceAmount, 0.1);
             w.set(names::kFocalShift, 2);
             w.find<QAbstractButton>(names::kRonchiWhite)->click();
             w.set(names::kKnifeOffset, -0.3);
             w.set(names::kFringeDefocus, 1);
         }, names::kCalculate, false},
        {"intra/extra", [](Window& w) {
             w.set(names::kFocus, 3);
             w.set(names::kSpherical, 0.2);
         }, names::kCalculateIntraExtra},
        {"chromatic", [](Window& w) {
             w.set(names::kFocalShift, 2);
             w.set(names::kRowFocus[0], 1);
             w.find<QAbstractButton>(names::kTransferFunction)->click();
         }, names::kCalculateChromatic},
        {"grey planet", [](Window& w) { w.set(names::kAstigmatism, 0.5); }, names::kConvoluteGrey},
        {"colour planet", [](Window& w) { w.set(names::kFocus, 1.5); }, names::kConvoluteColour},
        {"double star after a planet", [](Window& w) { w.click(names::kConvoluteGrey); }, names::kCalculateDouble},
        {"turbulence animation", [](Window& w) {
             w.find<QComboBox>(names::kAnimatedError)->setCurrentIndex(10);
             w.set(names::kTurbulenceAmount, 0.2);
             w.set(names::kSteps, 6);
         }, names::kAnimate},
        {"planet animation", [](Window& w) {
             w.find<QComboBox>(names::kAnimatedObject)->setCurrentIndex(1);
             w.set(names::kSteps, 2);
         }, names::kAnimate},
    };
    for (const View& view : views) {
        SCOPED_TRACE(view.name);
        std::map<std::string, std::uint64_t> results[2];
        for (int workers : {0, 2}) {
            Window w(workers);
            view.setUp(w);
            w.click(view.button);
            results[workers ? 1 : 0] = outcome(w);
            // Every stage a calculation names reaches the status bar,
            // whichever thread it ran on.
            if (view.sameStages)
                results[workers ? 1 : 0]["stages"] = stageNames(w);
        }
        for (const auto& [what, sum] : results[0])
            EXPECT_EQ(results[1][what], sum) << what;
    }
}

TEST(Threaded, CancelAndANewerRunLeaveNothingOfTheOldOne)
{
    Window w(2);
    w.set(names::kFocus, 2);
    w.click(names::kCalculate);
    const std::map<std::string, std::uint64_t> before = outcome(w, false);

    // Cancelled at once: no frame, no picture, no value changed.
    w.set(names::kSteps, 100);
    w.find<QAbstractButton>(names::kAnimate)->click();
    EXPECT_TRUE(w.window->calculations().running());
    w.find<QAbstractButton>(names::kRunCancel)->click();
    w.window->waitForRuns();
    EXPECT_EQ(outcome(w, false), before);
    EXPECT_EQ(w.find<ui::NumberEdit>(names::kFocus)->text(), QStringLiteral("2.00"));
    EXPECT_EQ(w.window->stageText(), QStringLiteral("Ready"));
    EXPECT_EQ(w.window->progressText(), QString());

    // An intra/extra run superseded by Calculate never draws its picture.
    w.set(names::kFocus, 3);
    w.find<QAbstractButton>(names::kCalculateIntraExtra)->click();
    w.find<QAbstractButton>(names::kCalculate)->click();
    w.window->waitForRuns();
    EXPECT_EQ(w.picture(names::kIntraExtraImage), before.at(names::kIntraExtraImage));
    Window plain(0);
    plain.set(names::kFocus, 3);
    plain.click(names::kCalculate);
    EXPECT_EQ(w.picture(names::kStarImage), plain.picture(names::kStarImage));
}

// Only the last calculation of a run keeps its image-plane field (the others
// hand its rows straight to the intensity): --dump-grid shows the field of
// the last one, alone or on workers, however the tasks were grouped into
// jobs, as a calculation of it alone leaves it; the values come in order.
TEST(Threaded, TheLastCalculationOfARunLeavesItsField)
{
    std::vector<optics::StarRequest> requests(3);
    for (std::size_t n = 0; n < requests.size(); ++n) {
        requests[n].pupil.diameter = 8.0;
        requests[n].pupil.focus = 1.0 + static_cast<double>(n);
    }
    optics::ScreenCache screens;
    optics::StarCalculator alone(screens);
    optics::NoProgress quiet;
    ASSERT_TRUE(alone.calculate(requests.back(), quiet).ok());
    const optics::Workspace& expected = alone.workspace();
    // The tasks one job each, or grouped as a view may group them.
    const std::vector<std::vector<std::vector<int>>> groupings = {{}, {{1, 0}, {2}}, {{0, 1, 2}}};
    for (const int workers : {0, 2}) {
        Window w(workers);
        for (const std::vector<std::vector<int>>& jobs : groupings) {
            SCOPED_TRACE(std::to_string(workers) + " workers, " + std::to_string(jobs.size()) + " jobs");
            std::vector<int> delivered;
            app::RunOptions options;
            options.jobs = jobs;
            w.window->calculations().startStars(
                requests, [&delivered](int index, optics::StarResult&&) { delivered.push_back(index); }, [] {},
                options);
            w.window->waitForRuns();
            EXPECT_EQ(delivered, (std::vector<int>{0, 1, 2}));
            const optics::Workspace& left = w.window->calculations().lastCalculator().workspace();
            EXPECT_EQ(GridChecksum(left.fieldRe), GridChecksum(expected.fieldRe));
            EXPECT_EQ(GridChecksum(left.fieldIm), GridChecksum(expected.fieldIm));
            EXPECT_EQ(GridChecksum(left.intensity), GridChecksum(expected.intensity));
        }
    }
}

// A star drawn on its worker at the settings of the start is drawn again
// when the brightness or the zoom changed before it arrived; so is the
// dimmer side of intra/extra, drawn on the brighter one's scale.
TEST(Threaded, DisplaySettingsChangedDuringARunDrawTheStarAnew)
{
    const std::function<void(Window&)> changes[] = {
        [](Window& w) { w.find<QSlider>(names::kBrightness)->setValue(40); },
        [](Window& w) { w.set(names::kZoom, 1.5); },
    };
    const std::pair<const char*, const char*> views[] = {{names::kCalculate, names::kStarImage},
                                                         {names::kCalculateIntraExtra, names::kIntraExtraImage}};
    for (const auto& [button, picture] : views) {
        for (const auto& change : changes) {
            Window w(2);
            Window plain(0);
            for (Window* each : {&w, &plain}) {
                each->set(names::kFocus, 3);
                each->set(names::kSpherical, 0.2);
            }
            w.find<QAbstractButton>(button)->click();
            change(w);
            w.window->waitForRuns();
            change(plain);
            plain.click(button);
            EXPECT_EQ(w.picture(picture), plain.picture(picture)) << button;
        }
    }
}

TEST(Threaded, LiveFollowsEveryChangeAndShowsTheNewest)
{
    Window w(2);
    w.find<QAbstractButton>(names::kLive)->click();
    for (double focus : {0.5, 1.0, 1.5, 2.0, 2.5})
        w.set(names::kFocus, focus);
    w.window->waitForRuns();
    Window plain(0);
    plain.set(names::kFocus, 2.5);
    plain.click(names::kCalculate);
    EXPECT_EQ(w.picture(names::kStarImage), plain.picture(names::kStarImage));
    // A diameter on its way (0 while typing) is passed over without a message.
    w.find<ui::NumberEdit>(names::kAperture)->setText(QStringLiteral("0"));
    w.window->waitForRuns();
    EXPECT_TRUE(w.dialogs.shown().empty());
}

}  // namespace
