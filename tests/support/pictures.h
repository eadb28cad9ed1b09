#pragma once

// Made-up pictures and star images whose every pixel a test can predict.

#include "imaging/pixel_buffer.h"
#include "optics/psf.h"

#include <memory>

namespace testing_support {

//! A picture of one colour.
inline imaging::PixelBuffer Filled(int width, int height, imaging::Rgb colour)
{
    imaging::PixelBuffer picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, colour);
    return picture;
}

//! A normalised star image with its peak (just below 1) in the centre cell
//! [257][257], which the star picture shows at pixel (129, 129), and one faint
//! cell of 0.01 at [200][200], shown at (72, 72).
inline optics::StarImagePtr PointStar()
{
    auto star = std::make_shared<optics::StarImage>();
    star->peak = 1.0f;
    star->grid(257, 257) = 1.0 / 1.00001;
    star->grid(200, 200) = 0.01 / 1.00001;
    return star;
}

}  // namespace testing_support
