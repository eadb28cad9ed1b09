#pragma once

#include <cstdint>
#include <vector>

namespace imaging {

//! A 24-bit colour.
struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

//! A 24-bit RGB drawing surface. Pixel (x, y): x the column from the left, y
//! the row from the top. Writes outside the buffer are ignored and reads
//! outside it give black; drawing operations are clipped. Rows are stored top
//! down, three bytes a pixel in the order red, green, blue, with no padding
//! for widths that are a multiple of four (the buffer memory can be shown
//! directly as an RGB888 picture).
class PixelBuffer {
public:
    //! A new buffer is white.
    PixelBuffer(int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }
    //! Bytes from one row to the next.
    int stride() const { return m_width * 3; }
    std::uint8_t* data() { return m_pixels.data(); }
    const std::uint8_t* data() const { return m_pixels.data(); }

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    void setPixel(int x, int y, Rgb colour)
    {
        if (!contains(x, y))
            return;
        std::uint8_t* p = m_pixels.data() + (static_cast<std::size_t>(y) * m_width + x) * 3;
        p[0] = colour.red;
        p[1] = colour.green;
        p[2] = colour.blue;
    }
    Rgb pixel(int x, int y) const
    {
        if (!contains(x, y))
            return kBlack;
        const std::uint8_t* p = m_pixels.data() + (static_cast<std::size_t>(y) * m_width + x) * 3;
        return {p[0], p[1], p[2]};
    }

    friend bool operator==(const PixelBuffer&, const PixelBuffer&) = default;

private:
    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_pixels;
};

//! Draws text onto a buffer. The core declares it; the window supplies an
//! implementation that uses the toolkit's fonts.
class TextPainter {
public:
    virtual ~TextPainter() = default;
    //! Writes `text` with its top-left corner at (x, y) in colour `ink` on an
    //! opaque `background` box.
    virtual void drawText(PixelBuffer& buffer, int x, int y, const char* text, Rgb ink, Rgb background) = 0;
    //! The width in pixels of the box drawText fills for `text`.
    virtual int textWidth(const char* text) const = 0;
};

}  // namespace imaging
