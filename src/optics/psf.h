#pragma once

#include "optics/engine.h"
#include "optics/status_sink.h"

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

}  // namespace optics
