#include "optics/fft.h"

#include "optics/fft_lanes.h"

#include <cmath>

namespace optics {

void FillBitReverse(Engine& engine)
{
    for (int k = 0; k < kLineLength; ++k)
        engine.BitReverse[k] = ReverseBits9(static_cast<std::uint16_t>(k));
}

void TransformLine(Engine& engine)
{
    float* re = engine.LineReal.data() + 1;
    float* im = engine.LineImag.data() + 1;

    for (int le = 2; le <= kLineLength; le <<= 1) {
        const int half = le / 2;
        const StageTwiddle twiddle(engine.FftSign, le);
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
                twiddle.advance(wr, wi);
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

// Every line of (re, im) along the first index (one per second index c), or
// along the second index (one per first index r), through the engine lines.
void LinesAlongFirstIndex(Engine& engine, Grid& re, Grid& im, void (*transform)(Engine&))
{
    for (int c = 1; c <= kLineLength; ++c) {
        LoadLine(engine, &re(1, c), &im(1, c), kGridSide);
        transform(engine);
        StoreLine(engine, &re(1, c), &im(1, c), kGridSide);
    }
}

void LinesAlongSecondIndex(Engine& engine, Grid& re, Grid& im, void (*transform)(Engine&))
{
    for (int r = 1; r <= kLineLength; ++r) {
        LoadLine(engine, &re(r, 1), &im(r, 1), 1);
        transform(engine);
        StoreLine(engine, &re(r, 1), &im(r, 1), 1);
    }
}

void Transform2DLines(Engine& engine, Grid& re, Grid& im)
{
    LinesAlongFirstIndex(engine, re, im, TransformLine);
    LinesAlongSecondIndex(engine, re, im, TransformLine);
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
    LinesAlongSecondIndex(engine, re, im, InverseTransformLine);
    LinesAlongFirstIndex(engine, re, im, InverseTransformLine);
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

// The twiddles for whatever sign FftSign holds, as TransformLine uses it: the
// two usual signs are built once, any other into `scratch`.
const LaneTwiddles& TwiddlesFor(double sign, LaneTwiddles& scratch)
{
    static const LaneTwiddles* const forward = [] {
        static LaneTwiddles t;
        BuildLaneTwiddles(1.0, t);
        return &t;
    }();
    static const LaneTwiddles* const inverse = [] {
        static LaneTwiddles t;
        BuildLaneTwiddles(-1.0, t);
        return &t;
    }();
    if (sign == 1.0)
        return *forward;
    if (sign == -1.0)
        return *inverse;
    BuildLaneTwiddles(sign, scratch);
    return scratch;
}

using LaneOperation = void (*lanes::KernelTable::*)(const LaneTwiddles&, Grid&, Grid&);

// One 2-D operation: in the lanes of the active kernel, or line by line.
void Run2D(Engine& engine, Grid& re, Grid& im, double sign, LaneOperation laneOperation,
           void (*lines)(Engine&, Grid&, Grid&))
{
    const lanes::KernelTable* kernels = ActiveKernels();
    if (kernels == nullptr) {
        lines(engine, re, im);
        return;
    }
    LaneTwiddles scratch;
    (kernels->*laneOperation)(TwiddlesFor(sign, scratch), re, im);
}

}  // namespace

void Transform2D(Engine& engine, Grid& re, Grid& im)
{
    Run2D(engine, re, im, engine.FftSign, &lanes::KernelTable::forward, Transform2DLines);
}

void TransformIntensity2D(Engine& engine, Grid& re, Grid& im)
{
    Run2D(engine, re, im, engine.FftSign, &lanes::KernelTable::intensity, TransformIntensity2DLines);
}

void InverseTransform2D(Engine& engine, Grid& re, Grid& im)
{
    Run2D(engine, re, im, -1.0, &lanes::KernelTable::inverse, InverseTransform2DLines);
}

}  // namespace optics
