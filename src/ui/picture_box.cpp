#include "ui/picture_box.h"

#include "imaging/pixel_buffer.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtEndian>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace ui {

PictureBox::PictureBox(QWidget* parent, int width, int height)
    : QWidget(parent), m_picture(width, height, QImage::Format_RGB32)
{
    m_picture.fill(Qt::black);
    setFixedSize(width, height);
}

const QImage& PictureBox::picture() const
{
    settle();
    return m_picture;
}

void PictureBox::settle() const
{
    if (const std::shared_ptr<const imaging::PixelBuffer> pending = std::move(m_pending))
        copyRows(*pending, 0, 0, pending->width(), pending->height(), 0, 0);
}

void PictureBox::setPicture(const QImage& picture)
{
    m_pending.reset();
    m_picture = picture.convertToFormat(QImage::Format_RGB32);
    m_drawn = true;
    update();
    emit pictureChanged();
}

void PictureBox::clear()
{
    m_pending.reset();
    m_picture = QImage(size(), QImage::Format_RGB32);
    m_picture.fill(Qt::black);
    m_drawn = false;
    update();
    emit pictureChanged();
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
    // In the box's own pixels at scale 1.
    const int width = static_cast<int>(std::lround(this->width() / m_scale));
    const int height = static_cast<int>(std::lround(this->height() / m_scale));
    return {(width - m_picture.width()) / 2, (height - m_picture.height()) / 2};
}

namespace {

// The part of the source rectangle [left, right) x [top, bottom) of a
// `width` x `height` source that lands inside `target` when its corner goes
// to (destX, destY), as the source rectangle; empty when nothing does.
QRect clippedSource(int left, int top, int right, int bottom, int width, int height, int destX, int destY,
                    const QImage& target)
{
    QRect from = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(QRect(0, 0, width, height));
    const QRect into = target.rect().translated(left - destX, top - destY);
    return from.intersected(into);
}

// Turns the first pixels of a row of `width` R G B pixels into QRgb, four at a
// time, and returns how many it did: the rest are left to the caller. Each
// step reads 16 bytes from where its 12 begin, so it stops while those lie in
// the row.
#if defined(__x86_64__)
__attribute__((target("ssse3"))) int rgbToQRgbSsse3(const std::uint8_t* in, QRgb* out, int width)
{
    // R G B of each pixel to B G R and 0 (little-endian 0x00RRGGBB), alpha added.
    const __m128i order = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xff000000u));
    int n = 0;
    for (; n + 6 <= width; n += 4) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * n));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n), _mm_or_si128(_mm_shuffle_epi8(bytes, order), alpha));
    }
    return n;
}

int rgbToQRgbFast(const std::uint8_t* in, QRgb* out, int width)
{
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    return ssse3 ? rgbToQRgbSsse3(in, out, width) : 0;
}
#else
int rgbToQRgbFast(const std::uint8_t*, QRgb*, int)
{
    return 0;
}
#endif

}  // namespace

void PictureBox::copyFrom(const imaging::PixelBuffer& buffer, int left, int top, int right, int bottom, int destX,
                          int destY)
{
    settle();
    copyRows(buffer, left, top, right, bottom, destX, destY);
    m_drawn = true;
    update();
    emit pictureChanged();
}

void PictureBox::copyRows(const imaging::PixelBuffer& buffer, int left, int top, int right, int bottom, int destX,
                          int destY) const
{
    // Clipped once to both pictures, then copied a row at a time.
    const QRect from = clippedSource(left, top, right, bottom, buffer.width(), buffer.height(), destX, destY,
                                     m_picture);
    const int width = from.width();
    for (int y = from.top(); y <= from.bottom(); ++y) {
        const std::uint8_t* in = buffer.data() + static_cast<std::size_t>(y) * buffer.stride() + from.left() * 3;
        auto* out = reinterpret_cast<QRgb*>(m_picture.scanLine(destY + y - top)) + destX + from.left() - left;
        // Four pixels at a time where the processor can; then four bytes read
        // at a time: R G B and the next pixel's R, reversed, are 0 R G B once
        // shifted. The last pixel, whose fourth byte may lie past the buffer,
        // is read byte by byte.
        int n = rgbToQRgbFast(in, out, width);
        for (; n + 1 < width; ++n) {
            std::uint32_t bytes;
            std::memcpy(&bytes, in + 3 * n, sizeof bytes);
            out[n] = 0xff000000u | (qFromBigEndian(bytes) >> 8);
        }
        for (; n < width; ++n)
            out[n] = qRgb(in[3 * n], in[3 * n + 1], in[3 * n + 2]);
    }
}

void PictureBox::copyFrom(const imaging::PixelBuffer& buffer)
{
    copyFrom(buffer, 0, 0, buffer.width(), buffer.height(), 0, 0);
}

void PictureBox::copyFrom(std::shared_ptr<const imaging::PixelBuffer> buffer)
{
    // A copy still waiting is dropped only where the new one covers it.
    if (m_pending && (m_pending->width() > buffer->width() || m_pending->height() > buffer->height()))
        settle();
    m_pending = std::move(buffer);
    m_drawn = true;
    update();
    emit pictureChanged();
}

void PictureBox::copyFrom(const QImage& picture, const QRect& source, const QPoint& dest)
{
    settle();
    const QImage rgb = picture.format() == QImage::Format_RGB32 ? picture
                                                                 : picture.convertToFormat(QImage::Format_RGB32);
    const QRect from = clippedSource(source.left(), source.top(), source.right() + 1, source.bottom() + 1,
                                     rgb.width(), rgb.height(), dest.x(), dest.y(), m_picture);
    for (int y = from.top(); y <= from.bottom(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y)) + from.left();
        auto* out = reinterpret_cast<QRgb*>(m_picture.scanLine(dest.y() + y - source.top())) + dest.x() + from.left()
                    - source.left();
        std::copy(in, in + from.width(), out);
    }
    m_drawn = true;
    update();
    emit pictureChanged();
}

void PictureBox::setPixel(int x, int y, QRgb colour)
{
    settle();
    if (m_picture.valid(x, y))
        m_picture.setPixel(x, y, colour);
    m_drawn = true;
    update();
}

void PictureBox::setScale(double scale)
{
    m_scale = scale;
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    settle();
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (m_scale != 1.0) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, m_scale != std::floor(m_scale));
        painter.scale(m_scale, m_scale);
    }
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
