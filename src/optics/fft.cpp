#include "optics/fft.h"

#include "optics/fft_lanes.h"

#include <cmath>

namespace optics {

std::uint16_t ReverseBits9(std::uint16_t k)
{
    std::uint16_t r = 0;
    for (int bit = 0; bit < 9; ++bit) {
        r = static_cast<std::uint16_t>((r << 1) | (k & 1u));
        k = static_cast<std::uint16_t>(k >> 1);
    }
    return r;
}

void FillBitReverse(Engine& engine)
{
    for (int k = 0; k < kLineLength; ++k)
        engine.BitReverse[k] = ReverseBits9(static_cast<std::uint16_t>(k));
}

void TransformLine(Engine& engine)
{
    // 2 pi rounded to single precision, as the recurrence has always used it.
    constexpr float kTwoPi = 6.2831855f;
    float* re = engine.LineReal.data() + 1;
    float* im = engine.LineImag.data() + 1;

    for (int le = 2; le <= kLineLength; le <<= 1) {
        const int half = le / 2;
        const float theta = static_cast<float>(static_cast<double>(kTwoPi) * engine.FftSign / le);
        const float s = static_cast<float>(std::sin(0.5 * theta));
        const float wpr = static_cast<float>(2.0 * s * static_cast<double>(s));
        const float wpi = static_cast<float>(std::sin(static_cast<double>(theta)));
        for (int g = 0; g < kLineLength; g += le) {
            float wr = 1.0f;
            float wi = 0.0f;
            for (int k = 0; k < half; ++k) {
                const int i = g + k;
                const int j = i + half;
                const float tr = static_cast<float>(static_cast<double>(wr) * re[j] - static_cast<double>(wi) * im[j]);
                const float ti = static_cast<float>(static_cast<double>(wr) * im[j] + static_cast<double>(wi) * re[j]);
                re[j] = static_cast<float>(static_cast<double>(re[i]) - tr);
                im[j] = static_cast<float>(static_cast<double>(im[i]) - ti);
                re[i] = static_cast<float>(static_cast<double>(re[i]) + tr);
                im[i] = static_cast<float>(static_cast<double>(im[i]) + ti);
                // Rotate the twiddle by (1 - wpr) + i wpi, from the old wr and wi.
                const float t = static_cast<float>(static_cast<double>(wpr) * wr + static_cast<double>(wpi) * wi);
                wi = static_cast<float>(wi - (static_cast<double>(wpr) * wi - static_cast<double>(wpi) * wr));
                wr = static_cast<float>(static_cast<double>(wr) - t);
            }
        }
    }
}

void InverseTransformLine(Engine& engine)
{
    engine.FftSign = -1.0;
    TransformLine(engine);
    engine.FftSign = 1.0;
    for (int n = 1; n <= kLineLength; ++n) {
        engine.LineReal[n] *= 0.001953125f;
        engine.LineImag[n] *= 0.001953125f;
    }
}

void LoadLine(Engine& engine, const double* re, const double* im, int stride)
{
    for (int k = 0; k < kLineLength; ++k) {
        const int slot = engine.BitReverse[k] + 1;
        engine.LineReal[slot] = static_cast<float>(re[static_cast<long>(k) * stride]);
        engine.LineImag[slot] = static_cast<float>(im[static_cast<long>(k) * stride]);
    }
}

void StoreLine(const Engine& engine, double* re, double* im, int stride)
{
    for (int k = 0; k < kLineLength; ++k) {
        re[static_cast<long>(k) * stride] = engine.LineReal[k + 1];
        im[static_cast<long>(k) * stride] = engine.LineImag[k + 1];
    }
}

namespace {

// The 2-D transforms one line at a time on the engine lines: the reference
// form, and what the lane kernels must reproduce bit for bit.

void Transform2DLines(Engine& engine, Grid& re, Grid& im)
{
    for (int c = 1; c <= kLineLength; ++c) {
        LoadLine(engine, &re(1, c), &im(1, c), kGridSide);
        TransformLine(engine);
        StoreLine(engine, &re(1, c), &im(1, c), kGridSide);
    }
    for (int r = 1; r <= kLineLength; ++r) {
        LoadLine(engine, &re(r, 1), &im(r, 1), 1);
        TransformLine(engine);
        StoreLine(engine, &re(r, 1), &im(r, 1), 1);
    }
}

void TransformIntensity2DLines(Engine& engine, Grid& re, Grid& im)
{
    for (int c = 1; c <= kLineLength; ++c) {
        for (int k = 0; k < kLineLength; ++k) {
            const double a = re(1 + k, c);
            const double b = im(1 + k, c);
            const int slot = engine.BitReverse[k] + 1;
            engine.LineReal[slot] = static_cast<float>(a * a + b * b);
            engine.LineImag[slot] = 0.0f;
        }
        TransformLine(engine);
        StoreLine(engine, &re(1, c), &im(1, c), kGridSide);
    }
    for (int r = 1; r <= kLineLength; ++r) {
        LoadLine(engine, &re(r, 1), &im(r, 1), 1);
        TransformLine(engine);
        for (int k = 0; k < kLineLength; ++k) {
            re(r, 1 + k) = std::fabs(engine.LineReal[k + 1]);
            im(r, 1 + k) = std::fabs(engine.LineImag[k + 1]);
        }
    }
}

void InverseTransform2DLines(Engine& engine, Grid& re, Grid& im)
{
    for (int r = 1; r <= kLineLength; ++r) {
        LoadLine(engine, &re(r, 1), &im(r, 1), 1);
        InverseTransformLine(engine);
        StoreLine(engine, &re(r, 1), &im(r, 1), 1);
    }
    for (int c = 1; c <= kLineLength; ++c) {
        LoadLine(engine, &re(1, c), &im(1, c), kGridSide);
        InverseTransformLine(engine);
        StoreLine(engine, &re(1, c), &im(1, c), kGridSide);
    }
}

const lanes::KernelTable* ActiveKernels()
{
    switch (ActiveLaneKernel()) {
    case LaneKernel::Lines: return nullptr;
    case LaneKernel::Portable: return &lanes::PortableKernels();
    case LaneKernel::Avx2: return &lanes::Avx2Kernels();
    case LaneKernel::Avx512: return &lanes::Avx512Kernels();
    }
    return nullptr;
}

const LaneTwiddles& ForwardTwiddles()
{
    static const LaneTwiddles* twiddles = [] {
        static LaneTwiddles t;
        BuildLaneTwiddles(1.0, t);
        return &t;
    }();
    return *twiddles;
}

const LaneTwiddles& InverseTwiddles()
{
    static const LaneTwiddles* twiddles = [] {
        static LaneTwiddles t;
        BuildLaneTwiddles(-1.0, t);
        return &t;
    }();
    return *twiddles;
}

// The twiddles for whatever sign FftSign holds, as TransformLine uses it: the
// two usual signs are built once, any other into `scratch`.
const LaneTwiddles& TwiddlesFor(double sign, LaneTwiddles& scratch)
{
    if (sign == 1.0)
        return ForwardTwiddles();
    if (sign == -1.0)
        return InverseTwiddles();
    BuildLaneTwiddles(sign, scratch);
    return scratch;
}

}  // namespace

void Transform2D(Engine& engine, Grid& re, Grid& im)
{
    const lanes::KernelTable* kernels = ActiveKernels();
    if (kernels == nullptr) {
        Transform2DLines(engine, re, im);
        return;
    }
    LaneTwiddles scratch;
    kernels->forward(TwiddlesFor(engine.FftSign, scratch), re, im);
}

void TransformIntensity2D(Engine& engine, Grid& re, Grid& im)
{
    const lanes::KernelTable* kernels = ActiveKernels();
    if (kernels == nullptr) {
        TransformIntensity2DLines(engine, re, im);
        return;
    }
    LaneTwiddles scratch;
    kernels->intensity(TwiddlesFor(engine.FftSign, scratch), re, im);
}

void InverseTransform2D(Engine& engine, Grid& re, Grid& im)
{
    const lanes::KernelTable* kernels = ActiveKernels();
    if (kernels == nullptr) {
        InverseTransform2DLines(engine, re, im);
        return;
    }
    kernels->inverse(InverseTwiddles(), re, im);
}

}  // namespace optics
