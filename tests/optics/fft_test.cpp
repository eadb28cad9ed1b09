// The line transform and the 2-D transforms against direct sums: the
// bit-reversed input order, the sign of the exponent, the inverse, and the
// cells outside the transform region that must survive.
#include "optics/fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <memory>
#include <numbers>
#include <vector>

namespace {

using Complex = std::complex<double>;
using optics::Grid;
using optics::TransformLines;

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Sample n goes to the line in bit-reversed order.
void Load(TransformLines& line, const std::vector<Complex>& x)
{
    for (int n = 0; n < 512; ++n) {
        line.re[optics::kBitReverse[n] + 1] = static_cast<float>(x[n].real());
        line.im[optics::kBitReverse[n] + 1] = static_cast<float>(x[n].imag());
    }
}

Complex Out(const TransformLines& line, int m)
{
    return {line.re[m + 1], line.im[m + 1]};
}

std::vector<Complex> RandomLine()
{
    std::vector<Complex> x(512);
    unsigned state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return ((state >> 8) & 0xffff) / 65536.0 - 0.5;
    };
    for (auto& v : x)
        v = Complex(next(), next());
    return x;
}

TEST(BitReverse, ReversesTheLowNineBitsAndIsItsOwnInverse)
{
    const std::pair<int, int> cases[] = {{0, 0}, {1, 256}, {2, 128}, {3, 384}, {255, 510}, {256, 1}, {511, 511}};
    for (const auto& [k, reversed] : cases) {
        EXPECT_EQ(optics::ReverseBits9(static_cast<std::uint16_t>(k)), reversed) << k;
        EXPECT_EQ(optics::kBitReverse[k], reversed) << k;
    }
    for (int k = 0; k < 512; ++k)
        ASSERT_EQ(optics::kBitReverse[optics::kBitReverse[k]], k) << k;
}

// A new line runs forward, with the positive exponent; sign -1 turns it.
TEST(TransformLine, MatchesTheDirectSumForEitherSign)
{
    const std::vector<Complex> x = RandomLine();
    for (double sign : {1.0, -1.0}) {
        TransformLines line;
        if (sign < 0)
            line.sign = sign;
        Load(line, x);
        optics::TransformLine(line);
        double errorSquared = 0;
        double normSquared = 0;
        for (int m = 0; m < 512; ++m) {
            Complex direct = 0;
            for (int n = 0; n < 512; ++n)
                direct += x[n] * std::polar(1.0, sign * kTwoPi * n * m / 512.0);
            errorSquared += std::norm(Out(line, m) - direct);
            normSquared += std::norm(direct);
        }
        EXPECT_LT(std::sqrt(errorSquared / normSquared), 1e-5) << "sign " << sign;
    }
}

TEST(TransformLine, InverseRestoresTheInputPutsTheSignBackAndLeavesTheSpareElements)
{
    std::vector<Complex> x(512);
    for (int n = 0; n < 512; ++n)
        x[n] = Complex(std::sin(0.1 * n) + 0.3, std::cos(0.037 * n * n));
    TransformLines line;
    for (int e : {0, 513, 514, 515, 516}) {
        line.re[e] = 42.0f;
        line.im[e] = -7.0f;
    }
    Load(line, x);
    optics::TransformLine(line);
    std::vector<Complex> spectrum(512);
    for (int m = 0; m < 512; ++m)
        spectrum[m] = Out(line, m);
    Load(line, spectrum);
    optics::InverseTransformLine(line);
    EXPECT_EQ(line.sign, 1.0);
    for (int n = 0; n < 512; ++n) {
        ASSERT_NEAR(Out(line, n).real(), x[n].real(), 1e-5) << n;
        ASSERT_NEAR(Out(line, n).imag(), x[n].imag(), 1e-5) << n;
    }
    for (int e : {0, 513, 514, 515, 516}) {
        EXPECT_EQ(line.re[e], 42.0f) << e;
        EXPECT_EQ(line.im[e], -7.0f) << e;
    }
}

