#include "simulations/animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using optics::StarRequest;
using sim::AnimatedError;
using sim::Setting;

TEST(AnimationTexts, ValuesRoundToHundredthsInTheirShortestForm)
{
    const std::tuple<double, char, const char*> cases[] = {
        {-5.0, '.', "-5"}, {-4.5, '.', "-4.5"}, {1.4321, '.', "1.43"}, {1.435, ',', "1,44"},
        {-0.001, '.', "0"}, {0.07, '.', "0.07"}, {9.999, '.', "10"},
    };
    for (const auto& [value, separator, text] : cases)
        EXPECT_EQ(sim::ValueText(value, separator), text) << value;
    EXPECT_EQ(sim::ProgressText("Spherical Low", 0.25, '.'), "Animating Spherical Low 0.25");
    EXPECT_EQ(sim::FrameLabel("Focus", {-5.0, 5.0, 20.0}, 0, '.'), "Focus -5");
    EXPECT_EQ(sim::FrameLabel("Focus", {-5.0, 5.0, 20.0}, 3, '.'), "Focus -3.5");
    // Steps set to 0 after the animation was made: the frame number alone.
    EXPECT_EQ(sim::FrameLabel("Focus", {-5.0, 5.0, 0.0}, 3, '.'), "4");
}

TEST(AnimationRange, StepsFromOneTo100WithBothEndsAmongTheFrames)
{
    const std::pair<double, bool> checks[] = {{1.0, true},   {100.0, true}, {20.0, true},
                                              {0.0, false},  {0.5, false},  {100.5, false},
                                              {-3.0, false}, {std::numeric_limits<double>::quiet_NaN(), false}};
    for (const auto& [steps, ok] : checks) {
        const base::Status status = sim::CheckRange({-5.0, 5.0, steps});
        EXPECT_EQ(status.ok(), ok) << steps;
        EXPECT_EQ(status.error().empty(), ok) << steps;
    }
    EXPECT_EQ(sim::FrameCount({-5.0, 5.0, 20.0}), 21);
    EXPECT_EQ(sim::FrameCount({-5.0, 5.0, 2.5}), 3);  // halves to even
    EXPECT_EQ(sim::FrameValue({-5.0, 5.0, 20.0}, 3), -3.5);
    EXPECT_EQ(sim::FrameValue({-5.0, 5.0, 20.0}, 20), 5.0);
}

TEST(ScreenDrift, TheRoundingAccumulatesFromFrameToFrame)
{
    const std::pair<double, std::vector<int>> cases[] = {
        {20.0, {6, 12, 18, 24, 30}},     // 6.4 a frame
        {3.0, {43, 86, 129, 172}},       // 42.67 a frame
        {1.0, {128, 256}},
        {100.0, {1, 2, 3, 4, 5, 6, 7}},  // 1.28 a frame: the fraction is lost each time
    };
    for (const auto& [steps, drifts] : cases) {
        sim::ScreenDrift drift(steps);
        EXPECT_EQ(drift.drift(), 0);
        std::vector<int> got;
        for (std::size_t i = 0; i < drifts.size(); ++i)
            got.push_back(drift.advance());
        EXPECT_EQ(got, drifts) << steps;
        EXPECT_EQ(drift.drift(), drifts.back());
    }
}

// Editors that round to hundredths and angle editors that hold whole degrees.
double Held(Setting setting, double value)
{
    if (setting == Setting::ComaAngle || setting == Setting::AstigmatismAngle)
        return std::nearbyint(value);
    return std::nearbyint(value * 100.0) / 100.0;
}

// Every error sets its own value, as its editor holds it, and nothing else
// but the drift; a "Y" error first turns its angle by 90 degrees.
TEST(FrameRequest, EachErrorSetsItsOwnHeldValueAndTheDrift)
{
    StarRequest controls;
    controls.pupil.comaAngle = 275.6;
    controls.pupil.astigmatismAngle = 10.0;
    controls.pupil.focus = 0.5;
    controls.screenDrift = 99;
    const struct {
        AnimatedError error;
        bool moves;
        Setting setting;
        double comaAngle, astigmatismAngle;
    } cases[] = {
        {AnimatedError::Focus, true, Setting::Focus, 275.6, 10.0},
        {AnimatedError::ComaX, true, Setting::Coma, 275.6, 10.0},
        {AnimatedError::ComaY, true, Setting::Coma, 6.0, 10.0},  // 365.6 modulo 360, held
        {AnimatedError::AstigmatismX, true, Setting::Astigmatism, 275.6, 10.0},
        {AnimatedError::AstigmatismY, true, Setting::Astigmatism, 275.6, 100.0},
        {AnimatedError::SphericalLow, true, Setting::Spherical, 275.6, 10.0},
        {AnimatedError::SphericalHigh, true, Setting::HigherSpherical, 275.6, 10.0},
        {AnimatedError::Tube, true, Setting::Tube, 275.6, 10.0},
        {AnimatedError::Pinch, true, Setting::Pinch, 275.6, 10.0},
        {AnimatedError::Edge, true, Setting::Edge, 275.6, 10.0},
        {AnimatedError::Turbulence, false, Setting::Focus, 275.6, 10.0},
    };
    const Setting amounts[] = {Setting::Focus, Setting::Coma,  Setting::Astigmatism, Setting::Spherical,
                               Setting::HigherSpherical, Setting::Tube, Setting::Pinch, Setting::Edge};
    for (const auto& c : cases) {
        const StarRequest base = sim::AnimationBase(controls, c.error, Held);
        EXPECT_EQ(base.pupil.comaAngle, c.comaAngle) << static_cast<int>(c.error);
        EXPECT_EQ(base.pupil.astigmatismAngle, c.astigmatismAngle) << static_cast<int>(c.error);
        const StarRequest frame = sim::FrameRequest(base, c.error, -1.2345, 7, Held);
        EXPECT_EQ(frame.screenDrift, 7);
        for (Setting s : amounts) {
            const bool set = c.moves && s == c.setting;
            EXPECT_EQ(sim::ValueOf(frame, s), set ? -1.23 : sim::ValueOf(controls, s))
                << static_cast<int>(c.error) << " " << static_cast<int>(s);
        }
    }
}

}  // namespace
