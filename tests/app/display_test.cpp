#include "window_fixture.h"

#include "app/pages/about_page.h"
#include "app/pages/chromatic_page.h"
#include "app/pages/planet_page.h"
#include "app/pages/startest_page.h"
#include "app/pages/turbulence_page.h"
#include "app/parameter_column.h"
#include "imaging/pixel_buffer.h"
#include "optics/phase_screen.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSlider>

#include <cmath>

namespace {

using testing_support::WindowTest;

QRgb grey(int level)
{
    return qRgb(level, level, level);
}

class DisplayWindow : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        createForm();
    }

    // A star at the zero frequency and a faint cell that shows at picture
    // pixel (72, 72): StarGrid [200][200] with intensity 0.01 of the peak.
    void putStar()
    {
        engine->FieldReal(1, 1) = 1.0;
        engine->FieldReal(1 + (199 + 256) % 512, 1 + (199 + 256) % 512) = 0.1;
    }

    QRgb starPixel(int x, int y) const { return find<ui::PictureBox>("StarImage")->picture().pixel(x, y); }
};

TEST_F(DisplayWindow, StartUpBuildsTheTableButNoPicture)
{
    EXPECT_FALSE(engine->FirstGammaChange);
    EXPECT_DOUBLE_EQ(engine->DisplayLut[50], std::sqrt(0.050001));
    EXPECT_DOUBLE_EQ(engine->DisplayLut[49], 0.2205);
    // The start colour of the star is that of 555 nm, untouched by a build.
    EXPECT_EQ(engine->StarRed, 179);
    EXPECT_EQ(engine->StarGreen, 255);
    EXPECT_EQ(starPixel(129, 129), qRgb(0, 0, 0));
    EXPECT_EQ(form->statusText(0), QString());
}

TEST_F(DisplayWindow, BuildStarImageShowsTheStarAndClearsTheStatus)
{
    putStar();
    form->BuildStarImage();
    EXPECT_EQ(starPixel(129, 129), grey(255));
    EXPECT_EQ(starPixel(72, 72), grey(11));
    EXPECT_EQ(starPixel(128, 128), grey(0));
    EXPECT_EQ(engine->PeakIntensity, 1.0f);
    EXPECT_EQ(engine->StarBlue, 255);
    EXPECT_EQ(form->statusText(0), QString());
}

TEST_F(DisplayWindow, GammaAndSlopeRebuildTheTableAndRedraw)
{
    putStar();
    edit("GammaSpin")->setValue(0.3);
    // Threshold 4.5^(-1/0.7) = 0.1166: entry 100 stays on the toe.
    EXPECT_DOUBLE_EQ(engine->DisplayLut[100], 4.5 * 0.1);
    EXPECT_DOUBLE_EQ(engine->DisplayLut[200], std::pow(0.200001, 0.3));
    // The redraw read the field: the star is on screen without a Calculate.
    EXPECT_EQ(starPixel(129, 129), grey(255));
    edit("SlopeSpin")->setValue(8.0);
    EXPECT_DOUBLE_EQ(engine->DisplayLut[5], 8.0 * 0.005);
    // 0.01 is below the new threshold 8^(-1/0.7) = 0.051: level 0.08.
    EXPECT_EQ(starPixel(72, 72), grey(20));
}

TEST_F(DisplayWindow, BrightnessSliderRedraws)
{
    putStar();
    form->BuildStarImage();
    find<QSlider>("Brightslide")->setValue(100);
    EXPECT_EQ(starPixel(72, 72), grey(241));
    EXPECT_EQ(starPixel(129, 129), grey(255));
    find<QSlider>("Brightslide")->setValue(0);
    EXPECT_EQ(starPixel(72, 72), grey(11));
}

TEST_F(DisplayWindow, ZoomRewritesBothLabelsAndRedraws)
{
    putStar();
    form->BuildStarImage();
    ui::NumberEdit* zoom = edit("ZoomfSpin");
    ASSERT_NE(zoom, nullptr);
    zoom->setValue(2.0);
    EXPECT_EQ(find<QLabel>("StarImageLabel")->text(), QStringLiteral("Star image (12 arcsec.)"));
    EXPECT_EQ(find<QLabel>("Planetlabel")->text(), QStringLiteral("Planet image (12 arcsec.)"));
    // At zoom 2 the centre cell covers pixels 130 and 131 in the redraw
    // (h = 1 / 2.0001), where the star image drew it at 129 to 131.
    EXPECT_EQ(starPixel(130, 131), grey(255));
    EXPECT_EQ(starPixel(131, 130), grey(255));
    EXPECT_EQ(starPixel(129, 130), grey(0));
    EXPECT_EQ(starPixel(132, 130), grey(0));
    zoom->setValue(0.1);
    EXPECT_EQ(find<QLabel>("StarImageLabel")->text(), QStringLiteral("Star image (250 arcsec.)"));
    zoom->setValue(0.5);
    EXPECT_EQ(find<QLabel>("Planetlabel")->text(), QStringLiteral("Planet image (50 arcsec.)"));
    zoom->setValue(1.0);
    EXPECT_EQ(find<QLabel>("StarImageLabel")->text(), QStringLiteral("Star image (25 arcsec.)"));
}

