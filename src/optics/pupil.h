#pragma once

#include "optics/aperture.h"
#include "optics/grid.h"
#include "optics/measured_wavefront.h"
#include "optics/parallel.h"
#include "optics/progress.h"
#include "optics/workspace.h"

#include <cstdint>

namespace optics {

//! The telescope's diameter and its errors. Aberration amounts are waves at
//! 555 nm, angles degrees.
struct PupilParams {
    bool millimeters = false;       //!< unit of `diameter`
    double diameter = 5.0;          //!< aperture diameter, inches or millimetres
    double focus = 0.0;             //!< defocus
    double coma = 0.0;
    double comaAngle = 0.0;         //!< degrees
    double astigmatism = 0.0;
    double astigmatismAngle = 0.0;  //!< degrees
    double spherical = 0.0;         //!< third order
    double higherSpherical = 0.0;   //!< fifth order
    double pinch = 0.0;             //!< three-fold pinched optics
    double tube = 0.0;              //!< tube currents
    double tubeRadius = 0.3;        //!< normalised y where the tube-current band starts
    double edge = 0.0;              //!< turned-down edge
    double edgeRadius = 95.0;       //!< percent of the radius where the edge zone starts
    double turbulence = 0.0;        //!< non-zero adds the turbulence screen
    double roughness = 0.0;         //!< non-zero adds the roughness screen
};

//! What a pupil build found.
struct PupilSummary {
    double R = 0.0;            //!< pupil radius in grid cells
    int N = 0;                 //!< Round(R), the integer radius of the sampled square
    int t = 0;                 //!< resolution limit in 0.01 arcsec (550 nm lambda / D)
    bool undersampled = false; //!< N < 8 |focus + 1.5|
    int openCells = 0;         //!< cells with amplitude 1
    double mean = 0.0;         //!< mean phase over the open cells, radians
    double rms = 0.0;          //!< RMS phase error over the open cells, radians
    double minW = 0.0;         //!< lowest phase (never above 0), radians
    double maxW = 0.0;         //!< highest phase (never below 0) plus 1e-5, radians
    int cellCount = 0;         //!< cells of the unit disc, obstructed ones included
};

//! The phase screens a pupil adds, and how far the turbulence screen has
//! drifted (cells added to both of its indexes).
struct PupilScreens {
    const Grid* turbulence = nullptr;  //!< needed when the turbulence amplitude is not 0
    const Grid* roughness = nullptr;   //!< needed when the roughness amplitude is not 0
    int drift = 0;
    //! A measured wavefront added to the errors, or none.
    const MeasuredWavefront* measured = nullptr;
};

//! Largest integer pupil radius that keeps the sampled square inside the
//! transform region.
inline constexpr int kMaxPupilRadius = 255;

//! Pupil radius in grid cells: D x 5.7 x 555 / wavelength for D in inches
//! (millimetres are first converted to inches). At this scale
//! one cell of the image plane is 0.1003 arcsec for every aperture.
double PupilRadius(const PupilParams& params, double waveLength);

//! Whether a pupil for these parameters can be built: a finite positive
//! diameter whose rounded radius fits the grid (at most kMaxPupilRadius).
bool PupilFits(const PupilParams& params, double waveLength);

//! Direction of (x, y) from the +x axis towards +y, rounded to single
//! precision. Both arguments are first moved by 1e-7, which keeps the centre
//! away from the undefined direction; an exactly zero x then gives +-pi/2 or 0
//! and an exactly zero y gives 0.
float AngleOf(double y, double x);

//! First half of the star calculation: samples the pupil on the grid.
//!
//! Reports "Building aberrations at wavefront", clears the field, the phase
//! and the mask of `workspace` (in that order), then for every cell
//! [257 + u][257 + v] of the unit disc decides whether it is open (the ring
//! rho^2 > 0.9 always is; inside it the aperture mask decides; rho^2 = 0.9
//! exactly is blocked), adds the enabled aberration terms, the screens and
//! the measured wavefront (cell [257 + u][257 + v] is its point x = u / N,
//! y = -v / N: the second index runs down the pictures) as phase at
//! `waveLength` and writes the mask (1.0), the phase and the field
//! cos / sin of the phase.
//!
//! PupilFits(params, waveLength) must hold. The rows may be shared out
//! through `loops`; the sums over the cells are still taken in their order.
PupilSummary BuildPupil(Workspace& workspace, const PupilParams& params, const ApertureMask& aperture,
                        const PupilScreens& screens, double waveLength, Progress& progress,
                        LoopRunner* loops = nullptr);

}  // namespace optics
