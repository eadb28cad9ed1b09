#include "imaging/wavefront_picture.h"

#include "imaging/colour.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using imaging::PixelBuffer;
using imaging::Rgb;

struct TextCall {
    int x;
    int y;
    std::string text;
};

class RecordingText : public imaging::TextPainter {
public:
    void drawText(PixelBuffer&, int x, int y, const char* text, Rgb ink, Rgb background) override
    {
        calls.push_back({x, y, text});
        EXPECT_EQ(ink, imaging::kBlack);
        EXPECT_EQ(background, imaging::kWhite);
    }
    // About the widths of the window's 11-pixel font.
    int textWidth(const char* text) const override
    {
        int width = 0;
        for (; *text; ++text)
            width += *text == '.' || *text == ',' ? 3 : *text == '-' ? 4 : 6;
        return width;
    }
    std::vector<TextCall> calls;
};

class WavefrontPicture : public ::testing::Test {
protected:
    // The wavefront of a 5-inch aperture (pupil radius 28 cells) drawn as the
    // Wavefront page draws it.
    void draw(double focus, char separator = '.')
    {
        optics::StarRequest request;
        request.pupil.focus = focus;
        request.wavefrontMap = true;
        optics::NoProgress progress;
        const optics::StarResult r = calculator.calculate(request, progress).value();
        imaging::DrawWavefrontPicture(buffer, *r.wavefront, r.pupil.minW, r.pupil.maxW, text, separator);
    }

    optics::ScreenCache screens;
    optics::StarCalculator calculator{screens};
    PixelBuffer buffer{256, 256};
    RecordingText text;
};

TEST_F(WavefrontPicture, ZeroPhaseIsTheMiddleColour)
{
    draw(0.0);
    // Pixel (128, 128) shows the pupil centre, cell [257][257].
    EXPECT_EQ(buffer.pixel(128, 128), imaging::WavelengthToRgb(528));
    EXPECT_NE(imaging::WavelengthToRgb(528), imaging::WavelengthToRgb(527));
    EXPECT_EQ(buffer.pixel(128 + 28, 128), imaging::WavelengthToRgb(528));
    EXPECT_EQ(buffer.pixel(128 + 29, 128), imaging::kWhite);
    EXPECT_EQ(buffer.pixel(10, 10), imaging::kWhite);
}

TEST_F(WavefrontPicture, DefocusRunsFromTheMiddleToRedAlongTheColourBar)
{
    draw(1.0);
    EXPECT_EQ(buffer.pixel(128, 128), imaging::WavelengthToRgb(528));
    EXPECT_EQ(buffer.pixel(128 + 28, 128), imaging::WavelengthToRgb(655));
    EXPECT_EQ(buffer.pixel(128, 128 - 28), imaging::WavelengthToRgb(655));
    EXPECT_EQ(buffer.pixel(255, 0), imaging::WavelengthToRgb(655));
    EXPECT_EQ(buffer.pixel(254, 0), imaging::WavelengthToRgb(655));
    EXPECT_EQ(buffer.pixel(255, 255), imaging::WavelengthToRgb(400));
    EXPECT_EQ(buffer.pixel(253, 229), imaging::kBlack);  // 255 - Round(25.6)
    EXPECT_EQ(buffer.pixel(252, 229), imaging::kBlack);
    EXPECT_EQ(buffer.pixel(253, 25), imaging::kBlack);   // 255 - Round(230.4)
    EXPECT_EQ(buffer.pixel(253, 128), imaging::kWhite);

    // The range is made symmetric: -1 .. 1 wave (plus the 1e-5 step).
    ASSERT_EQ(text.calls.size(), 9u);
    const char* values[] = {"-0.80", "-0.60", "-0.40", "-0.20", "0.00", "0.20", "0.40", "0.60", "0.80"};
    const int ys[] = {224, 199, 173, 148, 122, 96, 71, 45, 20};
    for (int j = 0; j < 9; ++j) {
        EXPECT_EQ(text.calls[j].text, values[j]) << j;
        EXPECT_EQ(text.calls[j].y, ys[j]) << j;
        if (j != 4) {
            EXPECT_EQ(text.calls[j].x, j < 4 ? 222 : 225) << j;
        }
    }
}

TEST_F(WavefrontPicture, WideTickTextsEndBeforeTheTickMarks)
{
    draw(15.0);  // ticks from -12.00 to 12.00 waves
    ASSERT_EQ(text.calls.size(), 9u);
    EXPECT_EQ(text.calls[0].text, "-12.00");
    EXPECT_EQ(text.calls[4].text, "0.00");
    for (const TextCall& call : text.calls) {
        const int width = text.textWidth(call.text.c_str());
        EXPECT_LE(call.x + width, 251) << call.text;
        // Texts that fit keep their usual column.
        EXPECT_EQ(call.x, std::min(call.text[0] == '-' ? 222 : 225, 251 - width)) << call.text;
    }
}

TEST_F(WavefrontPicture, DecimalSeparatorIsPassedThrough)
{
    draw(1.0, ',');
    EXPECT_EQ(text.calls[8].text, "0,80");
}

// The exact binary value is rounded once, at the decimals or at the sixth
// significant digit, whichever is tighter; a zero has no sign.
TEST(FormatFixed, RoundsOnceToDecimalsOrSixSignificantDigits)
{
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {0.5, 2, "0.50"},           {0.2981, 3, "0.298"},         {-0.0004, 3, "0.000"},
        {-0.0006, 3, "-0.001"},     {1234.5678, 3, "1234.570"},   {0.0, 2, "0.00"},
        {10.2595275, 3, "10.260"},  {12.4995027, 3, "12.500"},    {9.4005047, 3, "9.401"},
        {14.4825405, 3, "14.483"},  {28.4544858, 3, "28.454"},    {-10.2595275, 3, "-10.260"},
        {4321.98765, 3, "4321.990"}, {99999.96, 3, "100000.000"}, {123456.5, 0, "123456"},
        {0.000123456789, 3, "0.000"}, {2.5e6, 2, "2.50000e+06"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(imaging::FormatFixed(c.value, c.decimals), c.text) << c.value;
    EXPECT_EQ(imaging::FormatFixed(3.3546, 3, ','), "3,355");
}

}  // namespace
