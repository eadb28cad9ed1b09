#pragma once

// The figures of a star and the settings of a telescope as the window
// writes them, with the decimal separator of the system locale.

#include "optics/figures.h"
#include "optics/star_calculator.h"

#include <QString>

namespace app {

//! The readouts of the star page, one line each.
struct FigureTexts {
    QString strehl;    //!< "Strehl 0.803 (÷ perfect)"
    QString marechal;  //!< "Maréchal 0.822 (RMS)"
    QString clear;     //!< "Peak ÷ clear aperture 0.706"
    QString fwhm;      //!< "FWHM 0.59″", or "FWHM 0.59″ (max 0.61″)" when the axes differ
    QString energy;    //!< "EE50 0.30″  EE80 0.61″"
};
FigureTexts FormatFigures(const optics::StarFigures& figures);
//! The lines before any star was measured.
FigureTexts EmptyFigures();

//! A millimetre travel with a true minus sign: "−0.48 mm", "0.48 mm".
QString TravelText(double millimetres);
//! A defocus in waves followed by its focuser travel at f/`focalRatio`:
//! "-3 (−0.48 mm)".
QString FocusWithTravel(double waves, double focalRatio);

//! The telescope and its errors in a few words: "8 in, obs. 25 %, sph 0.25"
//! (sph the low-order spherical aberration, sph5 the high-order one); errors
//! that are 0 are left out, a measured wavefront is named, a wavelength other
//! than 555 nm is given.
QString DescribeTelescope(const optics::StarRequest& request);

}  // namespace app
