#include "planet_disc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using planetdisc::ProjectGlobe;
using planetdisc::ProjectRingPlane;
using planetdisc::RenderPlanet;
using planetdisc::RingProfile;
using planetdisc::SurfaceMap;
using planetdisc::View;

constexpr double kDegree = std::numbers::pi / 180.0;

SurfaceMap uniformMap(float value)
{
    SurfaceMap map;
    map.width = 8;
    map.height = 4;
    map.linear.assign(8 * 4 * 3, value);
    return map;
}

// A black 360 x 180 map (one pixel a degree) with a white 2 x 2 spot centred
// on the given whole-degree longitude and latitude.
SurfaceMap spotMap(int longitudeDeg, int latitudeDeg)
{
    SurfaceMap map;
    map.width = 360;
    map.height = 180;
    map.linear.assign(360 * 180 * 3, 0.0f);
    const int column = longitudeDeg + 180;
    const int row = 90 - latitudeDeg;
    for (int y = row - 1; y <= row; ++y)
        for (int x = column - 1; x <= column; ++x)
            for (int k = 0; k < 3; ++k)
                map.linear[(static_cast<std::size_t>(y) * 360 + ((x + 360) % 360)) * 3 + k] = 1.0f;
    return map;
}

// A 61 x 61 picture of a 40-pixel disc; its centre lies in pixel (30, 30).
View smallView()
{
    View view;
    view.diameterArcsec = 4.0;
    view.width = 61;
    view.height = 61;
    return view;
}

struct Brightest {
    int x = -1;
    int y = -1;
};

Brightest brightestPixel(const imaging::PixelBuffer& picture)
{
    Brightest best;
    int level = -1;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y).green > level) {
                level = picture.pixel(x, y).green;
                best = {x, y};
            }
    return best;
}

TEST(PlanetProjection, DiscCentreSeesCentralMeridianAtTheEquator)
{
    View view;
    view.centralLongitudeDeg = 70.0;
    const auto point = ProjectGlobe(view, 0.0, 0.0);
    ASSERT_TRUE(point);
    EXPECT_NEAR(point->longitudeDeg, 70.0, 1e-9);
    EXPECT_NEAR(point->latitudeDeg, 0.0, 1e-9);
    EXPECT_NEAR(point->mu, 1.0, 1e-12);
}

TEST(PlanetProjection, DiscCentreSeesTheTiltLatitudeAlsoOnAFlattenedGlobe)
{
    View view;
    view.tiltDeg = 20.0;
    view.flattening = 0.098;
    const auto point = ProjectGlobe(view, 0.0, 0.0);
    ASSERT_TRUE(point);
    EXPECT_NEAR(point->latitudeDeg, 20.0, 1e-9);
    EXPECT_NEAR(point->mu, 1.0, 0.01);
}

TEST(PlanetProjection, EastIsToTheRight)
{
    View view;
    view.centralLongitudeDeg = -10.0;
    const auto point = ProjectGlobe(view, std::sin(30.0 * kDegree), 0.0);
    ASSERT_TRUE(point);
    EXPECT_NEAR(point->longitudeDeg, 20.0, 1e-9);
    EXPECT_NEAR(point->latitudeDeg, 0.0, 1e-9);
    EXPECT_NEAR(point->mu, std::cos(30.0 * kDegree), 1e-12);
}

TEST(PlanetProjection, LongitudeWrapsAcrossTheDateLine)
{
    View view;
    view.centralLongitudeDeg = 170.0;
    const auto point = ProjectGlobe(view, std::sin(30.0 * kDegree), 0.0);
    ASSERT_TRUE(point);
    EXPECT_NEAR(point->longitudeDeg, -160.0, 1e-9);
}

TEST(PlanetProjection, PositiveTiltShowsTheNorthPole)
{
    // On a sphere tilted by B the central meridian's latitude phi is seen at
    // height sin(phi - B).
    View view;
    view.tiltDeg = 25.0;
    const auto north = ProjectGlobe(view, 0.0, std::sin(35.0 * kDegree));
    ASSERT_TRUE(north);
    EXPECT_NEAR(north->latitudeDeg, 60.0, 1e-9);
    view.tiltDeg = -25.0;
    const auto south = ProjectGlobe(view, 0.0, std::sin(35.0 * kDegree));
    ASSERT_TRUE(south);
    EXPECT_NEAR(south->latitudeDeg, 10.0, 1e-9);
}

