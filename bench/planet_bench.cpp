// Cost of the planet runs as the buttons start them, against what they are
// made of: one star calculation and three 2-D transforms for the grey run,
// three grey runs for the colour run. The window is created offscreen with
// the bundled Mars picture loaded; the screens are built once before timing.
#include "app/main_window.h"
#include "app/pages/planet_page.h"
#include "optics/fft.h"
#include "optics/fft_lanes.h"
#include "ui/dialog_service.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

std::unique_ptr<optics::Engine> g_engine;
std::unique_ptr<ui::ScriptedDialogService> g_dialogs;
std::unique_ptr<app::TForm1> g_form;

app::PlanetPage& planet()
{
    return *g_form->findChild<app::PlanetPage*>(QStringLiteral("Planet"));
}

// "Calculate Greyvalues": the picture read again, a star image, three
// transforms, the display step.
void BM_PlanetGreyRun(benchmark::State& state)
{
    planet().ConvoluteGrey();
    for (auto _ : state)
        planet().ConvoluteGrey();
}
BENCHMARK(BM_PlanetGreyRun)->Unit(benchmark::kMillisecond);

// "Calculate Full Color": three passes and the composite.
void BM_PlanetColourRun(benchmark::State& state)
{
    planet().ConvoluteInColorClick();
    for (auto _ : state)
        planet().ConvoluteInColorClick();
}
BENCHMARK(BM_PlanetColourRun)->Unit(benchmark::kMillisecond);

// What the grey run is made of: one star calculation and three forward
// transforms of dense 512 x 512 data (the planet run's own transforms are two
// forward and one inverse, which costs the same). The calculation starts as
// the Calculate button starts it, so that a colour composite left by the
// other benchmarks does not spare it the star picture.
void BM_StarAndThreeTransforms(benchmark::State& state)
{
    optics::Engine& e = *g_engine;
    g_form->CalculateButtonClick();
    optics::CopyGrid(e.FieldReal, e.IntraGrid);
    optics::CopyGrid(e.FieldImag, e.KernelGrid);
    for (auto _ : state) {
        g_form->CalculateButtonClick();
        for (int n = 0; n < 3; ++n) {
            state.PauseTiming();
            optics::CopyGrid(e.IntraGrid, e.FieldReal);
            optics::CopyGrid(e.KernelGrid, e.FieldImag);
            state.ResumeTiming();
            optics::Transform2D(e, e.FieldReal, e.FieldImag);
        }
    }
}
BENCHMARK(BM_StarAndThreeTransforms)->Unit(benchmark::kMillisecond);

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
    planet().LoadPlanetImageClick();
    g_form->CalcFFTS();  // screens ready

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::AddCustomContext("transform_kernel", optics::LaneKernelName(optics::ActiveLaneKernel()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_form.reset();
    return 0;
}
