#pragma once

// Fixed numbers shared by the core and the window, each with its unit.

namespace optics {

//! Inches in one millimetre (1 / 25.4).
inline constexpr double kInchesPerMillimetre = 0.039370078740157480;
//! Millimetres in one inch.
inline constexpr double kMillimetresPerInch = 25.4;

//! Wavelength in nm at which aberration amounts are entered; also the
//! wavelength of every plain star calculation.
inline constexpr double kReferenceWavelength = 555.0;

//! Side in pixels of the star picture and of the aperture picture.
inline constexpr int kPictureSide = 256;
//! Radius in pixels of the pupil disc in the aperture picture; the disc is
//! inscribed in the picture, so this is also its centre coordinate.
inline constexpr int kAperturePictureRadius = 128;

}  // namespace optics
