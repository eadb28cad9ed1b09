#include "simulations/colour.h"

#include <array>
#include <cmath>

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

// One channel of a row: the same sums as addRow for a row whose other
// weights are 0, since adding 0 leaves a cell as it is.
void addChannelRow(const double* star, optics::RgbCell* cells, float optics::RgbCell::*channel, double weight)
{
    double amplitude[optics::kLineLength];
#if defined(__SSE2__)
    for (int n = 0; n < optics::kLineLength; n += 2)
        _mm_storeu_pd(amplitude + n, _mm_sqrt_pd(_mm_loadu_pd(star + n)));
#else
    for (int n = 0; n < optics::kLineLength; ++n)
        amplitude[n] = std::sqrt(star[n]);
#endif
    for (int n = 0; n < optics::kLineLength; ++n)
        cells[n].*channel = static_cast<float>(cells[n].*channel + amplitude[n] * weight);
}

template <bool ontoZero>
void addColour(optics::Engine& engine)
{
    const double red = engine.WeightRed;
    const double green = engine.WeightGreen;
    const double blue = engine.WeightBlue;
    // The colour planet run weights one channel at a time: the others are
    // left alone at a third of the work.
    float optics::RgbCell::*only = nullptr;
    double weight = 0.0;
    if (!ontoZero && (red != 0.0) + (green != 0.0) + (blue != 0.0) == 1) {
        only = red != 0.0 ? &optics::RgbCell::red : green != 0.0 ? &optics::RgbCell::green : &optics::RgbCell::blue;
        weight = red + green + blue;
    }
    for (int r = 1; r <= optics::kLineLength; ++r) {
        const double* star = engine.StarGrid.row(r) + 1;
        optics::RgbCell* cells = &engine.ColourGrid(r, 1);
        if (only)
            addChannelRow(star, cells, only, weight);
        else
            addRow<ontoZero>(star, cells, red, green, blue);
    }
}

}  // namespace

void AccumulateColour(optics::Engine& engine)
{
    addColour<false>(engine);
}

void StartColour(optics::Engine& engine)
{
    addColour<true>(engine);
}

}  // namespace sim
