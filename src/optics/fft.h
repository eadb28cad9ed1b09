#pragma once

#include "optics/engine.h"

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

//! Fills engine.BitReverse with ReverseBits9(k) for k = 0..511.
void FillBitReverse(Engine& engine);

//! In-place 512-point transform of engine.LineReal / LineImag (samples in
//! elements 1..512). The input must be in bit-reversed order; the output is in
//! natural order and unscaled: X[m] = sum x[n] exp(+2 pi i FftSign n m / 512).
//! Radix-2 decimation in time whose twiddles come from a single-precision sine
//! recurrence per stage; every stored quantity is a float.
void TransformLine(Engine& engine);

//! Inverse line transform: runs TransformLine with FftSign = -1, restores
//! FftSign to +1 and scales elements 1..512 of both lines by 1/512.
void InverseTransformLine(Engine& engine);

//! Loads line k = 0..511 from re[k] / im[k] (stride `stride` doubles) into the
//! transform lines in bit-reversed order, converting to float.
void LoadLine(Engine& engine, const double* re, const double* im, int stride);
//! Stores the transform lines back (float widened to double) in natural order.
void StoreLine(const Engine& engine, double* re, double* im, int stride);

// The three 2-D transforms below run several lines at once in SIMD lanes
// (optics/fft_lanes.h); their grids come out bit for bit as from loading,
// transforming and storing one line at a time through the engine lines, but
// they leave LineReal / LineImag untouched and carry their own bit-reversal
// order (engine.BitReverse need not be filled).

//! Forward 2-D transform of cells [1..512][1..512] of (re, im) in place:
//! first every line along the first index (for each second index c = 1..512),
//! then every line along the second index (for each first index r = 1..512).
//! The zero frequency ends at [1][1]; cells outside the region are untouched.
void Transform2D(Engine& engine, Grid& re, Grid& im);

//! Transfer function of the intensity of an image-plane amplitude, in place:
//! the first pass loads float(re^2 + im^2) with a zero imaginary part for each
//! line along the first index; the second pass transforms every line along the
//! second index and stores the absolute values of the real and imaginary
//! parts. Zero frequency at [1][1]; cells outside the region are untouched.
void TransformIntensity2D(Engine& engine, Grid& re, Grid& im);

//! Inverse 2-D transform of cells [1..512][1..512] in place: every line along
//! the second index first, then every line along the first index, each with
//! InverseTransformLine (overall scale 1/262144).
void InverseTransform2D(Engine& engine, Grid& re, Grid& im);

}  // namespace optics
