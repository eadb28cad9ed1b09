#pragma once

#include "imaging/pixel_buffer.h"
#include "optics/engine.h"
#include "optics/status_sink.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>

namespace imaging {

//! Round to nearest, halves to even, like std::nearbyint under the default
//! rounding mode but without a library call per pixel: adding 1.5 x 2^52
//! leaves no fraction bits, so the addition itself rounds. Magnitudes from
//! 2^51 up are integers already; NaN passes through.
inline double RoundHalfEven(double x)
{
    constexpr double kShift = 6755399441055744.0;
    if (!(std::fabs(x) < 2251799813685248.0))
        return x;
    return (x + kShift) - kShift;
}

//! A colour channel from a level: rounded half to even and limited to
//! 0..255 (out-of-range levels, from display curves typed outside the
//! editors' ranges, are limited instead of wrapping; NaN gives 0).
std::uint8_t ChannelByte(double value);

//! Display settings read from the window when a redraw starts.
struct DisplaySettings {
    double zoom = 1.0;   //!< ZoomfSpin, 0.1..2.0
    int brightness = 0;  //!< Brightslide, 0..100
};

//! Called once the star picture is in the buffer, to copy it on screen.
using PaintStep = std::function<void()>;

//! Fills engine.DisplayLut for gamma g and toe slope s: entry n (intensity
//! x = n x 0.001) is s x x below the threshold x0 = s^(1 / (g - 1)), where the
//! line meets the curve, and (x + 0.000001)^g from there on. Defaults g = 0.5,
//! s = 4.5 put the threshold at 0.049383. At g = 0 everything from 1 / s up
//! is 1. At g = 1 the threshold is its limit for g just below 1: 0 for s > 1
//! (the table is x + 0.000001), 1 for s = 1 and beyond the table for s < 1
//! (the table is s x).
void BuildDisplayLut(optics::Engine& engine, double gamma, double slope);

//! The display step after a star calculation. Forms the intensity of
//! FieldReal / FieldImag into WavefrontGrid, finds PeakIntensity (single
//! precision), writes the normalised PSF with its zero frequency moved to
//! [257][257] into StarGrid, sets the star colour (white, or the colour of
//! WaveLength while ColourPass is set) and draws the 256 x 256 star picture
//! into `buffer` (skipped when null): pixel (x, y) samples cell
//! [Round((x - 128) / zoom + 255) + 1][...] through DisplayLut, black off the
//! grid, with the brightness gain (b x 0.2 + 1, capped at full level) unless
//! ColourPass is set. Then runs `paint` and clears status panel 0, which shows
//! "Building image" meanwhile.
//! Returns false without touching anything while ColourComposite is set: the
//! colour composite on screen must not be replaced by a grey picture.
bool BuildStarImage(optics::Engine& engine, const DisplaySettings& settings, PixelBuffer* buffer,
                    optics::StatusSink& status, const PaintStep& paint = {});

//! The colour of each entry of DisplayLut as the zoom redraw draws it: the
//! level held in single precision, lifted by the brightness gain
//! (b x 0.2 + 1, capped at 1) unless ColourPass is set, times `star`.
using ColourTable = std::array<Rgb, 1001>;
ColourTable SinglePrecisionColours(const optics::Engine& engine, const DisplaySettings& settings, Rgb star);

//! The scale number of the picture labels: Round(25 x h) with the zoom
//! redraw's h = 1 / (zoom + 0.0001) in single precision (25 at zoom 1, 12 at
//! 2, 50 at 0.5, 250 at 0.1).
int ZoomLabelNumber(double zoom);

//! Draws a colour composite at its own scale, one cell per pixel: pixel
//! (x, y) is cell ColourGrid[129 + x][129 + y] times ColourScale, each
//! channel rounded (halves to even) and limited to 0..255.
void DrawColourComposite(const optics::Engine& engine, PixelBuffer& buffer);

//! The zoom redraw: resamples StarGrid (no optics) into `buffer` with its own
//! single-precision h = 1 / (zoom + 0.0001); samples with s or t outside
//! 1..510 are black. Grey, or in the star colour while ColourPass is set, or,
//! while ColourComposite is set, the cells of ColourGrid at the composite's
//! own scale, as DrawColourComposite draws them (black outside 1..511). Then runs `paint` and
//! clears status panel 0.
//! Returns the label number, ZoomLabelNumber(zoom).
int Changezoom(optics::Engine& engine, const DisplaySettings& settings, PixelBuffer* buffer,
               optics::StatusSink& status, const PaintStep& paint = {});

}  // namespace imaging
