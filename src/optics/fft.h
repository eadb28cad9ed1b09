#pragma once

#include "optics/fft_lanes.h"
#include "optics/grid.h"
#include "optics/parallel.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace optics {

//! The low 9 bits of k in reverse order (1 -> 256, 2 -> 128, 3 -> 384): nine
//! times the result is shifted left and takes the lowest bit of k, which is
//! then shifted right.
constexpr std::uint16_t ReverseBits9(std::uint16_t k)
{
    std::uint16_t r = 0;
    for (int bit = 0; bit < 9; ++bit) {
        r = static_cast<std::uint16_t>((r << 1) | (k & 1u));
        k = static_cast<std::uint16_t>(k >> 1);
    }
    return r;
}

//! kBitReverse[k] is ReverseBits9(k) for k = 0..511 (the table is its own
//! inverse).
inline constexpr std::array<std::uint16_t, kLineLength> kBitReverse = [] {
    std::array<std::uint16_t, kLineLength> table{};
    for (int k = 0; k < kLineLength; ++k)
        table[k] = ReverseBits9(static_cast<std::uint16_t>(k));
    return table;
}();

//! The twiddle factors of one stage of the line transform, as a recurrence in
//! single precision: start from wr + i wi = 1 and rotate by (1 - wpr) + i wpi
//! for each butterfly of a group. Every stored quantity is a float, every
//! product is formed in double.
struct StageTwiddle {
    float wpr;
    float wpi;

    //! The stage whose butterflies span `span` samples (2, 4, ..., 512), for
    //! the exponent sign `sign`. 2 pi is the float 6.2831855.
    StageTwiddle(double sign, int span)
    {
        constexpr float kTwoPi = 6.2831855f;
        const float theta = static_cast<float>(static_cast<double>(kTwoPi) * sign / span);
        const float s = static_cast<float>(std::sin(0.5 * theta));
        wpr = static_cast<float>(2.0 * s * static_cast<double>(s));
        wpi = static_cast<float>(std::sin(static_cast<double>(theta)));
    }

    //! The next twiddle, from the old wr and wi.
    void advance(float& wr, float& wi) const
    {
        const float t = static_cast<float>(static_cast<double>(wpr) * wr + static_cast<double>(wpi) * wi);
        wi = static_cast<float>(wi - (static_cast<double>(wpr) * wi - static_cast<double>(wpi) * wr));
        wr = static_cast<float>(static_cast<double>(wr) - t);
    }
};

//! One line of the 512-point transform: sample n lives in element n + 1 of
//! `re` and `im`; elements 0 and 513..516 are never touched. `sign` is the
//! sign of the exponent, +1 except while an inverse transform runs.
struct TransformLines {
    std::array<float, kGridSide> re{};
    std::array<float, kGridSide> im{};
    double sign = 1.0;
};

//! In-place 512-point transform of the line (samples in elements 1..512).
//! The input must be in bit-reversed order; the output is in natural order
//! and unscaled: X[m] = sum x[n] exp(+2 pi i sign n m / 512). Radix-2
//! decimation in time whose twiddles come from a single-precision sine
//! recurrence per stage; every stored quantity is a float.
void TransformLine(TransformLines& line);

//! Inverse line transform: runs TransformLine with sign -1, puts the sign back
//! to +1 and scales elements 1..512 of both halves by 1/512.
void InverseTransformLine(TransformLines& line);

//! Loads line k = 0..511 from re[k] / im[k] (stride `stride` doubles) in
//! bit-reversed order, converting to float.
void LoadLine(TransformLines& line, const double* re, const double* im, int stride);
//! Stores the line back (float widened to double) in natural order.
void StoreLine(const TransformLines& line, double* re, double* im, int stride);

// The three 2-D transforms below run several lines at once in SIMD lanes
// (optics/fft_lanes.h) unless the kernel is LaneKernel::Lines, on one thread
// or split across the threads of a LoopRunner; their grids come out bit for
// bit as from loading, transforming and storing one line at a time through
// TransformLines. They keep no state between calls.

//! Where the floats between the two passes of a transform go when several
//! threads share it: 2 x 512 x 512 floats.
struct TransformScratch {
    alignas(64) std::array<float, 2 * kLineLength * kLineLength> floats;
};

//! How a 2-D transform runs: its kernel, and the threads that share it.
struct TransformRunner {
    LaneKernel kernel = PreferredLaneKernel();
    //! Several threads share each pass when set; then `scratch` must be set.
    LoopRunner* loops = nullptr;
    TransformScratch* scratch = nullptr;
};

//! Forward 2-D transform of cells [1..512][1..512] of (re, im) in place:
//! first every line along the first index (for each second index c = 1..512),
//! then every line along the second index (for each first index r = 1..512).
//! The zero frequency ends at [1][1]; cells outside the region are untouched.
//! Only `rows` are read: the cells of the other rows are taken as +0.0 (and
//! overwritten with the rest). `finished`, when given, is told of every row
//! of the result as soon as it is made; `result` says whether the rows are
//! also stored in the grids (only then are they the result afterwards).
void Transform2D(Grid& re, Grid& im, const TransformRunner& runner, FilledRows rows = {},
                 const RowsFinished* finished = nullptr, ResultRows result = ResultRows::Stored);
inline void Transform2D(Grid& re, Grid& im, LaneKernel kernel = PreferredLaneKernel())
{
    Transform2D(re, im, TransformRunner{kernel});
}

//! Transfer function of the intensity of an image-plane amplitude, in place:
//! the first pass loads float(re^2 + im^2) with a zero imaginary part for each
//! line along the first index; the second pass transforms every line along the
//! second index and stores the absolute values of the real and imaginary
//! parts. Zero frequency at [1][1]; cells outside the region are untouched.
void TransformIntensity2D(Grid& re, Grid& im, const TransformRunner& runner);
inline void TransformIntensity2D(Grid& re, Grid& im, LaneKernel kernel = PreferredLaneKernel())
{
    TransformIntensity2D(re, im, TransformRunner{kernel});
}

//! Inverse 2-D transform of cells [1..512][1..512] in place: every line along
//! the second index first, then every line along the first index, each with
//! InverseTransformLine (overall scale 1/262144).
void InverseTransform2D(Grid& re, Grid& im, const TransformRunner& runner);
inline void InverseTransform2D(Grid& re, Grid& im, LaneKernel kernel = PreferredLaneKernel())
{
    InverseTransform2D(re, im, TransformRunner{kernel});
}

}  // namespace optics
