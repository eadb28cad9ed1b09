#include "imaging/wavefront_picture.h"

#include "imaging/colour.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace imaging {

std::string FormatFixed(double value, int decimals, char separator)
{
    // std::to_chars is independent of the C locale, which the toolkit sets
    // from the environment.
    char text[64];
    std::to_chars_result end;
    if (!std::isfinite(value) || std::fabs(value) >= 1e6) {
        end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 5);
    } else {
        // At most 6 significant digits, then the requested decimals.
        char rounded[32];
        const auto r = std::to_chars(rounded, rounded + sizeof rounded, value, std::chars_format::scientific, 5);
        double v = 0.0;
        std::from_chars(rounded, r.ptr, v);
        end = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, decimals);
        // A value that rounds to zero is shown without a sign.
        if (text[0] == '-' && std::find_if(text, end.ptr, [](char c) { return c >= '1' && c <= '9'; }) == end.ptr)
            end = std::to_chars(text, text + sizeof text, 0.0, std::chars_format::fixed, decimals);
    }
    std::string result(text, end.ptr);
    std::replace(result.begin(), result.end(), '.', separator);
    return result;
}

void DrawWavefrontPicture(PixelBuffer& buffer, const optics::Engine& engine, double minW, double maxW,
                          TextPainter& text, char separator)
{
    constexpr double kTwoPi = 2.0 * std::numbers::pi;
    double lo = minW;
    double hi = maxW;
    if (std::fabs(lo) >= std::fabs(hi))
        hi = -lo;
    else
        lo = -hi;

    for (int X = 0; X <= 256; ++X) {
        const double* mask = engine.OtfImag.row(129 + X) + 129;
        const double* wave = engine.WavefrontGrid.row(129 + X) + 129;
        for (int Y = 0; Y <= 256; ++Y) {
            Rgb colour = kWhite;
            if (mask[Y] == 1.0) {
                const double level = std::nearbyint((wave[Y] - lo) / (hi - lo) * 255.0);
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
    buffer.brushColour = kWhite;
    for (int j = 1; j <= 9; ++j) {
        const double v = lo + (hi - lo) * j * 0.1;
        const std::string label = FormatFixed(v / kTwoPi, 2, separator);
        const int step = static_cast<int>(std::nearbyint(j * 25.6));
        text.drawText(buffer, v >= 0.0 ? 225 : 222, 250 - step, label.c_str(), kBlack, kWhite);
        buffer.setPixel(253, 255 - step, kBlack);
        buffer.setPixel(252, 255 - step, kBlack);
    }
}

}  // namespace imaging
