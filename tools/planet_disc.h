#pragma once

// Renders a planet as the telescope sees it, from an equirectangular map of
// its surface: an orthographic view of an oblate globe, optionally with a
// ring system in the equatorial plane, on a black sky. Plain C++ (no
// toolkit), so the projection can be tested without picture files.

#include "imaging/pixel_buffer.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace planetdisc {

//! Linear-light value (0..1) of an 8-bit sRGB channel.
float SrgbToLinear(std::uint8_t level);
//! 8-bit sRGB channel of a linear-light value; values outside 0..1 are clamped.
std::uint8_t LinearToSrgb(double value);

using LinearRgb = std::array<float, 3>;

//! An equirectangular (simple cylindrical) surface map in linear light.
//! Longitude 0 lies at the horizontal centre of the map and east longitude
//! increases to the right; both side edges are at 180 degrees. North is at
//! the top, the equator at mid-height. Pixel centres are at
//! ((longitude / 360 + 0.5) x width - 0.5, (0.5 - latitude / 180) x height - 0.5).
struct SurfaceMap {
    int width = 0;
    int height = 0;
    //! width x height x 3 values, rows top down, red green blue per pixel.
    std::vector<float> linear;

    //! Bilinear sample at a longitude and latitude in degrees; wraps across
    //! the 180-degree meridian and clamps at the poles. Black for an empty map.
    LinearRgb sample(double longitudeDeg, double latitudeDeg) const;
};

//! A ring system: colour and opacity against distance from the planet's
//! centre in its equatorial plane. The first sample sits on the inner edge,
//! the last on the outer edge, evenly spaced between.
struct RingProfile {
    double innerRadius = 0;  //!< in equatorial radii of the planet
    double outerRadius = 0;  //!< in equatorial radii of the planet
    //! Linear red, green, blue and opacity (0 clear .. 1 opaque).
    std::vector<std::array<float, 4>> samples;

    //! Linearly interpolated sample at `radius` (equatorial radii); fully
    //! transparent outside [innerRadius, outerRadius].
    std::array<float, 4> sample(double radius) const;
};

//! How the planet is seen and pictured.
struct View {
    //! Equatorial diameter of the globe on the sky, arcseconds.
    double diameterArcsec = 24.0;
    //! Picture scale; the simulator takes planet pictures at 10 per arcsecond.
    double pixelsPerArcsec = 10.0;
    //! Map longitude (degrees, east positive, see SurfaceMap) at the centre of
    //! the disc.
    double centralLongitudeDeg = 0.0;
    //! Tilt of the rotation axis toward the viewer, degrees: the planetocentric
    //! latitude of the point under the viewer. Positive shows the north pole.
    //! North is up in the picture; east (increasing longitude) is to the right.
    double tiltDeg = 0.0;
    //! Polar flattening (equatorial - polar radius) / equatorial radius, 0..<1.
    double flattening = 0.0;
    //! Linear limb darkening: brightness 1 - u (1 - mu), mu the cosine of the
    //! angle between the surface normal and the line of sight. 0..1.
    double limbDarkening = 0.0;
    //! Brightness factor applied to the ring colour (linear light).
    double ringGain = 1.0;
    int width = 256;
    int height = 256;
    //! Samples per pixel along each axis (anti-aliasing of the limb).
    int supersampling = 4;

    //! Equatorial radius of the globe in picture pixels.
    double radiusPixels() const { return diameterArcsec * pixelsPerArcsec / 2.0; }
};

//! The point of the globe seen at a place of the picture.
struct GlobePoint {
    double longitudeDeg;  //!< map longitude, in (-180, 180]
    double latitudeDeg;   //!< planetocentric
    double mu;            //!< cosine of the angle between normal and line of sight
    double depth;         //!< toward the viewer, equatorial radii from the centre
};

//! The globe point seen at (x, y), measured from the centre of the disc in
//! equatorial radii, x to the right and y up; none off the globe. Uses the
//! view's central longitude, tilt and flattening.
std::optional<GlobePoint> ProjectGlobe(const View& view, double x, double y);

//! Where the line of sight through (x, y) (as for ProjectGlobe) meets the
//! equatorial plane: distance from the centre in equatorial radii and depth
//! toward the viewer. None when the plane is seen edge-on.
struct RingPlanePoint {
    double radius;
    double depth;
};
std::optional<RingPlanePoint> ProjectRingPlane(const View& view, double x, double y);

//! Half the width and half the height of the globe (and of the rings, when
//! given) in picture pixels.
struct Extent {
    double halfWidth;
    double halfHeight;
};
Extent PlanetExtent(const View& view, const RingProfile* rings);

//! Renders the picture: the disc centred at (width / 2, height / 2) in pixel
//! coordinates (pixel (i, j) covers [i, i + 1) x [j, j + 1)), black sky,
//! limb darkening on the globe, rings (when given) in front of or hidden by
//! the globe as seen. Colour is averaged in linear light over the
//! supersamples and written as 8-bit sRGB.
imaging::PixelBuffer RenderPlanet(const SurfaceMap& map, const View& view, const RingProfile* rings);

}  // namespace planetdisc
