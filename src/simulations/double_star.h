#pragma once

#include "imaging/display.h"
#include "imaging/pixel_buffer.h"
#include "optics/grid.h"

namespace sim {

//! A companion star: separation in arcseconds, magnitude difference, position
//! angle in degrees (0 above the primary, 90 to its right).
struct DoubleStarParams {
    double separation = 1.5;
    double magnitudeDifference = 0.0;
    double positionAngle = 0.0;
};

//! Where the companion's image is read from, in cells (10 per arcsecond):
//! dx = Round(10 s cos((pa + 90) deg)), dy likewise with the sine, halves to
//! even, with pa reduced modulo 360 first (any finite angle; one that is not
//! finite counts as 0) and offsets beyond four picture widths held there.
//! The companion is drawn at pixel (128 - dx, 128 - dy).
struct CompanionOffset {
    int dx = 0;
    int dy = 0;
};
CompanionOffset CompanionOffsetOf(double separation, double positionAngle);

//! How much fainter the companion is: 2.512 to the power of the magnitude
//! difference, in single precision.
float BrightnessRatio(double magnitudeDifference);

//! The double-star picture, composed from a normalised star image with no
//! new calculation: pixel (x, y) is the grey of curve[Round(1000 (p + c))] x 255,
//! where p is star[129 + x][129 + y] and c the companion's cell
//! [129 + x + dx][129 + y + dy] divided by the ratio when that cell lies in
//! the 255 x 255 window from [129][129], else 0; the level is capped at 1000
//! and the grey at 255, and everything is worked in single precision (at
//! zoom 1). Brightness and star colour play no part. At another zoom, pixel x
//! stands for the cell offset Round((x - 128) / zoom) + 128 (and likewise y)
//! around the centre.
imaging::PixelBuffer ComposeDoubleStar(const optics::Grid& star, const imaging::DisplayCurve& curve,
                                       const DoubleStarParams& params, double zoom = 1.0);

//! Resolution limits: arcseconds times millimetres of aperture.
inline constexpr double kDawesConstant = 117.0;
inline constexpr double kRayleighConstant = 140.0;

//! constant / aperture, with an aperture given in inches converted to
//! millimetres: the separation in arcseconds.
double ResolutionLimit(double constant, double aperture, bool inches);

}  // namespace sim
