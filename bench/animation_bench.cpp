// Cost of the default star animation (21 frames of the focus from -5 to 5,
// each reduced to its palette, then the GIF file made in memory) against 21
// star calculations, the work it cannot avoid. The window is created
// offscreen; the screens are built once before timing.
#include "app/main_window.h"
#include "app/pages/animation_page.h"
#include "optics/fft_lanes.h"
#include "ui/dialog_service.h"
#include "ui/gif_player.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int kFrames = 21;

std::unique_ptr<optics::Engine> g_engine;
std::unique_ptr<ui::ScriptedDialogService> g_dialogs;
std::unique_ptr<app::TForm1> g_form;

// "Animate" at the start values, and the file "Save" would write.
void BM_StarAnimation(benchmark::State& state)
{
    auto* page = g_form->findChild<app::AnimationPage*>(QStringLiteral("Animation"));
    auto* player = g_form->findChild<ui::GifPlayer*>(QStringLiteral("Image"));
    g_form->CalcFFTS();  // screens ready, caches warm
    std::string error;
    for (auto _ : state) {
        page->AnibuttonClick();
        benchmark::DoNotOptimize(page->animation().encode(error));
        player->stop();
    }
    if (page->animation().count() != kFrames || !error.empty())
        state.SkipWithError("the animation did not make 21 frames");
}
BENCHMARK(BM_StarAnimation)->Unit(benchmark::kMillisecond);

// The star calculations alone, at the start values.
void BM_CalcFFTS21(benchmark::State& state)
{
    g_form->CalcFFTS();
    for (auto _ : state)
        for (int i = 0; i < kFrames; ++i)
            g_form->CalcFFTS();
}
BENCHMARK(BM_CalcFFTS21)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    g_engine = optics::Engine::Create();
    g_dialogs = std::make_unique<ui::ScriptedDialogService>();
    g_form = std::make_unique<app::TForm1>(*g_engine, *g_dialogs);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::AddCustomContext("transform_kernel", optics::LaneKernelName(optics::ActiveLaneKernel()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_form.reset();
    return 0;
}
