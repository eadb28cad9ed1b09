// Cost of one star calculation as the Calculate button runs it, against the
// cost of the 2-D transform it contains. The window is created offscreen; the
// screens are built once before timing, as after the first calculation.
#include "app/main_window.h"
#include "imaging/canvas_draw.h"
#include "imaging/pixel_buffer.h"
#include "optics/fft.h"
#include "optics/pupil.h"
#include "ui/dialog_service.h"
#include "ui/number_edit.h"

#include <QApplication>
#include <QCheckBox>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

std::unique_ptr<optics::Engine> g_engine;
std::unique_ptr<ui::ScriptedDialogService> g_dialogs;
std::unique_ptr<app::TForm1> g_form;

template <typename T>
T* control(const char* name)
{
    return g_form->findChild<T*>(QString::fromLatin1(name));
}

// CalcFFTS at the start values with the given diameter (inches) and the
// PSF/MTF option.
void BM_CalcFFTS(benchmark::State& state)
{
    control<ui::NumberEdit>("ApertureSpin")->setValue(static_cast<double>(state.range(0)));
    control<QCheckBox>("PSFMTFCheck")->setChecked(state.range(1) != 0);
    g_form->CalcFFTS();  // screens ready, caches warm
    for (auto _ : state)
        g_form->CalcFFTS();
    state.counters["transforms"] = state.range(1) != 0 ? 2 : 1;
}
BENCHMARK(BM_CalcFFTS)
    ->ArgNames({"inches", "psfmtf"})
    ->Args({5, 0})
    ->Args({5, 1})
    ->Args({25, 0})
    ->Args({25, 1})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// The forward 2-D transform alone, on the same engine.
void BM_Transform2D(benchmark::State& state)
{
    // The image-plane field of a 5-inch star, transformed afresh each time:
    // transforming the result again and again would run into overflow.
    optics::Engine& e = *g_engine;
    control<ui::NumberEdit>("ApertureSpin")->setValue(5.0);
    g_form->CalcFFTS();
    optics::CopyGrid(e.FieldReal, e.IntraGrid);
    optics::CopyGrid(e.FieldImag, e.KernelGrid);
    for (auto _ : state) {
        state.PauseTiming();
        optics::CopyGrid(e.IntraGrid, e.FieldReal);
        optics::CopyGrid(e.KernelGrid, e.FieldImag);
        state.ResumeTiming();
        optics::Transform2D(e, e.FieldReal, e.FieldImag);
    }
}
BENCHMARK(BM_Transform2D)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The pupil build alone at the start values (no aberration term on).
void BM_BuildPupil(benchmark::State& state)
{
    optics::Engine& e = *g_engine;
    std::vector<std::uint8_t> white(256 * 256 * 3, 255);
    optics::PupilParams params;
    params.diameter = static_cast<double>(state.range(0));
    params.coma = static_cast<double>(state.range(1)) * 0.5;  // one angle term on
    optics::NullStatusSink sink;
    for (auto _ : state)
        benchmark::DoNotOptimize(optics::BuildPupil(e, params, {white.data(), 256, 256, 768}, sink));
}
BENCHMARK(BM_BuildPupil)
    ->ArgNames({"inches", "coma"})
    ->Args({5, 0})
    ->Args({25, 0})
    ->Args({25, 1})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// The aperture picture with an obstruction and the spider.
void BM_AperturePicture(benchmark::State& state)
{
    imaging::PixelBuffer buffer(256, 256);
    imaging::AperturePictureParams params;
    params.apertureInches = 8.0f;
    params.obstructionPercent = 25.0;
    params.spider = true;
    params.vaneWidthMm = 2.0;
    const imaging::ApertureLayout layout = imaging::LayoutAperturePicture(params);
    for (auto _ : state) {
        imaging::DrawAperturePicture(buffer, layout);
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_AperturePicture)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

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
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_form.reset();
    return 0;
}
