#include "optics/fft.h"

#include <cmath>

namespace optics {

void TransformLine(TransformLines& line)
{
    float* re = line.re.data() + 1;
    float* im = line.im.data() + 1;

    for (int le = 2; le <= kLineLength; le <<= 1) {
        const int half = le / 2;
        const StageTwiddle twiddle(line.sign, le);
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

void InverseTransformLine(TransformLines& line)
{
    line.sign = -1.0;
    TransformLine(line);
    line.sign = 1.0;
    for (int n = 1; n <= kLineLength; ++n) {
        line.re[n] *= 0.001953125f;
        line.im[n] *= 0.001953125f;
    }
}

void LoadLine(TransformLines& line, const double* re, const double* im, int stride)
{
    for (int k = 0; k < kLineLength; ++k) {
        const int slot = kBitReverse[k] + 1;
        line.re[slot] = static_cast<float>(re[static_cast<long>(k) * stride]);
        line.im[slot] = static_cast<float>(im[static_cast<long>(k) * stride]);
    }
}

void StoreLine(const TransformLines& line, double* re, double* im, int stride)
{
    for (int k = 0; k < kLineLength; ++k) {
        re[static_cast<long>(k) * stride] = line.re[k + 1];
        im[static_cast<long>(k) * stride] = line.im[k + 1];
    }
}

namespace {

// The 2-D transforms one line at a time: the reference form, and what the
// lane kernels must reproduce bit for bit.

// Every line of (re, im) along the first index (one per second index c), or
// along the second index (one per first index r).
void LinesAlongFirstIndex(TransformLines& line, Grid& re, Grid& im, void (*transform)(TransformLines&))
{
    for (int c = 1; c <= kLineLength; ++c) {
        LoadLine(line, &re(1, c), &im(1, c), kGridSide);
        transform(line);
        StoreLine(line, &re(1, c), &im(1, c), kGridSide);
    }
}

void LinesAlongSecondIndex(TransformLines& line, Grid& re, Grid& im, void (*transform)(TransformLines&))
{
    for (int r = 1; r <= kLineLength; ++r) {
        LoadLine(line, &re(r, 1), &im(r, 1), 1);
        transform(line);
        StoreLine(line, &re(r, 1), &im(r, 1), 1);
    }
}

void Transform2DLines(Grid& re, Grid& im)
{
    TransformLines line;
    LinesAlongFirstIndex(line, re, im, TransformLine);
    LinesAlongSecondIndex(line, re, im, TransformLine);
}

void TransformIntensity2DLines(Grid& re, Grid& im)
{
    TransformLines line;
    for (int c = 1; c <= kLineLength; ++c) {
        for (int k = 0; k < kLineLength; ++k) {
            const double a = re(1 + k, c);
            const double b = im(1 + k, c);
            const int slot = kBitReverse[k] + 1;
            line.re[slot] = static_cast<float>(a * a + b * b);
            line.im[slot] = 0.0f;
        }
        TransformLine(line);
        StoreLine(line, &re(1, c), &im(1, c), kGridSide);
    }
    for (int r = 1; r <= kLineLength; ++r) {
        LoadLine(line, &re(r, 1), &im(r, 1), 1);
        TransformLine(line);
        for (int k = 0; k < kLineLength; ++k) {
            re(r, 1 + k) = std::fabs(line.re[k + 1]);
            im(r, 1 + k) = std::fabs(line.im[k + 1]);
        }
    }
}

void InverseTransform2DLines(Grid& re, Grid& im)
{
    TransformLines line;
    LinesAlongSecondIndex(line, re, im, InverseTransformLine);
    LinesAlongFirstIndex(line, re, im, InverseTransformLine);
}

const lanes::KernelTable* KernelsOf(LaneKernel kernel)
{
    if (!LaneKernelAvailable(kernel))
        kernel = PreferredLaneKernel();
    switch (kernel) {
    case LaneKernel::Lines: return nullptr;
    case LaneKernel::Portable: return &lanes::PortableKernels();
    case LaneKernel::Avx2: return &lanes::Avx2Kernels();
    case LaneKernel::Avx512: return &lanes::Avx512Kernels();
    }
    return nullptr;
}

using LaneOperation = void (*lanes::KernelTable::*)(const LaneTwiddles&, Grid&, Grid&);

// One 2-D operation: in the lanes of `kernel`, or line by line.
void Run2D(LaneKernel kernel, Grid& re, Grid& im, double sign, LaneOperation laneOperation,
           void (*lines)(Grid&, Grid&))
{
    const lanes::KernelTable* kernels = KernelsOf(kernel);
    if (kernels == nullptr) {
        lines(re, im);
        return;
    }
    (kernels->*laneOperation)(LaneTwiddlesFor(sign), re, im);
}

}  // namespace

void Transform2D(Grid& re, Grid& im, LaneKernel kernel)
{
    Run2D(kernel, re, im, 1.0, &lanes::KernelTable::forward, Transform2DLines);
}

void TransformIntensity2D(Grid& re, Grid& im, LaneKernel kernel)
{
    Run2D(kernel, re, im, 1.0, &lanes::KernelTable::intensity, TransformIntensity2DLines);
}

void InverseTransform2D(Grid& re, Grid& im, LaneKernel kernel)
{
    Run2D(kernel, re, im, -1.0, &lanes::KernelTable::inverse, InverseTransform2DLines);
}

}  // namespace optics
