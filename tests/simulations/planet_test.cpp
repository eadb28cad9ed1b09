#include "simulations/planet.h"
#include "simulations/colour.h"

#include "imaging/star_image.h"
#include "optics/fft.h"
#include "support/recording_sink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A picture of one colour, with room for changes.
struct Picture {
    Picture(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) : width(w), height(h), bytes(w * h * 3)
    {
        for (int n = 0; n < w * h; ++n) {
            bytes[n * 3] = r;
            bytes[n * 3 + 1] = g;
            bytes[n * 3 + 2] = b;
        }
    }
    std::uint8_t* at(int x, int y) { return &bytes[(y * width + x) * 3]; }
    sim::RgbPicture view() const { return {bytes.data(), width, height, width * 3}; }
    int width;
    int height;
    std::vector<std::uint8_t> bytes;
};

// A blurred star with its peak 1 at the centre cell, as the display step
// leaves it, Gaussian of the given width in cells.
void putStar(optics::Engine& e, double sigma)
{
    for (int i = 1; i <= 512; ++i)
        for (int j = 1; j <= 512; ++j)
            e.StarGrid(i, j) = std::exp(-((i - 257) * (i - 257) + (j - 257) * (j - 257)) / (2 * sigma * sigma));
}

// Convolves and runs the display step as the grey run does.
void convolveAndShow(optics::Engine& e, const Picture& picture, sim::PlanetPlane plane)
{
    optics::NullStatusSink sink;
    sim::ConvolvePlanet(e, picture.view(), plane, sink);
    ASSERT_TRUE(imaging::BuildStarImage(e, {}, nullptr, sink));
}

TEST(PlanetPlacement, CentresWithTruncationAndCropsLargePicturesToTheMiddle)
{
    struct Row {
        int w, h;
        sim::PlanetPlacement expected;
    } rows[] = {
        {512, 512, {0, 0, 512, 512, 0, 0, false}},
        {257, 100, {0, 0, 257, 100, 127, 206, false}},
        {1, 1, {0, 0, 1, 1, 255, 255, false}},
        {600, 300, {44, 0, 512, 300, 0, 106, true}},
        {513, 1000, {0, 244, 512, 512, 0, 0, true}},
    };
    for (const Row& r : rows) {
        const sim::PlanetPlacement p = sim::PlacePlanet(r.w, r.h);
        const sim::PlanetPlacement& x = r.expected;
        EXPECT_EQ(std::vector<int>({p.left, p.top, p.width, p.height, p.x0, p.y0, p.cropped}),
                  std::vector<int>({x.left, x.top, x.width, x.height, x.x0, x.y0, x.cropped}))
            << r.w << " x " << r.h;
    }
}

TEST(PlanetConvolution, APixelPictureGivesBackTheStarOneCellUpLeftOfTheCentre)
{
    auto e = optics::Engine::Create();
    optics::FillBitReverse(*e);
    putStar(*e, 3.0);
    std::vector<double> star(e->StarGrid.cells.begin(), e->StarGrid.cells.end());
    convolveAndShow(*e, Picture(1, 1, 200, 0, 0), sim::PlanetPlane::Red);
    // The pixel lands on [256][256]; the display shows the square of the
    // convolution, normalised: the star squared, around that cell.
    double worst = 0.0;
    for (int i = 200; i <= 310; ++i)
        for (int j = 200; j <= 310; ++j)
            worst = std::max(worst, std::fabs(e->StarGrid(i, j) - std::pow(star[(i + 1) * 517 + j + 1], 2)));
    EXPECT_LT(worst, 1e-5);
    EXPECT_GT(e->StarGrid(256, 256), 0.99);
}