TEST(PlanetProjection, FlatteningShortensThePolarAxis)
{
    View view;
    view.flattening = 0.1;
    EXPECT_TRUE(ProjectGlobe(view, 0.0, 0.899));
    EXPECT_FALSE(ProjectGlobe(view, 0.0, 0.901));
    EXPECT_TRUE(ProjectGlobe(view, 0.999, 0.0));
    EXPECT_FALSE(ProjectGlobe(view, 1.001, 0.0));
    view.diameterArcsec = 45.0;
    const planetdisc::Extent extent = planetdisc::PlanetExtent(view, nullptr);
    EXPECT_NEAR(extent.halfWidth, 225.0, 1e-9);
    EXPECT_NEAR(extent.halfHeight, 0.9 * 225.0, 1e-9);
}

TEST(PlanetProjection, NearSideOfTheRingsIsBelowTheCentreForAPositiveTilt)
{
    View view;
    view.tiltDeg = 20.0;
    const double offset = 1.5 * std::sin(20.0 * kDegree);
    const auto nearSide = ProjectRingPlane(view, 0.0, -offset);
    const auto farSide = ProjectRingPlane(view, 0.0, offset);
    ASSERT_TRUE(nearSide && farSide);
    EXPECT_NEAR(nearSide->radius, 1.5, 1e-12);
    EXPECT_NEAR(farSide->radius, 1.5, 1e-12);
    EXPECT_GT(nearSide->depth, 0.0);
    EXPECT_LT(farSide->depth, 0.0);
    view.tiltDeg = 0.0;
    EXPECT_FALSE(ProjectRingPlane(view, 0.0, 0.1));
}

TEST(PlanetMap, SamplingWrapsAtTheSideEdges)
{
    SurfaceMap map;
    map.width = 4;
    map.height = 2;
    map.linear.assign(4 * 2 * 3, 0.0f);
    for (int y = 0; y < 2; ++y) {
        map.linear[(y * 4 + 0) * 3] = 0.2f;  // leftmost column, red
        map.linear[(y * 4 + 3) * 3] = 0.6f;  // rightmost column, red
    }
    // 180 degrees lies halfway between the last and the first column.
    EXPECT_NEAR(map.sample(180.0, 0.0)[0], 0.4f, 1e-6);
    EXPECT_NEAR(map.sample(-180.0, 0.0)[0], 0.4f, 1e-6);
    // Column centres: the first at -135 degrees.
    EXPECT_NEAR(map.sample(-135.0, 0.0)[0], 0.2f, 1e-6);
    EXPECT_NEAR(map.sample(-135.0, 90.0)[0], 0.2f, 1e-6);
}

TEST(PlanetMap, SrgbRoundTripIsExact)
{
    for (int level = 0; level <= 255; ++level)
        EXPECT_EQ(planetdisc::LinearToSrgb(planetdisc::SrgbToLinear(static_cast<std::uint8_t>(level))), level);
}

TEST(PlanetPicture, DiscIsTenPixelsPerArcsecondCentredOnBlack)
{
    View view = smallView();
    view.supersampling = 16;
    const imaging::PixelBuffer picture = RenderPlanet(uniformMap(1.0f), view, nullptr);
    ASSERT_EQ(picture.width(), 61);
    ASSERT_EQ(picture.height(), 61);
    const double radius = 20.0;
    double rowCoverage = 0.0;
    double columnCoverage = 0.0;
    double momentX = 0.0;
    double momentY = 0.0;
    double total = 0.0;
    for (int y = 0; y < 61; ++y) {
        for (int x = 0; x < 61; ++x) {
            const double coverage = planetdisc::SrgbToLinear(picture.pixel(x, y).green);
            const double distance = std::hypot(x + 0.5 - 30.5, y + 0.5 - 30.5);
            if (distance > radius + 0.75) {
                EXPECT_EQ(picture.pixel(x, y), imaging::kBlack) << x << "," << y;
            }
            if (distance < radius - 0.75) {
                EXPECT_EQ(picture.pixel(x, y), imaging::kWhite) << x << "," << y;
            }
            if (y == 30)
                rowCoverage += coverage;
            if (x == 30)
                columnCoverage += coverage;
            momentX += coverage * (x + 0.5);
            momentY += coverage * (y + 0.5);
            total += coverage;
        }
    }
    EXPECT_NEAR(rowCoverage, 40.0, 0.15);
    EXPECT_NEAR(columnCoverage, 40.0, 0.15);
    EXPECT_NEAR(momentX / total, 30.5, 0.02);
    EXPECT_NEAR(momentY / total, 30.5, 0.02);
    EXPECT_NEAR(total, std::numbers::pi * radius * radius, 2.0);
}

