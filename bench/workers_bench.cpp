// The runs on 1, 2, ... workers, in wall-clock time (and, for comparison,
// independent transforms on as many threads): one star calculation
// (8 inches, 25 % obstruction, with PSF/MTF), the intra/extra and chromatic
// views, the colour planet and the default star animation with its GIF file.
// Each benchmark's argument is the number of workers; a window is made for
// each number, and every run is waited for as a user waits for its picture.
#include "app/calculations.h"
#include "app/control_names.h"
#include "app/main_window.h"
#include "app/pages/animation_page.h"
#include "app/pages/planet_page.h"
#include "optics/fft.h"
#include "optics/fft_lanes.h"
#include "optics/star_calculator.h"
#include "optics/worker_pool.h"
#include "ui/dialog_service.h"
#include "ui/number_edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <thread>
#include <vector>

namespace {

namespace names = app::names;

struct Window {
    ui::ScriptedDialogService dialogs;
    std::unique_ptr<app::MainWindow> window;

    template <typename T>
    T* control(const char* name)
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    void click(const char* name)
    {
        control<QPushButton>(name)->click();
        window->waitForRuns();
    }
};

std::map<int, std::unique_ptr<Window>> g_windows;

// The window with `workers` workers, at the views' settings, screens built
// and the planet picture loaded.
Window& windowWith(int workers)
{
    std::unique_ptr<Window>& slot = g_windows[workers];
    if (!slot) {
        slot = std::make_unique<Window>();
        slot->window = std::make_unique<app::MainWindow>(slot->dialogs, app::WindowOptions{workers, false});
        Window& w = *slot;
        w.dialogs.clearShown();
        w.dialogs.queueFile({QStringLiteral(QUINTALIS_ASSETS "/mars.jpg"), 1});
        w.control<app::PlanetPage>(names::kPlanetPage)->loadPlanetPicture();
        w.control<ui::NumberEdit>(names::kAperture)->setValue(8.0);
        w.control<ui::NumberEdit>(names::kObstruction)->setValue(25.0);
        w.control<ui::NumberEdit>(names::kFocus)->setValue(3.0);
        w.control<ui::NumberEdit>(names::kSpherical)->setValue(0.2);
        w.control<ui::NumberEdit>(names::kFocalShift)->setValue(2.0);
        w.click(names::kCalculate);
    }
    return *slot;
}

void Run(benchmark::State& state, const char* button, bool transferFunction = false)
{
    Window& w = windowWith(static_cast<int>(state.range(0)));
    w.control<QCheckBox>(names::kTransferFunction)->setChecked(transferFunction);
    w.click(button);
    // The button is found once: a user's click looks for nothing.
    auto* pressed = w.control<QPushButton>(button);
    for (auto _ : state) {
        pressed->click();
        w.window->waitForRuns();
    }
    w.control<QCheckBox>(names::kTransferFunction)->setChecked(false);
    if (!w.dialogs.shown().empty()) {
        state.SkipWithError(w.dialogs.shown().front().text.toStdString().c_str());
        w.dialogs.clearShown();
    }
    state.counters["workers"] = static_cast<double>(state.range(0));
}

void BM_StarCalculationWorkers(benchmark::State& state)
{
    // Focus 0 for this one: the star of the Calculate button at 8 inches.
    Window& w = windowWith(static_cast<int>(state.range(0)));
    w.control<ui::NumberEdit>(names::kFocus)->setValue(0.0);
    Run(state, names::kCalculate, true);
    w.control<ui::NumberEdit>(names::kFocus)->setValue(3.0);
}

void BM_IntraExtra(benchmark::State& state)
{
    Run(state, names::kCalculateIntraExtra);
}

void BM_Chromatic(benchmark::State& state)
{
    Run(state, names::kCalculateChromatic);
}

void BM_PlanetColourRun(benchmark::State& state)
{
    Run(state, names::kConvoluteColour);
}

// The default animation (focus -5 to 5, 21 frames) and its GIF file.
void BM_StarAnimation(benchmark::State& state)
{
    Window& w = windowWith(static_cast<int>(state.range(0)));
    w.control<QComboBox>(names::kAnimatedObject)->setCurrentIndex(0);
    w.control<QComboBox>(names::kAnimatedError)->setCurrentIndex(0);
    auto* page = w.control<app::AnimationPage>(names::kAnimationPage);
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("focus.gif")).toStdString();
    for (auto _ : state) {
        page->animate();
        w.window->waitForRuns();
        if (!page->animation().write(path))
            state.SkipWithError("the GIF file was not written");
    }
    state.counters["workers"] = static_cast<double>(state.range(0));
}

// The same animation without its file: what Animate costs before Save.
void BM_StarAnimationFrames(benchmark::State& state)
{
    Window& w = windowWith(static_cast<int>(state.range(0)));
    w.control<QComboBox>(names::kAnimatedObject)->setCurrentIndex(0);
    w.control<QComboBox>(names::kAnimatedError)->setCurrentIndex(0);
    auto* page = w.control<app::AnimationPage>(names::kAnimationPage);
    for (auto _ : state) {
        page->animate();
        w.window->waitForRuns();
    }
    if (page->animation().count() != 21)
        state.SkipWithError("the animation did not make 21 frames");
    state.counters["workers"] = static_cast<double>(state.range(0));
}

// 1, 2, ... workers up to the pool's usual size.
void Workers(benchmark::internal::Benchmark* b)
{
    for (int n = 1; n <= optics::WorkerPool::DefaultSize(); n *= 2)
        b->Arg(n);
    if ((optics::WorkerPool::DefaultSize() & (optics::WorkerPool::DefaultSize() - 1)) != 0)
        b->Arg(optics::WorkerPool::DefaultSize());
    b->ArgName("workers")->Unit(benchmark::kMillisecond)->UseRealTime();
}

// What the machine allows: N independent 2-D transforms at once, one a
// thread, against one alone. Work that streams its grids through memory as
// the transforms do gains only as much from a second core as this shows.
void BM_TransformsAtOnce(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    std::vector<std::unique_ptr<optics::Grid>> grids;
    for (int n = 0; n < 2 * threads; ++n) {
        grids.push_back(std::make_unique<optics::Grid>());
        (*grids.back())(5, 7) = 1.0;
    }
    for (auto _ : state) {
        std::vector<std::thread> running;
        for (int n = 0; n < threads; ++n)
            running.emplace_back([&grids, n] { optics::Transform2D(*grids[2 * n], *grids[2 * n + 1]); });
        for (std::thread& t : running)
            t.join();
    }
    state.counters["threads"] = threads;
}

BENCHMARK(BM_TransformsAtOnce)->Apply(Workers);
BENCHMARK(BM_StarCalculationWorkers)->Apply(Workers);
BENCHMARK(BM_IntraExtra)->Apply(Workers);
BENCHMARK(BM_Chromatic)->Apply(Workers);
BENCHMARK(BM_PlanetColourRun)->Apply(Workers);
BENCHMARK(BM_StarAnimation)->Apply(Workers);
BENCHMARK(BM_StarAnimationFrames)->Apply(Workers);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::AddCustomContext("transform_kernel", optics::LaneKernelName(optics::PreferredLaneKernel()));
    benchmark::AddCustomContext("cores", std::to_string(optics::WorkerPool::DefaultSize()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_windows.clear();
    return 0;
}
