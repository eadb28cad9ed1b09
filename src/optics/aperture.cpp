#include "optics/aperture.h"

#include "base/rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace optics {

namespace {

// Floor and ceiling of a / 2 for any sign of a.
std::int64_t floorHalf(std::int64_t a) { return a >= 0 ? a / 2 : -((-a + 1) / 2); }
std::int64_t ceilHalf(std::int64_t a) { return -floorHalf(-a); }

// The pixels of one row of an ellipse, x from `first` to `last` inclusive.
struct Span {
    int first = 0;
    int last = -1;
};

// The row y of the ellipse inscribed in [left, right) x [top, bottom).
// Everything is exact integer arithmetic on doubled coordinates: with
// w = right - left, h = bottom - top and the doubled offsets of the pixel
// centre from the box centre dx = 2x + 1 - (left + right) and likewise dy,
// a pixel is inside when dx^2 h^2 + dy^2 w^2 <= w^2 h^2.
Span RowSpan(int left, int top, int right, int bottom, int y)
{
    if (y < top || y >= bottom)
        return {};
    const std::int64_t w = right - left;
    const std::int64_t h = bottom - top;
    const std::int64_t dy = 2 * static_cast<std::int64_t>(y) + 1 - (top + bottom);
    const std::int64_t rhs = w * w * h * h - dy * dy * w * w;
    if (rhs < 0)
        return {};
    // Largest m with m^2 h^2 <= rhs.
    const std::int64_t h2 = h * h;
    auto m = static_cast<std::int64_t>(std::sqrt(static_cast<double>(rhs) / static_cast<double>(h2)));
    while (m > 0 && m * m * h2 > rhs)
        --m;
    while ((m + 1) * (m + 1) * h2 <= rhs)
        ++m;
    // -m <= 2x + 1 - (left + right) <= m
    const std::int64_t sum = static_cast<std::int64_t>(left) + right - 1;
    Span span;
    span.first = static_cast<int>(ceilHalf(sum - m));
    span.last = static_cast<int>(floorHalf(sum + m));
    return span;
}

// The pupil disc of the picture: radius and diameter in pixels.
constexpr double kRadius = kAperturePictureRadius;
constexpr double kDiameter = 2.0 * kAperturePictureRadius;

constexpr std::uint8_t kClosed = 0;
constexpr std::uint8_t kOpen = 1;

}  // namespace

void Raster::fillRow(int y, int first, int last, std::uint8_t value)
{
    if (y < 0 || y >= m_height)
        return;
    first = std::max(first, 0);
    last = std::min(last, m_width - 1);
    if (first > last)
        return;
    std::fill(m_cells.begin() + static_cast<std::ptrdiff_t>(y) * m_width + first,
              m_cells.begin() + static_cast<std::ptrdiff_t>(y) * m_width + last + 1, value);
}

void FillEllipse(Raster& raster, int left, int top, int right, int bottom, std::uint8_t rim, std::uint8_t inside,
                 int penWidth)
{
    if (right <= left || bottom <= top)
        return;
    const int pen = std::max(penWidth, 1);
    const int yFrom = std::max(top, 0);
    const int yTo = std::min(bottom, raster.height());
    for (int y = yFrom; y < yTo; ++y) {
        const Span row = RowSpan(left, top, right, bottom, y);
        if (row.last < row.first)
            continue;
        // The inside: pixels whose neighbours up to `pen` steps away in the
        // four directions are all in the ellipse. The rows are intervals, so
        // that is the intersection of the shrunk row with its neighbours.
        int inFirst = row.first + pen;
        int inLast = row.last - pen;
        for (int k = 1; k <= pen && inFirst <= inLast; ++k) {
            for (int neighbour : {y - k, y + k}) {
                const Span n = RowSpan(left, top, right, bottom, neighbour);
                inFirst = std::max(inFirst, n.first);
                inLast = std::min(inLast, n.last);
            }
        }
        if (inFirst > inLast) {
            raster.fillRow(y, row.first, row.last, rim);
            continue;
        }
        raster.fillRow(y, row.first, inFirst - 1, rim);
        raster.fillRow(y, inFirst, inLast, inside);
        raster.fillRow(y, inLast + 1, row.last, rim);
    }
}

