#include "simulations/planet.h"

#include "imaging/display.h"
#include "support/recording_progress.h"
#include "support/three_threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using optics::Grid;
using sim::PlanetPlane;

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
// leaves it: a Gaussian of the given width in cells.
std::unique_ptr<optics::StarImage> BlurredStar(double sigma)
{
    auto star = std::make_unique<optics::StarImage>();
    for (int i = 1; i <= 512; ++i)
        for (int j = 1; j <= 512; ++j)
            star->grid(i, j) = std::exp(-((i - 257) * (i - 257) + (j - 257) * (j - 257)) / (2 * sigma * sigma));
    return star;
}

TEST(PlacePlanet, CentresWithTruncationAndCropsLargePicturesToTheMiddle)
{
    const struct {
        int w, h;
        sim::PlanetPlacement expected;
    } rows[] = {
        {512, 512, {0, 0, 512, 512, 0, 0, false}},
        {257, 100, {0, 0, 257, 100, 127, 206, false}},
        {1, 1, {0, 0, 1, 1, 255, 255, false}},
        {600, 300, {44, 0, 512, 300, 0, 106, true}},
        {513, 1000, {0, 244, 512, 512, 0, 0, true}},
    };
    for (const auto& r : rows) {
        const sim::PlanetPlacement p = sim::PlacePlanet(r.w, r.h);
        const sim::PlanetPlacement& x = r.expected;
        EXPECT_EQ(std::vector<int>({p.left, p.top, p.width, p.height, p.x0, p.y0, p.cropped}),
                  std::vector<int>({x.left, x.top, x.width, x.height, x.x0, x.y0, x.cropped}))
            << r.w << " x " << r.h;
    }
}

TEST(PlacePlanetPicture, OddWidthsSitOneCellLeftOnACleanGrid)
{
    auto grid = std::make_unique<Grid>();
    (*grid)(128, 255) = 7.0;  // what was there before goes
    const Picture narrow(257, 2, 10, 20, 30);
    sim::PlacePlanetPicture(narrow.view(), PlanetPlane::Grey, *grid);
    const double grey = 0.229 * 10 + 0.589 * 20 + 0.114 * 30;
    EXPECT_EQ((*grid)(127, 256), 0.0);
    EXPECT_EQ((*grid)(128, 256), grey);  // the first column: x0 = 127
    EXPECT_EQ((*grid)(384, 257), grey);  // the last one
    EXPECT_EQ((*grid)(385, 257), 0.0);
    EXPECT_EQ((*grid)(128, 255), 0.0);
    const std::pair<PlanetPlane, double> planes[] = {
        {PlanetPlane::Red, 10.0}, {PlanetPlane::Green, 20.0}, {PlanetPlane::Blue, 30.0}};
    for (const auto& [plane, value] : planes) {
        sim::PlacePlanetPicture(narrow.view(), plane, *grid);
        EXPECT_EQ((*grid)(200, 257), value);
    }
    // Shared out over threads, the same grid.
    testing_support::ThreeThreads threads;
    Picture tall(3, 301, 40, 50, 60);
    for (int y = 0; y < tall.height; ++y)
        for (int x = 0; x < tall.width; ++x)
            tall.at(x, y)[1] = static_cast<std::uint8_t>((7 * x + 13 * y) % 255 + 1);
    auto alone = std::make_unique<Grid>(*grid);
    auto shared = std::make_unique<Grid>(*grid);
    sim::PlacePlanetPicture(tall.view(), PlanetPlane::Green, *alone);
    sim::PlacePlanetPicture(tall.view(), PlanetPlane::Green, *shared, &threads);
    EXPECT_EQ(std::memcmp(shared.get(), alone.get(), sizeof(Grid)), 0);
    EXPECT_EQ(std::count_if(alone->cells.begin(), alone->cells.end(), [](double v) { return v != 0.0; }), 3 * 301);
}

class ConvolvePlanet : public ::testing::Test {
protected:
    optics::StarImagePtr convolve(const optics::StarImage& kernel, const Picture& picture, PlanetPlane plane)
    {
        return sim::ConvolvePlanet(*ws, kernel, picture.view(), plane, progress);
    }

    std::unique_ptr<optics::Workspace> ws = optics::Workspace::Create();
    testing_support::RecordingProgress progress;
};

// The pixel lands on [256][256]; the display step shows the square of the
// convolution, normalised: the star squared around that cell.
TEST_F(ConvolvePlanet, APixelPictureGivesBackTheStarOneCellUpLeftOfTheCentre)
{
    const auto star = BlurredStar(3.0);
    const optics::StarImagePtr image = convolve(*star, Picture(1, 1, 200, 0, 0), PlanetPlane::Red);
    double worst = 0.0;
    for (int i = 200; i <= 310; ++i)
        for (int j = 200; j <= 310; ++j)
            worst = std::max(worst, std::fabs(image->grid(i, j) - std::pow(star->grid(i + 1, j + 1), 2)));
    EXPECT_LT(worst, 1e-5);
    EXPECT_GT(image->grid(256, 256), 0.99);
    // The spectrum of the kernel at unit sum is left in the workspace.
    EXPECT_NEAR(ws->spectrumRe(1, 1), 1.0, 1e-6);
    EXPECT_TRUE(ws->spectrumAfterPupil);
    EXPECT_EQ(progress.stages, (std::vector<std::string>{"FFT of star-image", "FFT of planet-image",
                                                         "Inverse FFT of star * planet", "Building image", ""}));
}

