// Body of one lane kernel of the 2-D transforms. fft_lanes.cpp includes this
// file once per instruction set, each time inside its own namespace and with
// that instruction set switched on for everything defined here. Before the
// include it defines
//   QTL_LANES         lines transformed at once (floats per vector),
//   QTL_DOUBLE_LANES  doubles per vector (QTL_LANES or half of it).
// No include guard, on purpose.
//
// Data layout: a line set is 512 samples, each one vector holding sample n of
// every lane. Every butterfly does, in every lane, exactly what TransformLine
// does:
//   tr = float(double(wr) * re_j - double(wi) * im_j)   (products exact in double)
//   ti = float(double(wr) * im_j + double(wi) * re_j)
//   re_j = float(double(re_i) - tr), re_i = float(double(re_i) + tr), same for im.
// The last four are done as float additions: the exact sum of two floats
// rounded to double and then to float equals the sum rounded to float
// directly, since double carries more than twice float's precision plus two
// bits. The first two need the double products and the double sum, and so go
// through double vectors, multiplied and added separately (no fused
// multiply-add, as everywhere in the transform). The twiddles are the
// recurrence's own values for the stage, shared by all lanes.
//
// The nine stages run as three passes of three stages each (radix-8 blocks;
// the order of independent butterflies does not change any result). Along the
// first index the lanes are neighbouring columns, contiguous in the grid, so
// the first pass reads the grid directly and the last one writes it. Along the
// second index the lanes are neighbouring rows; blocks of lanes x lanes values
// are transposed in registers on the way in and out. Between the two passes of
// a 2-D transform the values stay floats, packed into the grid (see below).

constexpr int L = QTL_LANES;
constexpr int DL = QTL_DOUBLE_LANES;
constexpr int kSplit = L / DL;
static_assert(kSplit == 1 || kSplit == 2, "a float vector is one or two double vectors");
static_assert(kLineLength % L == 0, "the lanes divide the grid");

typedef float VF __attribute__((vector_size(4 * L)));
typedef float VFa __attribute__((vector_size(4 * L), may_alias));
typedef std::uint32_t VU __attribute__((vector_size(4 * L)));
typedef float VFh __attribute__((vector_size(4 * DL)));
typedef double VD __attribute__((vector_size(8 * DL)));
typedef double VDu __attribute__((vector_size(8 * DL), aligned(8), may_alias));

#define QTL_INLINE inline __attribute__((always_inline))
#define QTL_LAMBDA_INLINE __attribute__((always_inline))
// Hides where a pointer came from, so that it stays one register.
#define QTL_OPAQUE(p) __asm__("" : "+r"(p))

template <int N, class Fn>
QTL_INLINE void StaticFor(Fn&& fn)
{
    [&]<int... I>(std::integer_sequence<int, I...>) QTL_LAMBDA_INLINE {
        (fn(std::integral_constant<int, I>{}), ...);
    }(std::make_integer_sequence<int, N>{});
}

// ---- conversions between float lanes and double lanes ---------------------
//
// Where the instruction set is known they are spelled out, since the generic
// vector conversions get split into narrower pieces.
#if defined(QTL_X86_AVX512) && QTL_LANES == 16 && QTL_DOUBLE_LANES == 8
template <int Part>
QTL_INLINE VD Widen(VF x)
{
    if constexpr (Part == 0)
        return _mm512_cvtps_pd(_mm512_castps512_ps256(x));
    else
        return _mm512_cvtps_pd(_mm512_extractf32x8_ps(x, 1));
}

QTL_INLINE VF Narrow(VD a, VD b)
{
    return _mm512_insertf32x8(_mm512_zextps256_ps512(_mm512_cvtpd_ps(a)), _mm512_cvtpd_ps(b), 1);
}
#elif defined(QTL_X86_AVX512) && QTL_LANES == 8 && QTL_DOUBLE_LANES == 8
template <int Part>
QTL_INLINE VD Widen(VF x)
{
    return _mm512_cvtps_pd(x);
}

QTL_INLINE VF Narrow(VD a)
{
    return _mm512_cvtpd_ps(a);
}
#elif defined(QTL_X86_AVX2) && QTL_LANES == 8 && QTL_DOUBLE_LANES == 4
template <int Part>
QTL_INLINE VD Widen(VF x)
{
    if constexpr (Part == 0)
        return _mm256_cvtps_pd(_mm256_castps256_ps128(x));
    else
        return _mm256_cvtps_pd(_mm256_extractf128_ps(x, 1));
}

