#include "imaging/display.h"

#include "base/rounding.h"
#include "support/three_threads.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {

using imaging::DisplayCurve;
using imaging::kBlack;
using imaging::kWhite;
using imaging::PixelBuffer;
using imaging::Rgb;
using imaging::StarLook;
using optics::Grid;

const DisplayCurve& DefaultCurve()
{
    static const DisplayCurve curve = imaging::BuildDisplayCurve(0.5, 4.5);
    return curve;
}

int CountLit(const PixelBuffer& picture)
{
    int lit = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            lit += picture.pixel(x, y) != kBlack;
    return lit;
}

// ---- Display curve ----------------------------------------------------------

TEST(DisplayCurve, EntriesOfTheToeAndTheCurve)
{
    const struct {
        double gamma, slope;
        int n;
        double level;
    } cases[] = {
        {0.5, 4.5, 0, 0.0},
        {0.5, 4.5, 49, 0.2205},  // 4.5 x 0.049, below 4.5^-2
        {0.5, 4.5, 50, std::sqrt(0.050001)},
        {0.5, 4.5, 100, std::sqrt(0.100001)},
        {0.5, 4.5, 1000, std::sqrt(1.000001)},  // just above 1
        {0.0, 4.5, 49, 0.2205},
        {0.0, 4.5, 100, 0.45},
        {0.0, 4.5, 222, 4.5 * 0.222},  // threshold 1 / 4.5 = 0.2222
        {0.0, 4.5, 223, 1.0},
        {0.0, 4.5, 1000, 1.0},
        {1.0, 4.5, 500, 0.500001},  // a toe steeper than the curve shrinks to nothing
        {1.0, 0.5, 500, 0.25},      // a toe below the curve is all of it
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(imaging::BuildDisplayCurve(c.gamma, c.slope)[c.n], c.level)
            << c.gamma << " " << c.slope << " " << c.n;
    EXPECT_NEAR(DefaultCurve()[50], 0.223609, 5e-7);
    EXPECT_NEAR(DefaultCurve()[100], 0.316229, 5e-7);
}

TEST(DisplayCurve, RisesAndJoinsTheToeWithoutAJump)
{
    for (double gamma : {0.2, 0.5, 0.9}) {
        for (double slope : {1.5, 4.5, 20.0}) {
            const DisplayCurve curve = imaging::BuildDisplayCurve(gamma, slope);
            for (int n = 1; n <= 1000; ++n) {
                ASSERT_GE(curve[n], curve[n - 1]) << gamma << " " << slope << " " << n;
                // Neither piece may rise faster than the toe.
                ASSERT_LE(curve[n] - curve[n - 1], slope * 0.001 + 1e-6) << gamma << " " << slope << " " << n;
            }
        }
    }
}

// A typed gamma reaches the curve before its editor clamps it to 0.99.
TEST(DisplayCurve, GammaOneIsTheLimitOfTheGammasJustBelowIt)
{
    for (double slope : {0.5, 1.0, 4.5, 100.0}) {
        const DisplayCurve below = imaging::BuildDisplayCurve(1.0 - 1e-9, slope);
        const DisplayCurve one = imaging::BuildDisplayCurve(1.0, slope);
        for (int n = 0; n <= 1000; ++n)
            ASSERT_NEAR(one[n], below[n], 1e-8) << slope << " " << n;
    }
}

// ---- Sampling ---------------------------------------------------------------

TEST(SampleIndex, RoundsHalvesToEvenAndIsMinusOneOffTheGrid)
{
    const struct {
        int offset;
        double h;
        int index;
    } cases[] = {
        {0, 1.0, 255},    {-128, 1.0, 127}, {127, 1.0, 382},                   // zoom 1
        {1, 0.5, 256},    {3, 0.5, 256},    {-1, 0.5, 254}, {-32, 0.5, 239},  // zoom 2: 255.5, 256.5, 254.5
        {-127, 2.0, 1},   {127, 2.0, 509},  {-128, 2.0, -1}, {128, 2.0, 511}, // zoom 0.5
        {25, 10.0, 505},  {-25, 10.0, 5},   {26, 10.0, -1}, {-26, 10.0, -1},  // zoom 0.1
        {128, 2.0078125, 512},
    };
    for (const auto& c : cases)
        EXPECT_EQ(imaging::SampleIndex(c.offset, c.h), c.index) << c.offset << " at " << c.h;
}

TEST(ZoomLabelNumber, IsTheWidthInArcsecondsAtTheRedrawStep)
{
    for (auto [zoom, number] : {std::pair{1.0, 25}, {2.0, 12}, {0.5, 50}, {0.1, 250}})
        EXPECT_EQ(imaging::ZoomLabelNumber(zoom), number) << zoom;
}

// ---- Star pictures ----------------------------------------------------------

struct Cell {
    int i, j;
    double value;
};
struct Pixel {
    int x, y;
    Rgb colour;
};

std::unique_ptr<Grid> Star(const std::vector<Cell>& cells, bool full = false)
{
    auto grid = std::make_unique<Grid>();
    if (full)
        for (int i = 1; i <= 512; ++i)
            for (int j = 1; j <= 512; ++j)
                (*grid)(i, j) = 1.0;
    for (const Cell& c : cells)
        (*grid)(c.i, c.j) = c.value;
    return grid;
}

constexpr Rgb kRed{255, 0, 0};

struct PictureCase {
    const char* name;
    std::vector<Cell> cells;
    bool full;  // every cell of the data area 1 first
    StarLook look;
    std::vector<Pixel> pixels;
    int lit;  // pixels not black, -1 when not counted
};

void ExpectPictures(const std::function<PixelBuffer(const Grid&, const DisplayCurve&, const StarLook&)>& draw,
                    const std::vector<PictureCase>& cases)
{
    for (const PictureCase& c : cases) {
        const PixelBuffer picture = draw(*Star(c.cells, c.full), DefaultCurve(), c.look);
        for (const Pixel& p : c.pixels)
            EXPECT_EQ(picture.pixel(p.x, p.y), p.colour) << c.name << " at " << p.x << "," << p.y;
        if (c.lit >= 0) {
            EXPECT_EQ(CountLit(picture), c.lit) << c.name;
        }
        if (c.look.colour == kRed) {
            for (int y = 0; y < 256; ++y)
                for (int x = 0; x < 256; ++x)
                    ASSERT_EQ(picture.pixel(x, y).green + picture.pixel(x, y).blue, 0) << c.name;
        }
    }
}

const std::vector<Cell> kFaint = {{257, 257, 1.0}, {200, 200, 0.01}};  // curve entry 10: 4.5 x 0.01

std::vector<Cell> Column256()
{
    std::vector<Cell> column;
    for (int j = 1; j <= 512; ++j)
        column.push_back({256, j, 1.0});
    return column;
}

// Drawn on one thread or with its columns shared out, the same pixels.
TEST(DrawStarPicture, SamplesZoomsBrightnessAndColour)
{
    testing_support::ThreeThreads threads;
    const auto alone = [](const Grid& star, const DisplayCurve& curve, const StarLook& look) {
        return imaging::DrawStarPicture(star, curve, look);
    };
    const auto shared = [&threads](const Grid& star, const DisplayCurve& curve, const StarLook& look) {
        return imaging::DrawStarPicture(star, curve, look, &threads);
    };
    const std::vector<PictureCase> cases = {
        // The peak at [257][257] is drawn one pixel right of and below the centre.
        {"peak", {{257, 257, 1.0}}, false, {}, {{129, 129, kWhite}, {128, 128, kBlack}}, 1},
        {"edges read cells 128 and 383",
         {{128, 257, 1.0}, {383, 257, 1.0}, {257, 128, 1.0}, {257, 383, 1.0}, {127, 257, 1.0}}, false, {},
         {{0, 129, kWhite}, {255, 129, kWhite}, {129, 0, kWhite}, {129, 255, kWhite}}, 4},
        {"zoom 2 rounds halves to even", {{257, 257, 1.0}, {255, 240, 1.0}}, false, {2.0},
         {{129, 131, kWhite}, {131, 129, kWhite}, {128, 129, kBlack}, {132, 129, kBlack}, {125, 96, kWhite},
          {127, 96, kWhite}},
         9 + 3},
        {"zoom 2 draws cell 256 at pixel 128 only", Column256(), false, {2.0},
         {{128, 128, kWhite}, {129, 128, kBlack}}, -1},
        {"zoom 0.5 shows the whole grid", {}, true, {0.5},
         {{0, 100, kBlack}, {100, 0, kBlack}, {1, 1, kWhite}, {255, 255, kWhite}}, 255 * 255},
        {"zoom 0.5015 reaches cell 1", {}, true, {0.5015}, {{0, 128, kWhite}}, -1},
        {"zoom 0.4961 reaches cell 512", {}, true, {0.4961}, {{255, 128, kWhite}}, -1},
        {"zoom 0.1 the central pixels", {}, true, {0.1}, {{102, 128, kBlack}, {103, 128, kWhite}, {153, 153, kWhite}},
         51 * 51},
        {"faint", kFaint, false, {}, {{72, 72, {11, 11, 11}}, {129, 129, kWhite}}, 2},  // 255 x 0.045
        {"brightness 100", kFaint, false, {1.0, 100}, {{72, 72, {241, 241, 241}}, {129, 129, kWhite}}, 2},
        {"brightness 50", kFaint, false, {1.0, 50}, {{72, 72, {126, 126, 126}}}, 2},
        {"brightness 95", kFaint, false, {1.0, 95}, {{72, 72, {229, 229, 229}}}, 2},  // 255 x 0.9 in double
        {"colour", kFaint, false, {1.0, 0, kRed}, {{72, 72, {11, 0, 0}}, {129, 129, kRed}}, 2},
        {"not a number is black", {{261, 261, std::nan("")}}, false, {}, {{133, 133, kBlack}}, 0},
    };
    ExpectPictures(alone, cases);
    ExpectPictures(shared, cases);
}

// Whatever a cell holds, at any zoom, over a part or the whole, on one thread
// or shared out, a pixel shows the curve entry that its scaled value rounds
// to, half to even, limited to 0..1000; NaN shows entry 0.
TEST(DrawStarPicture, EveryValueShowsTheEntryItRoundsTo)
{
    // Entry n shows level n % 256, so that entries a wrong rounding or limit
    // would mix up show apart.
    DisplayCurve curve;
    for (int n = 0; n <= imaging::kDisplaySteps; ++n)
        curve[static_cast<std::size_t>(n)] = (n % 256) / 255.0;
    const double values[] = {-1.0,   -0.0,    NAN,    INFINITY, -INFINITY, 4.999e-4, 5e-4,  1.5e-3, 2.5e-3, 0.9985,
                             0.9995, 1.5,     1e30,   3e-320,   0.2565,    1e-3,     0.5,   0.0125, 0.2555, 0.7685};
    auto star = std::make_unique<Grid>();
    for (int i = 1; i <= 512; ++i)
        for (int j = 1; j <= 512; ++j)
            (*star)(i, j) = values[static_cast<std::size_t>(i * 3 + j) % std::size(values)];
    const auto entry = [](double scaled) {
        const double r = base::RoundHalfEven(scaled);
        return !(r > 0.0) ? 0 : r >= imaging::kDisplaySteps ? imaging::kDisplaySteps : static_cast<int>(r);
    };
    testing_support::ThreeThreads threads;
    const struct {
        const char* what;
        double peak, brighter;  // 0: the star picture
        int from, to;
    } kinds[] = {{"star", 0.0, 0.0, 0, 256}, {"on a peak", 2.0, 3.0, 0, 256}, {"on a peak, a part", 1.0, 1000.0, 28, 225}};
    for (const auto& kind : kinds) {
        for (const double zoom : {1.0, 2.0, 0.5, 0.37}) {
            for (optics::LoopRunner* loops : {static_cast<optics::LoopRunner*>(nullptr),
                                              static_cast<optics::LoopRunner*>(&threads)}) {
                const bool grey = kind.peak == 0.0;
                const PixelBuffer picture =
                    grey ? imaging::DrawStarPicture(*star, curve, {zoom}, loops)
                         : imaging::DrawOnPeakScale(*star, kind.peak, kind.brighter, curve, {zoom}, kind.from, kind.to,
                                                    loops);
                const double h = grey ? 1.0 / zoom : static_cast<float>(1.0 / zoom);
                for (int y = kind.from; y < kind.to; ++y)
                    for (int x = kind.from; x < kind.to; ++x) {
                        const double v = (*star)(imaging::SampleIndex(x - 128, h) + 1, imaging::SampleIndex(y - 128, h) + 1);
                        const int n = grey ? entry(1000.0 * v)
                                           : entry(static_cast<float>(v * 1000.0 * kind.peak / kind.brighter));
                        const double level = grey ? curve[static_cast<std::size_t>(n)]
                                                  : static_cast<float>(curve[static_cast<std::size_t>(n)]);
                        const std::uint8_t l = base::ByteLevel(255.0 * level);
                        ASSERT_EQ(picture.pixel(x, y), (Rgb{l, l, l}))
                            << kind.what << " at zoom " << zoom << ", " << x << ", " << y << ": " << v
                            << (loops ? " shared" : "");
                    }
            }
        }
    }
}

// The zoom redraw samples with h = 1 / (zoom + 0.0001) in single precision,
// leaves the outermost cells black and holds the level in single precision.
TEST(DrawZoomedStarPicture, ItsOwnStepBorderAndLevels)
{
    ExpectPictures(imaging::DrawZoomedStarPicture, {
        // Pixel 129 samples 255.49998.
        {"zoom 2", Column256(), false, {2.0}, {{128, 128, kWhite}, {129, 128, kWhite}, {130, 128, kBlack}}, -1},
        {"sample 0 is black", {}, true, {0.5015}, {{0, 128, kBlack}, {128, 0, kBlack}, {1, 128, kWhite}}, -1},
        {"sample 511 is black", {}, true, {0.4961}, {{255, 128, kBlack}, {128, 255, kBlack}, {254, 128, kWhite}},
         -1},
        {"faint", kFaint, false, {}, {{72, 72, {11, 11, 11}}, {129, 129, kWhite}}, 2},
        {"brightness 100", kFaint, false, {1.0, 100}, {{72, 72, {241, 241, 241}}, {129, 129, kWhite}}, 2},
        {"brightness 95", kFaint, false, {1.0, 95}, {{72, 72, {230, 230, 230}}}, 2},  // 0.9 as a float
        {"colour", kFaint, false, {1.0, 0, kRed}, {{72, 72, {11, 0, 0}}, {129, 129, kRed}}, 2},
    });
}

// The dimmer image on the brighter one's scale: its cell times its peak over
// the brighter peak picks the curve entry; the sampling step 1 / zoom is
// single precision.
TEST(DrawOnPeakScale, TheCellIsScaledByThePeakRatio)
{
    const struct {
        Cell cell;
        double peak, brighterPeak, zoom;
        int brightness, x, y, level;
    } cases[] = {
        {{257, 257, 0.9}, 2.0, 4.0, 1.0, 0, 129, 129, 171},    // 0.9 x 1000 x 2 / 4: entry 450
        {{257, 257, 0.6}, 2.0, 4.0, 1.0, 0, 129, 129, 140},    // entry 300
        {{257, 257, 0.6}, 3.0, 4.0, 1.0, 0, 129, 129, 171},    // entry 450 again
        {{257, 257, 0.6}, 2.0, 4.0, 1.0, 100, 129, 129, 255},  // 21 x the level, capped
        {{257, 257, 0.6}, 2.0, 4.0, 2.0, 0, 131, 131, 140},    // 3 x 0.5 + 255 = 256.5 goes to 256
        {{257, 257, 0.6}, 2.0, 4.0, 2.0, 0, 132, 132, 0},      // the next cell
        {{268, 256, 0.9}, 2.0, 4.0, 0.24, 0, 131, 128, 171},   // 3 x 4.1666665 + 255 is below 267.5
    };
    for (const auto& c : cases) {
        const PixelBuffer picture = imaging::DrawOnPeakScale(*Star({c.cell}), c.peak, c.brighterPeak,
                                                             DefaultCurve(), {c.zoom, c.brightness});
        const auto level = static_cast<std::uint8_t>(c.level);
        EXPECT_EQ(picture.pixel(c.x, c.y), (Rgb{level, level, level}))
            << c.cell.value << " " << c.peak << " " << c.zoom << " " << c.x;
    }
}

// Drawn over a part of the picture, the pixels there are those of the whole
// picture and the rest stay white, whether or not the part's width is a
// multiple of the columns drawn together, and whether its columns are drawn
// on one thread or shared out.
TEST(DrawOnPeakScale, APartIsThatPartOfTheWholePicture)
{
    auto star = std::make_unique<Grid>();
    for (int i = 1; i <= 512; ++i)
        for (int j = 1; j <= 512; ++j)
            (*star)(i, j) = ((i * 7 + j * 13) % 100) / 100.0;
    const PixelBuffer whole = imaging::DrawOnPeakScale(*star, 2.0, 3.0, DefaultCurve(), {1.5, 10});
    testing_support::ThreeThreads threads;
    for (const auto& [from, to] : {std::pair{28, 228}, std::pair{3, 250}, std::pair{0, 256}, std::pair{255, 256}}) {
        for (optics::LoopRunner* loops : {static_cast<optics::LoopRunner*>(nullptr),
                                          static_cast<optics::LoopRunner*>(&threads)}) {
            const PixelBuffer part =
                imaging::DrawOnPeakScale(*star, 2.0, 3.0, DefaultCurve(), {1.5, 10}, from, to, loops);
            for (int y = 0; y < 256; ++y)
                for (int x = 0; x < 256; ++x) {
                    const bool inside = x >= from && x < to && y >= from && y < to;
                    ASSERT_EQ(part.pixel(x, y), inside ? whole.pixel(x, y) : imaging::kWhite)
                        << from << ".." << to << " at " << x << ", " << y << (loops ? " shared" : "");
                }
        }
    }
}

// ---- Composites and the aperture --------------------------------------------

TEST(DrawComposite, OneCellAPixelAtItsScaleLimitedAndRoundedHalfToEven)
{
    auto cells = std::make_unique<optics::ColourCells>();
    (*cells)(129, 129) = {300.0f, 2.5f, 3.5f};
    (*cells)(384, 384) = {255.4f, 1000.0f, 0.0f};
    (*cells)(200, 150) = {10.0f, 0.25f, 127.6f};
    (*cells)(128, 128) = {300.0f, 300.0f, 300.0f};  // outside the picture
    const PixelBuffer one = imaging::DrawComposite(*cells, 1.0);
    EXPECT_EQ(one.pixel(0, 0), (Rgb{255, 2, 4}));
    EXPECT_EQ(one.pixel(255, 255), (Rgb{255, 255, 0}));
    EXPECT_EQ(CountLit(one), 3);
    EXPECT_EQ(imaging::DrawComposite(*cells, 2.0).pixel(71, 21), (Rgb{20, 0, 255}));

    // Whatever a cell holds and whatever the scale, a pixel is the level
    // rounded one value at a time: NaN and below 0 black, beyond 255 full.
    const float values[] = {-1.0f,   -0.0f,   NAN,     INFINITY, -INFINITY, 0.5f,   1.5f,
                            254.5f,  255.49f, 255.5f,  1e30f,    3e-39f,    127.5f, 0.49999997f};
    auto odd = std::make_unique<optics::ColourCells>();
    for (std::size_t n = 0; n < std::size(values); ++n)
        (*odd)(134, 129 + static_cast<int>(n)) = {values[n], -values[n], 2.0f * values[n]};
    for (const double scale : {1.0, 0.5, 3.0, -2.0, 1e300, double(NAN), double(INFINITY)}) {
        const PixelBuffer drawn = imaging::DrawComposite(*odd, scale);
        for (std::size_t n = 0; n < std::size(values); ++n) {
            const auto level = [&](float v) { return base::ByteLevel(static_cast<double>(v) * scale); };
            EXPECT_EQ(drawn.pixel(5, static_cast<int>(n)),
                      (Rgb{level(values[n]), level(-values[n]), level(2.0f * values[n])}))
                << values[n] << " at " << scale;
        }
        EXPECT_EQ(drawn.pixel(4, 0), kBlack) << scale;
    }
}

TEST(DrawComposite, AtAZoomCellsAroundTheCentreAndARoundTripGivesThePictureBack)
{
    auto cells = std::make_unique<optics::ColourCells>();
    for (int i = 1; i <= 512; ++i)
        for (int j = 1; j <= 512; ++j) {
            const float fall = 2.36f / float(1 + std::abs(i - 257) + 2 * std::abs(j - 257));
            (*cells)(i, j) = {fall * 0.2f, fall * 0.6f, fall};
        }
    const double scale = 255.0 / 2.36f;
    const PixelBuffer composite = imaging::DrawComposite(*cells, scale);
    EXPECT_EQ(imaging::DrawComposite(*cells, scale, 1.0), composite);
    // At 2 the centre stays where it was and every cell takes two pixels
    // (halves rounding to even).
    const PixelBuffer two = imaging::DrawComposite(*cells, scale, 2.0);
    // Shared out over several threads, the same pictures.
    testing_support::ThreeThreads threads;
    EXPECT_EQ(imaging::DrawComposite(*cells, scale, 1.0, &threads), composite);
    EXPECT_EQ(imaging::DrawComposite(*cells, scale, 2.0, &threads), two);
    EXPECT_EQ(two.pixel(128, 128), composite.pixel(128, 128));
    EXPECT_EQ(two.pixel(130, 128), composite.pixel(129, 128));
    EXPECT_EQ(two.pixel(131, 128), composite.pixel(130, 128));

    auto edges = std::make_unique<optics::ColourCells>();
    (*edges)(512, 257) = {40.0f, 50.0f, 60.0f};
    // At 0.4 pixel 255 reads cell 257 + 318: off the grid, black; at 0.5, cell 511.
    EXPECT_EQ(imaging::DrawComposite(*edges, 1.0, 0.4).pixel(255, 128), kBlack);
    EXPECT_EQ(imaging::DrawComposite(*edges, 1.0, 0.5).pixel(255, 128), kBlack);
    EXPECT_EQ(imaging::DrawComposite(*edges, 1.0, 127.0 / 255.0).pixel(255, 128), (Rgb{40, 50, 60}));
}

TEST(DrawAperturePicture, WhiteWhereLightPasses)
{
    optics::Raster raster(256, 256, 0);
    raster.set(3, 4, 1);
    const PixelBuffer picture = imaging::DrawAperturePicture(optics::ApertureMask(raster));
    EXPECT_EQ(picture.pixel(3, 4), kWhite);
    EXPECT_EQ(picture.pixel(4, 3), kBlack);
    EXPECT_EQ(CountLit(picture), 1);
}

}  // namespace
