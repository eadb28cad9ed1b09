#include "imaging/colour.h"

#include <cmath>

namespace imaging {

std::uint8_t ChannelLevel(double f, double factor)
{
    if (f == 0.0)
        return 0;
    const long double level = 255.0L * std::exp(0.8L * std::log(static_cast<long double>(f) * factor));
    return static_cast<std::uint8_t>(std::nearbyint(static_cast<double>(level)));
}

Rgb WavelengthToRgb(double lambda)
{
    const long long n = static_cast<long long>(std::trunc(lambda));
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
