#pragma once

#include "optics/engine.h"
#include "optics/status_sink.h"

#include <array>

namespace optics {

//! Second half of the star calculation, before the display step: reports
//! "Start Fourier Transform" and transforms the pupil field in
//! FieldReal / FieldImag in place into the image-plane amplitude (forward,
//! unscaled, zero frequency at [1][1]).
void TransformPupilField(Engine& engine, StatusSink& status);

//! Transfer function for the MTF plot, after the display step: reports
//! "Calculating PSF/MTF", copies FieldReal / FieldImag into OtfReal / OtfImag
//! (the aperture mask in OtfImag is lost) and replaces them with the absolute
//! values of the real and imaginary parts of the 2-D transform of the
//! intensity |amplitude|^2, zero frequency at [1][1]. OtfReal[1][1] is then
//! the total intensity, so OtfReal / OtfReal[1][1] is the MTF.
void ComputeTransferFunction(Engine& engine, StatusSink& status);

//! Peak of the PSF relative to an unobstructed, error-free aperture of the
//! same diameter on the same grid: PeakIntensity / PupilCellCount^2, which is
//! the Strehl ratio for an unobstructed pupil. 0 before any pupil was built.
double PsfScale(const Engine& engine);

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

//! The curves of the PSF and MTF plots after a calculation with the transfer
//! function.
struct PsfMtfCurves {
    double psfScale = 0.0;                   //!< PsfScale of the calculation
    std::array<CurvePoint, 201> psfX;        //!< StarGrid along the first index, x in arcsec (0.1 per cell)
    std::array<CurvePoint, 201> psfY;        //!< the same along the second index
    std::array<CurvePoint, 101> perfect;     //!< PerfectMtfTable against i / 96
    std::array<CurvePoint, 256> mtfX;        //!< OtfReal / OtfReal[1][1] along the first index
    std::array<CurvePoint, 256> mtfY;        //!< the same along the second index
};

//! The cuts through the centre of StarGrid, scaled by PsfScale, and the MTF
//! cuts of OtfReal against MtfFrequency, with the reference curve.
PsfMtfCurves ExtractCurves(const Engine& engine);

}  // namespace optics
