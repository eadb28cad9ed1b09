#include "optics/fft.h"

#include <algorithm>
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
// lane kernels must reproduce bit for bit. Lines are independent, so a pass
// can be shared out by ranges of lines, each range with its own line.
using LineTransform = void (*)(TransformLines&);

// Lines along the first index, one per second index c = 1 + first .. last;
// the cells outside `rows` are taken as +0.
void LinesAlongFirstIndex(Grid& re, Grid& im, LineTransform transform, int first, int last, FilledRows rows = {})
{
    TransformLines line;
    for (int c = 1 + first; c <= last; ++c) {
        for (int k = 0; k < kLineLength; ++k) {
            const int slot = kBitReverse[k] + 1;
            const bool filled = k + 1 >= rows.first && k + 1 <= rows.last;
            line.re[slot] = filled ? static_cast<float>(re(1 + k, c)) : 0.0f;
            line.im[slot] = filled ? static_cast<float>(im(1 + k, c)) : 0.0f;
        }
        transform(line);
        StoreLine(line, &re(1, c), &im(1, c), kGridSide);
    }
}

// Lines along the second index, one per first index r = 1 + first .. last.
void LinesAlongSecondIndex(Grid& re, Grid& im, LineTransform transform, int first, int last)
{
    TransformLines line;
    for (int r = 1 + first; r <= last; ++r) {
        LoadLine(line, &re(r, 1), &im(r, 1), 1);
        transform(line);
        StoreLine(line, &re(r, 1), &im(r, 1), 1);
    }
}

// The intensity pass along the first index: float(re^2 + im^2), zero
// imaginary part, stored back as it is.
void IntensityAlongFirstIndex(Grid& re, Grid& im, int first, int last)
{
    TransformLines line;
    for (int c = 1 + first; c <= last; ++c) {
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
}

// The second intensity pass: the absolute values of the results.
void MagnitudeAlongSecondIndex(Grid& re, Grid& im, int first, int last)
{
    TransformLines line;
    for (int r = 1 + first; r <= last; ++r) {
        LoadLine(line, &re(r, 1), &im(r, 1), 1);
        TransformLine(line);
        for (int k = 0; k < kLineLength; ++k) {
            re(r, 1 + k) = std::fabs(line.re[k + 1]);
            im(r, 1 + k) = std::fabs(line.im[k + 1]);
        }
    }
}

// A pass of 512 lines, on the calling thread or shared out.
void RunLines(LoopRunner* loops, const std::function<void(int, int)>& lines)
{
    if (loops)
        loops->run(kLineLength, lines);
    else
        lines(0, kLineLength);
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
using SharedLaneOperation = void (*lanes::KernelTable::*)(const LaneTwiddles&, Grid&, Grid&, LoopRunner&, float*);

bool Shared(const TransformRunner& runner)
{
    return runner.loops && runner.scratch;
}

// One 2-D operation in the lanes of the runner's kernel, on one thread or
// shared out; false for the line-by-line form.
bool RunLanes(const TransformRunner& runner, Grid& re, Grid& im, double sign, LaneOperation alone,
              SharedLaneOperation shared)
{
    const lanes::KernelTable* kernels = KernelsOf(runner.kernel);
    if (kernels == nullptr)
        return false;
    if (Shared(runner))
        (kernels->*shared)(LaneTwiddlesFor(sign), re, im, *runner.loops, runner.scratch->floats.data());
    else
        (kernels->*alone)(LaneTwiddlesFor(sign), re, im);
    return true;
}

}  // namespace

void Transform2D(Grid& re, Grid& im, const TransformRunner& runner, FilledRows rows, const RowsFinished* finished,
                 ResultRows result)
{
    // No row outside the region; none at all when the span is empty.
    rows.first = std::max(rows.first, 1);
    rows.last = std::max(std::min(rows.last, kLineLength), rows.first - 1);
    if (const lanes::KernelTable* kernels = KernelsOf(runner.kernel)) {
        if (Shared(runner))
            kernels->forwardOn(LaneTwiddlesFor(1.0), re, im, rows, finished, result, *runner.loops,
                               runner.scratch->floats.data());
        else
            kernels->forward(LaneTwiddlesFor(1.0), re, im, rows, finished, result);
        return;
    }
    RunLines(runner.loops,
             [&](int first, int last) { LinesAlongFirstIndex(re, im, TransformLine, first, last, rows); });
    RunLines(runner.loops, [&](int first, int last) {
        LinesAlongSecondIndex(re, im, TransformLine, first, last);
        if (finished)
            (*finished)(FinishedRows{1 + first, last, re.row(1 + first) + 1, im.row(1 + first) + 1, kGridSide});
    });
}

void TransformIntensity2D(Grid& re, Grid& im, const TransformRunner& runner)
{
    if (RunLanes(runner, re, im, 1.0, &lanes::KernelTable::intensity, &lanes::KernelTable::intensityOn))
        return;
    RunLines(runner.loops, [&](int first, int last) { IntensityAlongFirstIndex(re, im, first, last); });
    RunLines(runner.loops, [&](int first, int last) { MagnitudeAlongSecondIndex(re, im, first, last); });
}

void InverseTransform2D(Grid& re, Grid& im, const TransformRunner& runner)
{
    if (RunLanes(runner, re, im, -1.0, &lanes::KernelTable::inverse, &lanes::KernelTable::inverseOn))
        return;
    RunLines(runner.loops,
             [&](int first, int last) { LinesAlongSecondIndex(re, im, InverseTransformLine, first, last); });
    RunLines(runner.loops,
             [&](int first, int last) { LinesAlongFirstIndex(re, im, InverseTransformLine, first, last); });
}

}  // namespace optics
