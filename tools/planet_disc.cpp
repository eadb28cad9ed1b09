#include "planet_disc.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace planetdisc {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

double wrapLongitude(double degrees)
{
    double wrapped = std::fmod(degrees, 360.0);
    if (wrapped > 180.0)
        wrapped -= 360.0;
    else if (wrapped <= -180.0)
        wrapped += 360.0;
    return wrapped;
}

}  // namespace

float SrgbToLinear(std::uint8_t level)
{
    const double v = level / 255.0;
    return static_cast<float>(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
}

std::uint8_t LinearToSrgb(double value)
{
    if (!(value > 0.0))  // also catches NaN
        return 0;
    if (value >= 1.0)
        return 255;
    const double v = value <= 0.0031308 ? value * 12.92 : 1.055 * std::pow(value, 1.0 / 2.4) - 0.055;
    return static_cast<std::uint8_t>(std::lround(v * 255.0));
}

LinearRgb SurfaceMap::sample(double longitudeDeg, double latitudeDeg) const
{
    if (width <= 0 || height <= 0 || linear.size() < static_cast<std::size_t>(width) * height * 3)
        return {0.0f, 0.0f, 0.0f};
    const double u = (longitudeDeg / 360.0 + 0.5) * width - 0.5;
    const double v = std::clamp((0.5 - latitudeDeg / 180.0) * height - 0.5, 0.0, height - 1.0);
    const double uFloor = std::floor(u);
    const double fx = u - uFloor;
    int x0 = static_cast<int>(std::fmod(uFloor, static_cast<double>(width)));
    if (x0 < 0)
        x0 += width;
    const int x1 = (x0 + 1) % width;
    const int y0 = static_cast<int>(std::floor(v));
    const int y1 = std::min(y0 + 1, height - 1);
    const double fy = v - y0;
    auto at = [&](int x, int y, int channel) {
        return static_cast<double>(linear[(static_cast<std::size_t>(y) * width + x) * 3 + channel]);
    };
    LinearRgb result{};
    for (int channel = 0; channel < 3; ++channel) {
        const double top = at(x0, y0, channel) * (1.0 - fx) + at(x1, y0, channel) * fx;
        const double bottom = at(x0, y1, channel) * (1.0 - fx) + at(x1, y1, channel) * fx;
        result[channel] = static_cast<float>(top * (1.0 - fy) + bottom * fy);
    }
    return result;
}

std::array<float, 4> RingProfile::sample(double radius) const
{
    if (samples.empty() || !(radius >= innerRadius && radius <= outerRadius))
        return {0.0f, 0.0f, 0.0f, 0.0f};
    if (samples.size() == 1 || outerRadius <= innerRadius)
        return samples.front();
    const double t = (radius - innerRadius) / (outerRadius - innerRadius) * (samples.size() - 1);
    const std::size_t i0 = std::min(static_cast<std::size_t>(t), samples.size() - 2);
    const double f = t - static_cast<double>(i0);
    std::array<float, 4> result{};
    for (int k = 0; k < 4; ++k)
        result[k] = static_cast<float>(samples[i0][k] * (1.0 - f) + samples[i0 + 1][k] * f);
    return result;
}

// Frames: the view has x to the right, y up and z toward the viewer. The
// body has m (equator, central meridian), e (equator, 90 degrees east) and
// n (north pole), right-handed. Tilting the pole toward the viewer by B:
//   m = (0, -sin B, cos B),  e = (1, 0, 0),  n = (0, cos B, sin B).
// The globe is the spheroid m^2 + e^2 + (n / k)^2 = 1 with k = 1 - flattening.
std::optional<GlobePoint> ProjectGlobe(const View& view, double x, double y)
{
    const double s = std::sin(view.tiltDeg * kDegree);
    const double c = std::cos(view.tiltDeg * kDegree);
    const double k = 1.0 - view.flattening;
    const double q = 1.0 / (k * k);
    // The line of sight (x, y, z) put into the spheroid's equation is a
    // quadratic in z; the larger root is the near side.
    const double a2 = c * c + q * s * s;
    const double a1 = 2.0 * y * s * c * (q - 1.0);
    const double a0 = x * x + y * y * (s * s + q * c * c) - 1.0;
    const double discriminant = a1 * a1 - 4.0 * a2 * a0;
    if (discriminant < 0.0)
        return std::nullopt;
    const double z = (-a1 + std::sqrt(discriminant)) / (2.0 * a2);
    const double pm = -y * s + z * c;
    const double pe = x;
    const double pn = y * c + z * s;
    GlobePoint point{};
    point.longitudeDeg = wrapLongitude(view.centralLongitudeDeg + std::atan2(pe, pm) / kDegree);
    point.latitudeDeg = std::atan2(pn, std::hypot(pm, pe)) / kDegree;
    // Outward normal: gradient of the spheroid's equation; the viewer lies
    // along (cos B, 0, sin B) in body axes.
    const double normalLength = std::sqrt(pm * pm + pe * pe + q * q * pn * pn);
    point.mu = normalLength > 0.0 ? std::max(0.0, (pm * c + q * pn * s) / normalLength) : 1.0;
    point.depth = z;
    return point;
}

std::optional<RingPlanePoint> ProjectRingPlane(const View& view, double x, double y)
{
    const double s = std::sin(view.tiltDeg * kDegree);
    const double c = std::cos(view.tiltDeg * kDegree);
    if (std::abs(s) < 1e-9)
        return std::nullopt;
    // The equatorial plane is n = y cos B + z sin B = 0; there m = -y / sin B.
    return RingPlanePoint{std::hypot(x, y / s), -y * c / s};
}

Extent PlanetExtent(const View& view, const RingProfile* rings)
{
    const double s = std::sin(view.tiltDeg * kDegree);
    const double c = std::cos(view.tiltDeg * kDegree);
    const double k = 1.0 - view.flattening;
    // The outline of a spheroid seen at tilt B is an ellipse of semi-axes 1
    // and sqrt(sin^2 B + k^2 cos^2 B).
    double halfWidth = 1.0;
    double halfHeight = std::sqrt(s * s + k * k * c * c);
    if (rings && !rings->samples.empty()) {
        halfWidth = std::max(halfWidth, rings->outerRadius);
        halfHeight = std::max(halfHeight, rings->outerRadius * std::abs(s));
    }
    return {halfWidth * view.radiusPixels(), halfHeight * view.radiusPixels()};
}

imaging::PixelBuffer RenderPlanet(const SurfaceMap& map, const View& view, const RingProfile* rings)
{
    imaging::PixelBuffer picture(view.width, view.height);
    const int n = std::max(1, view.supersampling);
    const double radius = view.radiusPixels();
    const double centreX = view.width / 2.0;
    const double centreY = view.height / 2.0;
    const double darkening = std::clamp(view.limbDarkening, 0.0, 1.0);
    for (int row = 0; row < view.height; ++row) {
        for (int column = 0; column < view.width; ++column) {
            double sum[3] = {0.0, 0.0, 0.0};
            for (int sy = 0; sy < n; ++sy) {
                for (int sx = 0; sx < n; ++sx) {
                    const double x = (column + (sx + 0.5) / n - centreX) / radius;
                    const double y = -(row + (sy + 0.5) / n - centreY) / radius;
                    double colour[3] = {0.0, 0.0, 0.0};
                    const std::optional<GlobePoint> globe = ProjectGlobe(view, x, y);
                    if (globe) {
                        const LinearRgb surface = map.sample(globe->longitudeDeg, globe->latitudeDeg);
                        const double brightness = 1.0 - darkening * (1.0 - globe->mu);
                        for (int k = 0; k < 3; ++k)
                            colour[k] = surface[k] * brightness;
                    }
                    if (rings) {
                        const std::optional<RingPlanePoint> plane = ProjectRingPlane(view, x, y);
                        // The part of the rings behind the globe is hidden.
                        if (plane && (!globe || plane->depth > globe->depth)) {
                            const std::array<float, 4> ring = rings->sample(plane->radius);
                            const double opacity = ring[3];
                            for (int k = 0; k < 3; ++k)
                                colour[k] = colour[k] * (1.0 - opacity) + ring[k] * view.ringGain * opacity;
                        }
                    }
                    for (int k = 0; k < 3; ++k)
                        sum[k] += colour[k];
                }
            }
            const double samples = static_cast<double>(n) * n;
            picture.setPixel(column, row,
                             {LinearToSrgb(sum[0] / samples), LinearToSrgb(sum[1] / samples),
                              LinearToSrgb(sum[2] / samples)});
        }
    }
    return picture;
}

}  // namespace planetdisc
