#pragma once

// The pictures of star images and colour composites as the pages show them.
// Every function here is a pure renderer: it draws what it is given, with the
// display curve, zoom, brightness and colour it is given, into a new
// 256 x 256 picture.

#include "imaging/pixel_buffer.h"
#include "optics/aperture.h"
#include "optics/constants.h"
#include "optics/grid.h"
#include "optics/parallel.h"

#include <array>

namespace imaging {

//! Steps of the display curve: entry n stands for the normalised intensity
//! n / kDisplaySteps.
inline constexpr int kDisplaySteps = 1000;

//! The display level (0 black .. 1 full) of each normalised intensity.
using DisplayCurve = std::array<double, kDisplaySteps + 1>;

//! The curve for gamma g and toe slope s: entry n (intensity x = n x 0.001) is
//! s x x below the threshold x0 = s^(1 / (g - 1)), where the line meets the
//! curve, and (x + 0.000001)^g from there on. Defaults g = 0.5, s = 4.5 put
//! the threshold at 0.049383. At g = 0 everything from 1 / s up is 1. At g = 1
//! the threshold is its limit for g just below 1: 0 for s > 1 (the curve is
//! x + 0.000001), 1 for s = 1 and beyond the curve for s < 1 (it is s x).
DisplayCurve BuildDisplayCurve(double gamma, double slope);

//! How a star picture is drawn.
struct StarLook {
    double zoom = 1.0;   //!< 0.1..2.0: pixel offset o from the centre reads cell offset o / zoom
    int brightness = 0;  //!< 0..100: levels are lifted by b x 0.2 + 1 and capped at full
    Rgb colour = kWhite;  //!< the colour at full level

    friend bool operator==(const StarLook&, const StarLook&) = default;
};

//! The star picture of a normalised star image (the display step): pixel
//! (x, y) reads cell [s + 1][t + 1] with s = Round((x - 128) / zoom + 255), t
//! likewise (black off 0..512), through the curve at index
//! Round(1000 x cell), lifted by the brightness gain, times the colour.
//! Columns may be shared out through `loops`; the picture is the same.
PixelBuffer DrawStarPicture(const optics::Grid& star, const DisplayCurve& curve, const StarLook& look,
                            optics::LoopRunner* loops = nullptr);

//! The same after a zoom change, which resamples with its own single-precision
//! step h = 1 / (zoom + 0.0001): samples with s or t outside 1..510 are black,
//! and the level passes through single precision.
PixelBuffer DrawZoomedStarPicture(const optics::Grid& star, const DisplayCurve& curve, const StarLook& look);

//! The dimmer out-of-focus star of the intra/extra view drawn on the
//! intensity scale of the brighter one: `star` is normalised to its own
//! `peak`, the brighter one's peak is `brighterPeak`. Pixel (x, y) samples as
//! the star picture does with h = 1 / zoom in single precision; its curve
//! index is Round(cell x 1000 x peak / brighterPeak) formed in single
//! precision, then brightness and colour as in the zoom redraw. Only pixels
//! with both coordinates in [from, to) are drawn; the others stay white.
//! Columns may be shared out through `loops`; the picture is the same.
PixelBuffer DrawOnPeakScale(const optics::Grid& star, double peak, double brighterPeak, const DisplayCurve& curve,
                            const StarLook& look, int from = 0, int to = optics::kPictureSide,
                            optics::LoopRunner* loops = nullptr);

//! The scale number of the picture labels: Round(25 x h) with the zoom
//! redraw's h = 1 / (zoom + 0.0001) in single precision (25 at zoom 1, 12 at
//! 2, 50 at 0.5, 250 at 0.1).
int ZoomLabelNumber(double zoom);

//! A colour composite at `scale` and `zoom`: pixel (x, y) is cell
//! [257 + Round((x - 128) / zoom)][257 + Round((y - 128) / zoom)] (black
//! off 1..512) times `scale`, each channel rounded (halves to even) and
//! limited to 0..255. At zoom 1 one cell is one pixel, cell [129 + x][129 + y],
//! and a zoom that goes away and comes back gives the same picture. Its
//! columns are shared out over `loops` when given.
PixelBuffer DrawComposite(const optics::ColourCells& cells, double scale, double zoom = 1.0,
                          optics::LoopRunner* loops = nullptr);

//! The aperture picture: white where the mask lets light through, black
//! elsewhere.
PixelBuffer DrawAperturePicture(const optics::ApertureMask& mask);

//! Index of the grid sample under picture offset `offset` (pixel - 128) at
//! step h: Round(offset x h + 255), or -1 (row or column 0, which read 0)
//! outside 0..512.
int SampleIndex(int offset, double h);

}  // namespace imaging
