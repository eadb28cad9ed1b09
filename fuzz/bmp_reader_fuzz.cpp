// Any bytes as a BMP file: the reader must answer with a picture within the
// limits or with a message, without a fault or a leak, and every pixel of a
// picture must come from the file. The bytes are decoded twice, into
// pictures that start in two different colours: a pixel the decoder did not
// write shows the colour it started in, and the two pictures differ.
#include "imaging/bmp_file.h"
#include "imaging/picture_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const base::Result<imaging::PixelBuffer> first = imaging::DecodeBmp(data, size, "fuzz.bmp", {1, 2, 3});
    const base::Result<imaging::PixelBuffer> second = imaging::DecodeBmp(data, size, "fuzz.bmp", {254, 253, 252});
    if (first.ok() != second.ok() || first.error() != second.error()) {
        std::fprintf(stderr, "two reads of the same bytes disagree: \"%s\", \"%s\"\n", first.error().c_str(),
                     second.error().c_str());
        std::abort();
    }
    if (!first) {
        if (first.error().empty())
            std::abort();
        return 0;
    }
    const imaging::PixelBuffer& p = *first;
    if (p.width() > imaging::kPictureLimits.maxSide || p.height() > imaging::kPictureLimits.maxSide
        || static_cast<std::int64_t>(p.width()) * p.height() > imaging::kPictureLimits.maxPixels)
        std::abort();
    for (int y = 0; y < p.height(); ++y) {
        for (int x = 0; x < p.width(); ++x) {
            if (p.pixel(x, y) != second->pixel(x, y)) {
                std::fprintf(stderr, "pixel (%d, %d) of %d x %d was not decoded from the file\n", x, y, p.width(),
                             p.height());
                std::abort();
            }
        }
    }
    return 0;
}
