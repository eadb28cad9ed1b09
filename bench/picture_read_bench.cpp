// The slowest files the JPEG reader accepts: pictures of one colour at the
// size limit, which a crafted file of a few hundred bytes can hold. Each must
// decode in under a second (the fuzz targets rely on it).
#include "imaging/jpeg_file.h"

#include <benchmark/benchmark.h>

#include "support/crafted_jpeg.h"

#include <algorithm>
#include <vector>

namespace {

enum class Coding { Baseline, Progressive, ManyScans };

std::vector<unsigned char> onePlainColour(int width, int height, Coding coding)
{
    static std::vector<jpeg_scan_info> scans;
    const auto tune = [coding](jpeg_compress_struct& info) {
        info.arith_code = TRUE;  // the fewest bytes for the most pixels
        if (coding == Coding::Progressive)
            jpeg_simple_progression(&info);
        if (coding == Coding::ManyScans) {
            // As many scans as the reader takes: the DC, then one coefficient
            // of one colour at a time.
            scans.assign(1, {3, {0, 1, 2, 0}, 0, 0, 0, 0});
            for (int k = 1; scans.size() < 32; ++k)
                for (int c = 0; c < 3 && scans.size() < 32; ++c)
                    scans.push_back({1, {c, 0, 0, 0}, k, k, 0, 0});
            info.scan_info = scans.data();
            info.num_scans = static_cast<int>(scans.size());
        }
    };
    return testing_support::CraftJpeg(width, height, 3, JCS_RGB, tune,
                                      [width](JSAMPLE* row, int) { std::fill(row, row + 3 * width, JSAMPLE{100}); });
}

void BM_DecodeJpegAtTheLimit(benchmark::State& state)
{
    const auto coding = static_cast<Coding>(state.range(0));
    const std::vector<unsigned char> file = onePlainColour(4096, 4096, coding);
    for (auto _ : state) {
        base::Result<imaging::PixelBuffer> read = imaging::DecodeJpeg(file.data(), file.size(), "limit.jpg");
        if (!read)
            state.SkipWithError(read.error().c_str());
        benchmark::DoNotOptimize(read);
    }
    state.counters["file_bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_DecodeJpegAtTheLimit)
    ->ArgName("coding")  // 0 baseline, 1 progressive, 2 thirty-two scans
    ->Arg(0)->Arg(1)->Arg(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