QTL_INLINE VF Narrow(VD a, VD b)
{
    return _mm256_insertf128_ps(_mm256_zextps128_ps256(_mm256_cvtpd_ps(a)), _mm256_cvtpd_ps(b), 1);
}
#elif defined(QTL_X86_SSE2) && QTL_LANES == 4 && QTL_DOUBLE_LANES == 2
template <int Part>
QTL_INLINE VD Widen(VF x)
{
    if constexpr (Part == 0)
        return _mm_cvtps_pd(x);
    else
        return _mm_cvtps_pd(_mm_movehl_ps(x, x));
}

QTL_INLINE VF Narrow(VD a, VD b)
{
    return _mm_movelh_ps(_mm_cvtpd_ps(a), _mm_cvtpd_ps(b));
}
#elif QTL_LANES == QTL_DOUBLE_LANES
template <int Part>
QTL_INLINE VD Widen(VF x)
{
    return __builtin_convertvector(x, VD);
}

QTL_INLINE VF Narrow(VD a)
{
    return __builtin_convertvector(a, VF);
}
#else
template <int Part, int... I>
QTL_INLINE VFh PartOf(VF x, std::integer_sequence<int, I...>)
{
    return __builtin_shufflevector(x, x, (Part * DL + I)...);
}

template <int Part>
QTL_INLINE VD Widen(VF x)
{
    return __builtin_convertvector(PartOf<Part>(x, std::make_integer_sequence<int, DL>{}), VD);
}

template <int... I>
QTL_INLINE VF JoinParts(VFh a, VFh b, std::integer_sequence<int, I...>)
{
    return __builtin_shufflevector(a, b, I...);
}

QTL_INLINE VF Narrow(VD a, VD b)
{
    return JoinParts(__builtin_convertvector(a, VFh), __builtin_convertvector(b, VFh),
                     std::make_integer_sequence<int, L>{});
}
#endif

// L doubles from memory (unaligned) rounded to float.
QTL_INLINE VF LoadDoubles(const double* p)
{
#if QTL_LANES == QTL_DOUBLE_LANES
    return Narrow(*reinterpret_cast<const VDu*>(p));
#else
    return Narrow(*reinterpret_cast<const VDu*>(p), *reinterpret_cast<const VDu*>(p + DL));
#endif
}

// L floats widened to double into memory (unaligned).
QTL_INLINE void StoreDoubles(double* p, VF x)
{
    *reinterpret_cast<VDu*>(p) = Widen<0>(x);
#if QTL_LANES != QTL_DOUBLE_LANES
    *reinterpret_cast<VDu*>(p + DL) = Widen<1>(x);
#endif
}

// float(a * a + b * b) for L doubles of each grid, evaluated in double.
QTL_INLINE VF LoadIntensity(const double* pa, const double* pb)
{
    const VD a0 = *reinterpret_cast<const VDu*>(pa);
    const VD b0 = *reinterpret_cast<const VDu*>(pb);
#if QTL_LANES == QTL_DOUBLE_LANES
    return Narrow(a0 * a0 + b0 * b0);
#else
    const VD a1 = *reinterpret_cast<const VDu*>(pa + DL);
    const VD b1 = *reinterpret_cast<const VDu*>(pb + DL);
    return Narrow(a0 * a0 + b0 * b0, a1 * a1 + b1 * b1);
#endif
}

// Asks for the L doubles at p to be brought towards the core (no fault),
// for reading or, with kWrite, for writing.
template <bool kWrite = false>
QTL_INLINE void Prefetch(const double* p)
{
    __builtin_prefetch(p, kWrite, 2);
    __builtin_prefetch(p + L / 2, kWrite, 2);
    __builtin_prefetch(p + L - 1, kWrite, 2);
}

QTL_INLINE VF Abs(VF x)
{
    return reinterpret_cast<VF>(reinterpret_cast<VU>(x) & 0x7fffffffu);
}

// ---- butterflies ----------------------------------------------------------

// Twiddle 1 + 0i, the first of every group: the products are exact in float
// too, so the whole butterfly stays in float (keeping the zero products, which
// decide the sign of zero results).
QTL_INLINE void FirstButterfly(VF& ri, VF& ii, VF& rj, VF& ij)
{
    const VF zero = {};
    const VF tr = rj - zero * ij;
    const VF ti = ij + zero * rj;
    rj = ri - tr;
    ij = ii - ti;
    ri = ri + tr;
    ii = ii + ti;
}

