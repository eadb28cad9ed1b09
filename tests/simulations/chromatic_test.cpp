#include "simulations/chromatic.h"

#include "imaging/star_image.h"
#include "support/recording_sink.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

TEST(Chromatic, ChannelWeightsAreHalfTheColourMatchingFunctions)
{
    for (const auto& [nm, red, green, blue] : {std::array{555.0, 0.256025, 0.5, 0.002875},
                                               std::array{436.0, 0.1671755, 0.0090037, 0.8282}}) {
        const sim::ColourMatch m = sim::ChannelWeights(nm);
        EXPECT_NEAR(m.x, red, 5e-6) << nm;
        EXPECT_NEAR(m.y, green, 5e-6) << nm;
        EXPECT_NEAR(m.z, blue, 5e-6) << nm;
    }
}

// The composite is scaled so that its largest sum becomes 255 (sums below 1
// are not stretched), and a later zoom redraw keeps that scale: at zoom 1 it
// shows the same picture one pixel further right and down.
TEST(Chromatic, CompositeKeepsItsScaleThroughTheZoomRedraw)
{
    struct Row {
        float peak;     // largest sum: blue at the centre cell
        float maximum;  // M
        imaging::Rgb centre;
    };
    for (const Row& r : {Row{2.36f, 2.36f, {51, 153, 255}}, Row{0.4f, 1.0f, {20, 61, 102}}}) {
        auto engine = optics::Engine::Create();
        for (int i = 1; i <= 512; ++i)
            for (int j = 1; j <= 512; ++j) {
                const float fall = r.peak / float(1 + std::abs(i - 257) + 2 * std::abs(j - 257));
                engine->ColourGrid(i, j) = {fall * 0.2f, fall * 0.6f, fall};
            }
        sim::ChromaticState state(*engine);
        imaging::PixelBuffer picture(256, 256);
        EXPECT_EQ(state.drawComposite(&picture), r.maximum);
        state.finish();
        EXPECT_EQ(picture.pixel(128, 128), r.centre);

        imaging::PixelBuffer zoomed(256, 256);
        testing_support::RecordingSink sink;
        imaging::Changezoom(*engine, {1.0, 0}, &zoomed, sink);
        for (int x = 0; x < 255; ++x)
            for (int y = 0; y < 255; ++y)
                ASSERT_EQ(zoomed.pixel(x + 1, y + 1), picture.pixel(x, y)) << x << "," << y;
    }
}

}  // namespace