TEST_F(DisplayWindow, ColourCompositeIsKeptOnBrightnessAndGammaChanges)
{
    putStar();
    form->BuildStarImage();
    const QImage before = find<ui::PictureBox>("StarImage")->picture();
    engine->ColourComposite = true;
    engine->FieldReal(1, 1) = 0.0;  // a grey redraw would now be black
    find<QSlider>("Brightslide")->setValue(60);
    edit("GammaSpin")->setValue(0.8);
    EXPECT_EQ(find<ui::PictureBox>("StarImage")->picture(), before);
    // The table itself follows the editor.
    EXPECT_DOUBLE_EQ(engine->DisplayLut[1000], std::pow(1.000001, 0.8));
}

TEST_F(DisplayWindow, PaintTargetChoosesThePicture)
{
    form->starBuffer()->brushColour = imaging::Rgb{10, 20, 30};
    form->starBuffer()->fillRect(0, 0, 256, 256);
    engine->PaintTarget = optics::PaintTarget::Chromatic;
    form->Starimage1Paint();
    EXPECT_EQ(find<ui::PictureBox>("chroma")->picture().pixel(255, 255), qRgb(10, 20, 30));
    // 256 x 256 pixels go into the 257 x 257 picture.
    EXPECT_EQ(find<ui::PictureBox>("chroma")->picture().pixel(256, 256), qRgb(0, 0, 0));
    EXPECT_EQ(starPixel(0, 0), qRgb(0, 0, 0));

    engine->PaintTarget = optics::PaintTarget::Planet;
    form->Starimage1Paint();
    EXPECT_EQ(find<ui::PictureBox>("Planetaberrate")->picture().pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(starPixel(0, 0), qRgb(0, 0, 0));

    engine->PaintTarget = optics::PaintTarget::None;
    form->starBuffer()->brushColour = imaging::Rgb{1, 2, 3};
    form->starBuffer()->fillRect(0, 0, 256, 256);
    form->Starimage1Paint();
    EXPECT_EQ(find<ui::PictureBox>("Planetaberrate")->picture().pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(starPixel(0, 0), qRgb(0, 0, 0));

    engine->PaintTarget = optics::PaintTarget::StarImage;
    form->Starimage1Paint();
    EXPECT_EQ(starPixel(0, 0), qRgb(1, 2, 3));
}

TEST_F(DisplayWindow, DisplayHandlersAfterCloseDoNotTouchTheBuffer)
{
    putStar();
    form->FormClose();
    form->Starimage1Paint();
    form->BuildStarImage();
    form->Changezoom();
    // The grids are still formed for the runs that read them.
    EXPECT_EQ(engine->PeakIntensity, 1.0f);
    EXPECT_EQ(starPixel(129, 129), qRgb(0, 0, 0));
}

// The picture shows the core's grey levels with x to the right and y down.
void expectScreenShown(const QImage& picture, const optics::ScreenPicture& levels)
{
    ASSERT_EQ(picture.size(), QSize(129, 128));  // the 129th row falls outside the box
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 129; ++x)
            ASSERT_EQ(picture.pixel(x, y), grey(levels.level(x, y))) << x << "," << y;
}

TEST_F(DisplayWindow, ScreensAreDrawnOnTheirPageByACalculation)
{
    edit("RandSeedSpin")->setValue(3);
    edit("RMSSpin")->setValue(0.1);
    edit("Roughspin")->setValue(0.5);
    find<QAbstractButton>("CalculateButton")->click();
    EXPECT_TRUE(engine->TurbulenceReady);
    EXPECT_TRUE(engine->RoughnessReady);

    auto reference = optics::Engine::Create();
    optics::NullStatusSink sink;
    const optics::ScreenPicture turbulence = optics::BuildTurbulenceScreen(*reference, {3.0, 0.1}, sink);
    // Not symmetric, so a swapped x and y would show.
    ASSERT_NE(turbulence.level(3, 40), turbulence.level(40, 3));
    expectScreenShown(find<ui::PictureBox>("Image3")->picture(), turbulence);
    expectScreenShown(find<ui::PictureBox>("Image4")->picture(),
                      optics::BuildRoughnessScreen(*reference, {3.0, 0.5}, sink));

    // A zero amplitude gives a black picture.
    edit("RMSSpin")->setValue(0.0);
    find<QAbstractButton>("CalculateButton")->click();
    const QImage picture = find<ui::PictureBox>("Image3")->picture();
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            ASSERT_EQ(picture.pixel(x, y), qRgb(0, 0, 0));
}

}  // namespace
