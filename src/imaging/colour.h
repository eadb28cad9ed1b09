#pragma once

#include "imaging/pixel_buffer.h"

#include <cstdint>

namespace imaging {

//! 255 x (f x factor)^0.8 rounded half to even; 0 when f is exactly 0.
//! Products outside 0..1 are limited to 0..255.
std::uint8_t ChannelLevel(double f, double factor);

//! The displayable colour of monochromatic light of `lambda` nanometres:
//! piecewise linear in six bands from 380 to 780 nm (chosen by the truncated
//! wavelength), each channel lifted by the power 0.8. Black outside.
Rgb WavelengthToRgb(double lambda);

}  // namespace imaging
