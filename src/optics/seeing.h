#pragma once

// Seeing in arcseconds, as observers rate it, turned into the amount of the
// program's turbulence screen.

namespace optics {

//! Wavelength in nm at which seeing is rated.
inline constexpr double kSeeingWavelength = 500.0;
//! The seeing at the program's 555 nm of a seeing rated at 500 nm: the width
//! of a star through the atmosphere shrinks as wavelength^-1/5.
double SeeingAtReference(double seeingArcsec500);

//! The width at half maximum of the long exposure (the star images of many
//! screens added up) of a perfect telescope through the turbulence screen of
//! `amount`, in units of lambda / D, from the program's own screens (see
//! tools/seeing_calibration.cpp). The screen is spread over the pupil whatever
//! its size and the amount is in waves, so this holds for every diameter.
//! Rises from the telescope's own 1.02 at amount 0 to 26 at amount 1, the
//! last the table holds: beyond it the long exposure of small apertures no
//! longer fits the image grid, and larger amounts are taken at its end.
double LongExposureWidth(double amount);

//! The turbulence amount that gives a perfect telescope of `apertureInches`
//! the long-exposure star of a `seeingArcsec500` seeing (rated at 500 nm):
//! the seeing (at 555 nm) combined in quadrature with the telescope's own
//! width. 0 for no seeing; at most the table's last amount (1), which limits
//! the seeing to about 15 arcsec at 8 inches, 5 arcsec at 25 inches.
double TurbulenceForSeeing(double seeingArcsec500, double apertureInches);

//! The seeing at 500 nm that `amount` stands for at `apertureInches` (the
//! inverse of TurbulenceForSeeing within the table).
double SeeingForTurbulence(double amount, double apertureInches);

}  // namespace optics
