#pragma once

// The 2-D transforms run several lines at once, one line per SIMD lane. Every
// lane performs exactly the arithmetic of TransformLine (double evaluation,
// float storage, the per-stage sine recurrence), so the grids come out bit for
// bit as from the one-line-at-a-time form (TransformLines).

#include "optics/grid.h"
#include "optics/parallel.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace optics {

//! Rows first .. last of a grid's region [1..512][1..512]: the only rows a
//! forward transform told of them reads. It takes the cells of every other
//! row as +0.0, whatever they hold.
struct FilledRows {
    int first = 1;
    int last = kLineLength;
};

//! A group of rows [first, last] of a forward transform's result: cell c
//! (1..512) of row first + n is re[n * stride + c - 1], and im the same.
struct FinishedRows {
    int first = 1;
    int last = 0;
    const double* re = nullptr;
    const double* im = nullptr;
    std::ptrdiff_t stride = 0;
};

//! Told of each group of rows a transform has finished, on the thread that
//! made them, while they are still in its cache; groups finished on several
//! threads are told at the same time.
using RowsFinished = std::function<void(const FinishedRows& rows)>;

//! Where a forward transform that tells of its rows leaves them.
enum class ResultRows {
    Stored,    //!< in the grids, where it tells of them
    HandedOn,  //!< only told of, from a buffer of the thread's: the grids are
               //!< left holding scratch values (the lines form stores them)
};

//! The ways the 2-D transforms can be run.
enum class LaneKernel {
    Lines,     //!< one line at a time through LoadLine / TransformLine / StoreLine
    Portable,  //!< 4 lanes, baseline x86-64 (SSE2) instructions
    Avx2,      //!< 8 lanes, AVX2
    Avx512,    //!< 16 lanes, AVX-512
};

//! The twiddles of every stage of the line transform for one sign, as the
//! per-stage sine recurrence produces them: stage with half span h holds
//! twiddle k (k = 0..h-1) at index h - 1 + k. Widened to double, which is how
//! every product uses them.
struct LaneTwiddles {
    double sign = 0.0;
    alignas(64) double re[kLineLength - 1];
    alignas(64) double im[kLineLength - 1];
};

//! Runs the recurrence of TransformLine for the exponent sign `sign`.
void BuildLaneTwiddles(double sign, LaneTwiddles& twiddles);
//! The twiddles of the forward (+1) or inverse (-1) transform, built once.
const LaneTwiddles& LaneTwiddlesFor(double sign);

//! Short name of a kernel ("lines", "portable", "avx2", "avx512").
const char* LaneKernelName(LaneKernel kernel);
//! Whether the processor can run the kernel (Lines and Portable always).
bool LaneKernelAvailable(LaneKernel kernel);
//! Every kernel this processor can run, plain form first.
std::vector<LaneKernel> AvailableLaneKernels();
//! The kernel the 2-D transforms use unless told otherwise: the widest one
//! this processor runs. Tests and measurements pass another kernel to the
//! transforms (or to the star calculator); an unavailable one falls back to
//! this.
LaneKernel PreferredLaneKernel();

namespace lanes {

//! The three 2-D operations of one kernel, on one thread and split across
//! the threads of a LoopRunner (with a scratch area of 2 x 512 x 512 floats
//! aligned to 64 bytes); the bit-reversal order is built in. The forward
//! transform reads only the rows it is told of, and tells of the rows it has
//! finished when asked to.
struct KernelTable {
    void (*forward)(const LaneTwiddles&, Grid& re, Grid& im, FilledRows rows, const RowsFinished* finished,
                    ResultRows result);
    void (*intensity)(const LaneTwiddles&, Grid& re, Grid& im);
    void (*inverse)(const LaneTwiddles&, Grid& re, Grid& im);
    void (*forwardOn)(const LaneTwiddles&, Grid& re, Grid& im, FilledRows rows, const RowsFinished* finished,
                      ResultRows result, LoopRunner& loops, float* scratch);
    void (*intensityOn)(const LaneTwiddles&, Grid& re, Grid& im, LoopRunner& loops, float* scratch);
    void (*inverseOn)(const LaneTwiddles&, Grid& re, Grid& im, LoopRunner& loops, float* scratch);
};

const KernelTable& PortableKernels();
const KernelTable& Avx2Kernels();
const KernelTable& Avx512Kernels();

}  // namespace lanes

}  // namespace optics
