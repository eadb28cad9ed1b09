#include "optics/fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <vector>

namespace {

using optics::Engine;
using Complex = std::complex<double>;

class Fft : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine = Engine::Create();
        optics::FillBitReverse(*engine);
    }

    // Puts input sample n into the lines in bit-reversed order.
    void load(const std::vector<Complex>& x)
    {
        for (int n = 0; n < 512; ++n) {
            engine->LineReal[engine->BitReverse[n] + 1] = static_cast<float>(x[n].real());
            engine->LineImag[engine->BitReverse[n] + 1] = static_cast<float>(x[n].imag());
        }
    }

    Complex out(int m) const { return {engine->LineReal[m + 1], engine->LineImag[m + 1]}; }

    std::unique_ptr<Engine> engine;
};

TEST(ReverseBits9, ReversesTheLowNineBits)
{
    EXPECT_EQ(optics::ReverseBits9(0), 0);
    EXPECT_EQ(optics::ReverseBits9(1), 256);
    EXPECT_EQ(optics::ReverseBits9(2), 128);
    EXPECT_EQ(optics::ReverseBits9(3), 384);
    EXPECT_EQ(optics::ReverseBits9(255), 510);
    EXPECT_EQ(optics::ReverseBits9(256), 1);
    EXPECT_EQ(optics::ReverseBits9(511), 511);
}

TEST_F(Fft, BitReverseTableIsAnInvolution)
{
    for (int k = 0; k < 512; ++k)
        ASSERT_EQ(engine->BitReverse[engine->BitReverse[k]], k) << k;
}

TEST_F(Fft, ImpulseGivesOnesForEitherSign)
{
    for (double sign : {1.0, -1.0}) {
        std::vector<Complex> x(512);
        x[0] = 1.0;
        load(x);
        engine->FftSign = sign;
        optics::TransformLine(*engine);
        for (int m = 0; m < 512; ++m) {
            ASSERT_FLOAT_EQ(static_cast<float>(out(m).real()), 1.0f) << "m=" << m << " sign=" << sign;
            ASSERT_FLOAT_EQ(static_cast<float>(out(m).imag()), 0.0f) << "m=" << m << " sign=" << sign;
        }
    }
}

TEST_F(Fft, ConstantLineGoesToSampleZero)
{
    const double a = 0.75;
    load(std::vector<Complex>(512, Complex(a, 0.0)));
    optics::TransformLine(*engine);
    EXPECT_NEAR(out(0).real(), 512 * a, 1e-4);
    for (int m = 1; m < 512; ++m)
        ASSERT_LT(std::abs(out(m)), 1e-3) << m;
}

TEST_F(Fft, ForwardKernelHasThePositiveExponent)
{
    // exp(-2 pi i 5 n / 512) lands on sample 5, exp(+2 pi i 5 n / 512) on 507.
    for (auto [sign, expected] : {std::pair{-1.0, 5}, std::pair{1.0, 507}}) {
        std::vector<Complex> x(512);
        for (int n = 0; n < 512; ++n)
            x[n] = std::polar(1.0, sign * 2.0 * std::numbers::pi * 5.0 * n / 512.0);
        load(x);
        optics::TransformLine(*engine);
        for (int m = 0; m < 512; ++m) {
            const double want = m == expected ? 512.0 : 0.0;
            ASSERT_NEAR(out(m).real(), want, 2e-3) << "m=" << m;
            ASSERT_NEAR(out(m).imag(), 0.0, 2e-3) << "m=" << m;
        }
    }
}

TEST_F(Fft, MatchesADirectTransformOfRandomData)
{
    std::vector<Complex> x(512);
    unsigned state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return ((state >> 8) & 0xffff) / 65536.0 - 0.5;
    };
    for (auto& v : x)
        v = Complex(next(), next());
    load(x);
    optics::TransformLine(*engine);
    double errorSquared = 0;
    double normSquared = 0;
    for (int m = 0; m < 512; ++m) {
        Complex direct = 0;
        for (int n = 0; n < 512; ++n)
            direct += x[n] * std::polar(1.0, 2.0 * std::numbers::pi * n * m / 512.0);
        errorSquared += std::norm(out(m) - direct);
        normSquared += std::norm(direct);
    }
    EXPECT_LT(std::sqrt(errorSquared / normSquared), 1e-5);
}

TEST_F(Fft, InverseRestoresInputSignAndLeavesSpareElements)
{
    std::vector<Complex> x(512);
    for (int n = 0; n < 512; ++n)
        x[n] = Complex(std::sin(0.1 * n) + 0.3, std::cos(0.037 * n * n));
    for (int e : {0, 513, 514, 515, 516}) {
        engine->LineReal[e] = 42.0f;
        engine->LineImag[e] = -7.0f;
    }
    load(x);
    optics::TransformLine(*engine);
    // Reload the spectrum in bit-reversed order and go back.
    std::vector<Complex> spectrum(512);
    for (int m = 0; m < 512; ++m)
        spectrum[m] = out(m);
    load(spectrum);
    optics::InverseTransformLine(*engine);
    EXPECT_EQ(engine->FftSign, 1.0);
    for (int n = 0; n < 512; ++n) {
        ASSERT_NEAR(out(n).real(), x[n].real(), 1e-5) << n;
        ASSERT_NEAR(out(n).imag(), x[n].imag(), 1e-5) << n;
    }
    for (int e : {0, 513, 514, 515, 516}) {
        EXPECT_EQ(engine->LineReal[e], 42.0f) << e;
        EXPECT_EQ(engine->LineImag[e], -7.0f) << e;
    }
}

