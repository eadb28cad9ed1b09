// The lane kernels of the 2-D transforms against the one-line-at-a-time form
// (LaneKernel::Lines, which loads, transforms and stores one line after the
// other): every cell of every grid must come out bit for bit the same, on every
// kernel this processor can run.
#include "optics/fft.h"
#include "optics/fft_lanes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <random>
#include <string>

namespace {

using optics::Grid;
using optics::LaneKernel;
using optics::kLineLength;

enum class Operation { Forward, Inverse, Intensity };

void Run(Operation operation, Grid& re, Grid& im, LaneKernel kernel)
{
    switch (operation) {
    case Operation::Forward: optics::Transform2D(re, im, kernel); return;
    case Operation::Inverse: optics::InverseTransform2D(re, im, kernel); return;
    case Operation::Intensity: optics::TransformIntensity2D(re, im, kernel); return;
    }
}

// The kernels that run lines in lanes.
std::vector<LaneKernel> Lanes()
{
    std::vector<LaneKernel> kernels = optics::AvailableLaneKernels();
    kernels.erase(kernels.begin());  // the line form itself
    return kernels;
}

// The first cell whose bits differ, or "identical".
std::string Difference(const Grid& got, const Grid& want)
{
    for (std::size_t n = 0; n < got.cells.size(); ++n) {
        if (std::bit_cast<std::uint64_t>(got.cells[n]) != std::bit_cast<std::uint64_t>(want.cells[n])) {
            char text[160];
            std::snprintf(text, sizeof text, "cell [%zu][%zu]: got %.17g, want %.17g", n / optics::kGridSide,
                          n % optics::kGridSide, got.cells[n], want.cells[n]);
            return text;
        }
    }
    return "identical";
}

struct Grids {
    std::unique_ptr<Grid> re = std::make_unique<Grid>();
    std::unique_ptr<Grid> im = std::make_unique<Grid>();