void DrawLine(Raster& raster, int x0, int y0, int x1, int y1, std::uint8_t value, int penWidth)
{
    const int pen = std::max(penWidth, 1);
    const int dx = std::abs(x1 - x0);
    const int dy = std::abs(y1 - y0);
    const int sx = x1 >= x0 ? 1 : -1;
    const int sy = y1 >= y0 ? 1 : -1;
    const bool steep = dy > dx;
    const int steps = steep ? dy : dx;
    const int major = steep ? dy : dx;
    const int minor = steep ? dx : dy;
    int error = 2 * minor - major;
    int x = x0;
    int y = y0;
    for (int n = 0; n < steps; ++n) {
        if (steep) {
            const int from = x - pen / 2;
            for (int k = 0; k < pen; ++k)
                raster.set(from + k, y, value);
        } else {
            const int from = y - pen / 2;
            for (int k = 0; k < pen; ++k)
                raster.set(x, from + k, value);
        }
        if (error > 0) {
            if (steep)
                x += sx;
            else
                y += sy;
            error -= 2 * major;
        }
        error += 2 * minor;
        if (steep)
            y += sy;
        else
            x += sx;
    }
}

namespace {

// Lengths in pixels far beyond the picture: an obstruction, offset or vane
// typed far out of range (and read before its editor is left) is held
// there, so that it stays a number an int holds and draws as any length
// beyond the picture does.
constexpr double kFarPixels = 1.0e6;

double withinReach(double pixels)
{
    return std::isnan(pixels) ? kFarPixels : std::clamp(pixels, -kFarPixels, kFarPixels);
}

}  // namespace

int ObstructionPixels(double obstructionPercent)
{
    return base::RoundToInt(withinReach(obstructionPercent * kRadius * 0.01));
}

bool ObstructionTooLarge(int obstructionPixels)
{
    return obstructionPixels < 0 || obstructionPixels >= kRadius * 0.9;
}

float ApertureInchesOf(double diameter, bool millimeters)
{
    float inches = static_cast<float>(diameter);
    if (millimeters)
        inches = static_cast<float>(static_cast<double>(inches) * kInchesPerMillimetre);
    return inches;
}

ApertureLayout LayoutAperture(const ApertureShape& shape, float apertureInches)
{
    constexpr int c = kAperturePictureRadius;
    ApertureLayout layout;
    const int b = ObstructionPixels(shape.obstructionPercent);
    layout.obstructionRadius = b;
    const double cx =
        c - withinReach(shape.offsetMm / static_cast<double>(apertureInches) * kInchesPerMillimetre * kDiameter);
    layout.left = base::RoundToInt(cx - b);
    layout.top = c - b;
    layout.right = base::RoundToInt(cx) + b;
    layout.bottom = c + b;
    layout.spider = shape.spider && shape.obstructionPercent > 0.0;
    if (layout.spider) {
        // A vane wider than the picture covers it all the same.
        layout.vaneWidth = base::RoundToInt(std::clamp(
            withinReach(shape.vaneWidthMm / static_cast<double>(apertureInches) * kInchesPerMillimetre * kDiameter),
            -4.0 * kDiameter, 4.0 * kDiameter));
    }
    return layout;
}

ApertureMask DrawApertureMask(const ApertureLayout& layout)
{
    constexpr int c = kAperturePictureRadius;
    Raster raster(ApertureMask::kSide, ApertureMask::kSide, kClosed);
    // The pupil disc with its closed one-pixel rim.
    FillEllipse(raster, c - c, c - c, c + c, c + c, kClosed, kOpen, 1);
    if (layout.obstructionRadius > 0)
        FillEllipse(raster, layout.left, layout.top, layout.right, layout.bottom, kClosed, kClosed, 1);
    if (layout.spider) {
        DrawLine(raster, c, 0, c, 255, kClosed, layout.vaneWidth);
        DrawLine(raster, 0, c, 255, c, kClosed, layout.vaneWidth);
    }
    return ApertureMask(std::move(raster));
}

}  // namespace optics
