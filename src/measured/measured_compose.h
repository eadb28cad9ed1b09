#pragma once

#include "base/result.h"
#include "measured/measured_file.h"
#include "optics/measured_wavefront.h"
#include "optics/star_calculator.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

// From what a file or the user gives to the wavefront the pupil adds, and
// back: the conversion of term orders to Fringe terms, the removal of piston
// and tilt (and defocus when asked), the scaling to waves at 555 nm, the
// least-squares fit of Fringe terms, and the files this program writes.

namespace measured {

using FringeArray = std::array<double, optics::kFringeTerms>;

//! Fringe terms (index 0 for Fringe 1, unnormalised) and how many values of
//! the list had no place among them.
struct FringeTerms {
    FringeArray terms{};
    int ignored = 0;
};

//! The order (n, m) of term `index` of a list in `order` (Fringe and Noll
//! from 1, ANSI from 0).
optics::ZernikeOrder OrderOf(TermOrder order, int index);

//! Row `row` of `set` as Fringe terms. Plain lists and tables are read in
//! `order` and `normalised` as the user says; a listing in its own. Tables
//! name the Fringe term of each column.
FringeTerms ToFringe(const ZernikeSet& set, std::size_t row, TermOrder order, bool normalised);

//! How the values of the Measured page are meant.
struct MeasuredSettings {
    double waveLength = 550.0;  //!< nm; the values are in waves of it
    bool surface = false;  //!< a mirror's surface error: the wavefront is twice it
    bool removeDefocus = false;  //!< drop defocus, so that the Focus control sets focus
};

//! The wavefront the pupil adds, in waves at 555 nm: `terms` (Fringe,
//! unnormalised, in waves at the settings' wavelength) and `map` scaled as
//! the settings say, piston and tilt removed (and defocus when asked): the
//! terms by leaving them out, the map by subtracting its least-squares fit
//! of those terms. Null when nothing is left to add.
optics::MeasuredWavefrontPtr ComposeMeasured(const FringeArray& terms, const MapData* map,
                                             const MeasuredSettings& settings);
//! The two halves of ComposeMeasured: the map scaled and with its fit
//! removed (it takes time for large maps, and depends on the settings
//! only), then the wavefront of terms and that map.
std::shared_ptr<const optics::WavefrontSamples> PrepareMap(const MapData& map, const MeasuredSettings& settings);
optics::MeasuredWavefrontPtr ComposeMeasured(const FringeArray& terms,
                                             std::shared_ptr<const optics::WavefrontSamples> prepared,
                                             const MeasuredSettings& settings);

//! A least-squares fit of Fringe terms 1..`count`.
struct FringeFit {
    FringeArray terms{};
    double residualRms = 0.0;  //!< RMS of what the fit leaves out
    int points = 0;
};

//! Fits Fringe terms 1..`count` to the values `w` at pupil points (x, y).
//! Refused with fewer points than terms or points that cannot tell the
//! terms apart.
base::Result<FringeFit> FitFringe(const std::vector<double>& x, const std::vector<double>& y,
                                  const std::vector<double>& w, int count = optics::kFringeTerms);
//! The fit over the open cells of a sampled pupil (waves at 555 nm).
base::Result<FringeFit> FitFringe(const optics::PupilPhase& pupil);

//! The written forms of the program's wavefront, in waves at 555 nm of
//! wavefront:
//! - a plain list, one Fringe coefficient a line, piston first;
//! - a table: a header row "Measurement,Z1,...,Z37,Residual RMS" and one row;
//! - a .wft map: width and height, the samples bottom row first (0 outside
//!   the pupil), the outline, DIAM in mm and Lambda 555;
//! - a FITS image of 64-bit floats, bottom row first, NaN outside, with
//!   BUNIT 'waves', WAVELEN 5.55e-7 (m) and the pupil's centre and radius.
std::string ZernikeListText(const FringeArray& terms);
std::string ZernikeTableText(const FringeArray& terms, double residualRms, const std::string& measurement);
std::string WftText(const optics::PupilPhase& pupil, double diameterMm);
base::Result<std::string> FitsBytes(const optics::PupilPhase& pupil, double diameterMm);

}  // namespace measured
