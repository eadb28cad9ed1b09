#include "base/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Every picture level, cell index and label number rounds this way.
TEST(Rounding, HalvesGoToTheEvenNeighbour)
{
    const std::pair<double, double> cases[] = {
        {2.5, 2.0},   {3.5, 4.0},   {-2.5, -2.0}, {-1.5, -2.0}, {0.5, 0.0}, {1.4999999999999998, 1.0},
        {0.49999999999999994, 0.0}, {4503599627370497.0, 4503599627370497.0},  // 2^52 + 1 has no fraction
        {1e300, 1e300},
    };
    for (const auto& [x, rounded] : cases)
        EXPECT_EQ(base::RoundHalfEven(x), rounded) << x;
    EXPECT_TRUE(std::isnan(base::RoundHalfEven(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_EQ(base::RoundToInt(-0.5), 0);
    EXPECT_EQ(base::RoundToInt(255.5), 256);
}

TEST(Rounding, ByteLevelsAreLimitedToZeroTo255)
{
    const std::pair<double, int> cases[] = {
        {0.5, 0},     {1.5, 2},     {254.5, 254}, {255.4, 255}, {300.0, 255}, {-3.0, 0},
        {std::numeric_limits<double>::quiet_NaN(), 0}, {std::numeric_limits<double>::infinity(), 255},
    };
    for (const auto& [value, level] : cases)
        EXPECT_EQ(base::ByteLevel(value), level) << value;
}

}  // namespace
