#pragma once

#include <array>
#include <cstddef>

namespace optics {

//! Side of every computation grid. The transform region is [1..512][1..512];
//! row 0 and column 0 are never written and always read as 0.
inline constexpr int kGridSide = 517;
//! Number of samples of the line transform.
inline constexpr int kLineLength = 512;
//! Cell on which the pupil is centred and where the centred PSF has its peak.
inline constexpr int kCentre = 257;

//! A 517 x 517 grid of doubles indexed (i, j), j running fastest in memory.
//! i is the horizontal picture coordinate (to the right), j the vertical one
//! (downwards).
struct Grid {
    std::array<double, static_cast<std::size_t>(kGridSide) * kGridSide> cells;

    double& operator()(int i, int j) { return cells[static_cast<std::size_t>(i) * kGridSide + j]; }
    double operator()(int i, int j) const { return cells[static_cast<std::size_t>(i) * kGridSide + j]; }
    //! Pointer to the first element of row i (cells (i, 0) .. (i, 516)).
    double* row(int i) { return cells.data() + static_cast<std::size_t>(i) * kGridSide; }
    const double* row(int i) const { return cells.data() + static_cast<std::size_t>(i) * kGridSide; }
};

//! One cell of the colour accumulation grid, in the order red, green, blue.
struct RgbCell {
    float red;
    float green;
    float blue;
};

//! 514 x 514 colour cells indexed (i, j), j fastest; data area [1..512][1..512].
struct ColourCells {
    static constexpr int kSide = 514;
    std::array<RgbCell, static_cast<std::size_t>(kSide) * kSide> cells;

    RgbCell& operator()(int i, int j) { return cells[static_cast<std::size_t>(i) * kSide + j]; }
    const RgbCell& operator()(int i, int j) const { return cells[static_cast<std::size_t>(i) * kSide + j]; }
};

static_assert(sizeof(Grid) == 2138312, "a grid is 517 x 517 doubles with no padding");
static_assert(sizeof(ColourCells) == 3170352, "the colour grid is 514 x 514 cells of three floats");

}  // namespace optics