QTL_INLINE void Butterfly(VF& ri, VF& ii, VF& rj, VF& ij, double wr, double wi)
{
#if QTL_LANES == QTL_DOUBLE_LANES
    const VD a = Widen<0>(rj);
    const VD b = Widen<0>(ij);
    const VF tr = Narrow(wr * a - wi * b);
    const VF ti = Narrow(wr * b + wi * a);
#else
    const VD a0 = Widen<0>(rj);
    const VD a1 = Widen<1>(rj);
    const VD b0 = Widen<0>(ij);
    const VD b1 = Widen<1>(ij);
    const VF tr = Narrow(wr * a0 - wi * b0, wr * a1 - wi * b1);
    const VF ti = Narrow(wr * b0 + wi * a0, wr * b1 + wi * a1);
#endif
    rj = ri - tr;
    ij = ii - ti;
    ri = ri + tr;
    ii = ii + ti;
}

// Three stages on the eight samples g + k + t * H0 (t = 0..7) of a line set:
// the stages with half spans H0, 2 H0 and 4 H0. K0 says k == 0, where the
// first butterfly of a group has the twiddle 1 + 0i.
template <int H0, bool K0>
QTL_INLINE void Radix8(VF* r, VF* i, const LaneTwiddles& tw, int k)
{
    StaticFor<3>([&](auto fc) QTL_LAMBDA_INLINE {
        constexpr int f = decltype(fc)::value;
        constexpr int half = H0 << f;
        constexpr int low = (1 << f) - 1;
        StaticFor<8>([&](auto tc) QTL_LAMBDA_INLINE {
            constexpr int t = decltype(tc)::value;
            if constexpr ((t & (1 << f)) == 0) {
                constexpr int u = t | (1 << f);
                if constexpr (K0 && (t & low) == 0) {
                    FirstButterfly(r[t], i[t], r[u], i[u]);
                } else {
                    const int index = half - 1 + k + (t & low) * H0;
                    Butterfly(r[t], i[t], r[u], i[u], tw.re[index], tw.im[index]);
                }
            }
        });
    });
}

// The radix-8 block of samples g + k + t * H0 (t = 0..7). load(n, re, im)
// fetches sample n, store(n, re, im) puts it back.
template <int H0, class Load, class Store>
QTL_INLINE void Block(const LaneTwiddles& tw, int g, int k, Load&& load, Store&& store)
{
    VF r[8];
    VF i[8];
    StaticFor<8>([&](auto tc) QTL_LAMBDA_INLINE {
        constexpr int t = decltype(tc)::value;
        load(g + k + t * H0, r[t], i[t]);
    });
    if (k == 0)
        Radix8<H0, true>(r, i, tw, 0);
    else
        Radix8<H0, false>(r, i, tw, k);
    StaticFor<8>([&](auto tc) QTL_LAMBDA_INLINE {
        constexpr int t = decltype(tc)::value;
        store(g + k + t * H0, r[t], i[t]);
    });
}

// One pass of three stages over the whole line set.
template <int H0, class Load, class Store>
QTL_INLINE void Pass(const LaneTwiddles& tw, Load&& load, Store&& store)
{
    for (int g = 0; g < kLineLength; g += 8 * H0)
        for (int k = 0; k < H0; ++k)
            Block<H0>(tw, g, k, load, store);
}

struct LineSet {
    VF re[kLineLength];
    VF im[kLineLength];
};

// Stages 4-6 over the line set; after each of its 64 blocks, between(j) with
// the block's number j = 0..63 (for spreading other work over the pass).
template <class Between>
QTL_INLINE void MiddleStages(const LaneTwiddles& tw, LineSet& set, Between&& between)
{
    auto load = [&](int n, VF& r, VF& i) QTL_LAMBDA_INLINE { r = set.re[n]; i = set.im[n]; };
    auto store = [&](int n, VF r, VF i) QTL_LAMBDA_INLINE { set.re[n] = r; set.im[n] = i; };
    for (int g = 0; g < kLineLength; g += 64) {
        for (int k = 0; k < 8; ++k) {
            Block<8>(tw, g, k, load, store);
            between(g / 8 + k);
        }
    }
}

QTL_INLINE void MiddleStages(const LaneTwiddles& tw, LineSet& set)
{
    MiddleStages(tw, set, [](int) QTL_LAMBDA_INLINE {});
}

// ---- register transpose of L x L floats ------------------------------------

