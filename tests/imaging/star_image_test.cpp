#include "imaging/star_image.h"

#include "imaging/colour.h"
#include "support/recording_sink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using testing_support::RecordingSink;

using imaging::DisplaySettings;
using imaging::PixelBuffer;
using imaging::Rgb;
using optics::Engine;

// ---- Display table ----------------------------------------------------------

TEST(DisplayLut, DefaultCurveHasALinearToe)
{
    auto engine = Engine::Create();
    imaging::BuildDisplayLut(*engine, 0.5, 4.5);
    const auto& lut = engine->DisplayLut;
    EXPECT_EQ(lut[0], 0.0);
    EXPECT_DOUBLE_EQ(lut[49], 0.2205);                 // 4.5 x 0.049, below 4.5^-2
    EXPECT_DOUBLE_EQ(lut[50], std::sqrt(0.050001));    // 0.223609
    EXPECT_NEAR(lut[50], 0.223609, 5e-7);
    EXPECT_NEAR(lut[100], 0.316229, 5e-7);
    EXPECT_DOUBLE_EQ(lut[1000], std::sqrt(1.000001));  // just above 1
    EXPECT_GT(lut[1000], 1.0);
    EXPECT_LT(lut[1000], 1.000001);
}

TEST(DisplayLut, GammaZeroIsFullLevelFromTheThresholdUp)
{
    auto engine = Engine::Create();
    imaging::BuildDisplayLut(*engine, 0.0, 4.5);
    const auto& lut = engine->DisplayLut;
    EXPECT_DOUBLE_EQ(lut[49], 0.2205);
    EXPECT_DOUBLE_EQ(lut[50], 0.225);
    EXPECT_DOUBLE_EQ(lut[100], 0.45);
    EXPECT_DOUBLE_EQ(lut[222], 4.5 * 0.222);  // threshold 1 / 4.5 = 0.2222
    EXPECT_EQ(lut[223], 1.0);
    EXPECT_EQ(lut[1000], 1.0);
}

TEST(DisplayLut, CurveIsRisingAndJoinsTheToeWithoutAJump)
{
    auto engine = Engine::Create();
    for (double gamma : {0.2, 0.5, 0.9}) {
        for (double slope : {1.5, 4.5, 20.0}) {
            imaging::BuildDisplayLut(*engine, gamma, slope);
            const auto& lut = engine->DisplayLut;
            for (int n = 1; n <= 1000; ++n) {
                ASSERT_GE(lut[n], lut[n - 1]) << gamma << " " << slope << " " << n;
                // Neither piece may jump by more than a few steps of the
                // steeper toe.
                ASSERT_LE(lut[n] - lut[n - 1], slope * 0.001 + 1e-6) << gamma << " " << slope << " " << n;
            }
        }
    }
}

TEST(DisplayLut, GammaOneIsTheLimitOfTheGammasJustBelowIt)
{
    // A typed gamma reaches the table before its editor clamps it to 0.99.
    auto engine = Engine::Create();
    for (double slope : {0.5, 1.0, 4.5, 100.0}) {
        imaging::BuildDisplayLut(*engine, 1.0 - 1e-9, slope);
        const std::vector<double> below(engine->DisplayLut.begin(), engine->DisplayLut.end());
        imaging::BuildDisplayLut(*engine, 1.0, slope);
        for (int n = 0; n <= 1000; ++n)
            ASSERT_NEAR(engine->DisplayLut[n], below[n], 1e-8) << slope << " " << n;
    }
    // A toe steeper than the curve shrinks to nothing: the table is the curve.
    EXPECT_DOUBLE_EQ(engine->DisplayLut[500], 0.500001);
}

// ---- Star image -------------------------------------------------------------

class StarImage : public ::testing::Test {
protected:
    void SetUp() override { imaging::BuildDisplayLut(*engine, 0.5, 4.5); }

    // Puts raw intensity `value` where the quadrant swap moves it to
    // StarGrid[i][j].
    void setIntensityAt(int i, int j, double value)
    {
        const int a = (i - 1 + 256) % 512;
        const int b = (j - 1 + 256) % 512;
        engine->FieldReal(1 + a, 1 + b) = std::sqrt(value);
    }

