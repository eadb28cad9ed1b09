#include "imaging/pixel_buffer.h"

#include <algorithm>
#include <stdexcept>

namespace imaging {

PixelBuffer::PixelBuffer(int width, int height)
    : m_width(width), m_height(height)
{
    if (width <= 0 || height <= 0)
        throw std::invalid_argument("pixel buffer size must be positive");
    m_pixels.assign(static_cast<std::size_t>(width) * height * 3, 255);
}

void PixelBuffer::fillRect(int left, int top, int right, int bottom)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_width);
    bottom = std::min(bottom, m_height);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            setPixel(x, y, brushColour);
}

void PixelBuffer::copyRect(const PixelBuffer& source, int left, int top, int right, int bottom, int destX, int destY)
{
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (!source.contains(x, y))
                continue;
            setPixel(destX + (x - left), destY + (y - top), source.pixel(x, y));
        }
    }
}

}  // namespace imaging
