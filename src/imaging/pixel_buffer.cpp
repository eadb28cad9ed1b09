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

}  // namespace imaging
