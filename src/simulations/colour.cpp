#include "simulations/colour.h"

#include <array>
#include <cmath>
#include <mutex>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sim {

namespace {

struct Row {
    int nm;
    double x;
    double y;
    double z;
};

constexpr Row kTable[] = {
#include "colour_match_table.inc"
};
constexpr int kFirst = kTable[0].nm;
constexpr int kRows = static_cast<int>(std::size(kTable));
static_assert(kFirst == 360 && kTable[kRows - 1].nm == 830, "the table runs from 360 to 830 nm");

}  // namespace

ColourMatch ColourMatchAt(double waveLength)
{
    const double n = std::nearbyint(waveLength - kFirst);
    if (!(n >= 0.0 && n < kRows))
        return {};
    const Row& row = kTable[static_cast<int>(n)];
    return {row.x, row.y, row.z};
}

namespace {

// One row of the colour grid: for n = 0..511, cells[n] (red, green, blue)
// gets the amplitude sqrt(star[n]) times the weights added in double and
// rounded to float, or, when `ontoZero`, added to 0 instead of to what the
// cell holds.
template <bool ontoZero>
void addRow(const double* star, optics::RgbCell* cells, double red, double green, double blue)
{
#if defined(__SSE2__)
    // Four cells are twelve floats: three vectors of four, whose channels run
    // r g b r | g b r g | b r g b. Each half of a vector is widened to two
    // doubles and takes the matching pair of amplitudes and weights.
    const __m128d wrg = _mm_set_pd(green, red);
    const __m128d wbr = _mm_set_pd(red, blue);
    const __m128d wgb = _mm_set_pd(blue, green);
    float* out = &cells[0].red;
    for (int n = 0; n < optics::kLineLength; n += 4, out += 12) {
        const __m128d a01 = _mm_sqrt_pd(_mm_loadu_pd(star + n));
        const __m128d a23 = _mm_sqrt_pd(_mm_loadu_pd(star + n + 2));
        const __m128d sums[6] = {
            _mm_mul_pd(_mm_unpacklo_pd(a01, a01), wrg), _mm_mul_pd(a01, wbr),
            _mm_mul_pd(_mm_unpackhi_pd(a01, a01), wgb), _mm_mul_pd(_mm_unpacklo_pd(a23, a23), wrg),
            _mm_mul_pd(a23, wbr),                       _mm_mul_pd(_mm_unpackhi_pd(a23, a23), wgb)};
        for (int v = 0; v < 3; ++v) {
            const __m128 held = ontoZero ? _mm_setzero_ps() : _mm_loadu_ps(out + 4 * v);
            const __m128 low = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(held), sums[2 * v]));
            const __m128 high = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(held, held)), sums[2 * v + 1]));
            _mm_storeu_ps(out + 4 * v, _mm_movelh_ps(low, high));
        }
    }
#else
    for (int n = 0; n < optics::kLineLength; ++n) {
        optics::RgbCell& cell = cells[n];
        const double a = std::sqrt(star[n]);
        cell.red = static_cast<float>((ontoZero ? 0.0 : cell.red) + a * red);
        cell.green = static_cast<float>((ontoZero ? 0.0 : cell.green) + a * green);
        cell.blue = static_cast<float>((ontoZero ? 0.0 : cell.blue) + a * blue);
    }
#endif
}

// The square roots of a row of 512 cells.
void squareRoots(const double* star, double* amplitude)
{
#if defined(__SSE2__)
    for (int n = 0; n < optics::kLineLength; n += 2)
        _mm_storeu_pd(amplitude + n, _mm_sqrt_pd(_mm_loadu_pd(star + n)));
#else
    for (int n = 0; n < optics::kLineLength; ++n)
        amplitude[n] = std::sqrt(star[n]);
#endif
}

