#include "ui/gif_player.h"

#include <cmath>

#include "imaging/gif_file.h"

#include <QPainter>

#include <algorithm>

namespace ui {

namespace {

QImage pictureOf(const imaging::PalettePicture& frame)
{
    QImage indexed(frame.width, frame.height, QImage::Format_Indexed8);
    QList<QRgb> colours;
    for (const imaging::Rgb& c : frame.palette)
        colours.append(qRgb(c.red, c.green, c.blue));
    indexed.setColorTable(colours);
    for (int y = 0; y < frame.height; ++y)
        std::copy_n(frame.indices.begin() + static_cast<std::ptrdiff_t>(y) * frame.width, frame.width,
                    indexed.scanLine(y));
    return indexed.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

GifPlayer::GifPlayer(QWidget* parent, int width, int height)
    : QWidget(parent)
{
    setFixedSize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kMinFrameMs);
    connect(&m_timer, &QTimer::timeout, this, &GifPlayer::step);
}

void GifPlayer::setAnimation(const imaging::AnimatedGif& gif)
{
    stop();
    m_frames.clear();
    m_frames.reserve(static_cast<std::size_t>(gif.count()));
    for (int i = 0; i < gif.count(); ++i)
        m_frames.push_back(gif.frame(i));
    m_index = 0;
    m_shownIndex = -1;
    update();
    emit changed();
}

QImage GifPlayer::frame(int index) const
{
    return pictureOf(m_frames.at(static_cast<std::size_t>(index)));
}

void GifPlayer::setFrameIndex(int index)
{
    if (m_frames.empty())
        return;
    m_index = std::clamp(index, 0, count() - 1);
    update();
    emit frameChanged();
}

void GifPlayer::play()
{
    if (count() < 2 || playing())
        return;
    if (m_index == count() - 1 && !m_loop)
        setFrameIndex(0);
    m_playing = true;
    m_timer.start();
    emit started();
}

void GifPlayer::stop()
{
    if (!m_playing)
        return;
    m_playing = false;
    m_timer.stop();
    emit stopped();
}

void GifPlayer::step()
{
    if (!m_playing)
        return;
    if (m_index < count() - 1 || m_loop) {
        m_timer.start();
        setFrameIndex(m_index < count() - 1 ? m_index + 1 : 0);
        return;
    }
    stop();
}

void GifPlayer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (m_frames.empty())
        return;
    if (m_shownIndex != m_index) {
        m_shown = frame(m_index);
        m_shownIndex = m_index;
    }
    const QImage& picture = m_shown;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_scale != std::floor(m_scale));
    painter.scale(m_scale, m_scale);
    const double width = this->width() / m_scale;
    const double height = this->height() / m_scale;
    painter.drawImage(QPointF(std::trunc((width - picture.width()) / 2), std::trunc((height - picture.height()) / 2)),
                      picture);
}

}  // namespace ui
