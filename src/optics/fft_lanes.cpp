#include "optics/fft_lanes.h"

#include "optics/fft.h"

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

// GCC 12 reports the deliberately undefined upper halves inside its own
// conversion intrinsics as uninitialised.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace optics {

namespace lanes {

// The portable kernel: baseline instructions only.
namespace portable {
#define QTL_LANES 4
#define QTL_DOUBLE_LANES 2
#if defined(__x86_64__)
#define QTL_X86_SSE2
#endif
#include "optics/fft_lanes_kernel.h"
#undef QTL_X86_SSE2
#undef QTL_LANES
#undef QTL_DOUBLE_LANES
}  // namespace portable

const KernelTable& PortableKernels()
{
    static const KernelTable table{portable::Forward,   portable::Intensity,   portable::Inverse,
                                    portable::ForwardOn, portable::IntensityOn, portable::InverseOn};
    return table;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QTL_HAVE_X86_KERNELS 1

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace avx2 {
#define QTL_LANES 8
#define QTL_DOUBLE_LANES 4
#define QTL_X86_AVX2
#include "optics/fft_lanes_kernel.h"
#undef QTL_X86_AVX2
#undef QTL_LANES
#undef QTL_DOUBLE_LANES
}  // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512dq,avx512vl,avx512bw"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512dq,avx512vl,avx512bw")
#endif
namespace avx512 {
#define QTL_LANES 16
#define QTL_DOUBLE_LANES 8
#define QTL_X86_AVX512
#include "optics/fft_lanes_kernel.h"
#undef QTL_X86_AVX512
#undef QTL_LANES
#undef QTL_DOUBLE_LANES
}  // namespace avx512
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

const KernelTable& Avx2Kernels()
{
    static const KernelTable table{avx2::Forward,   avx2::Intensity,   avx2::Inverse,
                                    avx2::ForwardOn, avx2::IntensityOn, avx2::InverseOn};
    return table;
}

const KernelTable& Avx512Kernels()
{
    static const KernelTable table{avx512::Forward,   avx512::Intensity,   avx512::Inverse,
                                    avx512::ForwardOn, avx512::IntensityOn, avx512::InverseOn};
    return table;
}
#else
#define QTL_HAVE_X86_KERNELS 0
// Elsewhere only the portable kernel exists; these are never selected.
const KernelTable& Avx2Kernels() { return PortableKernels(); }
const KernelTable& Avx512Kernels() { return PortableKernels(); }
#endif

}  // namespace lanes

void BuildLaneTwiddles(double sign, LaneTwiddles& twiddles)
{
    // The recurrence exactly as TransformLine runs it for each group.
    twiddles.sign = sign;
    for (int le = 2; le <= kLineLength; le <<= 1) {
        const int half = le / 2;
        const StageTwiddle twiddle(sign, le);
        float wr = 1.0f;
        float wi = 0.0f;
        for (int k = 0; k < half; ++k) {
            twiddles.re[half - 1 + k] = wr;
            twiddles.im[half - 1 + k] = wi;
            twiddle.advance(wr, wi);
        }
    }
}

const char* LaneKernelName(LaneKernel kernel)
{
    switch (kernel) {
    case LaneKernel::Lines: return "lines";
    case LaneKernel::Portable: return "portable";
    case LaneKernel::Avx2: return "avx2";
    case LaneKernel::Avx512: return "avx512";
    }
    return "?";
}

bool LaneKernelAvailable(LaneKernel kernel)
{
    switch (kernel) {
    case LaneKernel::Lines:
    case LaneKernel::Portable:
        return true;
#if QTL_HAVE_X86_KERNELS
    case LaneKernel::Avx2:
        return __builtin_cpu_supports("avx2");
    case LaneKernel::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq")
            && __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw");
#else
    case LaneKernel::Avx2:
    case LaneKernel::Avx512:
        return false;
#endif
    }
    return false;
}

std::vector<LaneKernel> AvailableLaneKernels()
{
    std::vector<LaneKernel> kernels;
    for (LaneKernel k : {LaneKernel::Lines, LaneKernel::Portable, LaneKernel::Avx2, LaneKernel::Avx512})
        if (LaneKernelAvailable(k))
            kernels.push_back(k);
    return kernels;
}

const LaneTwiddles& LaneTwiddlesFor(double sign)
{
    static const LaneTwiddles forward = [] {
        LaneTwiddles t;
        BuildLaneTwiddles(1.0, t);
        return t;
    }();
    static const LaneTwiddles inverse = [] {
        LaneTwiddles t;
        BuildLaneTwiddles(-1.0, t);
        return t;
    }();
    return sign < 0.0 ? inverse : forward;
}

LaneKernel PreferredLaneKernel()
{
    static const LaneKernel widest = [] {
        for (LaneKernel k : {LaneKernel::Avx512, LaneKernel::Avx2})
            if (LaneKernelAvailable(k))
                return k;
        return LaneKernel::Portable;
    }();
    return widest;
}

}  // namespace optics
