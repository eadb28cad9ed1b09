// Cost of the planet runs as the buttons start them, against what they are
// made of: one star calculation and three 2-D transforms for the grey run,
// three grey runs for the colour run. The window is created offscreen with
// the bundled Mars picture loaded; the screens are built once before timing.
#include "app/calculations.h"
#include "app/control_names.h"
#include "app/main_window.h"
#include "app/pages/planet_page.h"
#include "optics/fft.h"
#include "optics/fft_lanes.h"
#include "optics/star_calculator.h"
#include "optics/workspace.h"
#include "ui/dialog_service.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

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

app::PlanetPage& planet()
{
    return *g_window->findChild<app::PlanetPage*>(QLatin1String(app::names::kPlanetPage));
}

optics::StarCalculator& calculator()
{
    return g_window->calculations().calculator();
}

// "Calculate Greyvalues": the picture (decoded again only when its file
// changed), a star image, three transforms, the display step and the picture.
void BM_PlanetGreyRun(benchmark::State& state)
{
    planet().convolveGrey();
    for (auto _ : state)
        planet().convolveGrey();
    CheckNoMessage(state);
}
BENCHMARK(BM_PlanetGreyRun)->Unit(benchmark::kMillisecond);

// "Calculate Full Color": three passes and the composite.
void BM_PlanetColourRun(benchmark::State& state)
{
    planet().convolveInColour();
    for (auto _ : state)
        planet().convolveInColour();
    CheckNoMessage(state);
}
BENCHMARK(BM_PlanetColourRun)->Unit(benchmark::kMillisecond);

// What the grey run is made of: one star calculation as the Calculate button
// runs it (which draws one picture, as the grey run draws the planet) and
// three forward transforms of dense 512 x 512 data on the calculator's grids
// with its kernel (the planet run's own transforms are two forward and one
// inverse, which costs the same).
void BM_StarAndThreeTransforms(benchmark::State& state)
{
    optics::Workspace& ws = calculator().workspace();
    const optics::LaneKernel kernel = calculator().laneKernel();
    g_window->calculateStar();
    const auto denseRe = std::make_unique<optics::Grid>(ws.fieldRe);
    const auto denseIm = std::make_unique<optics::Grid>(ws.fieldIm);
    for (auto _ : state) {
        g_window->calculateStar();
        for (int n = 0; n < 3; ++n) {
            state.PauseTiming();
            ws.fieldRe = *denseRe;
            ws.fieldIm = *denseIm;
            state.ResumeTiming();
            optics::Transform2D(ws.fieldRe, ws.fieldIm, kernel);
        }
    }
    CheckNoMessage(state);
}
BENCHMARK(BM_StarAndThreeTransforms)->Unit(benchmark::kMillisecond);

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
    planet().loadPlanetPicture();
    g_window->calculateStar();  // screens ready
    // Without the picture there is nothing to measure.
    if (!g_dialogs->shown().empty()) {
        std::fprintf(stderr, "%s\n", qPrintable(g_dialogs->shown().front().text));
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::AddCustomContext("transform_kernel", optics::LaneKernelName(calculator().laneKernel()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window.reset();
    return 0;
}