// A few off-centre cells with distinct values, so that a swapped axis, a
// wrong sign or a lost cell shows.
struct Cell {
    int p, q;
    double re, im;
};

Complex DirectSum(const std::vector<Cell>& pattern, int u, int v, bool intensity)
{
    Complex sum = 0;
    for (const Cell& c : pattern) {
        const Complex a = intensity ? Complex(c.re * c.re + c.im * c.im) : Complex(c.re, c.im);
        sum += a * std::polar(1.0, kTwoPi * (double(c.p) * u + double(c.q) * v) / 512.0);
    }
    return sum;
}

TEST(Transform2D, ForwardAndIntensityMatchTheDirectSumAndLeaveTheBorder)
{
    const std::vector<Cell> pattern = {{10, 3, 1.0, 0.0},   {11, 3, 0.5, -0.25},  {10, 4, -0.75, 0.5},
                                       {40, 17, 0.2, 0.9},  {300, 200, -0.3, 0.1}, {0, 0, 1.0, 0.5},
                                       {200, 511, 0.0, 0.75}};
    for (bool intensity : {false, true}) {
        SCOPED_TRACE(intensity ? "intensity" : "forward");
        auto re = std::make_unique<Grid>();
        auto im = std::make_unique<Grid>();
        for (const Cell& c : pattern) {
            (*re)(1 + c.p, 1 + c.q) = c.re;
            (*im)(1 + c.p, 1 + c.q) = c.im;
        }
        (*re)(0, 5) = 9.0;
        (*re)(513, 5) = 8.0;
        (*im)(5, 516) = 7.0;
        intensity ? optics::TransformIntensity2D(*re, *im) : optics::Transform2D(*re, *im);

        double worst = 0;
        for (int u = 0; u < 512; u += 7) {
            for (int v = 0; v < 512; v += 5) {
                const Complex direct = DirectSum(pattern, u, v, intensity);
                const double r = (*re)(1 + u, 1 + v);
                const double i = (*im)(1 + u, 1 + v);
                // The intensity transform keeps only the magnitudes of the parts.
                const Complex want = intensity ? Complex(std::abs(direct.real()), std::abs(direct.imag())) : direct;
                worst = std::max(worst, std::abs(Complex(r, i) - want));
                if (intensity) {
                    ASSERT_GE(r, 0.0);
                    ASSERT_GE(i, 0.0);
                }
            }
        }
        EXPECT_LT(worst, intensity ? 2e-5 : 1e-4);
        if (intensity) {
            EXPECT_EQ((*im)(1, 1), 0.0);
        }
        EXPECT_EQ((*re)(0, 5), 9.0);
        EXPECT_EQ((*re)(513, 5), 8.0);
        EXPECT_EQ((*im)(5, 516), 7.0);
    }
}

TEST(Transform2D, InverseUndoesTheForwardTransform)
{
    auto re = std::make_unique<Grid>();
    auto im = std::make_unique<Grid>();
    for (int i = 1; i <= 512; ++i) {
        for (int j = 1; j <= 512; ++j) {
            (*re)(i, j) = std::sin(0.01 * i * j) + (i == 300 ? 1.0 : 0.0);
            (*im)(i, j) = std::cos(0.3 * i - 0.2 * j) * 0.5;
        }
    }
    const auto originalRe = std::make_unique<Grid>(*re);
    const auto originalIm = std::make_unique<Grid>(*im);
    (*re)(514, 514) = 3.0;
    optics::Transform2D(*re, *im);
    optics::InverseTransform2D(*re, *im);
    double worst = 0;
    for (int i = 1; i <= 512; ++i) {
        for (int j = 1; j <= 512; ++j) {
            worst = std::max(worst, std::abs((*re)(i, j) - (*originalRe)(i, j)));
            worst = std::max(worst, std::abs((*im)(i, j) - (*originalIm)(i, j)));
        }
    }
    EXPECT_LT(worst, 1e-4);
    EXPECT_EQ((*re)(514, 514), 3.0);
    EXPECT_EQ((*re)(0, 0), 0.0);
}

}  // namespace
