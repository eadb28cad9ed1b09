#include "measured/measured_compose.h"

#include <gtest/gtest.h>

namespace {

TEST(FringeTerms, DefocusIsTwoRhoSquaredLessOne)
{
    EXPECT_DOUBLE_EQ(optics::FringeValue(4, 0.6, 0.0), 2 * 0.36 - 1);
}

}  // namespace
