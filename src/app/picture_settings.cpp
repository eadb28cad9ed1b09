#include "app/picture_settings.h"

#include "app/control_names.h"
#include "app/settings_file.h"
#include "ui/picture_box.h"

#include <QWidget>

namespace app {

PictureSettings::PictureSettings(QWidget& window, const WindowSettings& settings, std::function<bool()> running)
    : QObject(&window), m_settings(settings), m_running(std::move(running))
{
    for (ui::PictureBox* box : window.findChildren<ui::PictureBox*>())
        connect(box, &ui::PictureBox::pictureChanged, this, [this, box] { drawn(box); });
}

QStringList PictureSettings::drawingControls()
{
    return {names::kZoom,       names::kBrightness,          names::kGamma,        names::kSlope,
            names::kSeparation, names::kMagnitudeDifference, names::kPositionAngle};
}

void PictureSettings::calculationStarted()
{
    m_run = m_settings.document();
}

void PictureSettings::drawn(const ui::PictureBox* box)
{
    // The calculation's settings while it delivers; a redraw keeps those the
    // picture was made with.
    QJsonObject document;
    if (const auto kept = m_pictures.find(box); !m_running() && kept != m_pictures.end())
        document = kept->second;
    else
        document = m_run.isEmpty() ? m_settings.document() : m_run;
    const QJsonObject now = m_settings.controls(drawingControls());
    if (!m_made || m_made->from != document || m_made->drawing != now) {
        m_made = Made{document, now, {}};
        QJsonObject controls = document.value(QLatin1String("controls")).toObject();
        for (auto it = now.begin(); it != now.end(); ++it)
            controls.insert(it.key(), it.value());
        document.insert(QLatin1String("controls"), controls);
        m_made->document = document;
    }
    m_pictures[box] = m_made->document;
}

QJsonObject PictureSettings::of(const ui::PictureBox& box) const
{
    const auto kept = m_pictures.find(&box);
    return kept == m_pictures.end() ? m_settings.document() : kept->second;
}

}  // namespace app