// One channel of a row (0 red, 1 green, 2 blue) from its amplitudes: the same
// sums as addRow for a row whose other weights are 0, since adding 0 leaves a
// cell as it is.
// Onto zero, the channel is written without being read, as 0 + the weighted
// amplitude: the bits of adding to a cleared cell (a -0 amplitude gives +0).
template <int Channel, bool OntoZero>
void addChannelRow(const double* amplitude, optics::RgbCell* cells, double weight)
{
    float* out = &cells[0].red + Channel;
    for (int n = 0; n < optics::kLineLength; ++n, out += 3)
        *out = static_cast<float>((OntoZero ? 0.0 : *out) + amplitude[n] * weight);
}

template <bool OntoZero>
void addChannelRow(int channel, const double* amplitude, optics::RgbCell* cells, double weight)
{
    switch (channel) {
    case 0: addChannelRow<0, OntoZero>(amplitude, cells, weight); break;
    case 1: addChannelRow<1, OntoZero>(amplitude, cells, weight); break;
    default: addChannelRow<2, OntoZero>(amplitude, cells, weight); break;
    }
}

void addChannelRow(int channel, const double* amplitude, optics::RgbCell* cells, double weight,
                   bool ontoZero = false)
{
    if (ontoZero)
        addChannelRow<true>(channel, amplitude, cells, weight);
    else
        addChannelRow<false>(channel, amplitude, cells, weight);
}

// Which channel a pass of `weights` adds to alone, or -1 when it adds to
// more than one (or starts the grid, which writes every channel).
int onlyChannel(const ChannelWeights& weights, bool ontoZero)
{
    if (ontoZero || (weights.red != 0.0) + (weights.green != 0.0) + (weights.blue != 0.0) != 1)
        return -1;
    return weights.red != 0.0 ? 0 : weights.green != 0.0 ? 1 : 2;
}

// One row r (1..512) of a pass: a single weighted channel leaves the others
// alone at a third of the work. `amplitude` holds 512 doubles meanwhile.
void addPassRow(optics::ColourCells& cells, const optics::Grid& grid, const ChannelWeights& weights, bool ontoZero,
                int only, int r, double* amplitude)
{
    const double* star = grid.row(r) + 1;
    optics::RgbCell* row = &cells(r, 1);
    if (only >= 0) {
        squareRoots(star, amplitude);
        addChannelRow(only, amplitude, row, weights.red + weights.green + weights.blue);
    } else if (ontoZero) {
        addRow<true>(star, row, weights.red, weights.green, weights.blue);
    } else {
        addRow<false>(star, row, weights.red, weights.green, weights.blue);
    }
}

void addColour(optics::ColourCells& cells, const optics::Grid& grid, const ChannelWeights& weights, bool ontoZero,
               optics::LoopRunner* loops, float* largest)
{
    const int only = onlyChannel(weights, ontoZero);
    std::mutex mutex;
    float found = 1.0f;
    const auto rows = [&](int first, int last) {
        double amplitude[optics::kLineLength];
        float maximum = 1.0f;
        for (int r = first + 1; r <= last; ++r) {
            addPassRow(cells, grid, weights, ontoZero, only, r, amplitude);
            if (largest)
                maximum = ColourMaximum(cells, r - 1, r, maximum);
        }
        if (largest) {
            std::lock_guard lock(mutex);
            found = maximum > found ? maximum : found;
        }
    };
    if (loops)
        loops->run(optics::kLineLength, rows);
    else
        rows(0, optics::kLineLength);
    if (largest)
        *largest = found;
}

float& channelOf(optics::RgbCell& cell, int channel)
{
    return channel == 0 ? cell.red : channel == 1 ? cell.green : cell.blue;
}

// The cells around the data area: the first and last rows, and the first and
// last cell of every row between; one channel (0 red, 1 green, 2 blue) or all.
void clearBorder(optics::ColourCells& cells, int channel = -1)
{
    const auto clear = [channel](optics::RgbCell& cell) {
        if (channel < 0)
            cell = {};
        else
            channelOf(cell, channel) = 0.0f;
    };
    constexpr int last = optics::ColourCells::kSide - 1;
    for (int j = 0; j <= last; ++j) {
        clear(cells(0, j));
        clear(cells(last, j));
    }
    for (int i = 1; i < last; ++i) {
        clear(cells(i, 0));
        clear(cells(i, last));
    }
}

}  // namespace

