#include "simulations/colour.h"

#include <array>
#include <cmath>

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
    for (int r = 1; r <= optics::kLineLength; ++r) {
        const double* star = engine.StarGrid.row(r);
        for (int c = 1; c <= optics::kLineLength; ++c) {
            const double amplitude = std::sqrt(star[c]);
            optics::RgbCell& cell = engine.ColourGrid(r, c);
            cell.red = static_cast<float>(cell.red + amplitude * red);
            cell.green = static_cast<float>(cell.green + amplitude * green);
            cell.blue = static_cast<float>(cell.blue + amplitude * blue);
        }
    }
}

}  // namespace sim
