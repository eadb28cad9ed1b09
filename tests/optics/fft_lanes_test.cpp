// The lane kernels of the 2-D transforms against the one-line-at-a-time form
// on the engine lines: every cell of every grid must come out bit for bit the
// same, on every kernel this processor can run.
#include "optics/fft.h"
#include "optics/fft_lanes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>

namespace {

using optics::Engine;
using optics::Grid;
using optics::LaneKernel;
using optics::kLineLength;

// The reference: lines loaded, transformed and stored one at a time.
void LinesAlongFirstIndex(Engine& e, Grid& re, Grid& im, bool inverse)
{
    for (int c = 1; c <= kLineLength; ++c) {
        optics::LoadLine(e, &re(1, c), &im(1, c), optics::kGridSide);
        inverse ? optics::InverseTransformLine(e) : optics::TransformLine(e);
        optics::StoreLine(e, &re(1, c), &im(1, c), optics::kGridSide);
    }
}

void LinesAlongSecondIndex(Engine& e, Grid& re, Grid& im, bool inverse)
{
    for (int r = 1; r <= kLineLength; ++r) {
        optics::LoadLine(e, &re(r, 1), &im(r, 1), 1);
        inverse ? optics::InverseTransformLine(e) : optics::TransformLine(e);
        optics::StoreLine(e, &re(r, 1), &im(r, 1), 1);
    }
}

void ReferenceForward(Engine& e, Grid& re, Grid& im)
{
    LinesAlongFirstIndex(e, re, im, false);
    LinesAlongSecondIndex(e, re, im, false);
}

void ReferenceInverse(Engine& e, Grid& re, Grid& im)
{
    LinesAlongSecondIndex(e, re, im, true);
    LinesAlongFirstIndex(e, re, im, true);
}

void ReferenceIntensity(Engine& e, Grid& re, Grid& im)
{
    for (int c = 1; c <= kLineLength; ++c) {
        for (int k = 0; k < kLineLength; ++k) {
            const double a = re(1 + k, c);
            const double b = im(1 + k, c);
            e.LineReal[e.BitReverse[k] + 1] = static_cast<float>(a * a + b * b);
            e.LineImag[e.BitReverse[k] + 1] = 0.0f;
        }
        optics::TransformLine(e);
        optics::StoreLine(e, &re(1, c), &im(1, c), optics::kGridSide);
    }
    for (int r = 1; r <= kLineLength; ++r) {
        optics::LoadLine(e, &re(r, 1), &im(r, 1), 1);
        optics::TransformLine(e);
        for (int k = 0; k < kLineLength; ++k) {
            re(r, 1 + k) = std::fabs(e.LineReal[k + 1]);
            im(r, 1 + k) = std::fabs(e.LineImag[k + 1]);
        }
    }
}

// Values over many magnitudes, most of them not representable in float (so
// the rounding on loading counts), with signed zeros among them, and marker
// values outside the transform region that must survive.
void FillRandom(Grid& g, unsigned seed)
{
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    std::uniform_int_distribution<int> kind(0, 19);
    for (int i = 0; i < optics::kGridSide; ++i) {
        for (int j = 0; j < optics::kGridSide; ++j) {
            const int what = kind(random);
            if (what == 0)
                g(i, j) = 0.0;
            else if (what == 1)
                g(i, j) = -0.0;
            else
                g(i, j) = std::ldexp(unit(random), what < 10 ? 0 : exponent(random));
        }
    }
}

// Index of the first cell whose bits differ, or -1.
long FirstDifference(const Grid& a, const Grid& b)
{
    for (std::size_t n = 0; n < a.cells.size(); ++n)
        if (std::bit_cast<std::uint64_t>(a.cells[n]) != std::bit_cast<std::uint64_t>(b.cells[n]))
            return static_cast<long>(n);
    return -1;
}

std::string Describe(const Grid& got, const Grid& want, long n)
{
    if (n < 0)
        return "identical";
    const int i = static_cast<int>(n / optics::kGridSide);
    const int j = static_cast<int>(n % optics::kGridSide);
    char text[160];
    std::snprintf(text, sizeof text, "cell [%d][%d]: got %.17g, want %.17g", i, j, got(i, j), want(i, j));
    return text;
}

class LaneKernels : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine = Engine::Create();
        optics::FillBitReverse(*engine);
        previous = optics::ActiveLaneKernel();
        inputRe = std::make_unique<Grid>();
        inputIm = std::make_unique<Grid>();
        FillRandom(*inputRe, 11);
        FillRandom(*inputIm, 23);
    }

    void TearDown() override { optics::SelectLaneKernel(previous); }

    using Operation = void (*)(Engine&, Grid&, Grid&);

    // Runs the reference once and the operation on every available kernel.
    void ExpectAllKernelsMatch(Operation reference, Operation operation)
    {
        Grid& wantRe = engine->FieldReal;
        Grid& wantIm = engine->FieldImag;
        wantRe = *inputRe;
        wantIm = *inputIm;
        reference(*engine, wantRe, wantIm);
        const double sign = engine->FftSign;

        for (LaneKernel kernel : optics::AvailableLaneKernels()) {
            SCOPED_TRACE(optics::LaneKernelName(kernel));
            optics::SelectLaneKernel(kernel);
            ASSERT_EQ(optics::ActiveLaneKernel(), kernel);
            Grid& re = engine->OtfReal;
            Grid& im = engine->OtfImag;
            re = *inputRe;
            im = *inputIm;
            operation(*engine, re, im);
            EXPECT_EQ(engine->FftSign, sign);
            EXPECT_EQ(Describe(re, wantRe, FirstDifference(re, wantRe)), "identical") << "real grid";
            EXPECT_EQ(Describe(im, wantIm, FirstDifference(im, wantIm)), "identical") << "imaginary grid";
        }
    }

    std::unique_ptr<Engine> engine;
    std::unique_ptr<Grid> inputRe;
    std::unique_ptr<Grid> inputIm;
    LaneKernel previous = LaneKernel::Lines;
};