    void fillField(double amplitude)
    {
        for (int i = 1; i <= 512; ++i)
            for (int j = 1; j <= 512; ++j)
                engine->FieldReal(i, j) = amplitude;
    }

    bool build(double zoom, int brightness = 0)
    {
        return imaging::BuildStarImage(*engine, DisplaySettings{zoom, brightness}, &buffer, sink,
                                       [this] { ++paints; });
    }

    int countLit() const
    {
        int lit = 0;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                lit += buffer.pixel(x, y) != imaging::kBlack;
        return lit;
    }

    std::unique_ptr<Engine> engine = Engine::Create();
    PixelBuffer buffer{256, 256};
    RecordingSink sink;
    int paints = 0;
};

TEST_F(StarImage, IntensityPeakAndNormalisation)
{
    engine->FieldReal(1, 1) = 0.6;
    engine->FieldImag(1, 1) = 0.8;  // intensity 1 at zero frequency
    engine->FieldReal(3, 5) = std::sqrt(1.0 / 3.0);
    ASSERT_TRUE(build(1.0));
    EXPECT_EQ(engine->WavefrontGrid(1, 1), 0.36 + 0.64);
    EXPECT_NEAR(engine->WavefrontGrid(3, 5), 1.0 / 3.0, 1e-15);
    EXPECT_EQ(engine->PeakIntensity, 1.0f);
    // Zero frequency moved to the centre, just below 1.
    EXPECT_DOUBLE_EQ(engine->StarGrid(257, 257), 1.0 / 1.00001);
    EXPECT_DOUBLE_EQ(engine->StarGrid(259, 261), engine->WavefrontGrid(3, 5) / 1.00001);
    // Row and column 0 are never written.
    EXPECT_EQ(engine->StarGrid(0, 257), 0.0);
    EXPECT_EQ(engine->StarGrid(257, 0), 0.0);
}

TEST_F(StarImage, PeakIsKeptInSinglePrecision)
{
    engine->FieldReal(10, 10) = std::sqrt(1.0 / 3.0);
    build(1.0);
    EXPECT_EQ(engine->PeakIntensity, static_cast<float>(engine->WavefrontGrid(10, 10)));
    const double k = 1.0 / (static_cast<double>(engine->PeakIntensity) + 0.00001);
    EXPECT_EQ(engine->StarGrid(10 + 256, 10 + 256), k * engine->WavefrontGrid(10, 10));
}

TEST_F(StarImage, QuadrantsSwapAcrossTheCentre)
{
    // The four corners of the transform region meet around [257][257].
    engine->FieldReal(1, 512) = 1.0;
    engine->FieldReal(512, 1) = 1.0;
    engine->FieldReal(256, 256) = 1.0;
    engine->FieldReal(257, 257) = 1.0;
    build(1.0);
    const double top = 1.0 / 1.00001;
    EXPECT_EQ(engine->StarGrid(257, 256), top);
    EXPECT_EQ(engine->StarGrid(256, 257), top);
    EXPECT_EQ(engine->StarGrid(512, 512), top);
    EXPECT_EQ(engine->StarGrid(1, 1), top);
}

TEST_F(StarImage, PeakAtPixel129AtZoomOne)
{
    engine->FieldReal(1, 1) = 1.0;
    build(1.0);
    EXPECT_EQ(buffer.pixel(129, 129), imaging::kWhite);
    EXPECT_EQ(buffer.pixel(128, 128), imaging::kBlack);
    EXPECT_EQ(countLit(), 1);
}

TEST_F(StarImage, EdgePixelsAtZoomOneReadCells128And383)
{
    setIntensityAt(128, 257, 1.0);  // s = 127
    setIntensityAt(383, 257, 1.0);  // s = 382
    setIntensityAt(257, 128, 1.0);
    setIntensityAt(257, 383, 1.0);
    setIntensityAt(127, 257, 1.0);  // just outside the picture
    build(1.0);
    EXPECT_NE(buffer.pixel(0, 129), imaging::kBlack);
    EXPECT_NE(buffer.pixel(255, 129), imaging::kBlack);
    EXPECT_NE(buffer.pixel(129, 0), imaging::kBlack);
    EXPECT_NE(buffer.pixel(129, 255), imaging::kBlack);
    EXPECT_EQ(countLit(), 4);
}