// Round q swaps bit q of the row index with bit q of the column index.
template <int B, int... J>
QTL_INLINE void SwapBit(VF& a, VF& b, std::integer_sequence<int, J...>)
{
    const VF lowRow = __builtin_shufflevector(a, b, ((J & B) ? L + (J ^ B) : J)...);
    const VF highRow = __builtin_shufflevector(a, b, ((J & B) ? L + J : (J ^ B))...);
    a = lowRow;
    b = highRow;
}

QTL_INLINE void Transpose(VF* v)
{
    StaticFor<__builtin_ctz(L)>([&](auto qc) QTL_LAMBDA_INLINE {
        constexpr int B = 1 << decltype(qc)::value;
        StaticFor<L>([&](auto rc) QTL_LAMBDA_INLINE {
            constexpr int row = decltype(rc)::value;
            if constexpr ((row & B) == 0)
                SwapBit<B>(v[row], v[row | B], std::make_integer_sequence<int, L>{});
        });
    });
}

// ---- the two passes of a 2-D transform -------------------------------------
//
// Between the two passes the values are floats (every pass ends by rounding
// to float, and widening to double and narrowing again changes nothing), so
// the first pass leaves them packed as floats in the grid itself and the
// second reads them from there: half the memory traffic and no conversions.
// Row r keeps its 512 floats in the first vector-aligned stretch of its cells
// [1..263]; cells outside [1..512][1..512] are never touched. The order of the
// column blocks keeps every packed float clear of doubles not yet read. Blocks
// of columns that held only +0.0 are not packed at all: the second pass is
// told to take them as zeros.

enum class From { Doubles, Intensity, Packed };
// Handed: doubles into a buffer of L rows that is handed to the caller, not
// into the grid.
enum class To { Doubles, Packed, Handed };
enum class Then { Keep, Magnitude, Scale };

// What a pass does to its results before storing them: the absolute values of
// the transfer function, or the 1/512 of the inverse line transform (in float,
// as there).
QTL_INLINE VF Finish(VF x, Then then)
{
    if (then == Then::Magnitude)
        return Abs(x);
    if (then == Then::Scale)
        return x * 0.001953125f;
    return x;
}

// Aligned to the vector size, the packed floats start at most 4 L - 4 bytes
// after cell 1, which is what keeps them clear of unread doubles.
QTL_INLINE float* PackedRow(Grid& g, int r)
{
    constexpr std::uintptr_t kAlign = sizeof(VF);
    const auto at = reinterpret_cast<std::uintptr_t>(g.row(r) + 1);
    return reinterpret_cast<float*>((at + kAlign - 1) & ~(kAlign - 1));
}

// Where the packed floats of a grid's rows live: in the grid itself (one
// thread works on the grid, and the order of its blocks keeps them clear of
// doubles not yet read), or in a scratch area of 512 floats a row (several
// threads work on the grid's blocks at once).
struct GridRows {
    Grid& grid;
    QTL_INLINE float* row(int r) const { return PackedRow(grid, r); }
};

struct ScratchRows {
    float* base;
    QTL_INLINE float* row(int r) const { return base + static_cast<std::ptrdiff_t>(r - 1) * kLineLength; }
};

QTL_INLINE VF LoadPacked(const float* p)
{
    return *reinterpret_cast<const VFa*>(p);
}

QTL_INLINE void StorePacked(float* p, VF x)
{
    *reinterpret_cast<VFa*>(p) = x;
}

// Which blocks of L columns hold nothing but +0.0 exactly (not -0.0, not a
// tiny value that rounds to zero) in both grids. Sweeps along the rows, as
// they lie in memory.
struct EmptyBlocks {
    bool empty[kLineLength / L];
};

// Marks in bits[b] every set bit of a value of block b in rows first + 1 ..
// last; stops once every block has shown a value.
QTL_INLINE void MarkFilledBlocks(const Grid& re, const Grid& im, int first, int last,
                                 std::uint64_t (&bits)[kLineLength / L])
{
    constexpr int kBlocks = kLineLength / L;
    int filled = 0;
    for (int row = first + 1; row <= last && filled < kBlocks; ++row) {
        const double* a = re.row(row) + 1;
        const double* b = im.row(row) + 1;
        filled = 0;
        for (int block = 0; block < kBlocks; ++block) {
            std::uint64_t any = bits[block];
            for (int j = block * L; j < block * L + L; ++j)
                any |= __builtin_bit_cast(std::uint64_t, a[j]) | __builtin_bit_cast(std::uint64_t, b[j]);
            bits[block] = any;
            filled += any != 0;
        }
    }
}

