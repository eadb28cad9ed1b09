#include "imaging/pixel_buffer.h"
#include "ui/picture_box.h"

#include <gtest/gtest.h>

namespace {

// Rectangle copies are clipped to the source and to the picture on every
// side; pixel (x, y) of the 6 x 5 source holds the colour (x, y, 7).
TEST(PictureBox, RectangleCopiesAreClippedOnEverySide)
{
    imaging::PixelBuffer buffer(6, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            buffer.setPixel(x, y, {std::uint8_t(x), std::uint8_t(y), 7});
    const QImage image = ui::imageView(buffer).convertToFormat(QImage::Format_RGB32);

    struct Row {
        QRect source;  // left, top, width, height
        QPoint dest;
        QPoint at;  // a picture pixel and what it shows (-1: still black)
        int x, y;
    };
    const Row rows[] = {
        {{1, 1, 3, 2}, {2, 0}, {4, 1}, 3, 2},     // inside both
        {{-2, -1, 5, 4}, {0, 0}, {2, 1}, 0, 0},   // source off its top-left: the picture keeps its place
        {{-2, -1, 5, 4}, {0, 0}, {1, 1}, -1, -1},
        {{4, 3, 4, 4}, {3, 2}, {4, 3}, 5, 4},     // past the source's bottom-right
        {{4, 3, 4, 4}, {3, 2}, {5, 3}, -1, -1},
        {{0, 0, 6, 5}, {-3, -2}, {0, 0}, 3, 2},   // into the picture from off its top-left
        {{0, 0, 6, 5}, {2, 2}, {5, 3}, 3, 1},     // off the picture's bottom-right
    };
    for (const Row& r : rows) {
        for (const bool fromImage : {false, true}) {
            ui::PictureBox box(nullptr, 6, 4);
            if (fromImage)
                box.copyFrom(image, r.source, r.dest);
            else
                box.copyFrom(buffer, r.source.left(), r.source.top(), r.source.right() + 1, r.source.bottom() + 1,
                             r.dest.x(), r.dest.y());
            const QRgb expected = r.x < 0 ? qRgb(0, 0, 0) : qRgb(r.x, r.y, 7);
            EXPECT_EQ(box.picture().pixel(r.at), expected)
                << fromImage << " row to " << r.at.x() << "," << r.at.y();
        }
    }
}

}  // namespace
