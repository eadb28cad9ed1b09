#pragma once

#include "optics/engine.h"

#include <vector>

namespace sim {

//! The CIE 1931 2-degree standard observer at one wavelength.
struct ColourMatch {
    double x = 0.0;  //!< x-bar
    double y = 0.0;  //!< y-bar, 1 at 555 nm
    double z = 0.0;  //!< z-bar
};

//! The colour-matching functions at the wavelength rounded to a whole
//! nanometre (halves to even), from the published 1 nm table of 360..830 nm;
//! zero outside it.
ColourMatch ColourMatchAt(double waveLength);

//! Adds the amplitude of the star image to the colour grid: for every cell
//! [1..512][1..512], sqrt(StarGrid) x WeightRed, x WeightGreen and
//! x WeightBlue are added to the red, green and blue of ColourGrid (sums
//! formed in double, stored as float). StarGrid must hold a normalised
//! picture (no negative cells).
void AccumulateColour(optics::Engine& engine);

//! AccumulateColour into a cleared colour grid, without reading it: every
//! cell of the data area becomes 0 + the weighted amplitude, whatever it
//! held before.
void StartColour(optics::Engine& engine);

//! The channels of the colour grid.
enum class Channel { Red, Green, Blue };

//! The colour planet run's accumulation for one channel. With T the sum of
//! sqrt(StarGrid) over the data area, the weight of `channel` becomes
//! total / T (0 when T is 0 or the quotient is not finite: a black plane
//! stays black), the other two weights 0, and AccumulateColour runs, taking
//! each square root once; `amplitude` holds them meanwhile (the caller keeps
//! it, so nothing grid-sized is allocated per run). Returns the weight.
double AccumulateChannel(optics::Engine& engine, Channel channel, double total, std::vector<double>& amplitude);

}  // namespace sim
