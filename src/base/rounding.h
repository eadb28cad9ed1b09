#pragma once

// Real to integer, the same way everywhere: to the nearest, halves to the even
// neighbour (2.5 -> 2, 3.5 -> 4), which is std::nearbyint under the default
// rounding mode.

#include <cmath>
#include <cstdint>

namespace base {

//! Round half to even without a library call: adding 1.5 x 2^52 leaves no
//! fraction bits, so the addition itself rounds. Magnitudes from 2^51 up are
//! integers already; NaN passes through.
inline double RoundHalfEven(double x)
{
    constexpr double kShift = 6755399441055744.0;
    if (!(std::fabs(x) < 2251799813685248.0))
        return x;
    return (x + kShift) - kShift;
}

//! RoundHalfEven as an int, for values known to fit (pixel and cell indexes,
//! radii, label numbers).
inline int RoundToInt(double x)
{
    return static_cast<int>(RoundHalfEven(x));
}

//! A level rounded half to even and limited to 0..255; NaN gives 0.
inline std::uint8_t ByteLevel(double value)
{
    const double r = RoundHalfEven(value);
    if (!(r > 0.0))
        return 0;
    return r >= 255.0 ? 255 : static_cast<std::uint8_t>(r);
}

}  // namespace base
