#include "simulations/chromatic.h"

#include "imaging/star_image.h"
#include "support/recording_sink.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Chromatic, FocusShiftAndWeightsOfAWavelength)
{
    struct Row {
        double nm;
        double shiftedFocus;  // focus 0.2, shift 1
    };
    const Row rows[] = {{405.0, -0.3}, {555.0, 0.2}, {707.0, 0.2 + 152.0 / 300.0}, {400.0, 0.2 - 155.0 / 300.0}};
    for (const Row& r : rows)
        EXPECT_NEAR(sim::ShiftedFocus(0.2, 1.0, r.nm), r.shiftedFocus, 1e-12) << r.nm;
    // 700 nm is exactly one shift beyond 400 nm.
    EXPECT_NEAR(sim::ShiftedFocus(0.0, 2.5, 700.0) - sim::ShiftedFocus(0.0, 2.5, 400.0), 2.5, 1e-12);

    struct Weights {
        double nm, red, green, blue;
    };
    for (const Weights w : {Weights{555.0, 0.256025, 0.5, 0.002875}, Weights{436.0, 0.1671755, 0.0090037, 0.8282}}) {
        const sim::ColourMatch m = sim::ChannelWeights(w.nm);
        EXPECT_NEAR(m.x, w.red, 5e-6) << w.nm;
        EXPECT_NEAR(m.y, w.green, 5e-6) << w.nm;
        EXPECT_NEAR(m.z, w.blue, 5e-6) << w.nm;
    }
}

// The composite is scaled so that its largest sum becomes 255 (sums below 1
// are not stretched), and a later zoom redraw keeps that scale: at zoom 1 it
// shows the same picture one pixel further right and down.
TEST(Chromatic, CompositeKeepsItsScaleThroughTheZoomRedraw)
{
    struct Row {
        float peak;     // largest sum, blue at the centre cell
        float maximum;  // M
        imaging::Rgb centre;
    };
    const Row rows[] = {
        {2.36f, 2.36f, {51, 153, 255}},
        {0.4f, 1.0f, {20, 61, 102}},  // 0.08, 0.24 and 0.4 of 255
    };
    for (const Row& r : rows) {
        auto engine = optics::Engine::Create();
        sim::ChromaticState state(*engine);
        for (int i = 1; i <= 512; ++i)
            for (int j = 1; j <= 512; ++j) {
                const float fall = 1.0f / float(1 + std::abs(i - 257) + 2 * std::abs(j - 257));
                engine->ColourGrid(i, j) = {r.peak * fall * 0.2f, r.peak * fall * 0.6f, r.peak * fall};
            }
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