TEST(PlanetConvolution, PlacesOddWidthsOneCellLeftAndWrapsLightRoundTheGrid)
{
    auto e = optics::Engine::Create();
    optics::FillBitReverse(*e);
    e->StarGrid(128, 255) = 7.0;  // what was there before goes
    Picture narrow(257, 2, 10, 20, 30);
    sim::PlacePlanetPicture(narrow.view(), sim::PlanetPlane::Grey, e->StarGrid);
    const double grey = 0.229 * 10 + 0.589 * 20 + 0.114 * 30;
    EXPECT_EQ(e->StarGrid(127, 256), 0.0);
    EXPECT_EQ(e->StarGrid(128, 256), grey);  // the first column: x0 = 127
    EXPECT_EQ(e->StarGrid(384, 257), grey);  // the last one
    EXPECT_EQ(e->StarGrid(385, 257), 0.0);
    EXPECT_EQ(e->StarGrid(128, 255), 0.0);

    // A 512 x 512 picture fills the grid; light from its right edge comes in
    // again at the left one.
    putStar(*e, 4.0);
    Picture full(512, 512, 0, 0, 0);
    for (int y = 0; y < 512; ++y)
        full.at(511, y)[0] = 255;
    convolveAndShow(*e, full, sim::PlanetPlane::Red);
    EXPECT_GT(e->StarGrid(1, 300), 0.5 * e->StarGrid(511, 300));
    EXPECT_LT(e->StarGrid(100, 300), 1e-6);
}

TEST(PlanetColour, WeightsKeepTotalsAndABlackPlaneGetsNone)
{
    auto e = optics::Engine::Create();
    putStar(*e, 2.0);
    double amplitude = 0.0;
    for (int i = 1; i <= 512; ++i)
        for (int j = 1; j <= 512; ++j)
            amplitude += std::sqrt(e->StarGrid(i, j));
    std::vector<double> roots;
    EXPECT_DOUBLE_EQ(sim::AccumulateChannel(*e, sim::Channel::Green, 1000.0, roots), 1000.0 / amplitude);
    EXPECT_EQ(e->WeightRed, 0.0);
    EXPECT_DOUBLE_EQ(e->WeightGreen, 1000.0 / amplitude);
    EXPECT_EQ(e->WeightBlue, 0.0);
    EXPECT_FLOAT_EQ(e->ColourGrid(257, 257).green, static_cast<float>(std::sqrt(e->StarGrid(257, 257)) * 1000.0 / amplitude));
    EXPECT_EQ(e->ColourGrid(257, 257).red, 0.0f);

    optics::ClearGrid(*e, e->StarGrid);  // what a black plane leaves
    EXPECT_EQ(sim::AccumulateChannel(*e, sim::Channel::Blue, 0.0, roots), 0.0);
    sim::PlanetRun run(*e);
    Picture noBlue(4, 4, 100, 50, 0);
    run.startColourRun(noBlue.view());
    EXPECT_EQ(e->PlanetSumRed, 1600.0);
    run.accumulate(sim::PlanetPlane::Blue);
    EXPECT_EQ(e->WeightBlue, 0.0);
    EXPECT_EQ(e->ColourGrid(257, 257).blue, 0.0f);
}

TEST(PlanetColour, CompositeClipsAt255InTheGridAndRoundsHalvesToEven)
{
    auto e = optics::Engine::Create();
    imaging::PixelBuffer buffer(256, 256);
    e->ColourGrid(129, 129) = {300.0f, 2.5f, 3.5f};
    e->ColourGrid(384, 384) = {255.4f, 1000.0f, 0.0f};
    e->ColourGrid(128, 128) = {300.0f, 300.0f, 300.0f};  // outside the picture
    sim::DrawPlanetComposite(*e, buffer);
    EXPECT_EQ(buffer.pixel(0, 0), (imaging::Rgb{255, 2, 4}));
    EXPECT_EQ(buffer.pixel(255, 255), (imaging::Rgb{255, 255, 0}));
    EXPECT_EQ(e->ColourGrid(129, 129).red, 255.0f);
    EXPECT_EQ(e->ColourGrid(384, 384).green, 255.0f);
    EXPECT_EQ(e->ColourGrid(128, 128).red, 300.0f);
}

TEST(PlanetColour, PassesRunBlueGreenRedAndNameTheirWavelength)
{
    EXPECT_EQ(sim::PlaneOf(true, 440.0), sim::PlanetPlane::Blue);
    EXPECT_EQ(sim::PlaneOf(true, 510.0), sim::PlanetPlane::Green);
    EXPECT_EQ(sim::PlaneOf(true, 645.0), sim::PlanetPlane::Red);
    EXPECT_EQ(sim::PlaneOf(false, 645.0), sim::PlanetPlane::Grey);
    EXPECT_EQ(sim::WavelengthStatus(440.0), "Calculating wavefront at 440nm");
    EXPECT_EQ(sim::WavelengthStatus(512.5, ','), "Calculating wavefront at 512,5nm");
}

}  // namespace
