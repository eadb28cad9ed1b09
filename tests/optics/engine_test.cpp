#include "optics/engine.h"

#include <gtest/gtest.h>

namespace {

TEST(Engine, StartsZeroedWithTheStartValues)
{
    auto engine = optics::Engine::Create();
    EXPECT_EQ(engine->WaveLength, 555.0);
    EXPECT_EQ(engine->FftSign, 1.0);
    EXPECT_EQ(engine->PaintTarget, optics::PaintTarget::StarImage);
    EXPECT_EQ(engine->AperturePictureRadius, 128);
    EXPECT_FALSE(engine->TurbulenceReady);
    EXPECT_FALSE(engine->RoughnessReady);
    EXPECT_FALSE(engine->ColourPass);
    EXPECT_FALSE(engine->ColourComposite);
    EXPECT_TRUE(engine->FirstGammaChange);
    for (const optics::Grid* g : {&engine->ZeroGrid, &engine->StarGrid, &engine->KernelGrid})
        for (double v : g->cells)
            ASSERT_EQ(v, 0.0);
    EXPECT_EQ(engine->ColourGrid(513, 513).blue, 0.0f);
}

TEST(Engine, ClearAndCopyCoverTheWholeGrid)
{
    auto engine = optics::Engine::Create();
    engine->StarGrid(0, 0) = 1.0;
    engine->StarGrid(516, 516) = 2.0;
    engine->StarGrid(257, 257) = 3.0;
    optics::CopyGrid(engine->StarGrid, engine->IntraGrid);
    EXPECT_EQ(engine->IntraGrid(0, 0), 1.0);
    EXPECT_EQ(engine->IntraGrid(516, 516), 2.0);
    EXPECT_EQ(engine->IntraGrid(257, 257), 3.0);
    optics::ClearGrid(*engine, engine->StarGrid);
    EXPECT_EQ(engine->StarGrid(0, 0), 0.0);
    EXPECT_EQ(engine->StarGrid(516, 516), 0.0);
    EXPECT_EQ(engine->StarGrid(257, 257), 0.0);
}

TEST(Engine, IndexingIsRowMajorWithTheSecondIndexFastest)
{
    auto engine = optics::Engine::Create();
    engine->FieldReal(3, 4) = 5.0;
    EXPECT_EQ(engine->FieldReal.cells[3 * 517 + 4], 5.0);
    EXPECT_EQ(engine->FieldReal.row(3)[4], 5.0);
}

}  // namespace