TEST_F(StarImage, ZoomTwoRoundsHalvesToEven)
{
    setIntensityAt(257, 257, 1.0);  // s = 256: pixels 129, 130, 131
    setIntensityAt(255, 240, 1.0);  // s = 254: pixels 125, 126, 127
    build(2.0);
    for (int x : {129, 130, 131})
        for (int y : {129, 130, 131})
            EXPECT_EQ(buffer.pixel(x, y), imaging::kWhite) << x << "," << y;
    EXPECT_EQ(buffer.pixel(128, 129), imaging::kBlack);
    EXPECT_EQ(buffer.pixel(132, 129), imaging::kBlack);
    // t = 239 is sampled by j = -32 only (255 - 16 = 239): pixel y = 96.
    for (int x : {125, 126, 127})
        EXPECT_EQ(buffer.pixel(x, 96), imaging::kWhite) << x;
    EXPECT_EQ(countLit(), 9 + 3);
}

TEST_F(StarImage, ZoomHalfShowsTheWholeGridAndBlackOffIt)
{
    fillField(1.0);
    build(0.5);
    EXPECT_EQ(buffer.pixel(0, 100), imaging::kBlack);   // s = -1
    EXPECT_EQ(buffer.pixel(100, 0), imaging::kBlack);
    EXPECT_EQ(buffer.pixel(1, 1), imaging::kWhite);     // s = 1
    EXPECT_EQ(buffer.pixel(255, 255), imaging::kWhite); // s = 509
    EXPECT_EQ(countLit(), 255 * 255);
}

TEST_F(StarImage, ZoomTenthReadsOnlyTheCentralPixels)
{
    fillField(1.0);
    build(0.1);
    // i = -25..25 sample s = 5..505; everything else falls off the grid.
    for (int x = 0; x < 256; ++x) {
        const bool inside = x >= 103 && x <= 153;
        EXPECT_EQ(buffer.pixel(x, 128) == imaging::kWhite, inside) << x;
        EXPECT_EQ(buffer.pixel(128, x) == imaging::kWhite, inside) << x;
    }
    EXPECT_EQ(countLit(), 51 * 51);
}

TEST_F(StarImage, BrightnessLiftsFaintLevelsAndCapsAtFull)
{
    setIntensityAt(257, 257, 1.0);
    setIntensityAt(200, 200, 0.01);  // level index 10: 4.5 x 0.01 = 0.045
    build(1.0, 0);
    const Rgb faint = buffer.pixel(200 - 128, 200 - 128);
    EXPECT_EQ(faint, (Rgb{11, 11, 11}));  // 255 x 0.045 = 11.475
    EXPECT_EQ(buffer.pixel(129, 129), imaging::kWhite);

    build(1.0, 100);  // 21 x 0.045 = 0.945
    EXPECT_EQ(buffer.pixel(72, 72), (Rgb{241, 241, 241}));
    EXPECT_EQ(buffer.pixel(129, 129), imaging::kWhite);  // capped at 1

    build(1.0, 50);  // 11 x 0.045 = 0.495
    EXPECT_EQ(buffer.pixel(72, 72), (Rgb{126, 126, 126}));
}

TEST_F(StarImage, ColourPassTintsWithTheWavelengthAndIgnoresBrightness)
{
    engine->ColourPass = true;
    engine->WaveLength = 645.0;
    setIntensityAt(257, 257, 1.0);
    setIntensityAt(200, 200, 0.01);
    setIntensityAt(220, 220, 0.3);
    build(1.0, 100);
    EXPECT_EQ(engine->StarRed, 255);
    EXPECT_EQ(engine->StarGreen, 0);
    EXPECT_EQ(engine->StarBlue, 0);
    EXPECT_EQ(buffer.pixel(129, 129), (Rgb{255, 0, 0}));
    EXPECT_EQ(buffer.pixel(72, 72), (Rgb{11, 0, 0}));  // no brightness gain
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const Rgb p = buffer.pixel(x, y);
            ASSERT_EQ(p.green, 0);
            ASSERT_EQ(p.blue, 0);
        }

    // The next ordinary build is white again.
    engine->ColourPass = false;
    build(1.0);
    EXPECT_EQ(engine->StarGreen, 255);
    EXPECT_EQ(buffer.pixel(129, 129), imaging::kWhite);
}

