#pragma once

#include "optics/engine.h"
#include "optics/status_sink.h"

#include <array>
#include <cstdint>

namespace optics {

//! Settings read from the Turbulence page when a screen build starts.
struct ScreenSettings {
    double seed = 1.0;       //!< RandSeedSpin; rounded to the generator state
    double amplitude = 0.0;  //!< RMSSpin (turbulence) or Roughspin (roughness)
};

//! The grey picture of a screen: every fourth point, 129 x 129 levels.
struct ScreenPicture {
    static constexpr int kSide = 129;
    std::array<std::uint8_t, kSide * kSide> grey{};

    //! Level of picture pixel (x, y), x to the right, y downwards, 0..128.
    std::uint8_t level(int x, int y) const { return grey[static_cast<std::size_t>(y) * kSide + x]; }
};

//! Advances engine.RandomSeed (seed x 134775813 + 1 modulo 2^32) and returns
//! the upper 32 bits of seed x n: an integer in 0..n-1. From seed 1 the first
//! results for n = 200 are 6, 172, 40, 54, 134.
std::uint32_t RandomBelow(Engine& engine, std::uint32_t n);

//! The screen value of point (a, b) (cell [a + 1][b + 1]) rounded to float,
//! or 0 when a or b lies outside 0..511.
float ScreenSample(const Grid& screen, int a, int b);

//! Mean of the four diagonal neighbours at distance h: their float samples
//! summed in double, the sum rounded to float, times 0.25 rounded to float.
//! Samples off the area count as 0 but still divide by four.
float DiamondAverage(const Grid& screen, int a, int b, int h);

//! The same for the four axis neighbours (a + h, b), (a - h, b), (a, b + h),
//! (a, b - h).
float SquareAverage(const Grid& screen, int a, int b, int h);

//! Regenerates engine.TurbulenceGrid from the seed and amplitude with the
//! nine-level diamond-square fractal (points 0..512 in cells 1..513, row and
//! column 0 stay 0), stores the amplitude in ScreenRms, sets TurbulenceReady
//! and returns the grey picture of the screen. An amplitude of 0 leaves the
//! grid all zero and the picture black. Reports "Calculating Turbulence".
ScreenPicture BuildTurbulenceScreen(Engine& engine, const ScreenSettings& settings, StatusSink& status);

//! The roughness counterpart on engine.RoughnessGrid: the first two levels
//! displace the diamond points without averaging, every diamond value is
//! rounded to float, and the picture scale is kept in single precision. Sets
//! RoughnessReady. Reports "Calculating Roughness".
ScreenPicture BuildRoughnessScreen(Engine& engine, const ScreenSettings& settings, StatusSink& status);

}  // namespace optics