    Grids copy() const { return {std::make_unique<Grid>(*re), std::make_unique<Grid>(*im)}; }
};

// Runs the reference once and the operation on every available kernel; hands
// back the reference's result.
Grids ExpectKernelsMatch(Operation operation, const Grids& input)
{
    Grids want = input.copy();
    Run(operation, *want.re, *want.im, LaneKernel::Lines);
    for (LaneKernel kernel : Lanes()) {
        SCOPED_TRACE(optics::LaneKernelName(kernel));
        Grids got = input.copy();
        Run(operation, *got.re, *got.im, kernel);
        EXPECT_EQ(Difference(*got.re, *want.re), "identical") << "real grid";
        EXPECT_EQ(Difference(*got.im, *want.im), "identical") << "imaginary grid";
    }
    return want;
}

// Values over many magnitudes, most of them not representable in float (so
// the rounding on loading counts), with signed zeros among them, and values
// outside the transform region that must survive.
void FillRandom(Grid& g, unsigned seed)
{
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    std::uniform_int_distribution<int> kind(0, 19);
    for (double& v : g.cells) {
        const int what = kind(random);
        v = what == 0 ? 0.0 : what == 1 ? -0.0 : std::ldexp(unit(random), what < 10 ? 0 : exponent(random));
    }
}

Grids RandomInput()
{
    Grids g;
    FillRandom(*g.re, 11);
    FillRandom(*g.im, 23);
    return g;
}

// What the star calculation feeds in: a disc of unit phasors in zeros.
Grids PupilInput()
{
    Grids g;
    for (int u = -40; u <= 40; ++u) {
        for (int v = -40; v <= 40; ++v) {
            if (u * u + v * v > 1600)
                continue;
            const double w = 0.003 * (u * u + v * v) - 0.02 * u * v;
            (*g.re)(257 + u, 257 + v) = std::cos(w);
            (*g.im)(257 + u, 257 + v) = std::sin(w);
        }
    }
    return g;
}

// Signed zeros meet in the butterflies with the twiddle 1 + 0i, where the
// zero products decide the sign of the result; huge values overflow.
Grids SpecialValues()
{
    Grids g;
    for (int i = 1; i <= kLineLength; ++i) {
        for (int j = 1; j <= kLineLength; ++j) {
            const int pick = (i * 7 + j * 3) % 11;
            (*g.re)(i, j) = pick < 4 ? -0.0 : pick < 7 ? 0.0 : pick == 7 ? -1.5 : pick == 8 ? 3.0e38 : 1e-40;
            (*g.im)(i, j) = (i + j) % 3 == 0 ? -0.0 : (i * j) % 5 == 0 ? -2.0 : 0.0;
        }
    }
    (*g.re)(300, 301) = std::numeric_limits<double>::infinity();
    return g;
}

// Blocks of columns holding nothing but +0.0 are done at once; a single value
// anywhere in a block, -0.0, or a value that rounds to a float zero must
// still be transformed.
Grids NearlyEmptyColumns()
{
    Grids g;
    for (int i = 1; i <= kLineLength; ++i)
        (*g.re)(i, 40) = -0.0;  // a column of negative zeros
    (*g.re)(512, 100) = 0.25;   // the last row only
    (*g.im)(1, 150) = -3.0;     // the imaginary grid only
    (*g.re)(300, 200) = 1e-300; // rounds to +0 as a float, but is not +0.0
    (*g.im)(256, 512) = 1.0;    // the last column
    (*g.re)(5, 0) = 7.0;        // outside the region, next to an empty block
    (*g.re)(5, 513) = 7.0;
    return g;
}

TEST(LaneKernels, EveryOperationIsBitIdenticalToTheLineForm)
{
    const struct {
        const char* name;
        Grids (*input)();
        std::vector<Operation> operations;
    } cases[] = {
        {"random", RandomInput, {Operation::Forward, Operation::Inverse, Operation::Intensity}},
        {"special values", SpecialValues, {Operation::Forward, Operation::Inverse}},
        {"nearly empty columns", NearlyEmptyColumns, {Operation::Forward}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Grids input = c.input();
        for (Operation operation : c.operations)
            ExpectKernelsMatch(operation, input);
    }
}

TEST(LaneKernels, APupilAndItsTransferFunctionAreBitIdentical)
{
    const Grids field = ExpectKernelsMatch(Operation::Forward, PupilInput());
    ExpectKernelsMatch(Operation::Intensity, field);
}

TEST(LaneKernels, NegativeZerosEverywhereLeaveANegativeZeroAtTheOrigin)
{
    Grids input;
    for (int i = 1; i <= kLineLength; ++i)
        for (int j = 1; j <= kLineLength; ++j)
            (*input.re)(i, j) = -0.0;
    const Grids want = ExpectKernelsMatch(Operation::Forward, input);
    EXPECT_TRUE(std::signbit((*want.re)(1, 1)));
}

// The forward transform told which rows hold the field reads no other row:
// with those rows full of NaN it must give what it gives with them +0.0,
// on every kernel and the line form, and leave the cells beyond the region
// alone.
TEST(LaneKernels, TheForwardTransformReadsOnlyTheRowsItIsToldOf)
{
    const struct {
        const char* name;
        optics::FilledRows rows;
        Grids (*input)();
    } cases[] = {
        {"the pupil's rows", {217, 297}, PupilInput},
        {"random, the middle rows", {200, 320}, RandomInput},
        {"random, the first row", {1, 1}, RandomInput},
        {"random, the last row", {512, 512}, RandomInput},
        {"random, every row", {1, 512}, RandomInput},
        {"random, beyond the region", {-5, 600}, RandomInput},
        {"no row at all", {300, 299}, RandomInput},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Grids clean = c.input();
        Grids poisoned = clean.copy();
        for (int i = 1; i <= kLineLength; ++i) {
            if (i >= c.rows.first && i <= c.rows.last)
                continue;
            for (int j = 1; j <= kLineLength; ++j) {
                (*clean.re)(i, j) = (*clean.im)(i, j) = 0.0;
                (*poisoned.re)(i, j) = (*poisoned.im)(i, j) = std::nan("");
            }
        }
        Grids want = clean.copy();
        optics::Transform2D(*want.re, *want.im, LaneKernel::Lines);
        for (LaneKernel kernel : optics::AvailableLaneKernels()) {
            SCOPED_TRACE(optics::LaneKernelName(kernel));
            Grids got = poisoned.copy();
            optics::Transform2D(*got.re, *got.im, optics::TransformRunner{kernel}, c.rows);
            EXPECT_EQ(Difference(*got.re, *want.re), "identical") << "real grid";
            EXPECT_EQ(Difference(*got.im, *want.im), "identical") << "imaginary grid";
        }
    }
}

// Odd, but defined by the line form: the same grid as real and imaginary
// part, where every imaginary value stored lands over the real one.
TEST(LaneKernels, OneGridAsBothPartsIsBitIdentical)
{
    const Grids input = RandomInput();
    auto want = std::make_unique<Grid>(*input.re);
    optics::Transform2D(*want, *want, LaneKernel::Lines);
    for (LaneKernel kernel : Lanes()) {
        SCOPED_TRACE(optics::LaneKernelName(kernel));
        auto g = std::make_unique<Grid>(*input.re);
        optics::Transform2D(*g, *g, kernel);
        EXPECT_EQ(Difference(*g, *want), "identical");
    }
}

TEST(LaneKernels, TheWidestIsPreferredAndAnUnavailableOneFallsBack)
{
    const std::vector<LaneKernel> available = optics::AvailableLaneKernels();
    ASSERT_GE(available.size(), 2u);
    EXPECT_EQ(available[0], LaneKernel::Lines);
    EXPECT_EQ(available[1], LaneKernel::Portable);
    EXPECT_EQ(optics::PreferredLaneKernel(), available.back());
    const Grids input = RandomInput();
    Grids want = input.copy();
    optics::Transform2D(*want.re, *want.im, LaneKernel::Lines);
    for (LaneKernel kernel : {LaneKernel::Avx2, LaneKernel::Avx512}) {
        if (optics::LaneKernelAvailable(kernel))
            continue;
        Grids got = input.copy();
        optics::Transform2D(*got.re, *got.im, kernel);
        EXPECT_EQ(Difference(*got.re, *want.re), "identical") << optics::LaneKernelName(kernel);
    }
}

}  // namespace
