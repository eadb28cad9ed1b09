#include "ui/picture_box.h"

#include "imaging/pixel_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

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

// A shared buffer is copied when the picture is next read, as if at once:
// whatever else is drawn afterwards lands on top of it, a smaller buffer
// leaves the rest of a larger one, and a new or cleared picture drops it.
TEST(PictureBox, ASharedBufferLandsAsIfCopiedAtOnce)
{
    const auto large = std::make_shared<const imaging::PixelBuffer>(Numbered(37, 23));
    const auto small = std::make_shared<const imaging::PixelBuffer>(Numbered(10, 5));
    QImage start(48, 16, QImage::Format_RGB32);
    start.fill(qRgb(1, 2, 3));
    // Each step is done to the box under test (`shared` true) and to one
    // that copies at once (false).
    using Step = std::function<void(ui::PictureBox&, bool shared)>;
    const auto copy = [](const std::shared_ptr<const imaging::PixelBuffer>& buffer) {
        return Step([buffer](ui::PictureBox& box, bool shared) {
            if (shared)
                box.copyFrom(buffer);
            else
                box.copyFrom(*buffer);
        });
    };
    const Step part = [&](ui::PictureBox& box, bool) { box.copyFrom(*small, 2, 1, 9, 4, 3, 3); };
    const Step pixel = [](ui::PictureBox& box, bool) { box.setPixel(2, 2, qRgb(200, 100, 50)); };
    const Step image = [&](ui::PictureBox& box, bool) { box.copyFrom(start, QRect(0, 0, 4, 4), QPoint(1, 0)); };
    const Step clear = [](ui::PictureBox& box, bool) { box.clear(); };
    const Step replace = [&](ui::PictureBox& box, bool) { box.setPicture(start); };
    const struct {
        const char* what;
        std::vector<Step> steps;
    } cases[] = {
        {"large alone", {copy(large)}},
        {"small over large", {copy(large), copy(small)}},
        {"large over small", {copy(small), copy(large)}},
        {"a part over large", {copy(large), part}},
        {"a pixel over large", {copy(large), pixel}},
        {"a picture's part over large", {copy(large), image}},
        {"cleared", {copy(large), clear}},
        {"replaced", {copy(large), replace}},
        {"large again after a part", {copy(large), part, copy(large)}},
    };
    for (const auto& c : cases) {
        ui::PictureBox shared(nullptr, 48, 16);
        ui::PictureBox atOnce(nullptr, 48, 16);
        int changes[2] = {0, 0};
        QObject::connect(&shared, &ui::PictureBox::pictureChanged, [&] { ++changes[0]; });
        QObject::connect(&atOnce, &ui::PictureBox::pictureChanged, [&] { ++changes[1]; });
        for (const Step& step : c.steps) {
            step(shared, true);
            step(atOnce, false);
            EXPECT_EQ(shared.drawn(), atOnce.drawn()) << c.what;
        }
        EXPECT_EQ(changes[0], changes[1]) << c.what;
        EXPECT_TRUE(shared.picture() == atOnce.picture()) << c.what;
    }
}

}  // namespace
