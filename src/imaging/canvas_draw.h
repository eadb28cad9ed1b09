#pragma once

#include "imaging/pixel_buffer.h"

namespace imaging {

//! Filled ellipse inscribed in the box [left, right) x [top, bottom): the
//! interior is painted with the buffer's brush colour and its rim with the pen
//! colour. A pixel (x, y) belongs to the ellipse when its centre
//! (x + 0.5, y + 0.5) lies inside or on the ellipse that touches the outer
//! edges of the box. The rim is every ellipse pixel that has, within penWidth
//! steps left, right, up or down, a pixel outside the ellipse (a pen width
//! below 1 counts as 1), so the outline stays inside the box. An empty or
//! reversed box draws nothing.
void DrawEllipse(PixelBuffer& buffer, int left, int top, int right, int bottom);

//! Line from (x0, y0) towards (x1, y1) in the pen colour, the end point
//! excluded. The centre line follows the Bresenham steps; each step is
//! widened across the main direction to penWidth pixels (a pen width below 1
//! counts as 1), from x - penWidth / 2 to x - penWidth / 2 + penWidth - 1 for
//! a mostly vertical line and likewise in y for a mostly horizontal one.
void DrawLine(PixelBuffer& buffer, int x0, int y0, int x1, int y1);

//! Parameters of the aperture picture, as read from the controls.
struct AperturePictureParams {
    double obstructionPercent = 0.0;  //!< central obstruction, percent of the diameter
    float apertureInches = 0.0f;      //!< diameter in inches, must be positive
    double offsetMm = 0.0;            //!< sideways offset of the obstruction, millimetres
    bool spider = false;              //!< draw the four vanes
    double vaneWidthMm = 0.0;         //!< vane width, millimetres
};

//! Obstruction radius in pixels for an obstruction given in percent of the
//! diameter: Round(percent x 128 x 0.01), 128 being the picture's pupil radius.
int ObstructionPixels(double obstructionPercent);
//! Whether that radius is outside what the picture can show (negative, or at
//! least 90 % of the pupil radius) and the obstruction must be reset to 0.
bool ObstructionTooLarge(int obstructionPixels);
//! The diameter in inches in single precision: the value itself, or the
//! millimetre value x 0.03937007874015748 rounded to single precision again.
float ApertureInchesOf(double diameter, bool millimeters);

//! Where the aperture picture puts its parts.
struct ApertureLayout {
    int obstructionRadius = 0;  //!< b in pixels; 0 draws no obstruction
    //! Bounding box of the obstruction disc (right and bottom exclusive).
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool spider = false;
    int vaneWidth = 1;  //!< pen width of the vanes in pixels
};

//! Lays out the picture: the obstruction disc shifted towards smaller x by the
//! offset converted to a fraction of the 256-pixel diameter, and the vane
//! width converted the same way. The obstruction radius must already be
//! valid (see ObstructionTooLarge); the vanes are drawn only with an
//! obstruction.
ApertureLayout LayoutAperturePicture(const AperturePictureParams& params);

//! Draws the aperture picture: a black field, the white pupil disc inscribed
//! in (0, 0)-(256, 256) with a black rim, the black obstruction disc and the
//! spider cross through (128, 128). Leaves the pen width at 1 and the pen
//! black.
void DrawAperturePicture(PixelBuffer& buffer, const ApertureLayout& layout);

}  // namespace imaging
