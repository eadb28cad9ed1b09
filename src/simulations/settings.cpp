#include "simulations/settings.h"

namespace sim {

double& FieldOf(optics::StarRequest& request, Setting setting)
{
    optics::PupilParams& p = request.pupil;
    switch (setting) {
    case Setting::Aperture: return p.diameter;
    case Setting::Focus: return p.focus;
    case Setting::Coma: return p.coma;
    case Setting::ComaAngle: return p.comaAngle;
    case Setting::Astigmatism: return p.astigmatism;
    case Setting::AstigmatismAngle: return p.astigmatismAngle;
    case Setting::Spherical: return p.spherical;
    case Setting::HigherSpherical: return p.higherSpherical;
    case Setting::Pinch: return p.pinch;
    case Setting::Tube: return p.tube;
    case Setting::Edge: return p.edge;
    }
    return p.focus;
}

double ValueOf(const optics::StarRequest& request, Setting setting)
{
    return FieldOf(const_cast<optics::StarRequest&>(request), setting);
}

optics::StarRequest With(optics::StarRequest request, Setting setting, double value, const HeldValue& held)
{
    FieldOf(request, setting) = held ? held(setting, value) : value;
    return request;
}

}  // namespace sim
