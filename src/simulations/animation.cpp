#include "simulations/animation.h"

#include "base/rounding.h"

#include <cmath>
#include <cstdio>

namespace sim {

base::Status CheckRange(const AnimationRange& range)
{
    if (!(range.steps >= 1.0))
        return base::Fail("Steps/Frames must be at least 1");
    if (range.steps > 100.0)
        return base::Fail("Steps/Frames must be at most 100");
    return base::Done();
}

int FrameCount(const AnimationRange& range)
{
    return base::RoundToInt(range.steps) + 1;
}

double FrameValue(const AnimationRange& range, int frame)
{
    return range.low + (range.high - range.low) / range.steps * frame;
}

std::string ValueText(double value, char separator)
{
    // Fifteen significant digits give the shortest form of a number rounded
    // to hundredths (1.43, not 1.4300000000000002); adding 0 turns -0 into 0.
    const double rounded = std::nearbyint(value * 100.0) * 0.01 + 0.0;
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", rounded);
    std::string out(text);
    for (char& c : out)
        if (c == '.')
            c = separator;
    return out;
}

std::string ProgressText(const std::string& item, double value, char separator)
{
    return "Animating " + item + " " + ValueText(value, separator);
}

std::string FrameLabel(const std::string& item, const AnimationRange& range, int frame, char separator)
{
    if (range.steps == 0.0)
        return std::to_string(frame + 1);
    return item + " " + ValueText(FrameValue(range, frame), separator);
}

namespace {

// The value an error sets, and the angle a "Y" error turns.
struct Drive {
    bool moves;
    Setting amount;
    bool turns;
    Setting angle;
};

Drive DriveOf(AnimatedError error)
{
    switch (error) {
    case AnimatedError::Focus: return {true, Setting::Focus, false, Setting::Focus};
    case AnimatedError::ComaX: return {true, Setting::Coma, false, Setting::Focus};
    case AnimatedError::ComaY: return {true, Setting::Coma, true, Setting::ComaAngle};
    case AnimatedError::AstigmatismX: return {true, Setting::Astigmatism, false, Setting::Focus};
    case AnimatedError::AstigmatismY: return {true, Setting::Astigmatism, true, Setting::AstigmatismAngle};
    case AnimatedError::SphericalLow: return {true, Setting::Spherical, false, Setting::Focus};
    case AnimatedError::SphericalHigh: return {true, Setting::HigherSpherical, false, Setting::Focus};
    case AnimatedError::Tube: return {true, Setting::Tube, false, Setting::Focus};
    case AnimatedError::Pinch: return {true, Setting::Pinch, false, Setting::Focus};
    case AnimatedError::Edge: return {true, Setting::Edge, false, Setting::Focus};
    case AnimatedError::Turbulence: break;
    }
    return {false, Setting::Focus, false, Setting::Focus};
}

}  // namespace

optics::StarRequest AnimationBase(const optics::StarRequest& controls, AnimatedError error, const HeldValue& held)
{
    const Drive drive = DriveOf(error);
    if (!drive.turns)
        return controls;
    return With(controls, drive.angle, std::fmod(ValueOf(controls, drive.angle) + 90.0, 360.0), held);
}

optics::StarRequest FrameRequest(const optics::StarRequest& base, AnimatedError error, double value, int drift,
                                 const HeldValue& held)
{
    const Drive drive = DriveOf(error);
    optics::StarRequest r = drive.moves ? With(base, drive.amount, value, held) : base;
    r.screenDrift = drift;
    return r;
}

int ScreenDrift::advance()
{
    m_drift = base::RoundToInt(static_cast<double>(m_drift) + m_step);
    return m_drift;
}

}  // namespace sim
