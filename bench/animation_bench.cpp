// Cost of the default star animation (21 frames of the focus from -5 to 5,
// each reduced to its palette, then the GIF file made in memory) against 21
// star calculations, the work it cannot avoid; and of a planet animation of
// the bundled Mars picture through 21 values of spherical aberration. The
// window is created offscreen; the screens are built once before timing.
#include "app/main_window.h"
#include "app/pages/animation_page.h"
#include "app/pages/planet_page.h"
#include "optics/fft_lanes.h"
#include "ui/dialog_service.h"
#include "ui/gif_player.h"
#include "ui/number_edit.h"

#include <QApplication>
#include <QComboBox>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int kFrames = 21;

std::unique_ptr<optics::Engine> g_engine;
std::unique_ptr<ui::ScriptedDialogService> g_dialogs;
std::unique_ptr<app::TForm1> g_form;

template <typename T>
T* control(const char* name)
{
    return g_form->findChild<T*>(QString::fromLatin1(name));
}

// "Animate" with the given object and aberration items and range (20 steps),
// and the file "Save" would write.
void Animate(benchmark::State& state, int object, int item, double low, double high)
{
    control<QComboBox>("Imagechoice")->setCurrentIndex(object);
    control<QComboBox>("AniAberchoice")->setCurrentIndex(item);
    control<ui::NumberEdit>("RxSpinEdit1")->setValue(low);
    control<ui::NumberEdit>("RxSpinEdit2")->setValue(high);
    auto* page = control<app::AnimationPage>("Animation");
    auto* player = control<ui::GifPlayer>("Image");
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

// The start values: focus from -5 to 5, star frames.
void BM_StarAnimation(benchmark::State& state)
{
    Animate(state, 0, 0, -5.0, 5.0);
}
BENCHMARK(BM_StarAnimation)->Unit(benchmark::kMillisecond);

// Mars in colour through spherical aberration from 0 to 1 wave.
void BM_PlanetAnimation(benchmark::State& state)
{
    Animate(state, 1, 5, 0.0, 1.0);
    control<ui::NumberEdit>("SphericalSpin")->setValue(0.0);
}
BENCHMARK(BM_PlanetAnimation)->Unit(benchmark::kMillisecond);

// The star calculations alone, of the same 21 focus values.
void BM_CalcFFTS21(benchmark::State& state)
{
    auto* focus = control<ui::NumberEdit>("FocusSpin");
    // As the star animation does: the star picture drawn, no colour composite held.
    g_form->CalculateButtonClick();
    for (auto _ : state) {
        for (int i = 0; i < kFrames; ++i) {
            focus->setValue(-5.0 + 0.5 * i);
            g_form->CalcFFTS();
        }
    }
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
    g_dialogs->queueFile({QStringLiteral(QUINTALIS_ASSETS "/mars.jpg"), 1});
    control<app::PlanetPage>("Planet")->LoadPlanetImageClick();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::AddCustomContext("transform_kernel", optics::LaneKernelName(optics::ActiveLaneKernel()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_form.reset();
    return 0;
}
