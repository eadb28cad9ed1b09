#include "simulations/intra_extra.h"

#include <cmath>

namespace sim {

IntraExtraPlan PlanIntraExtra(const optics::StarRequest& controls, const HeldValue& held)
{
    optics::StarRequest base = controls;
    base.transferFunction = false;
    const double focus = controls.pupil.focus;
    const double aperture = controls.pupil.diameter;

    IntraExtraPlan plan;
    plan.focused = With(With(base, Setting::Focus, 0.0, held), Setting::Aperture, aperture * 0.5, held);
    const optics::StarRequest sides = With(base, Setting::Aperture, aperture, held);
    plan.intra = With(sides, Setting::Focus, -std::fabs(focus), held);
    plan.extra = With(sides, Setting::Focus, std::fabs(focus), held);
    return plan;
}

BalancedSide DimmerSide(double intraPeak, double extraPeak)
{
    if (intraPeak > extraPeak)
        return BalancedSide::Extra;
    if (intraPeak < extraPeak)
        return BalancedSide::Intra;
    return BalancedSide::None;
}

}  // namespace sim