TEST_F(StarImage, ColourCompositeBlocksTheGreyRedraw)
{
    engine->ColourComposite = true;
    buffer.setPixel(3, 3, Rgb{1, 2, 3});
    engine->FieldReal(1, 1) = 1.0;
    engine->StarGrid(257, 257) = 0.5;
    EXPECT_FALSE(build(1.0, 100));
    EXPECT_EQ(buffer.pixel(3, 3), (Rgb{1, 2, 3}));
    EXPECT_EQ(buffer.pixel(129, 129), imaging::kWhite);  // the buffer's own start colour
    EXPECT_EQ(engine->StarGrid(257, 257), 0.5);
    EXPECT_EQ(engine->PeakIntensity, 0.0f);
    EXPECT_TRUE(sink.texts.empty());
    EXPECT_EQ(paints, 0);
}

TEST_F(StarImage, ReportsBuildingThenPaintsThenClearsTheStatus)
{
    std::vector<std::string> order;
    struct OrderSink : optics::StatusSink {
        std::vector<std::string>* order;
        void setStatus(int panel, const std::string& text) override
        {
            order->push_back(std::to_string(panel) + ":" + text);
        }
    } orderSink;
    orderSink.order = &order;
    imaging::BuildStarImage(*engine, DisplaySettings{}, &buffer, orderSink, [&] { order.push_back("paint"); });
    EXPECT_EQ(order, (std::vector<std::string>{"0:Building image", "paint", "0:"}));
}

TEST_F(StarImage, NonFiniteFieldCellsNeitherBecomeThePeakNorBreakThePicture)
{
    setIntensityAt(257, 257, 4.0);
    engine->FieldReal(5, 5) = std::nan("");
    build(1.0);
    EXPECT_EQ(engine->PeakIntensity, 4.0f);
    EXPECT_EQ(buffer.pixel(129, 129), imaging::kWhite);
    // StarGrid [261][261] holds NaN: drawn black, like an empty cell.
    EXPECT_TRUE(std::isnan(engine->StarGrid(261, 261)));
    EXPECT_EQ(buffer.pixel(133, 133), imaging::kBlack);
}

TEST_F(StarImage, AllZeroFieldGivesABlackPicture)
{
    build(1.0, 100);
    EXPECT_EQ(engine->PeakIntensity, 0.0f);
    EXPECT_EQ(countLit(), 0);
}

TEST_F(StarImage, WithoutABufferTheGridsAreStillBuilt)
{
    engine->FieldReal(1, 1) = 2.0;
    EXPECT_TRUE(imaging::BuildStarImage(*engine, DisplaySettings{}, nullptr, sink));
    EXPECT_EQ(engine->PeakIntensity, 4.0f);
    EXPECT_DOUBLE_EQ(engine->StarGrid(257, 257), 4.0 / 4.00001);
}

// ---- Zoom redraw ------------------------------------------------------------

class ZoomRedraw : public StarImage {
protected:
    int zoom(double factor, int brightness = 0)
    {
        return imaging::Changezoom(*engine, DisplaySettings{factor, brightness}, &buffer, sink, [this] { ++paints; });
    }
};

TEST_F(ZoomRedraw, LabelNumberIsTheWidthInArcseconds)
{
    EXPECT_EQ(imaging::ZoomLabelNumber(1.0), 25);
    EXPECT_EQ(imaging::ZoomLabelNumber(2.0), 12);
    EXPECT_EQ(imaging::ZoomLabelNumber(0.5), 50);
    EXPECT_EQ(imaging::ZoomLabelNumber(0.1), 250);
    EXPECT_EQ(zoom(0.1), 250);
}

TEST_F(ZoomRedraw, ResamplesTheStarGridWithoutOptics)
{
    setIntensityAt(257, 257, 1.0);
    build(1.0);
    // New contents of the field are not looked at.
    engine->FieldReal(1, 1) = 0.0;
    zoom(1.0);
    EXPECT_EQ(buffer.pixel(129, 129), imaging::kWhite);
    EXPECT_EQ(paints, 2);
    EXPECT_EQ(sink.texts.back(), std::make_pair(0, std::string()));
}

