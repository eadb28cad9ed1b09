// Costs of the display step, the zoom redraw and one phase screen build.
#include "imaging/pixel_buffer.h"
#include "imaging/star_image.h"
#include "optics/engine.h"
#include "optics/phase_screen.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

// An Airy-like image-plane field, so that the picture covers every table
// entry rather than one constant.
std::unique_ptr<optics::Engine> engineWithField()
{
    auto engine = optics::Engine::Create();
    imaging::BuildDisplayLut(*engine, 0.5, 4.5);
    for (int i = 1; i <= 512; ++i) {
        for (int j = 1; j <= 512; ++j) {
            const int u = (i - 1 + 256) % 512 - 256;
            const int v = (j - 1 + 256) % 512 - 256;
            const double r = std::hypot(u, v) * 0.7 + 1e-9;
            engine->FieldReal(i, j) = std::sin(r) / r;
            engine->FieldImag(i, j) = 0.1 * std::cos(r) / (1.0 + r);
        }
    }
    return engine;
}

void BM_TurbulenceScreen(benchmark::State& state)
{
    auto engine = optics::Engine::Create();
    optics::NullStatusSink sink;
    for (auto _ : state) {
        optics::ScreenPicture picture = optics::BuildTurbulenceScreen(*engine, {1.0, 0.5}, sink);
        benchmark::DoNotOptimize(picture);
    }
}
BENCHMARK(BM_TurbulenceScreen)->Unit(benchmark::kMillisecond);

// The whole display step: intensity, peak, swap and picture. This is what a
// brightness or gamma change runs.
void BM_BuildStarImage(benchmark::State& state)
{
    auto engine = engineWithField();
    imaging::PixelBuffer buffer(256, 256);
    optics::NullStatusSink sink;
    int brightness = 0;
    for (auto _ : state) {
        imaging::BuildStarImage(*engine, {1.0, brightness}, &buffer, sink);
        brightness = (brightness + 10) % 110;
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_BuildStarImage)->Unit(benchmark::kMicrosecond);

void BM_Changezoom(benchmark::State& state)
{
    auto engine = engineWithField();
    imaging::PixelBuffer buffer(256, 256);
    optics::NullStatusSink sink;
    imaging::BuildStarImage(*engine, {}, &buffer, sink);
    const double zooms[] = {0.1, 0.5, 1.0, 1.5, 2.0};
    int k = 0;
    for (auto _ : state) {
        imaging::Changezoom(*engine, {zooms[k], 20}, &buffer, sink);
        k = (k + 1) % 5;
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_Changezoom)->Unit(benchmark::kMicrosecond);

void BM_ChangezoomComposite(benchmark::State& state)
{
    auto engine = engineWithField();
    imaging::PixelBuffer buffer(256, 256);
    optics::NullStatusSink sink;
    engine->ColourComposite = true;
    for (auto _ : state) {
        imaging::Changezoom(*engine, {1.0, 0}, &buffer, sink);
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_ChangezoomComposite)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