TEST_F(LaneKernels, ForwardTransformIsBitIdentical)
{
    ExpectAllKernelsMatch(ReferenceForward, optics::Transform2D);
}

TEST_F(LaneKernels, ForwardTransformWithTheNegativeSignIsBitIdentical)
{
    engine->FftSign = -1.0;
    ExpectAllKernelsMatch(ReferenceForward, optics::Transform2D);
}

TEST_F(LaneKernels, InverseTransformIsBitIdentical)
{
    ExpectAllKernelsMatch(ReferenceInverse, optics::InverseTransform2D);
}

TEST_F(LaneKernels, IntensityTransformIsBitIdentical)
{
    ExpectAllKernelsMatch(ReferenceIntensity, optics::TransformIntensity2D);
}

TEST_F(LaneKernels, ForwardTransformOfAPupilIsBitIdentical)
{
    // What the star calculation feeds in: a disc of unit phasors in zeros,
    // then the intensity pass on the result.
    Grid& re = *inputRe;
    Grid& im = *inputIm;
    re = engine->ZeroGrid;
    im = engine->ZeroGrid;
    for (int u = -40; u <= 40; ++u) {
        for (int v = -40; v <= 40; ++v) {
            if (u * u + v * v > 1600)
                continue;
            const double w = 0.003 * (u * u + v * v) - 0.02 * u * v;
            re(257 + u, 257 + v) = std::cos(w);
            im(257 + u, 257 + v) = std::sin(w);
        }
    }
    ExpectAllKernelsMatch(ReferenceForward, optics::Transform2D);
    *inputRe = engine->FieldReal;
    *inputIm = engine->FieldImag;
    ExpectAllKernelsMatch(ReferenceIntensity, optics::TransformIntensity2D);
}

