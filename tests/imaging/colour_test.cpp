#include "imaging/colour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using imaging::ChannelLevel;
using imaging::Rgb;
using imaging::WavelengthToRgb;

struct ColourCase {
    double lambda;
    Rgb expected;
};

class WavelengthColour : public ::testing::TestWithParam<ColourCase> {};

TEST_P(WavelengthColour, GivesTheBandColour)
{
    const ColourCase& c = GetParam();
    const Rgb got = WavelengthToRgb(c.lambda);
    EXPECT_EQ(got.red, c.expected.red) << c.lambda << " nm";
    EXPECT_EQ(got.green, c.expected.green) << c.lambda << " nm";
    EXPECT_EQ(got.blue, c.expected.blue) << c.lambda << " nm";
}

INSTANTIATE_TEST_SUITE_P(
    Examples, WavelengthColour,
    ::testing::Values(ColourCase{555.0, {179, 255, 0}},   // reference wavelength, r = 45/70
                      ColourCase{440.0, {0, 0, 255}},     // band edges belong to the band that starts there
                      ColourCase{510.0, {0, 255, 0}},
                      ColourCase{645.0, {255, 0, 0}},
                      ColourCase{580.0, {255, 255, 0}},
                      ColourCase{490.0, {0, 255, 255}},
                      ColourCase{380.0, {255, 0, 255}},
                      ColourCase{780.0, {255, 0, 0}},
                      ColourCase{780.9, {255, 0, 0}},     // band chosen by the truncated wavelength
                      ColourCase{781.0, {0, 0, 0}},
                      ColourCase{379.9, {0, 0, 0}},
                      ColourCase{400.0, {184, 0, 255}},   // bottom of the wavefront scale
                      ColourCase{655.0, {255, 0, 0}},     // top of the wavefront scale
                      ColourCase{644.9, {255, 1, 0}},     // a tiny fraction stays visible
                      ColourCase{439.9, {2, 0, 255}},     // 0.1/60 in the first band, not the second
                      ColourCase{509.5, {0, 255, 13}},    // (510 - 509.5)/20 = 0.025
                      ColourCase{0.0, {0, 0, 0}},
                      ColourCase{-400.0, {0, 0, 0}}));

TEST(WavelengthColour, UnrepresentableWavelengthsAreBlack)
{
    EXPECT_EQ(WavelengthToRgb(std::numeric_limits<double>::quiet_NaN()), imaging::kBlack);
    EXPECT_EQ(WavelengthToRgb(std::numeric_limits<double>::infinity()), imaging::kBlack);
    EXPECT_EQ(WavelengthToRgb(1.0e30), imaging::kBlack);
}

TEST(ChannelLevel, ZeroFractionIsZero)
{
    EXPECT_EQ(ChannelLevel(0.0, 1.0), 0);
    EXPECT_EQ(ChannelLevel(-0.0, 1.0), 0);
}

TEST(ChannelLevel, PowerPointEightRoundedHalfToEven)
{
    EXPECT_EQ(ChannelLevel(1.0, 1.0), 255);
    // 255 x 0.5^0.8 = 146.46
    EXPECT_EQ(ChannelLevel(0.5, 1.0), 146);
    // 255 x (45/70)^0.8 = 179.07
    EXPECT_EQ(ChannelLevel(45.0 / 70.0, 1.0), 179);
    // The factor multiplies the fraction before the power.
    EXPECT_EQ(ChannelLevel(1.0, 0.5), 146);
}

TEST(ChannelLevel, FractionsOutsideZeroToOneAreLimited)
{
    EXPECT_EQ(ChannelLevel(2.0, 1.0), 255);
    EXPECT_EQ(ChannelLevel(-0.5, 1.0), 0);
}

}  // namespace
