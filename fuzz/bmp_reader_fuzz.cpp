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
#include <cstring>

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
    // The pictures compared as bytes: pixel by pixel, a 16-megapixel picture
    // (a file of a few hundred bytes in run-length coding) takes longer than
    // an input may under the sanitizers.
    const std::size_t bytes = static_cast<std::size_t>(p.width()) * p.height() * 3;
    if (second->width() != p.width() || second->height() != p.height()
        || std::memcmp(p.data(), second->data(), bytes) != 0) {
        std::size_t at = 0;
        while (at < bytes && p.data()[at] == second->data()[at])
            ++at;
        const std::size_t pixel = at / 3;
        std::fprintf(stderr, "pixel (%zu, %zu) of %d x %d was not decoded from the file\n",
                     pixel % static_cast<std::size_t>(p.width()), pixel / static_cast<std::size_t>(p.width()),
                     p.width(), p.height());
        std::abort();
    }
    return 0;
}