TEST(PlanetPicture, CentralMeridianAtTheEquatorIsInTheMiddle)
{
    View view = smallView();
    view.centralLongitudeDeg = 70.0;
    const Brightest spot = brightestPixel(RenderPlanet(spotMap(70, 0), view, nullptr));
    EXPECT_EQ(spot.x, 30);
    EXPECT_EQ(spot.y, 30);
}

TEST(PlanetPicture, FeaturesEastAndNorthLieRightAndUp)
{
    View view = smallView();
    view.centralLongitudeDeg = 10.0;
    // 60 degrees east of the central meridian: 20 sin 60 = 17.3 pixels right.
    const Brightest east = brightestPixel(RenderPlanet(spotMap(70, 0), view, nullptr));
    EXPECT_EQ(east.x, 47);
    EXPECT_EQ(east.y, 30);
    // 40 degrees north: 20 sin 40 = 12.9 pixels up.
    const Brightest north = brightestPixel(RenderPlanet(spotMap(10, 40), view, nullptr));
    EXPECT_EQ(north.x, 30);
    EXPECT_EQ(north.y, 17);
}

TEST(PlanetPicture, LimbDarkeningFollowsTheCosineOfTheViewAngle)
{
    View view = smallView();
    view.limbDarkening = 0.5;
    view.supersampling = 1;
    const imaging::PixelBuffer picture = RenderPlanet(uniformMap(1.0f), view, nullptr);
    EXPECT_NEAR(planetdisc::SrgbToLinear(picture.pixel(30, 30).green), 1.0, 0.01);
    // Pixel 47 is centred 17 pixels right of the centre: mu = sqrt(1 - 0.85^2).
    const double mu = std::sqrt(1.0 - 0.85 * 0.85);
    EXPECT_NEAR(planetdisc::SrgbToLinear(picture.pixel(47, 30).green), 1.0 - 0.5 * (1.0 - mu), 0.01);
}

TEST(PlanetPicture, RingsCrossInFrontOfTheGlobeAndHideBehindIt)
{
    View view = smallView();
    view.tiltDeg = 20.0;
    view.width = 121;
    view.height = 61;  // centre (60.5, 30.5), globe radius 20 pixels
    RingProfile rings;
    rings.innerRadius = 1.25;
    rings.outerRadius = 2.25;
    rings.samples = {{1.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f, 1.0f}};
    const imaging::PixelBuffer picture = RenderPlanet(uniformMap(1.0f), view, &rings);
    const imaging::Rgb red{255, 0, 0};
    // Along the line of the ansae: sky, globe, gap, ring, sky.
    EXPECT_EQ(picture.pixel(60, 30), imaging::kWhite);
    EXPECT_EQ(picture.pixel(60 + 22, 30), imaging::kBlack);  // 1.1 radii: the gap
    EXPECT_EQ(picture.pixel(60 + 35, 30), red);              // 1.75 radii
    EXPECT_EQ(picture.pixel(60 - 35, 30), red);
    EXPECT_EQ(picture.pixel(60 + 50, 30), imaging::kBlack);  // 2.5 radii
    // 1.75 radii straight toward and away from the viewer: 12 pixels below
    // the centre the ring is in front of the globe, above it behind.
    const int offset = static_cast<int>(std::lround(1.75 * 20.0 * std::sin(20.0 * kDegree)));
    EXPECT_EQ(picture.pixel(60, 30 + offset), red);
    EXPECT_EQ(picture.pixel(60, 30 - offset), imaging::kWhite);
}

}  // namespace