TEST_F(ZoomRedraw, ItsOwnStepMovesPixelsAgainstTheStarImage)
{
    for (int j = 1; j <= 512; ++j)
        setIntensityAt(256, j, 1.0);  // column s = 255
    build(2.0);
    // The star image at zoom 2 draws s = 255 at pixel 128 only (255.5 goes
    // to 256).
    EXPECT_EQ(buffer.pixel(128, 128), imaging::kWhite);
    EXPECT_EQ(buffer.pixel(129, 128), imaging::kBlack);
    zoom(2.0);
    // h = 1 / 2.0001 in float: pixel 129 samples 255.49998, so s = 255.
    EXPECT_EQ(buffer.pixel(128, 128), imaging::kWhite);
    EXPECT_EQ(buffer.pixel(129, 128), imaging::kWhite);
    EXPECT_EQ(buffer.pixel(130, 128), imaging::kBlack);
}

TEST_F(ZoomRedraw, SamplesAtTheGridBorderAreBlack)
{
    fillField(1.0);
    build(1.0);
    // Zoom 0.5015: pixel 0 reaches s = 0 in the star image (cell 1, lit) but
    // is black in the zoom redraw (h = 1 / 0.5016).
    build(0.5015);
    EXPECT_EQ(buffer.pixel(0, 128), imaging::kWhite);
    zoom(0.5015);
    EXPECT_EQ(buffer.pixel(0, 128), imaging::kBlack);
    EXPECT_EQ(buffer.pixel(1, 128), imaging::kWhite);
    // Zoom 0.4961: the last pixel reaches s = 511 in both.
    build(0.4961);
    EXPECT_EQ(buffer.pixel(255, 128), imaging::kWhite);
    zoom(0.4961);
    EXPECT_EQ(buffer.pixel(255, 128), imaging::kBlack);
    EXPECT_EQ(buffer.pixel(254, 128), imaging::kWhite);
}

TEST_F(ZoomRedraw, GreyWithBrightness)
{
    setIntensityAt(200, 200, 0.01);
    setIntensityAt(257, 257, 1.0);
    build(1.0);
    zoom(1.0, 100);
    EXPECT_EQ(buffer.pixel(72, 72), (Rgb{241, 241, 241}));
    EXPECT_EQ(buffer.pixel(129, 129), imaging::kWhite);
    zoom(1.0, 0);
    EXPECT_EQ(buffer.pixel(72, 72), (Rgb{11, 11, 11}));
}

TEST_F(ZoomRedraw, ColourPassUsesTheStarColour)
{
    setIntensityAt(257, 257, 1.0);
    setIntensityAt(200, 200, 0.01);
    engine->ColourPass = true;
    engine->WaveLength = 645.0;
    build(1.0);
    zoom(1.0, 100);
    EXPECT_EQ(buffer.pixel(129, 129), (Rgb{255, 0, 0}));
    EXPECT_EQ(buffer.pixel(72, 72), (Rgb{11, 0, 0}));
}

TEST_F(ZoomRedraw, ColourCompositeRedrawsTheColourGrid)
{
    engine->ColourComposite = true;
    engine->StarGrid(257, 257) = 0.9;  // not shown while the composite is held
    engine->ColourGrid(257, 257) = {300.0f, 127.5f, 126.5f};
    engine->ColourGrid(1, 256) = {99.0f, 99.0f, 99.0f};    // s = 0: black
    engine->ColourGrid(512, 256) = {40.0f, 50.0f, 60.0f};  // s = 511: shown
    zoom(1.0);
    // Limited to 255, halves to even.
    EXPECT_EQ(buffer.pixel(129, 129), (Rgb{255, 128, 126}));
    EXPECT_EQ(buffer.pixel(128, 128), imaging::kBlack);

    // Zoom 0.5015 reaches s = 0 at pixel 0 and zoom 0.4961 s = 511 at 255.
    zoom(0.5015);
    EXPECT_EQ(buffer.pixel(0, 128), imaging::kBlack);
    zoom(0.4961);
    EXPECT_EQ(buffer.pixel(255, 128), (Rgb{40, 50, 60}));
}

}  // namespace
