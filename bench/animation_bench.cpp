// Cost of the default star animation (21 frames of the focus from -5 to 5,
// each reduced to its palette, then the GIF file made in memory) against 21
// star calculations as the Calculate button runs them, the work it cannot
// avoid; and of a planet animation of the bundled Mars picture through 21
// values of spherical aberration. The window is created offscreen; the
// screens are built once before timing.
#include "app/calculations.h"
#include "app/control_names.h"
#include "app/main_window.h"
#include "app/pages/animation_page.h"
#include "app/pages/planet_page.h"
#include "imaging/gif_file.h"
#include "optics/fft_lanes.h"
#include "optics/star_calculator.h"
#include "ui/dialog_service.h"
#include "ui/gif_player.h"
#include "ui/number_edit.h"

#include <QApplication>
#include <QComboBox>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

namespace names = app::names;

constexpr int kFrames = 21;

std::unique_ptr<ui::ScriptedDialogService> g_dialogs;
std::unique_ptr<app::MainWindow> g_window;

// A calculation refused, or any other message, means the benchmark did not
// measure what it says: it is reported as an error.
void CheckNoMessage(benchmark::State& state)
{    // Without the picture there is nothing to measure.
    if (!g_dialogs->shown().empty()) {
        state.SkipWithError(g_dialogs->shown().front().text.toStdString().c_str());
        g_dialogs->clearShown();
    }
}

template <typename T>
T* control(const char* name)
{
    return g_window->findChild<T*>(QString::fromLatin1(name));
}

// "Animate" with the given object and aberration items and range (20 steps),
// and the file "Save" would write.
void Animate(benchmark::State& state, int object, int item, double low, double high)
{
    control<QComboBox>(names::kAnimatedObject)->setCurrentIndex(object);
    control<QComboBox>(names::kAnimatedError)->setCurrentIndex(item);
    control<ui::NumberEdit>(names::kLowest)->setValue(low);
    control<ui::NumberEdit>(names::kHighest)->setValue(high);
    auto* page = control<app::AnimationPage>(names::kAnimationPage);
    auto* player = control<ui::GifPlayer>(names::kPlayer);
    g_window->calculateStar();  // screens ready, caches warm
    bool encoded = true;
    for (auto _ : state) {
        page->animate();
        const base::Result<std::string> gif = page->animation().encode();
        encoded = encoded && gif.ok();
        benchmark::DoNotOptimize(gif);
        player->stop();
    }
    if (page->animation().count() != kFrames || !encoded)
        state.SkipWithError("the animation did not make 21 frames");
    CheckNoMessage(state);
}

// The start values: focus from -5 to 5, star frames.
void BM_StarAnimation(benchmark::State& state)
{
    Animate(state, 0, 0, -5.0, 5.0);
}
BENCHMARK(BM_StarAnimation)->Unit(benchmark::kMillisecond);

// The GIF file of the start animation alone, its frames compressed on the
// calling thread: the part of "Save" that does not depend on the workers.
void BM_StarAnimationFile(benchmark::State& state)
{
    control<QComboBox>(names::kAnimatedObject)->setCurrentIndex(0);
    control<QComboBox>(names::kAnimatedError)->setCurrentIndex(0);
    control<ui::NumberEdit>(names::kLowest)->setValue(-5.0);
    control<ui::NumberEdit>(names::kHighest)->setValue(5.0);
    auto* page = control<app::AnimationPage>(names::kAnimationPage);
    page->animate();
    control<ui::GifPlayer>(names::kPlayer)->stop();
    imaging::AnimatedGif gif = page->animation();
    gif.setLoops(nullptr);
    std::size_t pixels = 0;
    for (int i = 0; i < gif.count(); ++i)
        pixels += gif.frame(i).indices.size();
    bool encoded = true;
    for (auto _ : state) {
        const base::Result<std::string> bytes = gif.encode();
        encoded = encoded && bytes.ok();
        benchmark::DoNotOptimize(bytes);
    }
    if (gif.count() != kFrames || !encoded)
        state.SkipWithError("the animation did not make 21 frames");
    state.counters["per_pixel"] =
        benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    CheckNoMessage(state);
}
BENCHMARK(BM_StarAnimationFile)->Unit(benchmark::kMillisecond);

// Mars in colour through spherical aberration from 0 to 1 wave (the editors
// keep what they hold).
void BM_PlanetAnimation(benchmark::State& state)
{
    Animate(state, 1, 5, 0.0, 1.0);
}
BENCHMARK(BM_PlanetAnimation)->Unit(benchmark::kMillisecond);

// The star calculations alone, of the same 21 focus values, each as the
// Calculate button runs it (request, calculation, star picture).
void BM_StarCalculations21(benchmark::State& state)
{
    auto* focus = control<ui::NumberEdit>(names::kFocus);
    g_window->calculateStar();
    for (auto _ : state) {
        for (int i = 0; i < kFrames; ++i) {
            focus->setValue(-5.0 + 0.5 * i);
            g_window->calculateStar();
        }
    }
    focus->setValue(0.0);
    CheckNoMessage(state);
}
BENCHMARK(BM_StarCalculations21)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    g_dialogs = std::make_unique<ui::ScriptedDialogService>();
    g_window = std::make_unique<app::MainWindow>(*g_dialogs);
    // Start-up may say that the default planet picture is missing; the
    // bundled one is loaded here instead.
    g_dialogs->clearShown();
    g_dialogs->queueFile({QStringLiteral(QUINTALIS_ASSETS "/mars.jpg"), 1});
    control<app::PlanetPage>(names::kPlanetPage)->loadPlanetPicture();
    // Without the picture there is nothing to measure.
    if (!g_dialogs->shown().empty()) {
        std::fprintf(stderr, "%s\n", qPrintable(g_dialogs->shown().front().text));
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const optics::LaneKernel kernel = g_window->calculations().calculator().laneKernel();
    benchmark::AddCustomContext("transform_kernel", optics::LaneKernelName(kernel));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window.reset();
    return 0;
}