TEST_F(ConvolvePlanet, LightFromOneEdgeComesInAgainAtTheOther)
{
    Picture full(512, 512, 0, 0, 0);
    for (int y = 0; y < 512; ++y)
        full.at(511, y)[0] = 255;
    const optics::StarImagePtr image = convolve(*BlurredStar(4.0), full, PlanetPlane::Red);
    EXPECT_GT(image->grid(1, 300), 0.5 * image->grid(511, 300));
    EXPECT_LT(image->grid(100, 300), 1e-6);
}

TEST_F(ConvolvePlanet, ABlackKernelGivesABlackPicture)
{
    const auto black = std::make_unique<optics::StarImage>();
    const optics::StarImagePtr image = convolve(*black, Picture(8, 8, 90, 90, 90), PlanetPlane::Grey);
    EXPECT_EQ(image->peak, 0.0f);
    for (int i = 1; i <= 512; ++i)
        for (int j = 1; j <= 512; ++j)
            ASSERT_EQ(image->grid(i, j), 0.0) << i << "," << j;
}

// Each channel's plane is added with the weight that keeps the channel's
// total over the picture; a channel the picture lacks stays black.
TEST(PlanetColourSum, WeightsKeepTheChannelTotalsAndTheShownCellsAreLimitedTo255)
{
    const Picture picture(4, 4, 100, 50, 0);
    sim::PlanetColourSum sum(picture.view());
    EXPECT_EQ(sum.totals().red, 1600.0);
    EXPECT_EQ(sum.totals().green, 800.0);
    EXPECT_EQ(sum.totals().blue, 0.0);

    auto red = std::make_unique<Grid>();
    (*red)(129, 129) = 1.0;  // shown at pixel (0, 0)
    (*red)(128, 128) = 1.0;  // outside the picture
    EXPECT_EQ(sum.add(*red, PlanetPlane::Red), 800.0);
    EXPECT_EQ(sum.lastWeights().red, 800.0);
    EXPECT_EQ(sum.lastWeights().green, 0.0);
    auto green = std::make_unique<Grid>();
    (*green)(384, 384) = 0.25;  // sqrt 0.5, shown at pixel (255, 255)
    (*green)(129, 129) = 0.25;
    EXPECT_EQ(sum.add(*green, PlanetPlane::Green), 800.0);
    EXPECT_EQ(sum.add(*green, PlanetPlane::Blue), 0.0);
    EXPECT_EQ(sum.lastWeights().blue, 0.0);
    EXPECT_EQ(sum.add(*green, PlanetPlane::Grey), 0.0);

    const sim::Composite composite = sum.finish();
    EXPECT_EQ(composite.scale, 1.0);
    const optics::ColourCells& cells = *composite.cells;
    EXPECT_EQ(cells(129, 129).red, 255.0f);
    EXPECT_EQ(cells(129, 129).green, 255.0f);  // 400
    EXPECT_EQ(cells(384, 384).green, 255.0f);
    EXPECT_EQ(cells(128, 128).red, 800.0f);
    EXPECT_EQ(cells(129, 129).blue, 0.0f);
    EXPECT_EQ(imaging::DrawComposite(cells, composite.scale).pixel(0, 0), (imaging::Rgb{255, 255, 0}));

    // The grid is not cleared beforehand: over memory left dirty, the cells a
    // red pass does not reach, and the channels never added, are 0.
    {
        auto dirty = std::make_unique<optics::ColourCells>();
        dirty->cells.fill({3.0f, 3.0f, 3.0f});
        asm volatile("" : : "r"(dirty.get()) : "memory");
    }
    sim::PlanetColourSum redOnly(picture.view());
    redOnly.add(*red, PlanetPlane::Red);
    const optics::ColourCells& onlyRed = *redOnly.finish().cells;
    EXPECT_EQ(onlyRed(129, 129).red, 255.0f);
    for (const auto& [i, j] : {std::pair{0, 0}, {5, 0}, {513, 7}, {200, 300}, {129, 129}}) {
        EXPECT_EQ(onlyRed(i, j).green, 0.0f) << i << "," << j;
        EXPECT_EQ(onlyRed(i, j).blue, 0.0f) << i << "," << j;
        if (i != 129) {
            EXPECT_EQ(onlyRed(i, j).red, 0.0f) << i << "," << j;
        }
    }
}

TEST(PlanetColour, PassesRunBlueGreenRedAndNameTheirWavelength)
{
    const std::pair<double, PlanetPlane> expected[] = {
        {440.0, PlanetPlane::Blue}, {510.0, PlanetPlane::Green}, {645.0, PlanetPlane::Red}};
    ASSERT_EQ(std::size(sim::kColourPasses), 3u);
    for (std::size_t n = 0; n < 3; ++n) {
        EXPECT_EQ(sim::kColourPasses[n].waveLength, expected[n].first);
        EXPECT_EQ(sim::kColourPasses[n].channel, expected[n].second);
    }
    EXPECT_EQ(sim::WavelengthStatus(440.0), "Calculating wavefront at 440nm");
    EXPECT_EQ(sim::WavelengthStatus(512.5, ','), "Calculating wavefront at 512,5nm");
    EXPECT_EQ(sim::WavelengthStatus(0.1 + 0.2), "Calculating wavefront at 0.30000000000000004nm");
}

}  // namespace
