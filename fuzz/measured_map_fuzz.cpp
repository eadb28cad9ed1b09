// Any bytes as a NumPy .npz archive or a FITS image (the first byte picks
// which): the readers must answer with a map within the limits, or with one
// sentence, without a fault, a leak or an allocation the file only claims.
#include "measured/measured_compose.h"
#include "measured/measured_file.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

constexpr measured::MeasuredLimits kLimits{512, std::size_t{4} << 20, 2000, 2000};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    const base::Result<measured::MeasuredFile> read = (data[0] & 1)
        ? measured::DecodeFitsMap(bytes, "fuzz.fits", kLimits)
        : measured::DecodeNpzMap(bytes, "fuzz.npz", kLimits);
    if (read.ok() == !read.error().empty())
        std::abort();
    if (!read.ok())
        return 0;
    if (!read->map)
        std::abort();
    const optics::WavefrontSamples& s = *read->map->samples;
    if (s.width < 1 || s.height < 1 || s.width > kLimits.maxSide || s.height > kLimits.maxSide
        || s.values.size() != static_cast<std::size_t>(s.width) * s.height || !(s.radius >= 1.0))
        std::abort();
    for (double v : s.values)
        if (std::isinf(v))
            std::abort();
    return 0;
}
