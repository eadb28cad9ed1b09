// Cost of one star calculation as the Calculate button runs it
// (MainWindow::calculateStar: the request of the controls, the calculation on
// the window's calculator, and the star picture drawn), against the cost of
// the 2-D transform it contains. The window is created offscreen; the screens
// are built once before timing, as after the first calculation.
#include "app/calculations.h"
#include "app/control_names.h"
#include "app/main_window.h"
#include "imaging/display.h"
#include "imaging/pixel_buffer.h"
#include "optics/aperture.h"
#include "optics/fft.h"
#include "optics/fft_lanes.h"
#include "optics/pupil.h"
#include "optics/star_calculator.h"
#include "optics/workspace.h"
#include "ui/dialog_service.h"
#include "ui/number_edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

namespace names = app::names;

std::unique_ptr<ui::ScriptedDialogService> g_dialogs;
std::unique_ptr<app::MainWindow> g_window;

// A calculation refused, or any other message, means the benchmark did not
// measure what it says: it is reported as an error.
void CheckNoMessage(benchmark::State& state)
{
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

optics::StarCalculator& calculator()
{
    return g_window->calculations().calculator();
}

// The Calculate button at the start values with the given diameter (inches)
// and the PSF/MTF option.
void BM_StarCalculation(benchmark::State& state)
{
    control<ui::NumberEdit>(names::kAperture)->setValue(static_cast<double>(state.range(0)));
    control<QCheckBox>(names::kTransferFunction)->setChecked(state.range(1) != 0);
    g_window->calculateStar();  // screens ready, caches warm
    for (auto _ : state)
        g_window->calculateStar();
    state.counters["transforms"] = state.range(1) != 0 ? 2 : 1;
    control<QCheckBox>(names::kTransferFunction)->setChecked(false);
    CheckNoMessage(state);
}
BENCHMARK(BM_StarCalculation)
    ->ArgNames({"inches", "psfmtf"})
    ->Args({5, 0})
    ->Args({5, 1})
    ->Args({25, 0})
    ->Args({25, 1})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// The two views that run several calculations, each against one Calculate
// button at the same settings: 8 inches, 25 % obstruction, focus 3, 0.2 waves
// of spherical aberration, and a focal shift of 2 across the seven
// wavelengths. The window is not shown, so the repaints between the passes
// cost nothing.
void SetViewSettings(bool on = true)
{
    control<ui::NumberEdit>(names::kAperture)->setValue(on ? 8.0 : 5.0);
    control<ui::NumberEdit>(names::kObstruction)->setValue(on ? 25.0 : 0.0);
    control<ui::NumberEdit>(names::kFocus)->setValue(on ? 3.0 : 0.0);
    control<ui::NumberEdit>(names::kSpherical)->setValue(on ? 0.2 : 0.0);
    control<ui::NumberEdit>(names::kFocalShift)->setValue(on ? 2.0 : 0.0);
    control<QCheckBox>(names::kTransferFunction)->setChecked(false);
    g_window->calculateStar();  // screens ready, caches warm
}

// The other benchmarks run at the start values, in any order.
void RestoreStartValues()
{
    SetViewSettings(false);
}

void BM_ViewStarCalculation(benchmark::State& state)
{
    SetViewSettings();
    for (auto _ : state)
        g_window->calculateStar();
    CheckNoMessage(state);
    RestoreStartValues();
}
BENCHMARK(BM_ViewStarCalculation)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// Three calculations, the in-focus one at half the aperture, and the balance.
void BM_IntraExtra(benchmark::State& state)
{
    SetViewSettings();
    QPushButton* calculate = control<QPushButton>(names::kCalculateIntraExtra);
    for (auto _ : state)
        calculate->click();
    CheckNoMessage(state);
    RestoreStartValues();
}
BENCHMARK(BM_IntraExtra)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// Seven calculations from 405 to 707 nm, each added to the colour grid.
void BM_Chromatic(benchmark::State& state)
{
    SetViewSettings();
    QPushButton* calculate = control<QPushButton>(names::kCalculateChromatic);
    for (auto _ : state)
        calculate->click();
    state.counters["passes"] = 7;
    CheckNoMessage(state);
    RestoreStartValues();
}
BENCHMARK(BM_Chromatic)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The forward 2-D transform alone, on the grids of the window's calculator
// with its transform kernel.
void BM_Transform2D(benchmark::State& state)
{
    // The image-plane field of a 5-inch star, transformed afresh each time:
    // transforming the result again and again would run into overflow.
    control<ui::NumberEdit>(names::kAperture)->setValue(5.0);
    g_window->calculateStar();
    optics::Workspace& ws = calculator().workspace();
    const optics::LaneKernel kernel = calculator().laneKernel();
    const auto savedRe = std::make_unique<optics::Grid>(ws.fieldRe);
    const auto savedIm = std::make_unique<optics::Grid>(ws.fieldIm);
    for (auto _ : state) {
        state.PauseTiming();
        ws.fieldRe = *savedRe;
        ws.fieldIm = *savedIm;
        state.ResumeTiming();
        optics::Transform2D(ws.fieldRe, ws.fieldIm, kernel);
    }
    CheckNoMessage(state);
}
BENCHMARK(BM_Transform2D)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The pupil build alone at the start values (no aberration term on), through
// a fully open aperture, on a workspace of its own.
void BM_BuildPupil(benchmark::State& state)
{
    const std::unique_ptr<optics::Workspace> workspace = optics::Workspace::Create();
    const optics::ApertureMask open(optics::Raster(optics::ApertureMask::kSide, optics::ApertureMask::kSide, 255));
    optics::PupilParams params;
    params.diameter = static_cast<double>(state.range(0));
    params.coma = static_cast<double>(state.range(1)) * 0.5;  // one angle term on
    optics::NoProgress progress;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            optics::BuildPupil(*workspace, params, open, {}, optics::kReferenceWavelength, progress));
    }
}
BENCHMARK(BM_BuildPupil)
    ->ArgNames({"inches", "coma"})
    ->Args({5, 0})
    ->Args({25, 0})
    ->Args({25, 1})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// The aperture with an obstruction and the spider: the mask drawn from its
// layout, then the picture of it.
void BM_AperturePicture(benchmark::State& state)
{
    optics::ApertureShape shape;
    shape.obstructionPercent = 25.0;
    shape.spider = true;
    shape.vaneWidthMm = 2.0;
    const optics::ApertureLayout layout = optics::LayoutAperture(shape, 8.0f);
    for (auto _ : state) {
        const optics::ApertureMask mask = optics::DrawApertureMask(layout);
        imaging::PixelBuffer picture = imaging::DrawAperturePicture(mask);
        benchmark::DoNotOptimize(picture.data());
    }
}
BENCHMARK(BM_AperturePicture)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    g_dialogs = std::make_unique<ui::ScriptedDialogService>();
    g_window = std::make_unique<app::MainWindow>(*g_dialogs);
    // Start-up may say that the default planet picture is missing, which
    // does not concern these benchmarks.
    g_dialogs->clearShown();

    benchmark::AddCustomContext("transform_kernel", optics::LaneKernelName(calculator().laneKernel()));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window.reset();
    return 0;
}
