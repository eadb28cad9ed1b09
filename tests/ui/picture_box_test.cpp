#include "ui/picture_box.h"

#include "imaging/pixel_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Each pixel of a buffer its own colour, so a pixel taken from the wrong
// place or with its bytes mixed up shows.
imaging::PixelBuffer Numbered(int width, int height)
{
    imaging::PixelBuffer buffer(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            buffer.setPixel(x, y,
                            {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                             static_cast<std::uint8_t>(7 * x + 3 * y)});
    return buffer;
}

// Copies of parts of a buffer, up to its last pixel and clipped at both
// pictures' edges, land pixel for pixel and leave the rest alone.
TEST(PictureBox, CopiesTheClippedPartPixelForPixel)
{
    const imaging::PixelBuffer buffer = Numbered(37, 23);
    const struct {
        int left, top, right, bottom, destX, destY;
    } cases[] = {
        {0, 0, 37, 23, 0, 0},     // all of it, its last pixel the buffer's last byte
        {36, 22, 37, 23, 5, 6},   // that pixel alone
        {30, 10, 37, 23, 40, 2},  // running past the picture's right edge
        {-4, -3, 10, 8, 0, 0},    // starting before the buffer
        {1, 1, 2, 30, 47, 0},     // one column, into the picture's last one
        {31, 0, 37, 23, 0, 0},    // six columns ending at the row's end, and five
        {32, 0, 37, 23, 0, 0},
    };
    for (const auto& c : cases) {
        ui::PictureBox box(nullptr, 48, 16);
        QImage start(48, 16, QImage::Format_RGB32);
        start.fill(qRgb(1, 2, 3));
        box.setPicture(start);
        box.copyFrom(buffer, c.left, c.top, c.right, c.bottom, c.destX, c.destY);
        const QImage& picture = box.picture();
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const int sx = x - c.destX + c.left;
                const int sy = y - c.destY + c.top;
                const bool copied = sx >= std::max(c.left, 0) && sx < std::min(c.right, buffer.width())
                                    && sy >= std::max(c.top, 0) && sy < std::min(c.bottom, buffer.height());
                const imaging::Rgb in = copied ? buffer.pixel(sx, sy) : imaging::Rgb{1, 2, 3};
                ASSERT_EQ(picture.pixel(x, y), qRgb(in.red, in.green, in.blue))
                    << "case " << &c - cases << " at " << x << ", " << y;
            }
    }
}

}  // namespace
