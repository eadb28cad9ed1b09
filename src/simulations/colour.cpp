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

void AccumulateColour(optics::Engine& engine)
{
    const double red = engine.WeightRed;
    const double green = engine.WeightGreen;
    const double blue = engine.WeightBlue;
    // The square roots of a row first, two at a time (a square root is the
    // same number however it is taken).
    double amplitude[optics::kLineLength];
    for (int r = 1; r <= optics::kLineLength; ++r) {
        const double* star = engine.StarGrid.row(r) + 1;
#if defined(__SSE2__)
        for (int c = 0; c < optics::kLineLength; c += 2)
            _mm_storeu_pd(amplitude + c, _mm_sqrt_pd(_mm_loadu_pd(star + c)));
#else
        for (int c = 0; c < optics::kLineLength; ++c)
            amplitude[c] = std::sqrt(star[c]);
#endif
        // Channel by channel, and only those with a weight: adding the
        // amplitude times 0 leaves a cell as it is.
        optics::RgbCell* cells = &engine.ColourGrid(r, 1);
        if (red != 0.0)
            for (int c = 0; c < optics::kLineLength; ++c)
                cells[c].red = static_cast<float>(cells[c].red + amplitude[c] * red);
        if (green != 0.0)
            for (int c = 0; c < optics::kLineLength; ++c)
                cells[c].green = static_cast<float>(cells[c].green + amplitude[c] * green);
        if (blue != 0.0)
            for (int c = 0; c < optics::kLineLength; ++c)
                cells[c].blue = static_cast<float>(cells[c].blue + amplitude[c] * blue);
    }
}

}  // namespace sim
