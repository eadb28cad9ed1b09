#include "simulations/double_star.h"

#include "base/rounding.h"
#include "optics/constants.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace sim {

namespace {

constexpr int kSide = optics::kPictureSide;
// The picture's window starts at this cell, so its pixel (128, 128) shows
// the centre cell [257][257].
constexpr int kFirstCell = 129;
// The companion is read only inside the 255 x 255 cells from the first one.
constexpr int kCompanionWindow = 254;
constexpr int kLutTop = imaging::kDisplaySteps;
constexpr double kCellsPerArcsecond = 10.0;
constexpr double kMagnitudeBase = 2.512;

}  // namespace

CompanionOffset CompanionOffsetOf(double separation, double positionAngle)
{
    // Whole turns off first (exactly: an angle within one turn is left as it
    // is), so that no angle makes the arithmetic overflow; an angle that is
    // no number is none.
    positionAngle = std::isfinite(positionAngle) ? std::fmod(positionAngle, 360.0) : 0.0;
    const double d = separation * kCellsPerArcsecond;
    const double theta = (positionAngle + 90.0) * std::numbers::pi / 180.0;
    // A companion further out than four picture widths (or at no number) is
    // read from nowhere either way.
    const auto cells = [](double v) {
        constexpr double kFar = 4.0 * kSide;
        return base::RoundToInt(std::isnan(v) ? kFar : std::clamp(v, -kFar, kFar));
    };
    return {cells(d * std::cos(theta)), cells(d * std::sin(theta))};
}

float BrightnessRatio(double magnitudeDifference)
{
    return static_cast<float>(std::pow(kMagnitudeBase, magnitudeDifference));
}

imaging::PixelBuffer ComposeDoubleStar(const optics::Grid& star, const imaging::DisplayCurve& curve,
                                       const DoubleStarParams& params, double zoom)
{
    imaging::PixelBuffer buffer(kSide, kSide);
    const CompanionOffset offset = CompanionOffsetOf(params.separation, params.positionAngle);
    const float ratio = BrightnessRatio(params.magnitudeDifference);
    // The cell offset of each pixel from the window's first cell: the pixel
    // itself at zoom 1, spread around the centre at other zooms.
    std::array<int, kSide> cell;
    for (int p = 0; p < kSide; ++p)
        cell[p] = base::RoundToInt((p - kSide / 2) / zoom) + kSide / 2;
    auto primary = [&star](int i, int j) {
        i += kFirstCell;
        j += kFirstCell;
        return i >= 0 && i < optics::kGridSide && j >= 0 && j < optics::kGridSide ? star(i, j) : 0.0;
    };
    // The window is 257 cells wide; pixels of the last column and row fall
    // off the 256 x 256 buffer.
    for (int x = 0; x < kSide; ++x) {
        for (int y = 0; y < kSide; ++y) {
            const float p = static_cast<float>(primary(cell[x], cell[y]));
            const int cx = cell[x] + offset.dx;
            const int cy = cell[y] + offset.dy;
            float c = 0.0f;
            if (cx >= 0 && cx <= kCompanionWindow && cy >= 0 && cy <= kCompanionWindow)
                c = static_cast<float>(star(kFirstCell + cx, kFirstCell + cy)) / ratio;
            float t = (p + c) * 1000.0f;
            if (t > 1000.0f)
                t = 1000.0f;
            // Only foreign contents of StarGrid (negative or not a number)
            // could leave the table.
            const int index = t > 0.0f ? base::RoundToInt(t) : 0;
            // A curve made from gamma and slope typed far out of range may
            // hold levels beyond any grey, or no number.
            const std::uint8_t grey = base::ByteLevel(curve[index > kLutTop ? kLutTop : index] * 255.0);
            buffer.setPixel(x, y, {grey, grey, grey});
        }
    }
    return buffer;
}

double ResolutionLimit(double constant, double aperture, bool inches)
{
    double s = constant / aperture;
    if (inches)
        s = s * optics::kInchesPerMillimetre;
    return s;
}

}  // namespace sim
