#include "simulations/intra_extra.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using optics::StarRequest;
using sim::Setting;

// Editors that round to hundredths, an aperture editor that holds at least 2
// and rounds to tenths.
double Held(Setting setting, double value)
{
    if (setting == Setting::Aperture)
        return std::max(2.0, std::nearbyint(value * 10.0) / 10.0);
    return std::nearbyint(value * 100.0) / 100.0;
}

TEST(PlanIntraExtra, HalfApertureInFocusThenBothSidesOfFocusAtTheHeldAperture)
{
    StarRequest controls;
    controls.pupil.diameter = 3.04;
    controls.pupil.focus = -2.346;
    controls.pupil.coma = 0.25;
    controls.transferFunction = true;
    const sim::IntraExtraPlan plan = sim::PlanIntraExtra(controls, Held);
    EXPECT_EQ(plan.focused.pupil.diameter, 2.0);  // 1.52 held at the editor's least
    EXPECT_EQ(plan.focused.pupil.focus, 0.0);
    EXPECT_EQ(plan.intra.pupil.diameter, 3.0);
    EXPECT_EQ(plan.extra.pupil.diameter, 3.0);
    EXPECT_EQ(plan.intra.pupil.focus, -2.35);  // -|focus|, held
    EXPECT_EQ(plan.extra.pupil.focus, 2.35);
    for (const StarRequest* r : {&plan.focused, &plan.intra, &plan.extra}) {
        EXPECT_FALSE(r->transferFunction);
        EXPECT_EQ(r->pupil.coma, 0.25);
    }
}

TEST(DimmerSide, TheSideWithTheLowerPeakIsRedrawn)
{
    EXPECT_EQ(sim::DimmerSide(4.0, 2.0), sim::BalancedSide::Extra);
    EXPECT_EQ(sim::DimmerSide(2.0, 4.0), sim::BalancedSide::Intra);
    EXPECT_EQ(sim::DimmerSide(3.0, 3.0), sim::BalancedSide::None);
}

}  // namespace
