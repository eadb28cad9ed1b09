#include "ui/picture_box.h"

#include "imaging/pixel_buffer.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace ui {

PictureBox::PictureBox(QWidget* parent, int width, int height)
    : QWidget(parent), m_picture(width, height, QImage::Format_RGB32)
{
    m_picture.fill(Qt::black);
    setFixedSize(width, height);
}

void PictureBox::setPicture(const QImage& picture)
{
    m_picture = picture.convertToFormat(QImage::Format_RGB32);
    update();
}

void PictureBox::setCentred(bool centred)
{
    m_centred = centred;
    update();
}

QPoint PictureBox::pictureOrigin() const
{
    if (!m_centred)
        return {0, 0};
    return {(width() - m_picture.width()) / 2, (height() - m_picture.height()) / 2};
}

void PictureBox::copyFrom(const imaging::PixelBuffer& buffer, int left, int top, int right, int bottom, int destX,
                          int destY)
{
    // Clipped once to both pictures, then copied a row at a time.
    const int dx = destX - left;
    const int dy = destY - top;
    const int x0 = std::max({left, 0, -dx});
    const int x1 = std::min({right, buffer.width(), m_picture.width() - dx});
    const int y0 = std::max({top, 0, -dy});
    const int y1 = std::min({bottom, buffer.height(), m_picture.height() - dy});
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* from = buffer.data() + static_cast<std::ptrdiff_t>(y) * buffer.stride() + x0 * 3;
        auto* to = reinterpret_cast<QRgb*>(m_picture.scanLine(y + dy)) + x0 + dx;
        for (int x = x0; x < x1; ++x, from += 3)
            *to++ = qRgb(from[0], from[1], from[2]);
    }
    update();
}

void PictureBox::copyFrom(const imaging::PixelBuffer& buffer)
{
    copyFrom(buffer, 0, 0, buffer.width(), buffer.height(), 0, 0);
}

void PictureBox::setPixel(int x, int y, QRgb colour)
{
    if (m_picture.valid(x, y))
        m_picture.setPixel(x, y, colour);
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.drawImage(pictureOrigin(), m_picture);
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QWidget::mousePressEvent(event);
}

QImage imageView(const imaging::PixelBuffer& buffer)
{
    return QImage(buffer.data(), buffer.width(), buffer.height(), buffer.stride(), QImage::Format_RGB888);
}

}  // namespace ui
