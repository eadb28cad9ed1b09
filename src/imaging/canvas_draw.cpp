#include "imaging/canvas_draw.h"

#include "optics/constants.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace imaging {

namespace {

// Floor and ceiling of a / 2 for any sign of a.
std::int64_t floorHalf(std::int64_t a) { return a >= 0 ? a / 2 : -((-a + 1) / 2); }
std::int64_t ceilHalf(std::int64_t a) { return -floorHalf(-a); }

//! The pixels of one row of an ellipse, x from `first` to `last` inclusive.
struct Span {
    int first = 0;
    int last = -1;
    bool contains(int x) const { return x >= first && x <= last; }
};

//! The row y of the ellipse inscribed in [left, right) x [top, bottom).
//! Everything is exact integer arithmetic on doubled coordinates: with
//! w = right - left, h = bottom - top and the doubled offsets of the pixel
//! centre from the box centre dx = 2x + 1 - (left + right) and likewise dy,
//! a pixel is inside when dx^2 h^2 + dy^2 w^2 <= w^2 h^2.
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

// Paints pixels first..last of row y (clipped to the buffer).
void FillRow(PixelBuffer& buffer, int y, int first, int last, Rgb colour)
{
    if (y < 0 || y >= buffer.height())
        return;
    first = std::max(first, 0);
    last = std::min(last, buffer.width() - 1);
    std::uint8_t* p = buffer.data() + static_cast<std::size_t>(y) * buffer.stride() + static_cast<std::size_t>(first) * 3;
    for (int x = first; x <= last; ++x, p += 3) {
        p[0] = colour.red;
        p[1] = colour.green;
        p[2] = colour.blue;
    }
}

// The pupil disc of the picture: radius and diameter in pixels.
constexpr double kRadius = optics::kAperturePictureRadius;
constexpr double kDiameter = 2.0 * optics::kAperturePictureRadius;

}  // namespace

void DrawEllipse(PixelBuffer& buffer, int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return;
    const int pen = std::max(buffer.penWidth, 1);
    const int yFrom = std::max(top, 0);
    const int yTo = std::min(bottom, buffer.height());
    for (int y = yFrom; y < yTo; ++y) {
        const Span row = RowSpan(left, top, right, bottom, y);
        if (row.last < row.first)
            continue;
        // The brush part: pixels whose neighbours up to `pen` steps away in
        // the four directions are all in the ellipse. The rows are intervals,
        // so that is the intersection of the shrunk row with its neighbours.
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
            FillRow(buffer, y, row.first, row.last, buffer.penColour);
            continue;
        }
        FillRow(buffer, y, row.first, inFirst - 1, buffer.penColour);
        FillRow(buffer, y, inFirst, inLast, buffer.brushColour);
        FillRow(buffer, y, inLast + 1, row.last, buffer.penColour);
    }
}

void DrawLine(PixelBuffer& buffer, int x0, int y0, int x1, int y1)
{
    const int pen = std::max(buffer.penWidth, 1);
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
                buffer.setPixel(from + k, y, buffer.penColour);
        } else {
            const int from = y - pen / 2;
            for (int k = 0; k < pen; ++k)
                buffer.setPixel(x, from + k, buffer.penColour);
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

int ObstructionPixels(double obstructionPercent)
{
    return static_cast<int>(std::nearbyint(obstructionPercent * kRadius * 0.01));
}

bool ObstructionTooLarge(int obstructionPixels)
{
    return obstructionPixels < 0 || obstructionPixels >= kRadius * 0.9;
}

float ApertureInchesOf(double diameter, bool millimeters)
{
    float inches = static_cast<float>(diameter);
    if (millimeters)
        inches = static_cast<float>(static_cast<double>(inches) * optics::kInchesPerMillimetre);
    return inches;
}

ApertureLayout LayoutAperturePicture(const AperturePictureParams& params)
{
    constexpr int c = optics::kAperturePictureRadius;
    ApertureLayout layout;
    const int b = ObstructionPixels(params.obstructionPercent);
    layout.obstructionRadius = b;
    const double cx = c - params.offsetMm / static_cast<double>(params.apertureInches) * optics::kInchesPerMillimetre * kDiameter;
    layout.left = static_cast<int>(std::nearbyint(cx - b));
    layout.top = c - b;
    layout.right = static_cast<int>(std::nearbyint(cx)) + b;
    layout.bottom = c + b;
    layout.spider = params.spider && params.obstructionPercent > 0.0;
    if (layout.spider) {
        layout.vaneWidth = static_cast<int>(
            std::nearbyint(params.vaneWidthMm / static_cast<double>(params.apertureInches) * optics::kInchesPerMillimetre * kDiameter));
    }
    return layout;
}

void DrawAperturePicture(PixelBuffer& buffer, const ApertureLayout& layout)
{
    constexpr int c = optics::kAperturePictureRadius;
    buffer.penWidth = 1;
    buffer.penColour = kBlack;
    buffer.brushColour = kBlack;
    buffer.fillRect(0, 0, 257, 257);
    buffer.brushColour = kWhite;
    DrawEllipse(buffer, c - c, c - c, c + c, c + c);
    buffer.brushColour = kBlack;
    if (layout.obstructionRadius > 0)
        DrawEllipse(buffer, layout.left, layout.top, layout.right, layout.bottom);
    buffer.penWidth = 1;
    if (layout.spider) {
        buffer.penWidth = layout.vaneWidth;
        DrawLine(buffer, c, 0, c, 255);
        DrawLine(buffer, 0, c, 255, c);
        buffer.penWidth = 1;
    }
}

}  // namespace imaging
