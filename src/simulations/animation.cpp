#include "simulations/animation.h"

#include <cmath>
#include <cstdio>

namespace sim {

std::optional<std::string> CheckRange(const AnimationRange& range)
{
    if (!(range.steps >= 1.0))
        return "Steps/Frames must be at least 1";
    if (range.steps > 100.0)
        return "Steps/Frames must be at most 100";
    return std::nullopt;
}

int FrameCount(const AnimationRange& range)
{
    return static_cast<int>(std::nearbyint(range.steps)) + 1;
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

void AnimationRun::start(double steps)
{
    m_engine.PaintTarget = optics::PaintTarget::StarImage;
    m_engine.ColourComposite = false;
    m_engine.TurbulenceShift = 0;
    m_step = static_cast<float>(128.0 / steps);
}

int AnimationRun::advance()
{
    m_engine.TurbulenceShift = static_cast<std::int32_t>(std::nearbyint(static_cast<double>(m_engine.TurbulenceShift) + m_step));
    return m_engine.TurbulenceShift;
}

}  // namespace sim