QTL_INLINE EmptyBlocks EmptyBlocksOf(const std::uint64_t (&bits)[kLineLength / L])
{
    EmptyBlocks result;
    for (int block = 0; block < kLineLength / L; ++block)
        result.empty[block] = bits[block] == 0;
    return result;
}

// Only `rows` are looked at: the others are taken as +0.
QTL_INLINE EmptyBlocks FindEmptyBlocks(const Grid& re, const Grid& im, FilledRows rows)
{
    std::uint64_t bits[kLineLength / L] = {};
    MarkFilledBlocks(re, im, rows.first - 1, rows.last, bits);
    return EmptyBlocksOf(bits);
}

// The same with the rows shared out through `loops`: a block is empty when no
// range of rows found a value in it, however the rows were split.
QTL_INLINE EmptyBlocks FindEmptyBlocks(const Grid& re, const Grid& im, FilledRows rows, LoopRunner& loops)
{
    std::array<std::atomic<std::uint64_t>, kLineLength / L> found{};
    loops.run(rows.last - rows.first + 1, [&](int first, int last) {
        std::uint64_t bits[kLineLength / L] = {};
        MarkFilledBlocks(re, im, rows.first - 1 + first, rows.first - 1 + last, bits);
        for (int block = 0; block < kLineLength / L; ++block)
            if (bits[block] != 0)
                found[static_cast<std::size_t>(block)].fetch_or(bits[block], std::memory_order_relaxed);
    });
    std::uint64_t bits[kLineLength / L];
    for (int block = 0; block < kLineLength / L; ++block)
        bits[block] = found[static_cast<std::size_t>(block)].load(std::memory_order_relaxed);
    return EmptyBlocksOf(bits);
}

// The column blocks of a grid: block b holds columns 1 + L b .. L (b + 1).
constexpr int kBlocks = kLineLength / L;

// Every line along the first index (lanes: columns c0 .. c0 + L - 1) of the
// blocks `first` .. `last` - 1. Blocks that `empty` marks (they held only
// +0.0) are left out: writing packed floats, the second pass takes them as
// zeros. Reading doubles, the rows outside `rows` are taken as +0.
template <From kFrom, To kTo, Then kThen, class Rows>
void ColumnLines(const LaneTwiddles& tw, Grid& re, Grid& im, Rows packedRe, Rows packedIm, const EmptyBlocks& empty,
                 int first = 0, int last = kBlocks, FilledRows rows = {})
{
    static_assert(kFrom != From::Packed || kTo != To::Packed);
    LineSet set;
    // Reading packed floats, go from right to left: a block's doubles then
    // land beyond the packed floats of the blocks still to come. Writing them,
    // go from left to right: they land where the doubles were already read.
    constexpr bool kLeftward = kFrom == From::Packed;
    for (int b = first; b < last; ++b) {
        const int c0 = 1 + L * (kLeftward ? kLineLength / L - 1 - b : b);
        const int next = kLeftward ? c0 - L : c0 + L;
        const bool hasNext = b + 1 < last;
        if constexpr (kFrom == From::Doubles) {
            // Lines of nothing but +0 stay +0 through every butterfly (as
            // TransformLine computes them), so a block of them is done at
            // once: the pupil leaves most columns empty.
            if (empty.empty[(c0 - 1) / L])
                continue;
        }
        // Stages 1-3 straight from the grid: sample n of a line is value
        // ReverseBits9(n), which sits in row 1 + ReverseBits9(n).
        Pass<1>(
            tw,
            [&](int n, VF& r, VF& i) QTL_LAMBDA_INLINE {
                const int row = 1 + kBitReverse[n];
                // The rows come in bit-reversed order, which no hardware
                // prefetcher follows: ask for the next block of columns now.
                if constexpr (kFrom == From::Packed) {
                    if (hasNext) {
                        __builtin_prefetch(packedRe.row(row) + (next - 1), 0, 2);
                        __builtin_prefetch(packedIm.row(row) + (next - 1), 0, 2);
                        Prefetch<true>(re.row(row) + next);
                        Prefetch<true>(im.row(row) + next);
                    }
                    r = LoadPacked(packedRe.row(row) + (c0 - 1));
                    i = LoadPacked(packedIm.row(row) + (c0 - 1));
                    return;
                }
                if constexpr (kFrom == From::Doubles) {
                    if (row < rows.first || row > rows.last) {
                        r = VF{};
                        i = VF{};
                        return;
                    }
                }
                if (hasNext) {
                    Prefetch(re.row(row) + next);
                    Prefetch(im.row(row) + next);
                }
                if constexpr (kFrom == From::Intensity) {
                    r = LoadIntensity(re.row(row) + c0, im.row(row) + c0);
                    i = VF{};
                } else {
                    r = LoadDoubles(re.row(row) + c0);
                    i = LoadDoubles(im.row(row) + c0);
                }
            },
            [&](int n, VF r, VF i) QTL_LAMBDA_INLINE { set.re[n] = r; set.im[n] = i; });
        MiddleStages(tw, set);
        // Stages 7-9 straight into the grid, in natural order.
        Pass<64>(
            tw, [&](int n, VF& r, VF& i) QTL_LAMBDA_INLINE { r = set.re[n]; i = set.im[n]; },
            [&](int n, VF r, VF i) QTL_LAMBDA_INLINE {
                if constexpr (kTo == To::Packed) {
                    StorePacked(packedRe.row(1 + n) + (c0 - 1), Finish(r, kThen));
                    StorePacked(packedIm.row(1 + n) + (c0 - 1), Finish(i, kThen));
                } else {
                    StoreDoubles(re.row(1 + n) + c0, Finish(r, kThen));
                    StoreDoubles(im.row(1 + n) + c0, Finish(i, kThen));
                }
            });
    }
}

