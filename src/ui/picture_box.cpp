#include "ui/picture_box.h"

#include "imaging/pixel_buffer.h"

#include <QMouseEvent>
#include <QPainter>

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

void PictureBox::copyFrom(const imaging::PixelBuffer& buffer, int left, int top, int right, int bottom, int destX,
                          int destY)
{
    for (int y = top; y < bottom; ++y) {
        const int ty = destY + (y - top);
        if (y < 0 || y >= buffer.height() || ty < 0 || ty >= m_picture.height())
            continue;
        auto* line = reinterpret_cast<QRgb*>(m_picture.scanLine(ty));
        for (int x = left; x < right; ++x) {
            const int tx = destX + (x - left);
            if (x < 0 || x >= buffer.width() || tx < 0 || tx >= m_picture.width())
                continue;
            const imaging::Rgb c = buffer.pixel(x, y);
            line[tx] = qRgb(c.red, c.green, c.blue);
        }
    }
    update();
}

void PictureBox::copyFrom(const imaging::PixelBuffer& buffer)
{
    copyFrom(buffer, 0, 0, buffer.width(), buffer.height(), 0, 0);
}

void PictureBox::copyFrom(const QImage& picture, const QRect& source, const QPoint& dest)
{
    const QRect from = source.intersected(picture.rect());
    for (int y = from.top(); y <= from.bottom(); ++y) {
        for (int x = from.left(); x <= from.right(); ++x) {
            const QPoint to = dest + QPoint(x, y) - source.topLeft();
            if (m_picture.valid(to))
                m_picture.setPixel(to, picture.pixel(x, y));
        }
    }
    update();
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
    painter.drawImage(0, 0, m_picture);
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
