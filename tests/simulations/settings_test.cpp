#include "simulations/settings.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using optics::PupilParams;
using optics::StarRequest;
using sim::Setting;

// Editors that round to hundredths.
double Held(Setting, double value)
{
    return std::nearbyint(value * 100.0) / 100.0;
}

TEST(Settings, EachNamesItsOwnFieldAndTakesTheHeldValue)
{
    const std::pair<Setting, double PupilParams::*> fields[] = {
        {Setting::Aperture, &PupilParams::diameter},
        {Setting::Focus, &PupilParams::focus},
        {Setting::Coma, &PupilParams::coma},
        {Setting::ComaAngle, &PupilParams::comaAngle},
        {Setting::Astigmatism, &PupilParams::astigmatism},
        {Setting::AstigmatismAngle, &PupilParams::astigmatismAngle},
        {Setting::Spherical, &PupilParams::spherical},
        {Setting::HigherSpherical, &PupilParams::higherSpherical},
        {Setting::Pinch, &PupilParams::pinch},
        {Setting::Tube, &PupilParams::tube},
        {Setting::Edge, &PupilParams::edge},
    };
    for (const auto& [setting, field] : fields) {
        const StarRequest request = sim::With(StarRequest{}, setting, 3.14159, Held);
        EXPECT_EQ(request.pupil.*field, 3.14) << static_cast<int>(setting);
        EXPECT_EQ(sim::ValueOf(request, setting), 3.14) << static_cast<int>(setting);
        // Nothing else changes.
        StarRequest back = request;
        back.pupil.*field = StarRequest{}.pupil.*field;
        for (const auto& [other, otherField] : fields)
            EXPECT_EQ(back.pupil.*otherField, StarRequest{}.pupil.*otherField) << static_cast<int>(other);
    }
    // Without a held value the value goes in as it is.
    EXPECT_EQ(sim::With(StarRequest{}, Setting::Focus, 0.123456, {}).pupil.focus, 0.123456);
}

}  // namespace
