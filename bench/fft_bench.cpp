// Cost of the 2-D transforms on calculation-sized grids, on every kernel this
// processor runs, next to FFTW's single-precision 512 x 512 complex in-place
// 2-D transform (FFTW_MEASURE plan, one thread) in the same run, all on the
// same dense random data; Transform2D also on a pupil in zeros, as the star
// calculation has it. "active" is the kernel the calculations use
// (PreferredLaneKernel). Prints the ratios of the medians at the end.
//
// Run with --benchmark_repetitions=N (default here: 7) and, on a busy
// machine, --benchmark_enable_random_interleaving=true so that both sides
// see the same noise.
#include "optics/fft.h"
#include "optics/fft_lanes.h"
#include "optics/grid.h"
#include "optics/workspace.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// A 5-inch pupil with a little defocus and coma on its own in zeros: what
// the star calculation transforms.
void FillPupil(optics::Grid& re, optics::Grid& im)
{
    re.cells.fill(0.0);
    im.cells.fill(0.0);
    const double radius = 28.5;
    const int n = 29;
    for (int u = -n; u <= n; ++u) {
        for (int v = -n; v <= n; ++v) {
            const double x = u / radius;
            const double y = v / radius;
            const double rho2 = x * x + y * y;
            if (rho2 > 1.0)
                continue;
            const double w = 2.0 * M_PI * (0.5 * rho2 + 0.2 * (1.5 * rho2 - 1.0) * x);
            re(257 + u, 257 + v) = std::cos(w);
            im(257 + u, 257 + v) = std::sin(w);
        }
    }
}

// Values in every cell: what the second transform of a star calculation and
// the planet convolution see, and the fair match for FFTW, which does the
// same work whatever the data.
void FillDense(optics::Grid& re, optics::Grid& im)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (int i = 1; i <= optics::kLineLength; ++i) {
        for (int j = 1; j <= optics::kLineLength; ++j) {
            re(i, j) = value(random);
            im(i, j) = value(random);
        }
    }
}

// The grids of one calculator, and the inputs every iteration starts from.
struct GridFixture {
    std::unique_ptr<optics::Workspace> workspace = optics::Workspace::Create();
    std::unique_ptr<optics::Grid> denseRe = std::make_unique<optics::Grid>();
    std::unique_ptr<optics::Grid> denseIm = std::make_unique<optics::Grid>();
    std::unique_ptr<optics::Grid> pupilRe = std::make_unique<optics::Grid>();
    std::unique_ptr<optics::Grid> pupilIm = std::make_unique<optics::Grid>();

    GridFixture()
    {
        FillDense(*denseRe, *denseIm);
        FillPupil(*pupilRe, *pupilIm);
    }

    void restore(bool pupil, optics::Grid& re, optics::Grid& im) const
    {
        re = pupil ? *pupilRe : *denseRe;
        im = pupil ? *pupilIm : *denseIm;
    }
};

GridFixture& Fixture()
{
    static GridFixture fixture;
    return fixture;
}

using Operation = void (*)(optics::Grid&, optics::Grid&, optics::LaneKernel);

// Each iteration transforms the same input (restored outside the timing), so
// that no run meets overflowed or subnormal values. The intensity transform
// runs on the spectrum grids, as the transfer function does; the others on
// the field grids.
void RunOperation(benchmark::State& state, optics::LaneKernel kernel, Operation operation, bool intensityGrids,
                  bool pupil = false)
{
    if (!optics::LaneKernelAvailable(kernel)) {
        state.SkipWithError("kernel not available on this processor");
        return;
    }
    GridFixture& f = Fixture();
    optics::Grid& re = intensityGrids ? f.workspace->spectrumRe : f.workspace->fieldRe;
    optics::Grid& im = intensityGrids ? f.workspace->spectrumIm : f.workspace->fieldIm;
    for (auto _ : state) {
        state.PauseTiming();
        f.restore(pupil, re, im);
        state.ResumeTiming();
        operation(re, im, kernel);
        benchmark::ClobberMemory();
    }
}

void BM_Transform2D(benchmark::State& state, optics::LaneKernel kernel)
{
    RunOperation(state, kernel, optics::Transform2D, false);
}

// The star calculation's first transform: a pupil in zeros, whose empty
// columns the first pass gets through at once.
void BM_Transform2DPupil(benchmark::State& state, optics::LaneKernel kernel)
{
    RunOperation(state, kernel, optics::Transform2D, false, true);
}

