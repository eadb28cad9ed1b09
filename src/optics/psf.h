#pragma once

#include "optics/fft.h"
#include "optics/fft_lanes.h"
#include "optics/grid.h"
#include "optics/progress.h"
#include "optics/workspace.h"

#include <array>
#include <memory>

namespace optics {

//! A star image as the display shows it: the intensity normalised to its
//! peak (the brightest cell just below 1) with the zero frequency moved to
//! [257][257]; data area [1..512][1..512], everything else 0.
struct StarImage {
    Grid grid{};
    //! Largest raw intensity (single precision), the normalisation.
    float peak = 0.0f;
};
using StarImagePtr = std::shared_ptr<const StarImage>;

//! Second half of the star calculation: reports "Start Fourier Transform" and
//! transforms the pupil field of `workspace` in place into the image-plane
//! amplitude (forward, unscaled, zero frequency at [1][1]). Only the rows the
//! pupil covers are read; afterwards every row of the field is filled.
void TransformPupilField(Workspace& workspace, Progress& progress, const TransformRunner& runner = {});

//! The display step of a calculation: reports "Building image", forms the
//! intensity of the field into `workspace.intensity`, finds its peak (single
//! precision) and returns it normalised by 1 / (peak + 0.00001) with the
//! quadrant swap: transform cell [1 + a][1 + b] goes to
//! [1 + (a + 256) mod 512][1 + (b + 256) mod 512]. Then reports that the
//! picture is ready (an empty stage). The rows may be shared out through
//! `loops`.
std::shared_ptr<StarImage> FormStarImage(Workspace& workspace, Progress& progress, LoopRunner* loops = nullptr);

//! The intensity of the field, formed in `workspace.intensity`, and its
//! largest value (NaN never counts).
struct FormedIntensity {
    double peak = -1.0e9;
};

//! TransformPupilField that also forms the intensity of the field into
//! `workspace.intensity`, each group of rows as soon as the transform has
//! made it, while it is still in the cache. With `field` HandedOn the field
//! itself is not stored: the field grids are left holding scratch values, and
//! 4 MB less go through memory.
FormedIntensity TransformPupilFieldToIntensity(Workspace& workspace, Progress& progress,
                                               const TransformRunner& runner = {},
                                               ResultRows field = ResultRows::Stored);

//! FormStarImage for the intensity TransformPupilFieldToIntensity formed:
//! the same stages and the same image, without forming the intensity again.
std::shared_ptr<StarImage> FormStarImage(Workspace& workspace, const FormedIntensity& formed, Progress& progress,
                                         LoopRunner* loops = nullptr);

//! Transfer function for the MTF plot, after the display step: reports
//! "Calculating PSF/MTF", copies the field into the spectrum grids and
//! replaces them with the absolute values of the real and imaginary parts of
//! the 2-D transform of the intensity |amplitude|^2, zero frequency at [1][1].
//! spectrumRe[1][1] is then the total intensity, so spectrumRe / spectrumRe[1][1]
//! is the MTF.
void ComputeTransferFunction(Workspace& workspace, Progress& progress, const TransformRunner& runner = {});

//! Peak of the PSF relative to an unobstructed, error-free aperture of the
//! same diameter on the same grid: peak / cellCount^2, which is the Strehl
//! ratio for an unobstructed pupil. 0 without a pupil.
double PsfScale(float peak, int cellCount);

//! MTF of an error-free unobstructed aperture at i / 96 of the cut-off
//! frequency, i = 0..100: the reference curve of the MTF plot.
extern const std::array<double, 101> PerfectMtfTable;

//! Spatial frequency of MTF sample i (index i of the transfer function along
//! one axis) relative to the cut-off frequency of the aperture, for the
//! wavelength in nm and the diameter in inches: 1.0075 at index 2R.
double MtfFrequency(int i, double waveLength, float apertureInches);

//! One point of a plotted curve.
struct CurvePoint {
    double x;
    double y;
};

//! The curves of the PSF and MTF plots of a calculation with the transfer
//! function.
struct PsfMtfCurves {
    double psfScale = 0.0;                   //!< PsfScale of the calculation
    double waveLength = 0.0;                 //!< of the calculation, nm
    float apertureInches = 0.0f;             //!< of the calculation (the MTF's cut-off is D / lambda)
    std::array<CurvePoint, 201> psfX;        //!< the star image along the first index, x in arcsec (0.1 per cell)
    std::array<CurvePoint, 201> psfY;        //!< the same along the second index
    std::array<CurvePoint, 101> perfect;     //!< PerfectMtfTable against i / 96
    std::array<CurvePoint, 256> mtfX;        //!< transfer function / its value at [1][1], first index
    std::array<CurvePoint, 256> mtfY;        //!< the same along the second index
};

//! The cuts through the centre of the star image scaled by PsfScale, and the
//! MTF cuts of the transfer function against MtfFrequency, with the reference
//! curve.
PsfMtfCurves ExtractCurves(const StarImage& star, int cellCount, const Grid& transfer, double waveLength,
                           float apertureInches);

}  // namespace optics
