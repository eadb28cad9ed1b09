// Any bytes as a JPEG file: the decoder must answer with a picture or a
// message, within the picture limits, without a fault or a leak.
#include "imaging/jpeg_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const base::Result<imaging::PixelBuffer> read = imaging::DecodeJpeg(data, size, "fuzz.jpg");
    // A picture, or a sentence saying why there is none.
    if (read.ok() == !read.error().empty())
        std::abort();
    if (read) {
        const imaging::PixelBuffer& p = *read;
        if (p.width() > imaging::kPictureLimits.maxSide || p.height() > imaging::kPictureLimits.maxSide
            || static_cast<std::int64_t>(p.width()) * p.height() > imaging::kPictureLimits.maxPixels)
            std::abort();
    }
    return 0;
}
