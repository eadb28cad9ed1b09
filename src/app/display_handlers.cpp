// Display of the star picture (display table, star image, zoom, brightness,
// copy-out) and the turbulence and roughness screens of the Turbulence page.
#include "app/main_window.h"

#include "app/pages/about_page.h"
#include "app/pages/chromatic_page.h"
#include "app/pages/planet_page.h"
#include "app/pages/startest_page.h"
#include "app/pages/turbulence_page.h"
#include "app/parameter_column.h"
#include "imaging/pixel_buffer.h"
#include "imaging/star_image.h"
#include "optics/phase_screen.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QLabel>
#include <QSlider>

namespace app {

namespace {

// The editors may not exist in a partly built window; their start values
// stand in then.
double valueOr(const ui::NumberEdit* editor, double fallback)
{
    return editor ? editor->value() : fallback;
}

imaging::DisplaySettings displaySettings(const TForm1& form)
{
    imaging::DisplaySettings settings;
    settings.zoom = valueOr(form.Parameters ? form.Parameters->ZoomfSpin : nullptr, 1.0);
    if (form.StartestTab && form.StartestTab->Brightslide)
        settings.brightness = form.StartestTab->Brightslide->value();
    return settings;
}

// Grey screen picture, 129 x 129 pixels written into the box's own picture;
// what falls outside the box is dropped.
void showScreen(ui::PictureBox* box, const optics::ScreenPicture& screen)
{
    if (!box)
        return;
    QImage picture = box->picture();
    for (int y = 0; y < optics::ScreenPicture::kSide; ++y) {
        for (int x = 0; x < optics::ScreenPicture::kSide; ++x) {
            if (!picture.valid(x, y))
                continue;
            const int g = screen.level(x, y);
            picture.setPixel(x, y, qRgb(g, g, g));
        }
    }
    box->setPicture(picture);
    box->repaint();
}

}  // namespace

void TForm1::connectDisplayHandlers()
{
    if (AboutTab && AboutTab->GammaSpin)
        connect(AboutTab->GammaSpin, &ui::NumberEdit::changed, this, &TForm1::GammaSpinChange);
    if (AboutTab && AboutTab->SlopeSpin)
        connect(AboutTab->SlopeSpin, &ui::NumberEdit::changed, this, &TForm1::GammaSpinChange);
    if (StartestTab && StartestTab->Brightslide)
        connect(StartestTab->Brightslide, &QSlider::valueChanged, this, &TForm1::BrightslideChanged);
    if (Parameters && Parameters->ZoomfSpin)
        connect(Parameters->ZoomfSpin, &ui::NumberEdit::changed, this, &TForm1::Changezoom);
}

void TForm1::GammaSpinChange()
{
    const double gamma = valueOr(AboutTab ? AboutTab->GammaSpin : nullptr, 0.5);
    const double slope = valueOr(AboutTab ? AboutTab->SlopeSpin : nullptr, 4.5);
    imaging::BuildDisplayLut(m_engine, gamma, slope);
    // Start-up builds the table before any star image exists.
    if (!m_engine.FirstGammaChange)
        BuildStarImage();
    m_engine.FirstGammaChange = false;
}

void TForm1::BuildStarImage()
{
    imaging::BuildStarImage(m_engine, displaySettings(*this), StarBuffer.get(), *this, [this] { Starimage1Paint(); });
}

void TForm1::BrightslideChanged()
{
    BuildStarImage();
}

void TForm1::Changezoom()
{
    const imaging::DisplaySettings settings = displaySettings(*this);
    const QString arcsec = QString::number(imaging::ZoomLabelNumber(settings.zoom));
    if (PlanetTab && PlanetTab->Planetlabel)
        PlanetTab->Planetlabel->setText(QStringLiteral("Planet image (") + arcsec + QStringLiteral(" arcsec.)"));
    if (StartestTab && StartestTab->StarImageLabel)
        StartestTab->StarImageLabel->setText(QStringLiteral("Star image (") + arcsec + QStringLiteral(" arcsec.)"));
    imaging::Changezoom(m_engine, settings, StarBuffer.get(), *this, [this] { Starimage1Paint(); });
}

void TForm1::Starimage1Paint()
{
    // The star picture's own rectangle serves every target, so the 257 x 257
    // pictures receive 256 x 256 pixels at their top left.
    const QRect area = StartestTab->StarImage->picture().rect();
    if (!StarBuffer)
        return;
    ui::PictureBox* target = nullptr;
    switch (m_engine.PaintTarget) {
    case 1:
        target = StartestTab->StarImage;
        break;
    case 2:
        target = ChromaticTab ? ChromaticTab->chroma : nullptr;
        break;
    case 3:
        target = PlanetTab ? PlanetTab->Planetaberrate : nullptr;
        break;
    default:
        break;
    }
    if (target)
        target->copyFrom(*StarBuffer, area.left(), area.top(), area.right() + 1, area.bottom() + 1, 0, 0);
}

void TForm1::BuildTurbulenceScreen()
{
    optics::ScreenSettings settings;
    settings.seed = valueOr(TurbulenceTab ? TurbulenceTab->RandSeedSpin : nullptr, 1.0);
    settings.amplitude = valueOr(TurbulenceTab ? TurbulenceTab->RMSSpin : nullptr, 0.0);
    const optics::ScreenPicture picture = optics::BuildTurbulenceScreen(m_engine, settings, *this);
    showScreen(TurbulenceTab ? TurbulenceTab->Image3 : nullptr, picture);
}

void TForm1::BuildRoughnessScreen()
{
    optics::ScreenSettings settings;
    settings.seed = valueOr(TurbulenceTab ? TurbulenceTab->RandSeedSpin : nullptr, 1.0);
    settings.amplitude = valueOr(TurbulenceTab ? TurbulenceTab->Roughspin : nullptr, 0.0);
    const optics::ScreenPicture picture = optics::BuildRoughnessScreen(m_engine, settings, *this);
    showScreen(TurbulenceTab ? TurbulenceTab->Image4 : nullptr, picture);
}

}  // namespace app
