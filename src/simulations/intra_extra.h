#pragma once

#include "optics/star_calculator.h"
#include "simulations/settings.h"

namespace sim {

//! The three calculations of the intra/extra view, in the order they run.
struct IntraExtraPlan {
    //! In focus at half the aperture, which draws the pattern twice as large.
    optics::StarRequest focused;
    //! At minus and plus the defocus made positive.
    optics::StarRequest intra;
    optics::StarRequest extra;
};

//! The plan for the defocus of `controls` (which must not be 0). None of the
//! three computes the transfer function; every changed value is the held
//! form (the aperture of the out-of-focus pair too, as its editor holds it).
IntraExtraPlan PlanIntraExtra(const optics::StarRequest& controls, const HeldValue& held);

//! The out-of-focus image that the brightness balance draws again.
enum class BalancedSide { None, Intra, Extra };

//! The dimmer of the two images, redrawn on the brighter one's scale (none
//! when the peaks are equal).
BalancedSide DimmerSide(double intraPeak, double extraPeak);

}  // namespace sim
