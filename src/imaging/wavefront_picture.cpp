#include "imaging/wavefront_picture.h"

#include "imaging/colour.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace imaging {

namespace {

// The decimal exponent of the leading digit of |value| > 0: 1 for 10.26,
// -3 for 0.0042.
int LeadingExponent(double value)
{
    value = std::fabs(value);
    int e = static_cast<int>(std::floor(std::log10(value)));
    // log10 may land on the wrong side of a power of ten.
    if (std::pow(10.0, e) > value)
        --e;
    else if (std::pow(10.0, e + 1) <= value)
        ++e;
    return e;
}

}  // namespace

std::string FormatFixed(double value, int decimals, char separator)
{
    // std::to_chars is independent of the C locale, which the toolkit sets
    // from the environment.
    char text[64];
    std::to_chars_result end;
    if (!std::isfinite(value) || std::fabs(value) >= 1e6) {
        end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 5);
    } else {
        // One rounding of the exact value, at the requested decimals or at
        // the sixth significant digit, whichever comes first; the digits
        // beyond the sixth are written as zeros.
        int shown = decimals;
        if (value != 0.0)
            shown = std::clamp(5 - LeadingExponent(value), 0, decimals);
        end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, shown);
        if (shown < decimals) {
            if (shown == 0)
                *end.ptr++ = '.';
            end.ptr = std::fill_n(end.ptr, decimals - shown, '0');
        }
        // A value that rounds to zero is shown without a sign.
        if (text[0] == '-' && std::find_if(text, end.ptr, [](char c) { return c >= '1' && c <= '9'; }) == end.ptr)
            end = std::to_chars(text, text + sizeof text, 0.0, std::chars_format::fixed, decimals);
    }
    std::string result(text, end.ptr);
    std::replace(result.begin(), result.end(), '.', separator);
    return result;
}

void DrawWavefrontPicture(PixelBuffer& buffer, const optics::WavefrontMap& map, double minW, double maxW,
                          TextPainter& text, char separator)
{
    constexpr double kTwoPi = 2.0 * std::numbers::pi;
    // The tick marks take columns 252 and 253, the bar 254 and 255; a tick
    // text ends at least one column before them.
    constexpr int kTextRight = 251;
    double lo = minW;
    double hi = maxW;
    if (std::fabs(lo) >= std::fabs(hi))
        hi = -lo;
    else
        lo = -hi;

    for (int X = 0; X < optics::WavefrontMap::kSide; ++X) {
        for (int Y = 0; Y < optics::WavefrontMap::kSide; ++Y) {
            Rgb colour = kWhite;
            if (map.openAt(X, Y)) {
                const double level = std::nearbyint((map.phaseAt(X, Y) - lo) / (hi - lo) * 255.0);
                colour = WavelengthToRgb(level + 400.0);
            }
            buffer.setPixel(X, Y, colour);
        }
    }
    for (int Y = 0; Y <= 255; ++Y) {
        const Rgb colour = WavelengthToRgb(655.0 - Y);
        buffer.setPixel(255, Y, colour);
        buffer.setPixel(254, Y, colour);
    }
    for (int j = 1; j <= 9; ++j) {
        const double v = lo + (hi - lo) * j * 0.1;
        const std::string label = FormatFixed(v / kTwoPi, 2, separator);
        const int step = static_cast<int>(std::nearbyint(j * 25.6));
        // Short texts start at their usual column, the minus sign one step
        // further left; wider ones end before the tick marks so that they
        // never cover the bar.
        const int x = std::min(v >= 0.0 ? 225 : 222, kTextRight - text.textWidth(label.c_str()));
        text.drawText(buffer, x, 250 - step, label.c_str(), kBlack, kWhite);
        buffer.setPixel(253, 255 - step, kBlack);
        buffer.setPixel(252, 255 - step, kBlack);
    }
}

}  // namespace imaging
