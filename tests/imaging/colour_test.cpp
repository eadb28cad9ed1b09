#include "imaging/colour.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using imaging::Rgb;

TEST(WavelengthToRgb, GivesTheBandColour)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const std::pair<double, Rgb> cases[] = {
        {555.0, {179, 255, 0}},  // reference wavelength, r = 45/70
        {440.0, {0, 0, 255}},    // band edges belong to the band that starts there
        {510.0, {0, 255, 0}},
        {645.0, {255, 0, 0}},
        {580.0, {255, 255, 0}},
        {490.0, {0, 255, 255}},
        {380.0, {255, 0, 255}},
        {780.0, {255, 0, 0}},
        {780.9, {255, 0, 0}},  // band chosen by the truncated wavelength
        {781.0, {0, 0, 0}},
        {379.9, {0, 0, 0}},
        {400.0, {184, 0, 255}},  // bottom of the wavefront scale
        {655.0, {255, 0, 0}},    // top of the wavefront scale
        {644.9, {255, 1, 0}},    // a tiny fraction stays visible
        {439.9, {2, 0, 255}},    // 0.1/60 in the first band, not the second
        {509.5, {0, 255, 13}},   // (510 - 509.5)/20 = 0.025
        {0.0, {0, 0, 0}},
        {-400.0, {0, 0, 0}},
        {kNaN, {0, 0, 0}},
        {kInfinity, {0, 0, 0}},
        {1.0e30, {0, 0, 0}},
    };
    for (const auto& [lambda, expected] : cases) {
        const Rgb got = imaging::WavelengthToRgb(lambda);
        EXPECT_EQ(got.red, expected.red) << lambda << " nm";
        EXPECT_EQ(got.green, expected.green) << lambda << " nm";
        EXPECT_EQ(got.blue, expected.blue) << lambda << " nm";
    }
}

// 255 x (f x factor)^0.8, rounded half to even and limited to a byte.
TEST(ChannelLevel, PowerPointEightOfTheFraction)
{
    const std::tuple<double, double, int> cases[] = {
        {0.0, 1.0, 0},         {-0.0, 1.0, 0},  {1.0, 1.0, 255},
        {0.5, 1.0, 146},          // 146.46
        {45.0 / 70.0, 1.0, 179},  // 179.07
        {1.0, 0.5, 146},          // the factor multiplies the fraction before the power
        {2.0, 1.0, 255},       {-0.5, 1.0, 0},
    };
    for (const auto& [f, factor, level] : cases)
        EXPECT_EQ(imaging::ChannelLevel(f, factor), level) << f << " x " << factor;
}

}  // namespace
