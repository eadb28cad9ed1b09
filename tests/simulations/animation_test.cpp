#include "simulations/animation.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(AnimationTexts, ValuesRoundToHundredthsInTheirShortestForm)
{
    const std::tuple<double, char, const char*> cases[] = {
        {-5.0, '.', "-5"},   {-4.5, '.', "-4.5"}, {1.4321, '.', "1.43"}, {1.435, ',', "1,44"},
        {-0.001, '.', "0"},  {0.07, '.', "0.07"}, {9.999, '.', "10"},
    };
    for (const auto& [value, separator, text] : cases)
        EXPECT_EQ(sim::ValueText(value, separator), text) << value;
    EXPECT_EQ(sim::ProgressText("Spherical Low", 0.25, '.'), "Animating Spherical Low 0.25");
    EXPECT_EQ(sim::FrameLabel("Focus", {-5.0, 5.0, 20.0}, 0, '.'), "Focus -5");
    EXPECT_EQ(sim::FrameLabel("Focus", {-5.0, 5.0, 20.0}, 3, '.'), "Focus -3.5");
    // Steps set to 0 after the animation was made: the frame number alone.
    EXPECT_EQ(sim::FrameLabel("Focus", {-5.0, 5.0, 0.0}, 3, '.'), "4");
}

TEST(AnimationRun, TheScreenDriftRoundsAsItAccumulates)
{
    struct Case {
        double steps;
        std::vector<int> shifts;
    };
    const Case cases[] = {
        {20.0, {6, 12, 18, 24, 30}},     // 6.4 a frame
        {3.0, {43, 86, 129, 172}},       // 42.67 a frame
        {1.0, {128, 256}},
        {100.0, {1, 2, 3, 4, 5, 6, 7}},  // 1.28 a frame: the fraction is lost each time
    };
    const auto engine = optics::Engine::Create();
    for (const Case& c : cases) {
        engine->TurbulenceShift = 77;
        engine->ColourComposite = true;
        engine->PaintTarget = optics::PaintTarget::Planet;
        sim::AnimationRun run(*engine);
        run.start(c.steps);
        EXPECT_EQ(engine->TurbulenceShift, 0) << c.steps;
        EXPECT_FALSE(engine->ColourComposite);
        EXPECT_EQ(engine->PaintTarget, optics::PaintTarget::StarImage);
        std::vector<int> shifts;
        for (std::size_t i = 0; i < c.shifts.size(); ++i)
            shifts.push_back(run.advance());
        EXPECT_EQ(shifts, c.shifts) << c.steps;
        EXPECT_EQ(engine->TurbulenceShift, c.shifts.back());
    }
}

}  // namespace
