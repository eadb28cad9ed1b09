#include "app/star_display.h"

#include "imaging/pixel_buffer.h"
#include "ui/picture_box.h"

namespace app {

StarDisplay::StarDisplay(optics::Engine& engine, optics::StatusSink& status)
    : m_engine(engine), m_status(status)
{
}

void StarDisplay::setTarget(optics::PaintTarget target, ui::PictureBox* picture)
{
    m_targets[target] = picture;
}

void StarDisplay::GammaSpinChange(double gamma, double slope, const imaging::DisplaySettings& settings)
{
    imaging::BuildDisplayLut(m_engine, gamma, slope);
    // Start-up builds the table before any star image exists.
    if (!m_engine.FirstGammaChange)
        BuildStarImage(settings);
    m_engine.FirstGammaChange = false;
}

void StarDisplay::BuildStarImage(const imaging::DisplaySettings& settings)
{
    imaging::BuildStarImage(m_engine, settings, m_buffer, m_status, [this] { Starimage1Paint(); });
}

int StarDisplay::Changezoom(const imaging::DisplaySettings& settings)
{
    return imaging::Changezoom(m_engine, settings, m_buffer, m_status, [this] { Starimage1Paint(); });
}

void StarDisplay::Starimage1Paint()
{
    const auto star = m_targets.find(optics::PaintTarget::StarImage);
    const auto target = m_targets.find(m_engine.PaintTarget);
    if (!m_buffer || star == m_targets.end() || target == m_targets.end())
        return;
    // The 257 x 257 pictures receive 256 x 256 pixels at their top left.
    const QRect area = star->second->picture().rect();
    target->second->copyFrom(*m_buffer, area.left(), area.top(), area.right() + 1, area.bottom() + 1, 0, 0);
}

}  // namespace app
