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
    m_drawn = true;
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
    m_drawn = true;
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
    m_drawn = true;
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

imaging::PixelBuffer pixelBuffer(const QImage& picture)
{
    // The pictures of the boxes are 32-bit: read them as they are.
    const QImage rgb = picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    imaging::PixelBuffer out(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::uint8_t* to = out.data() + static_cast<std::size_t>(y) * out.stride();
        for (int x = 0; x < rgb.width(); ++x, to += 3) {
            to[0] = static_cast<std::uint8_t>(qRed(in[x]));
            to[1] = static_cast<std::uint8_t>(qGreen(in[x]));
            to[2] = static_cast<std::uint8_t>(qBlue(in[x]));
        }
    }
    return out;
}

}  // namespace ui