void BM_TransformIntensity2D(benchmark::State& state, optics::LaneKernel kernel)
{
    RunOperation(state, kernel, optics::TransformIntensity2D, true);
}

void BM_InverseTransform2D(benchmark::State& state, optics::LaneKernel kernel)
{
    RunOperation(state, kernel, optics::InverseTransform2D, false);
}

void BM_LibraryFloat2D(benchmark::State& state)
{
    constexpr int n = optics::kLineLength;
    fftwf_complex* data = fftwf_alloc_complex(static_cast<std::size_t>(n) * n);
    fftwf_complex* source = fftwf_alloc_complex(static_cast<std::size_t>(n) * n);
    const fftwf_plan plan = fftwf_plan_dft_2d(n, n, data, data, FFTW_BACKWARD, FFTW_MEASURE);
    const GridFixture& f = Fixture();
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            source[i * n + j][0] = static_cast<float>((*f.denseRe)(1 + i, 1 + j));
            source[i * n + j][1] = static_cast<float>((*f.denseIm)(1 + i, 1 + j));
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(&source[0][0], &source[0][0] + 2 * n * n, &data[0][0]);
        state.ResumeTiming();
        fftwf_execute(plan);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
    fftwf_free(source);
    fftwf_free(data);
}

// Keeps every run's timings and prints the ratios once everything ran.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal.
    RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const std::string& args = run.run_name.args;
            const std::string name = run.run_name.function_name + (args.empty() ? "" : "/" + args);
            // Processor time in seconds: on a shared machine the wall clock
            // also counts the time other programs held the core.
            const double seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median")
                    medians_[name] = seconds;
            } else {
                single_[name].push_back(seconds);
            }
        }
    }

    void printRatios() const
    {
        const double library = timeOf("BM_LibraryFloat2D");
        if (library <= 0)
            return;
        std::printf("\nMedian processor time relative to FFTW float 2-D (%.3f ms):\n", library * 1e3);
        for (const char* name : {"BM_Transform2D/active", "BM_Transform2D/active/pupil",
                                 "BM_TransformIntensity2D/active", "BM_InverseTransform2D/active",
                                 "BM_Transform2D/avx512", "BM_Transform2D/avx2", "BM_Transform2D/portable",
                                 "BM_Transform2D/lines"}) {
            const double t = timeOf(name);
            if (t > 0)
                std::printf("  ratio %-32s %6.2f  (%.3f ms)\n", name, t / library, t * 1e3);
        }
    }

private:
    double timeOf(const std::string& name) const
    {
        if (auto it = medians_.find(name); it != medians_.end())
            return it->second;
        if (auto it = single_.find(name); it != single_.end() && !it->second.empty()) {
            std::vector<double> v = it->second;
            std::sort(v.begin(), v.end());
            return v[v.size() / 2];
        }
        return -1;
    }

    std::map<std::string, double> medians_;
    std::map<std::string, std::vector<double>> single_;
};

void Register()
{
    using optics::LaneKernel;
    const LaneKernel active = optics::PreferredLaneKernel();
    benchmark::RegisterBenchmark("BM_LibraryFloat2D", BM_LibraryFloat2D)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Transform2D/active", BM_Transform2D, active)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Transform2D/active/pupil", BM_Transform2DPupil, active)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_TransformIntensity2D/active", BM_TransformIntensity2D, active)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_InverseTransform2D/active", BM_InverseTransform2D, active)
        ->Unit(benchmark::kMillisecond);
    for (LaneKernel kernel : optics::AvailableLaneKernels()) {
        if (kernel == active)
            continue;
        const std::string name = std::string("BM_Transform2D/") + optics::LaneKernelName(kernel);
        benchmark::RegisterBenchmark(name.c_str(), BM_Transform2D, kernel)->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // Seven repetitions unless the command line says otherwise.
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=7";
    bool hasRepetitions = false;
    for (int i = 1; i < argc; ++i)
        hasRepetitions |= std::string(argv[i]).rfind("--benchmark_repetitions", 0) == 0;
    if (!hasRepetitions)
        args.insert(args.begin() + 1, repetitions.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    const char* active = optics::LaneKernelName(optics::PreferredLaneKernel());
    std::printf("Active transform kernel: %s\n", active);
    benchmark::AddCustomContext("transform_kernel", active);
    Register();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