TEST_F(LaneKernels, SpecialValuesAndSignedZerosAreBitIdentical)
{
    // Signed zeros meet in the butterflies with the twiddle 1 + 0i, where the
    // zero products decide the sign of the result; huge values overflow.
    Grid& re = *inputRe;
    Grid& im = *inputIm;
    for (int i = 1; i <= kLineLength; ++i) {
        for (int j = 1; j <= kLineLength; ++j) {
            const int pick = (i * 7 + j * 3) % 11;
            re(i, j) = pick < 4 ? -0.0 : pick < 7 ? 0.0 : pick == 7 ? -1.5 : pick == 8 ? 3.0e38 : 1e-40;
            im(i, j) = (i + j) % 3 == 0 ? -0.0 : (i * j) % 5 == 0 ? -2.0 : 0.0;
        }
    }
    re(300, 301) = std::numeric_limits<double>::infinity();
    ExpectAllKernelsMatch(ReferenceForward, optics::Transform2D);
    ExpectAllKernelsMatch(ReferenceInverse, optics::InverseTransform2D);
}

TEST_F(LaneKernels, NearlyEmptyColumnsAreBitIdentical)
{
    // Blocks of columns holding nothing but +0.0 are done at once; a single
    // value anywhere in a block, -0.0, or a value that rounds to a float zero
    // must still be transformed.
    Grid& re = *inputRe;
    Grid& im = *inputIm;
    re = engine->ZeroGrid;
    im = engine->ZeroGrid;
    for (int i = 1; i <= kLineLength; ++i)
        re(i, 40) = -0.0;      // a column of negative zeros
    re(512, 100) = 0.25;       // the last row only
    im(1, 150) = -3.0;         // the imaginary grid only
    re(300, 200) = 1e-300;     // rounds to +0 as a float, but is not +0.0
    im(256, 512) = 1.0;        // the last column
    re(5, 0) = 7.0;            // outside the region, next to an empty block
    re(5, 513) = 7.0;
    ExpectAllKernelsMatch(ReferenceForward, optics::Transform2D);

    // Negative zeros everywhere leave a negative zero at the origin.
    for (int i = 1; i <= kLineLength; ++i)
        for (int j = 1; j <= kLineLength; ++j)
            re(i, j) = -0.0;
    im = engine->ZeroGrid;
    ExpectAllKernelsMatch(ReferenceForward, optics::Transform2D);
    EXPECT_TRUE(std::signbit(engine->FieldReal(1, 1)));
}

TEST_F(LaneKernels, OneGridAsBothPartsIsBitIdentical)
{
    // Odd, but defined by the line form: the same grid as real and imaginary
    // part, where every imaginary value stored lands over the real one.
    Grid& want = engine->FieldReal;
    want = *inputRe;
    ReferenceForward(*engine, want, want);
    for (LaneKernel kernel : optics::AvailableLaneKernels()) {
        SCOPED_TRACE(optics::LaneKernelName(kernel));
        optics::SelectLaneKernel(kernel);
        Grid& g = engine->OtfReal;
        g = *inputRe;
        optics::Transform2D(*engine, g, g);
        EXPECT_EQ(Describe(g, want, FirstDifference(g, want)), "identical");
    }
}

TEST(LaneKernelChoice, WidestKernelIsActiveAndUnavailableOnesFallBack)
{
    const LaneKernel start = optics::ActiveLaneKernel();
    const std::vector<LaneKernel> available = optics::AvailableLaneKernels();
    ASSERT_GE(available.size(), 2u);
    EXPECT_EQ(available.front(), LaneKernel::Lines);
    EXPECT_EQ(start, available.back());
    for (LaneKernel k : {LaneKernel::Avx2, LaneKernel::Avx512}) {
        if (!optics::LaneKernelAvailable(k)) {
            optics::SelectLaneKernel(k);
            EXPECT_EQ(optics::ActiveLaneKernel(), available.back());
        }
    }
    EXPECT_EQ(optics::SelectLaneKernel(LaneKernel::Portable), start);
    EXPECT_EQ(optics::ActiveLaneKernel(), LaneKernel::Portable);
    optics::SelectLaneKernel(start);
}

}  // namespace
