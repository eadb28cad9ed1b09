// Cost of each picture of the Tests page against one star calculation of the
// same telescope (an 8-inch f/6 with 0.5 waves of spherical aberration), as
// the page's tasks make them: the pupil sampled, the picture drawn. The
// screens are built before timing.
#include "optics/star_calculator.h"
#include "simulations/chromatic.h"
#include "simulations/mirror_tests.h"

#include <benchmark/benchmark.h>

namespace {

optics::StarRequest Telescope()
{
    optics::StarRequest star;
    star.pupil.diameter = 8.0;
    star.pupil.spherical = 0.5;
    return star;
}

void BM_StarCalculation(benchmark::State& state)
{
    optics::ScreenCache screens;
    optics::StarCalculator calculator(screens);
    optics::NoProgress progress;
    const optics::StarRequest star = Telescope();
    for (auto _ : state)
        benchmark::DoNotOptimize(calculator.calculate(star, progress));
}
BENCHMARK(BM_StarCalculation)->Unit(benchmark::kMillisecond);

// 0: Ronchi, 1: knife edge, 2: interferogram, 3: white-light Ronchi.
void BM_MirrorTest(benchmark::State& state)
{
    optics::ScreenCache screens;
    sim::MirrorTestRequest request;
    request.pupils = {Telescope()};
    request.knife.offsetMm = -0.3;
    switch (state.range(0)) {
    case 0: request.test = sim::MirrorTest::Ronchi; break;
    case 1: request.test = sim::MirrorTest::Knife; break;
    case 2: request.test = sim::MirrorTest::Fringes; break;
    default: {
        request.test = sim::MirrorTest::Ronchi;
        const std::vector<sim::ChromaticRow> rows = {{405, 0, 0}, {436, 0, 0}, {486, 0, 0}, {555, 0, 0},
                                                     {589, 0, 0}, {656, 0, 0}, {707, 0, 0}};
        request.pupils = sim::PlanChromatic(request.pupils[0], rows, 2.0, [](sim::Setting, double v) { return v; });
    }
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(sim::DrawMirrorTest(request, screens));
}
BENCHMARK(BM_MirrorTest)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
