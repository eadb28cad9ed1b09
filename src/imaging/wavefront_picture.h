#pragma once

#include "imaging/pixel_buffer.h"
#include "optics/star_calculator.h"

#include <string>

namespace imaging {

//! `value` in fixed-point notation with `decimals` digits after `separator`,
//! after rounding to at most 6 significant digits (values of a million or
//! more in scientific notation). A result that rounds to zero has no sign.
std::string FormatFixed(double value, int decimals, char separator = '.');

//! Draws the colour-coded pupil phase of `map` into `buffer`: pixel (X, Y)
//! shows cell [129 + X][129 + Y], white outside the
//! open aperture, otherwise the colour of 400 + level nm where level 0..255
//! spans the phase range made symmetric about zero from minW and maxW
//! (radians; zero phase is level 128). Adds the colour bar in the two right
//! columns with nine tick marks and the phase of each tick in waves, drawn
//! with `text` in black on white using `separator` as the decimal separator,
//! at column 225 (222 for a negative value) unless the text is too wide to
//! end before the tick marks; then it ends at column 250.
void DrawWavefrontPicture(PixelBuffer& buffer, const optics::WavefrontMap& map, double minW, double maxW,
                          TextPainter& text, char separator = '.');

}  // namespace imaging
