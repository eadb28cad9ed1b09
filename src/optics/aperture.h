#pragma once

#include "optics/constants.h"

#include <cstdint>
#include <vector>

namespace optics {

//! A small picture of byte values (x to the right, y downwards) that the
//! aperture is drawn on. Writes outside it are ignored and reads outside it
//! give 0.
class Raster {
public:
    Raster(int width, int height, std::uint8_t fill = 0)
        : m_width(width), m_height(height), m_cells(static_cast<std::size_t>(width) * height, fill)
    {
    }

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    std::uint8_t at(int x, int y) const
    {
        return contains(x, y) ? m_cells[static_cast<std::size_t>(y) * m_width + x] : 0;
    }
    void set(int x, int y, std::uint8_t value)
    {
        if (contains(x, y))
            m_cells[static_cast<std::size_t>(y) * m_width + x] = value;
    }
    //! Sets x = first..last of row y, clipped.
    void fillRow(int y, int first, int last, std::uint8_t value);

    friend bool operator==(const Raster&, const Raster&) = default;

private:
    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_cells;
};

//! Filled ellipse inscribed in the box [left, right) x [top, bottom): the
//! interior gets `inside`, its rim `rim`. A pixel (x, y) belongs to the
//! ellipse when its centre (x + 0.5, y + 0.5) lies inside or on the ellipse
//! that touches the outer edges of the box. The rim is every ellipse pixel
//! that has, within `penWidth` steps left, right, up or down, a pixel outside
//! the ellipse (a pen width below 1 counts as 1), so the outline stays inside
//! the box. An empty or reversed box draws nothing.
void FillEllipse(Raster& raster, int left, int top, int right, int bottom, std::uint8_t rim, std::uint8_t inside,
                 int penWidth);

//! Line from (x0, y0) towards (x1, y1) with `value`, the end point excluded.
//! The centre line follows the Bresenham steps; each step is widened across
//! the main direction to penWidth pixels (a pen width below 1 counts as 1),
//! from x - penWidth / 2 to x - penWidth / 2 + penWidth - 1 for a mostly
//! vertical line and likewise in y for a mostly horizontal one.
void DrawLine(Raster& raster, int x0, int y0, int x1, int y1, std::uint8_t value, int penWidth);

//! The obstruction and spider of a telescope, as the aperture group holds them.
struct ApertureShape {
    double obstructionPercent = 0.0;  //!< central obstruction, percent of the diameter
    double offsetMm = 0.0;            //!< sideways offset of the obstruction, millimetres
    bool spider = false;              //!< four vanes
    double vaneWidthMm = 1.0;         //!< vane width, millimetres
};

//! Obstruction radius in pixels for an obstruction given in percent of the
//! diameter: Round(percent x 128 x 0.01), 128 being the picture's pupil radius
//! (held within a million pixels either way: any percent gives a radius).
int ObstructionPixels(double obstructionPercent);
//! Whether that radius is outside what the picture can show (negative, or at
//! least 90 % of the pupil radius): the obstruction is then left out.
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
    int vaneWidth = 1;  //!< width of the vanes in pixels
};

//! Lays out the picture for a diameter of `apertureInches` (positive): the
//! obstruction disc shifted towards smaller x by the offset converted to a
//! fraction of the 256-pixel diameter, and the vane width converted the same
//! way. The obstruction radius must already be valid (see
//! ObstructionTooLarge); the vanes are drawn only with an obstruction. Any
//! offset and width lay out (far beyond the picture, they are held there).
ApertureLayout LayoutAperture(const ApertureShape& shape, float apertureInches);

//! The aperture as a 256 x 256 picture whose open pixels let light through:
//! the pupil disc inscribed in (0, 0)-(256, 256) without its one-pixel rim,
//! less the obstruction disc and the spider cross through (128, 128). Pixel
//! (x, y) maps the pupil radius onto 128 pixels around (128, 128).
class ApertureMask {
public:
    static constexpr int kSide = kPictureSide;

    ApertureMask() : m_raster(kSide, kSide) {}
    explicit ApertureMask(Raster raster) : m_raster(std::move(raster)) {}

    //! Whether light passes pixel (x, y); never outside the picture.
    bool isOpen(int x, int y) const { return m_raster.at(x, y) != 0; }
    const Raster& raster() const { return m_raster; }

    friend bool operator==(const ApertureMask&, const ApertureMask&) = default;

private:
    Raster m_raster;
};

//! Draws the mask of `layout`.
ApertureMask DrawApertureMask(const ApertureLayout& layout);

}  // namespace optics
