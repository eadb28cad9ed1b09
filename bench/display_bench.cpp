// Costs of the display step, the redraws the display settings run, and one
// phase screen build.
#include "imaging/display.h"
#include "imaging/pixel_buffer.h"
#include "optics/grid.h"
#include "optics/phase_screen.h"
#include "optics/progress.h"
#include "optics/psf.h"
#include "optics/workspace.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

// An Airy-like image-plane field, so that the picture covers every curve
// entry rather than one constant.
std::unique_ptr<optics::Workspace> workspaceWithField()
{
    auto workspace = optics::Workspace::Create();
    for (int i = 1; i <= 512; ++i) {
        for (int j = 1; j <= 512; ++j) {
            const int u = (i - 1 + 256) % 512 - 256;
            const int v = (j - 1 + 256) % 512 - 256;
            const double r = std::hypot(u, v) * 0.7 + 1e-9;
            workspace->fieldRe(i, j) = std::sin(r) / r;
            workspace->fieldIm(i, j) = 0.1 * std::cos(r) / (1.0 + r);
        }
    }
    return workspace;
}

// The star image of that field, as a calculation hands it back.
optics::StarImagePtr starOfField()
{
    const auto workspace = workspaceWithField();
    optics::NoProgress progress;
    return optics::FormStarImage(*workspace, progress);
}

void BM_TurbulenceScreen(benchmark::State& state)
{
    optics::NoProgress progress;
    for (auto _ : state) {
        std::shared_ptr<optics::PhaseScreen> screen =
            optics::BuildScreen(optics::ScreenKind::Turbulence, {1.0, 0.5}, progress);
        benchmark::DoNotOptimize(screen->picture);
    }
}
BENCHMARK(BM_TurbulenceScreen)->Unit(benchmark::kMillisecond);

// The whole display step of a calculation: intensity, peak, normalisation
// with the swap, and the star picture.
void BM_FormStarImage(benchmark::State& state)
{
    const auto workspace = workspaceWithField();
    const imaging::DisplayCurve curve = imaging::BuildDisplayCurve(0.5, 4.5);
    optics::NoProgress progress;
    int brightness = 0;
    for (auto _ : state) {
        const std::shared_ptr<optics::StarImage> star = optics::FormStarImage(*workspace, progress);
        const imaging::StarLook look{1.0, brightness, imaging::kWhite};
        imaging::PixelBuffer picture = imaging::DrawStarPicture(star->grid, curve, look);
        brightness = (brightness + 10) % 110;
        benchmark::DoNotOptimize(picture.data());
    }
}
BENCHMARK(BM_FormStarImage)->Unit(benchmark::kMicrosecond);

// The star picture alone from a star image: what a brightness or gamma change
// runs.
void BM_DrawStarPicture(benchmark::State& state)
{
    const optics::StarImagePtr star = starOfField();
    const imaging::DisplayCurve curve = imaging::BuildDisplayCurve(0.5, 4.5);
    int brightness = 0;
    for (auto _ : state) {
        const imaging::StarLook look{1.0, brightness, imaging::kWhite};
        imaging::PixelBuffer picture = imaging::DrawStarPicture(star->grid, curve, look);
        brightness = (brightness + 10) % 110;
        benchmark::DoNotOptimize(picture.data());
    }
}
BENCHMARK(BM_DrawStarPicture)->Unit(benchmark::kMicrosecond);

void BM_ZoomRedraw(benchmark::State& state)
{
    const optics::StarImagePtr star = starOfField();
    const imaging::DisplayCurve curve = imaging::BuildDisplayCurve(0.5, 4.5);
    const double zooms[] = {0.1, 0.5, 1.0, 1.5, 2.0};
    int k = 0;
    for (auto _ : state) {
        const imaging::StarLook look{zooms[k], 20, imaging::kWhite};
        imaging::PixelBuffer picture = imaging::DrawZoomedStarPicture(star->grid, curve, look);
        k = (k + 1) % 5;
        benchmark::DoNotOptimize(picture.data());
    }
}
BENCHMARK(BM_ZoomRedraw)->Unit(benchmark::kMicrosecond);

// The dimmer out-of-focus image of intra/extra redrawn on the brighter one's
// peak: the middle 200 x 200 pixels.
void BM_DrawOnPeakScale(benchmark::State& state)
{
    const optics::StarImagePtr star = starOfField();
    const imaging::DisplayCurve curve = imaging::BuildDisplayCurve(0.5, 4.5);
    for (auto _ : state) {
        imaging::PixelBuffer picture =
            imaging::DrawOnPeakScale(star->grid, 0.7, 1.3, curve, {1.0, 0, imaging::kWhite}, 28, 228);
        benchmark::DoNotOptimize(picture.data());
    }
}
BENCHMARK(BM_DrawOnPeakScale)->Unit(benchmark::kMicrosecond);

// The zoom redraw of a colour composite: the star image in every channel,
// shown at the scale that takes its peak to 255.
void BM_ZoomRedrawComposite(benchmark::State& state)
{
    const optics::StarImagePtr star = starOfField();
    const auto cells = std::make_unique<optics::ColourCells>();
    for (int i = 1; i <= 512; ++i) {
        for (int j = 1; j <= 512; ++j) {
            const auto level = static_cast<float>(star->grid(i, j));
            (*cells)(i, j) = {level, level, level};
        }
    }
    for (auto _ : state) {
        imaging::PixelBuffer picture = imaging::DrawComposite(*cells, 255.0, 1.5);
        benchmark::DoNotOptimize(picture.data());
    }
}
BENCHMARK(BM_ZoomRedrawComposite)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