// Moves L x L values of one grid from rows r0 .. r0 + L - 1, cells
// 1 + k0 .. k0 + L, into samples k0 .. k0 + L - 1 of a line set.
// With zero, the cells are known to be +0 and are not read.
template <From kFrom, class Rows>
QTL_INLINE void GridToLines(Grid& g, Rows packed, int r0, int k0, VF* lines, bool zero)
{
    if (zero) {
        for (int k = 0; k < L; ++k)
            lines[kBitReverse[k0 + k]] = VF{};
        return;
    }
    VF v[L];
    if constexpr (kFrom == From::Packed) {
        StaticFor<L>([&](auto lc) QTL_LAMBDA_INLINE {
            constexpr int lane = decltype(lc)::value;
            v[lane] = LoadPacked(packed.row(r0 + lane) + k0);
            // The next block of rows: these floats, and the doubles that
            // will be written over them.
            if (r0 + L <= kLineLength)
                __builtin_prefetch(packed.row(r0 + L + lane) + k0, 0, 2);
        });
    } else {
        // One base register for all L rows: left to itself the compiler
        // keeps a pointer per row and spills them.
        const double* base = g.row(r0) + 1 + k0;
        QTL_OPAQUE(base);
        StaticFor<L>([&](auto lc) QTL_LAMBDA_INLINE {
            constexpr int lane = decltype(lc)::value;
            v[lane] = LoadDoubles(base + lane * kGridSide);
            // The same cells of the next block of rows.
            if (r0 + L <= kLineLength)
                Prefetch(base + (L + lane) * kGridSide);
        });
    }
    Transpose(v);
    StaticFor<L>([&](auto kc) QTL_LAMBDA_INLINE {
        constexpr int k = decltype(kc)::value;
        lines[kBitReverse[k0 + k]] = v[k];
    });
}

// The reverse move, samples k0 .. k0 + L - 1 into the rows (handed: into
// the rows of `handed`, 512 doubles apart).
template <To kTo, Then kThen, class Rows>
QTL_INLINE void LinesToGrid(const VF* lines, int r0, int k0, Grid& g, Rows packed, double* handed)
{
    VF v[L];
    StaticFor<L>([&](auto kc) QTL_LAMBDA_INLINE {
        constexpr int k = decltype(kc)::value;
        v[k] = lines[k0 + k];
    });
    Transpose(v);
    if constexpr (kTo == To::Packed) {
        StaticFor<L>([&](auto lc) QTL_LAMBDA_INLINE {
            constexpr int lane = decltype(lc)::value;
            StorePacked(packed.row(r0 + lane) + k0, Finish(v[lane], kThen));
        });
    } else if constexpr (kTo == To::Handed) {
        double* base = handed + k0;
        QTL_OPAQUE(base);
        StaticFor<L>([&](auto lc) QTL_LAMBDA_INLINE {
            constexpr int lane = decltype(lc)::value;
            StoreDoubles(base + lane * kLineLength, Finish(v[lane], kThen));
        });
    } else {
        double* base = g.row(r0) + 1 + k0;
        QTL_OPAQUE(base);
        StaticFor<L>([&](auto lc) QTL_LAMBDA_INLINE {
            constexpr int lane = decltype(lc)::value;
            StoreDoubles(base + lane * kGridSide, Finish(v[lane], kThen));
        });
    }
}

