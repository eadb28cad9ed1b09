#pragma once

#include "optics/fft.h"
#include "optics/grid.h"

#include <memory>

namespace optics {

//! The scratch grids of one calculator, allocated once with it (about 17 MB)
//! and reused by every calculation it runs. What each holds after a
//! calculation is described here; the next calculation overwrites it.
struct Workspace {
    //! Pupil field cos / sin of the phase at open cells, transformed in place
    //! into the image-plane amplitude (zero frequency at [1][1]). The planet
    //! convolution leaves the convolved picture here.
    Grid fieldRe;
    Grid fieldIm;
    //! The rows of the field the pupil covers. The pupil build clears and
    //! fills only these; the others keep what the last transform left until
    //! the field's transform, which takes them as +0 and fills every row.
    FilledRows fieldRows;
    //! Pupil phase in radians at [257 + u][257 + v], 0 outside the open aperture.
    Grid phase;
    //! Aperture mask at the same cells: exactly 1.0 open, 0.0 blocked.
    Grid mask;
    //! Raw intensity of the image-plane field in transform order.
    Grid intensity;
    //! Spectrum of the last transfer function (|Re| and |Im| of the transform
    //! of the intensity) or of the last convolution kernel.
    Grid spectrumRe;
    Grid spectrumIm;
    //! Phase and mask are 0 outside the square of cells [257 + u][257 + v],
    //! |u|, |v| <= pupilWritten (-1: everywhere; above kMaxPupilRadius:
    //! anywhere may hold something). Whatever writes them keeps this true.
    int pupilWritten = -1;
    //! Whether spectrumRe / spectrumIm were written after the last pupil.
    bool spectrumAfterPupil = false;
    //! The floats between the passes of a transform that several threads share.
    TransformScratch scratch;

    //! A zeroed workspace.
    static std::unique_ptr<Workspace> Create() { return std::unique_ptr<Workspace>(new Workspace()); }
};

}  // namespace optics
