#pragma once

#include "optics/engine.h"

#include <optional>
#include <string>

namespace sim {

//! The range an animation steps through, as its editors read.
struct AnimationRange {
    double low = -5.0;    //!< "Lowest Value in Animation"
    double high = 5.0;    //!< "Highest Value in Animation"
    double steps = 20.0;  //!< "Steps/Frames"
};

//! Why `range` cannot be animated, or nothing: steps below 1 make no step
//! (and would divide by zero), more than the editor's 100 only come from text
//! typed and not yet checked.
std::optional<std::string> CheckRange(const AnimationRange& range);

//! Round(steps) + 1: both ends of the range and every step between.
int FrameCount(const AnimationRange& range);

//! The value of frame `frame`: low + (high - low) / steps x frame.
double FrameValue(const AnimationRange& range, int frame);

//! A value as the status bar and the frame label show it: rounded to 0.01
//! and written in its shortest form with `separator` ("-5", "-4.5", "1.43").
std::string ValueText(double value, char separator);

//! Status panel 1 while a frame is made: "Animating Focus -4.5".
std::string ProgressText(const std::string& item, double value, char separator);

//! The text over frame `frame` of the player: the item and the frame's value
//! from the range as the editors read now ("Focus -5"). With steps set to 0
//! after the animation was made there is no value to show, and the label is
//! the frame's number (frame + 1).
std::string FrameLabel(const std::string& item, const AnimationRange& range, int frame, char separator);

//! The shared state an animation run writes: the paint target, the colour
//! composite flag and the drift of the turbulence screen.
class AnimationRun {
public:
    explicit AnimationRun(optics::Engine& engine) : m_engine(engine) {}

    //! Before the first frame: the star picture is the paint target, a colour
    //! composite on screen is dropped, and the screen drift starts from 0 with
    //! a step of 128 / steps cells a frame (single precision).
    void start(double steps);
    //! Before each frame: TurbulenceShift := Round(TurbulenceShift + step).
    //! The rounding accumulates: at 20 steps (6.4) the shift grows by 6 a
    //! frame, at 3 steps (42.67) by 43. Returns the new shift.
    int advance();
    int shift() const { return m_engine.TurbulenceShift; }

private:
    optics::Engine& m_engine;
    float m_step = 0.0f;
};

}  // namespace sim