// Every line along the second index (lanes: rows r0 .. r0 + L - 1). The
// values come and go in chunks of L neighbouring cells of L rows, transposed
// in registers; all of a block's rows are read before any is written. The
// first and last passes are ordered so that each works on chunks that were
// just moved, while they are still in the nearest cache.
// zeroChunks: blocks of L cells of every row known to hold +0 (left out by a
// first pass that found them empty). Rows are taken L at a time, from the
// groups `first` .. `last` - 1 (group g starts at row 1 + L g); `finished`,
// when given, is told of each group once its rows are written (to the grids,
// or, handed, to a buffer of the thread's that the next group reuses).
template <From kFrom, To kTo, Then kThen, class Rows>
void RowLines(const LaneTwiddles& tw, Grid& re, Grid& im, Rows packedRe, Rows packedIm,
              const EmptyBlocks& zeroChunks = {}, int first = 0, int last = kBlocks,
              const RowsFinished* finished = nullptr)
{
    static_assert(kFrom != From::Intensity);
    static_assert(kTo != To::Handed || kFrom == From::Packed);
    constexpr int kLaneBits = __builtin_ctz(L);
    // L rows of each grid: 64 KB a grid with 16 lanes, in the second-level
    // cache of whichever thread runs this.
    struct Handed {
        alignas(64) double re[L * kLineLength];
        alignas(64) double im[L * kLineLength];
    };
    double* handedRe = nullptr;
    double* handedIm = nullptr;
    if constexpr (kTo == To::Handed) {
        static thread_local const std::unique_ptr<Handed> buffer = std::make_unique<Handed>();
        handedRe = buffer->re;
        handedIm = buffer->im;
    }
    // Chunk q (cells qL .. qL + L - 1) fills the slots whose lowest 9 - kLaneBits
    // bits are the reversal of q; eight chunks complete whole blocks of stages 1-3.
    constexpr int kGroups = kLineLength / L / 8;
    LineSet set;
    auto fromSet = [&](int n, VF& r, VF& i) QTL_LAMBDA_INLINE { r = set.re[n]; i = set.im[n]; };
    auto toSet = [&](int n, VF r, VF i) QTL_LAMBDA_INLINE { set.re[n] = r; set.im[n] = i; };
    for (int r0 = 1 + L * first; r0 <= L * last; r0 += L) {
        for (int a = 0; a < kGroups; ++a) {
            for (int s = 0; s < 8; ++s) {
                const int q = kBitReverse[8 * a + s] >> kLaneBits;
                GridToLines<kFrom>(re, packedRe, r0, q * L, set.re, zeroChunks.empty[q]);
                GridToLines<kFrom>(im, packedIm, r0, q * L, set.im, zeroChunks.empty[q]);
            }
            for (int m = a; m < kLineLength / 8; m += kGroups)
                Block<1>(tw, 8 * m, 0, fromSet, toSet);
        }
        if constexpr (kFrom == From::Packed && kTo == To::Doubles) {
            // The doubles past the packed floats were not read: ask for
            // those lines for writing while the middle stages run, one row of
            // one grid after each of their blocks.
            MiddleStages(tw, set, [&](int j) QTL_LAMBDA_INLINE {
                if (j >= 2 * L)
                    return;
                const double* row = (j % 2 == 0 ? re : im).row(r0 + j / 2);
                for (int cell = kLineLength / 2; cell <= kLineLength; cell += 8)
                    __builtin_prefetch(row + cell, 1, 2);
            });
        } else {
            MiddleStages(tw, set);
        }
        // Stages 7-9 for L consecutive k give the chunks k0 + 64 t (t = 0..7).
        for (int k0 = 0; k0 < 64; k0 += L) {
            for (int k = k0; k < k0 + L; ++k)
                Block<64>(tw, 0, k, fromSet, toSet);
            for (int t = 0; t < 8; ++t) {
                LinesToGrid<kTo, kThen>(set.re, r0, k0 + 64 * t, re, packedRe, handedRe);
                LinesToGrid<kTo, kThen>(set.im, r0, k0 + 64 * t, im, packedIm, handedIm);
            }
        }
        if (finished) {
            if constexpr (kTo == To::Handed)
                (*finished)(FinishedRows{r0, r0 + L - 1, handedRe, handedIm, kLineLength});
            else
                (*finished)(FinishedRows{r0, r0 + L - 1, re.row(r0) + 1, im.row(r0) + 1, kGridSide});
        }
    }
}

