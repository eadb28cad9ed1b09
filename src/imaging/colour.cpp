#include "imaging/colour.h"

#include <cmath>

namespace imaging {

std::uint8_t ChannelLevel(double f, double factor)
{
    if (f == 0.0)
        return 0;
    // The power is taken through exp and ln with the exponent in extended
    // precision, and the result is rounded from that precision.
    const long double level =
        std::nearbyint(255.0L * std::exp(0.8L * std::log(static_cast<long double>(f) * factor)));
    // Callers pass fractions in 0..1; anything else is limited to a byte
    // (ln of a negative fraction gives NaN, which fails the first test).
    if (!(level > 0.0L))
        return 0;
    return level >= 255.0L ? 255 : static_cast<std::uint8_t>(level);
}

Rgb WavelengthToRgb(double lambda)
{
    // The band is chosen by the wavelength truncated towards zero; the
    // fractions use the wavelength itself, so 439.9 nm is in the first band.
    // Comparing the truncated value as a double keeps NaN and huge values
    // (which fall in no band) well defined.
    const double n = std::trunc(lambda);
    const long double l = lambda;
    long double r = 0;
    long double g = 0;
    long double b = 0;
    if (n >= 380 && n <= 439) {
        r = (440.0L - l) * (1.0L / 60.0L);
        b = 1;
    } else if (n >= 440 && n <= 489) {
        g = (l - 440.0L) * (1.0L / 50.0L);
        b = 1;
    } else if (n >= 490 && n <= 509) {
        g = 1;
        b = (510.0L - l) * (1.0L / 20.0L);
    } else if (n >= 510 && n <= 579) {
        r = (l - 510.0L) * (1.0L / 70.0L);
        g = 1;
    } else if (n >= 580 && n <= 644) {
        r = 1;
        g = (645.0L - l) * (1.0L / 65.0L);
    } else if (n >= 645 && n <= 780) {
        r = 1;
    }
    return {ChannelLevel(static_cast<double>(r), 1.0), ChannelLevel(static_cast<double>(g), 1.0),
            ChannelLevel(static_cast<double>(b), 1.0)};
}

}  // namespace imaging
