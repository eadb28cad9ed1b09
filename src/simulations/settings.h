#pragma once

#include "optics/star_calculator.h"

#include <functional>

namespace sim {

//! The values of a star request that the user sets in an editor of the
//! window, and that the views vary.
enum class Setting {
    Aperture,          //!< the diameter, in the unit of the request
    Focus,
    Coma,
    ComaAngle,
    Astigmatism,
    AstigmatismAngle,
    Spherical,
    HigherSpherical,
    Pinch,
    Tube,
    Edge,
};

//! The value the editor of `setting` holds once `value` is written into it:
//! limited to its range and rounded to its decimals. The views apply it to
//! every value they put into a request, so that a view computes with exactly
//! what the editor would have held.
using HeldValue = std::function<double(Setting setting, double value)>;

//! The field of `request` that `setting` names.
double& FieldOf(optics::StarRequest& request, Setting setting);
double ValueOf(const optics::StarRequest& request, Setting setting);

//! `request` with `setting` set to the held form of `value`.
optics::StarRequest With(optics::StarRequest request, Setting setting, double value, const HeldValue& held);

}  // namespace sim