TEST_F(Fft, TwoDimensionalTransformMatchesDirectSum)
{
    // A small off-centre pattern with distinct values, so that a swapped
    // axis, a wrong sign or a lost cell shows.
    struct Cell { int p, q; double re, im; };
    const std::vector<Cell> pattern = {
        {10, 3, 1.0, 0.0}, {11, 3, 0.5, -0.25}, {10, 4, -0.75, 0.5}, {40, 17, 0.2, 0.9}, {300, 200, -0.3, 0.1}};
    optics::Grid& re = engine->FieldReal;
    optics::Grid& im = engine->FieldImag;
    for (const Cell& c : pattern) {
        re(1 + c.p, 1 + c.q) = c.re;
        im(1 + c.p, 1 + c.q) = c.im;
    }
    re(0, 5) = 9.0;    // outside the transform region: must stay
    re(513, 5) = 8.0;
    im(5, 516) = 7.0;
    optics::Transform2D(*engine, re, im);

    double worst = 0;
    for (int u = 0; u < 512; u += 7) {
        for (int v = 0; v < 512; v += 5) {
            Complex direct = 0;
            for (const Cell& c : pattern)
                direct += Complex(c.re, c.im)
                        * std::polar(1.0, 2.0 * std::numbers::pi * (double(c.p) * u + double(c.q) * v) / 512.0);
            worst = std::max(worst, std::abs(Complex(re(1 + u, 1 + v), im(1 + u, 1 + v)) - direct));
        }
    }
    EXPECT_LT(worst, 1e-4);
    EXPECT_EQ(re(0, 5), 9.0);
    EXPECT_EQ(re(513, 5), 8.0);
    EXPECT_EQ(im(5, 516), 7.0);
}

TEST_F(Fft, IntensityTransformGivesMagnitudesOfTheIntensitySpectrum)
{
    // Amplitudes at a few cells; the intensity |a|^2 is what gets transformed.
    struct Cell { int p, q; double re, im; };
    const std::vector<Cell> pattern = {{0, 0, 1.0, 0.5}, {3, 1, -0.5, 0.25}, {7, 30, 0.25, -1.0}, {200, 511, 0.0, 0.75}};
    optics::Grid& re = engine->OtfReal;
    optics::Grid& im = engine->OtfImag;
    for (const Cell& c : pattern) {
        re(1 + c.p, 1 + c.q) = c.re;
        im(1 + c.p, 1 + c.q) = c.im;
    }
    im(0, 3) = 5.0;  // outside the region
    optics::TransformIntensity2D(*engine, re, im);

    double total = 0;
    for (const Cell& c : pattern)
        total += c.re * c.re + c.im * c.im;
    EXPECT_NEAR(re(1, 1), total, 1e-5);
    EXPECT_EQ(im(1, 1), 0.0);
    double worst = 0;
    for (int u = 0; u < 512; u += 11) {
        for (int v = 0; v < 512; v += 3) {
            Complex direct = 0;
            for (const Cell& c : pattern)
                direct += (c.re * c.re + c.im * c.im)
                        * std::polar(1.0, 2.0 * std::numbers::pi * (double(c.p) * u + double(c.q) * v) / 512.0);
            ASSERT_GE(re(1 + u, 1 + v), 0.0);
            ASSERT_GE(im(1 + u, 1 + v), 0.0);
            worst = std::max(worst, std::abs(re(1 + u, 1 + v) - std::abs(direct.real())));
            worst = std::max(worst, std::abs(im(1 + u, 1 + v) - std::abs(direct.imag())));
        }
    }
    EXPECT_LT(worst, 1e-5);
    EXPECT_EQ(im(0, 3), 5.0);
}

TEST_F(Fft, InverseTwoDimensionalTransformUndoesTheForwardOne)
{
    optics::Grid& re = engine->FieldReal;
    optics::Grid& im = engine->FieldImag;
    for (int i = 1; i <= 512; ++i) {
        for (int j = 1; j <= 512; ++j) {
            re(i, j) = std::sin(0.01 * i * j) + (i == 300 ? 1.0 : 0.0);
            im(i, j) = std::cos(0.3 * i - 0.2 * j) * 0.5;
        }
    }
    const optics::Grid originalRe = re;
    const optics::Grid originalIm = im;
    re(514, 514) = 3.0;
    optics::Transform2D(*engine, re, im);
    optics::InverseTransform2D(*engine, re, im);
    EXPECT_EQ(engine->FftSign, 1.0);
    double worst = 0;
    for (int i = 1; i <= 512; ++i) {
        for (int j = 1; j <= 512; ++j) {
            worst = std::max(worst, std::abs(re(i, j) - originalRe(i, j)));
            worst = std::max(worst, std::abs(im(i, j) - originalIm(i, j)));
        }
    }
    EXPECT_LT(worst, 1e-4);
    EXPECT_EQ(re(514, 514), 3.0);
    EXPECT_EQ(re(0, 0), 0.0);
}

}  // namespace
