// Any bytes as a Zernike list, table or listing, or a .wft map (as the
// Measured page's Load reads them): the readers must answer with terms or a
// map within the limits, or with one sentence, without a fault or a leak.
#include "measured/measured_compose.h"
#include "measured/measured_file.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

// Smaller than the program's, so that a run tries many inputs.
constexpr measured::MeasuredLimits kLimits{256, std::size_t{1} << 20, 2000, 2000};

void Check(const base::Result<measured::MeasuredFile>& read)
{
    if (read.ok() == !read.error().empty())
        std::abort();
    if (!read.ok()) {
        if (read.error().find('\n') != std::string::npos)
            std::abort();
        return;
    }
    if (read->map) {
        const optics::WavefrontSamples& s = *read->map->samples;
        if (s.width < 1 || s.height < 1 || s.width > kLimits.maxSide || s.height > kLimits.maxSide
            || s.values.size() != static_cast<std::size_t>(s.width) * s.height || !(s.radius > 0.0))
            std::abort();
        for (double v : s.values)
            if (std::isinf(v))
                std::abort();
        // What the page does with it.
        const optics::MeasuredWavefrontPtr w =
            measured::ComposeMeasured(measured::FringeArray{}, &*read->map, {550.0, false, true});
        if (!w || !std::isfinite(w->rms()))
            std::abort();
    }
    if (read->zernikes) {
        for (std::size_t row = 0; row < read->zernikes->rows.size(); ++row) {
            if (read->zernikes->rows[row].values.size() > kLimits.maxTerms)
                std::abort();
            for (measured::TermOrder order :
                 {measured::TermOrder::Fringe, measured::TermOrder::Noll, measured::TermOrder::Ansi}) {
                const measured::FringeTerms t = measured::ToFringe(*read->zernikes, row, order, true);
                if (t.ignored < 0)
                    std::abort();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    Check(measured::DecodeMeasuredFile(bytes, "fuzz.txt", kLimits));
    const std::string text = measured::TextOf(bytes);
    Check(measured::DecodeWftMap(text, "fuzz.wft", kLimits));
    Check(measured::DecodeZernikeText(text, "fuzz.zrn", kLimits));
    return 0;
}
