#pragma once

#include "optics/engine.h"

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

}  // namespace sim
