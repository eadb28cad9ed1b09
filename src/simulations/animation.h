#pragma once

#include "base/result.h"
#include "optics/star_calculator.h"
#include "simulations/settings.h"

#include <string>

namespace sim {

//! The range an animation steps through, as its editors read.
struct AnimationRange {
    double low = -5.0;    //!< "Lowest Value in Animation"
    double high = 5.0;    //!< "Highest Value in Animation"
    double steps = 20.0;  //!< "Steps/Frames"
};

//! Whether `range` can be animated: steps below 1 make no step (and would
//! divide by zero), more than the editor's 100 only come from text typed and
//! not yet checked.
base::Status CheckRange(const AnimationRange& range);

//! Round(steps) + 1: both ends of the range and every step between.
int FrameCount(const AnimationRange& range);

//! The value of frame `frame`: low + (high - low) / steps x frame.
double FrameValue(const AnimationRange& range, int frame);

//! A value as the status bar and the frame label show it: rounded to 0.01
//! and written in its shortest form with `separator` ("-5", "-4.5", "1.43").
std::string ValueText(double value, char separator);

//! The progress text while a frame is made: "Animating Focus -4.5".
std::string ProgressText(const std::string& item, double value, char separator);

//! The text over frame `frame` of the player: the item and the frame's value
//! from the range as the editors read now ("Focus -5"). With steps set to 0
//! after the animation was made there is no value to show, and the label is
//! the frame's number (frame + 1).
std::string FrameLabel(const std::string& item, const AnimationRange& range, int frame, char separator);

//! The errors an animation can step, in the order of its list. "Y" turns
//! the error's angle by 90 degrees; the turbulence changes no value, its
//! frames differ only by the drift of the screen.
enum class AnimatedError {
    Focus,
    ComaX,
    ComaY,
    AstigmatismX,
    AstigmatismY,
    SphericalLow,
    SphericalHigh,
    Tube,
    Pinch,
    Edge,
    Turbulence,
};

//! The request of every frame but for the value and the drift: `controls`
//! with the angle of a "Y" error turned by 90 degrees (modulo 360, as the
//! angle's editor holds it).
optics::StarRequest AnimationBase(const optics::StarRequest& controls, AnimatedError error, const HeldValue& held);

//! The request of the frame with `value` (as its editor holds it) and the
//! screen drift `drift`.
optics::StarRequest FrameRequest(const optics::StarRequest& base, AnimatedError error, double value, int drift,
                                 const HeldValue& held);

//! How far the turbulence screen drifts from frame to frame: it starts at 0
//! and moves by 128 / steps cells a frame (single precision), rounded after
//! every step, so the rounding accumulates: at 20 steps (6.4) the drift grows
//! by 6 a frame, at 3 steps (42.67) by 43.
class ScreenDrift {
public:
    explicit ScreenDrift(double steps) : m_step(static_cast<float>(128.0 / steps)) {}
    //! The drift of the next frame.
    int advance();
    int drift() const { return m_drift; }

private:
    float m_step;
    int m_drift = 0;
};

}  // namespace sim