void Forward(const LaneTwiddles& tw, Grid& re, Grid& im, FilledRows rows, const RowsFinished* finished,
             ResultRows result)
{
    const GridRows packedRe{re};
    const GridRows packedIm{im};
    const EmptyBlocks empty = FindEmptyBlocks(re, im, rows);
    ColumnLines<From::Doubles, To::Packed, Then::Keep>(tw, re, im, packedRe, packedIm, empty, 0, kBlocks, rows);
    if (finished && result == ResultRows::HandedOn)
        RowLines<From::Packed, To::Handed, Then::Keep>(tw, re, im, packedRe, packedIm, empty, 0, kBlocks, finished);
    else
        RowLines<From::Packed, To::Doubles, Then::Keep>(tw, re, im, packedRe, packedIm, empty, 0, kBlocks, finished);
}

void Intensity(const LaneTwiddles& tw, Grid& re, Grid& im)
{
    const GridRows packedRe{re};
    const GridRows packedIm{im};
    ColumnLines<From::Intensity, To::Packed, Then::Keep>(tw, re, im, packedRe, packedIm, {});
    RowLines<From::Packed, To::Doubles, Then::Magnitude>(tw, re, im, packedRe, packedIm);
}

void Inverse(const LaneTwiddles& tw, Grid& re, Grid& im)
{
    const GridRows packedRe{re};
    const GridRows packedIm{im};
    RowLines<From::Doubles, To::Packed, Then::Scale>(tw, re, im, packedRe, packedIm);
    ColumnLines<From::Packed, To::Doubles, Then::Scale>(tw, re, im, packedRe, packedIm, {});
}

// The same on several threads: each pass is split into ranges of blocks that
// `loops` runs at once, and the floats between the passes go through
// `scratch` (two areas of 512 x 512 floats, aligned to the vector size).
void ForwardOn(const LaneTwiddles& tw, Grid& re, Grid& im, FilledRows rows, const RowsFinished* finished,
               ResultRows result, LoopRunner& loops, float* scratch)
{
    const ScratchRows packedRe{scratch};
    const ScratchRows packedIm{scratch + kLineLength * kLineLength};
    const EmptyBlocks empty = FindEmptyBlocks(re, im, rows, loops);
    loops.run(kBlocks, [&](int first, int last) {
        ColumnLines<From::Doubles, To::Packed, Then::Keep>(tw, re, im, packedRe, packedIm, empty, first, last, rows);
    });
    const bool handOn = finished && result == ResultRows::HandedOn;
    loops.run(kBlocks, [&](int first, int last) {
        if (handOn)
            RowLines<From::Packed, To::Handed, Then::Keep>(tw, re, im, packedRe, packedIm, empty, first, last,
                                                           finished);
        else
            RowLines<From::Packed, To::Doubles, Then::Keep>(tw, re, im, packedRe, packedIm, empty, first, last,
                                                            finished);
    });
}

void IntensityOn(const LaneTwiddles& tw, Grid& re, Grid& im, LoopRunner& loops, float* scratch)
{
    const ScratchRows packedRe{scratch};
    const ScratchRows packedIm{scratch + kLineLength * kLineLength};
    loops.run(kBlocks, [&](int first, int last) {
        ColumnLines<From::Intensity, To::Packed, Then::Keep>(tw, re, im, packedRe, packedIm, {}, first, last);
    });
    loops.run(kBlocks, [&](int first, int last) {
        RowLines<From::Packed, To::Doubles, Then::Magnitude>(tw, re, im, packedRe, packedIm, {}, first, last);
    });
}

void InverseOn(const LaneTwiddles& tw, Grid& re, Grid& im, LoopRunner& loops, float* scratch)
{
    const ScratchRows packedRe{scratch};
    const ScratchRows packedIm{scratch + kLineLength * kLineLength};
    loops.run(kBlocks, [&](int first, int last) {
        RowLines<From::Doubles, To::Packed, Then::Scale>(tw, re, im, packedRe, packedIm, {}, first, last);
    });
    loops.run(kBlocks, [&](int first, int last) {
        ColumnLines<From::Packed, To::Doubles, Then::Scale>(tw, re, im, packedRe, packedIm, {}, first, last);
    });
}

#undef QTL_INLINE
#undef QTL_LAMBDA_INLINE
#undef QTL_OPAQUE