void AccumulateColour(optics::ColourCells& cells, const optics::Grid& star, const ChannelWeights& weights,
                      optics::LoopRunner* loops, float* largest)
{
    addColour(cells, star, weights, false, loops, largest);
}

void StartColour(optics::ColourCells& cells, const optics::Grid& star, const ChannelWeights& weights,
                 optics::LoopRunner* loops, float* largest)
{
    clearBorder(cells);
    addColour(cells, star, weights, true, loops, largest);
}

float ColourMaximum(const optics::ColourCells& cells, int first, int last, float maximum)
{
    // A row of the data area is 3 x 512 floats in a row.
    constexpr int kValues = 3 * optics::kLineLength;
    for (int r = first + 1; r <= last; ++r) {
        const float* values = &cells(r, 1).red;
#if defined(__SSE2__)
        // maxps keeps its second operand unless the first is greater, so a
        // NaN never becomes the maximum, as in the comparison below.
        __m128 m0 = _mm_set1_ps(maximum);
        __m128 m1 = m0;
        for (int n = 0; n < kValues; n += 8) {
            m0 = _mm_max_ps(_mm_loadu_ps(values + n), m0);
            m1 = _mm_max_ps(_mm_loadu_ps(values + n + 4), m1);
        }
        float lanes[8];
        _mm_storeu_ps(lanes, m0);
        _mm_storeu_ps(lanes + 4, m1);
        for (const float v : lanes)
            maximum = v > maximum ? v : maximum;
#else
        for (int n = 0; n < kValues; ++n)
            maximum = values[n] > maximum ? values[n] : maximum;
#endif
    }
    return maximum;
}

double AccumulateChannel(optics::ColourCells& cells, const optics::Grid& star, Channel channel, double total,
                         std::vector<double>& amplitude, bool start, optics::LoopRunner* loops)
{
    constexpr int n = optics::kLineLength;
    amplitude.resize(static_cast<std::size_t>(n) * n);
    optics::InOrder inOrder;
    optics::LoopRunner& rows = loops ? *loops : inOrder;
    // The square roots, and their total in four interleaved sums in the
    // order of the cells: added as each row is made when one thread makes
    // them all, afterwards when the rows were shared out.
    double sums[4] = {};
    const auto addRow = [&sums](const double* row) {
        for (int c = 0; c < n; c += 4) {
            sums[0] += row[c];
            sums[1] += row[c + 1];
            sums[2] += row[c + 2];
            sums[3] += row[c + 3];
        }
    };
    bool summed = false;
    rows.run(n, [&](int first, int last) {
        const bool whole = first == 0 && last == n;
        for (int r = first + 1; r <= last; ++r) {
            double* row = amplitude.data() + static_cast<std::size_t>(r - 1) * n;
            squareRoots(star.row(r) + 1, row);
            if (whole)
                addRow(row);
        }
        if (whole)
            summed = true;
    });
    if (!summed) {
        for (int r = 1; r <= n; ++r)
            addRow(amplitude.data() + static_cast<std::size_t>(r - 1) * n);
    }
    const double roots = (sums[0] + sums[1]) + (sums[2] + sums[3]);
    double weight = total / roots;
    if (!(roots > 0.0 && std::isfinite(weight)))
        weight = 0.0;

    const int c = static_cast<int>(channel);
    if (start) {
        clearBorder(cells, c);
        // A weight of 0 leaves the channel cleared.
        if (weight == 0.0) {
            ClearChannel(cells, channel);
            return weight;
        }
    }
    // A weight of 0 adds nothing.
    if (weight != 0.0) {
        rows.run(n, [&](int first, int last) {
            for (int r = first + 1; r <= last; ++r)
                addChannelRow(c, amplitude.data() + static_cast<std::size_t>(r - 1) * n, &cells(r, 1), weight,
                              start);
        });
    }
    return weight;
}

void ClearChannel(optics::ColourCells& cells, Channel channel)
{
    const int c = static_cast<int>(channel);
    for (optics::RgbCell& cell : cells.cells)
        channelOf(cell, c) = 0.0f;
}

}  // namespace sim
