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

imaging::DisplaySettings displaySettings(const TForm1& form)
{
    imaging::DisplaySettings settings;
    settings.zoom = form.Parameters->ZoomfSpin->value();
    settings.brightness = form.StartestTab->Brightslide->value();
    return settings;
}

// Grey screen picture, 129 x 129 pixels written into the box's own picture;
// what falls outside the box is dropped.
void showScreen(ui::PictureBox* box, const optics::ScreenPicture& screen)
{
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
    connect(AboutTab->GammaSpin, &ui::NumberEdit::changed, this, &TForm1::GammaSpinChange);
    connect(AboutTab->SlopeSpin, &ui::NumberEdit::changed, this, &TForm1::GammaSpinChange);
    connect(StartestTab->Brightslide, &QSlider::valueChanged, this, &TForm1::BrightslideChanged);
    connect(Parameters->ZoomfSpin, &ui::NumberEdit::changed, this, &TForm1::Changezoom);
}

void TForm1::GammaSpinChange()
{
    imaging::BuildDisplayLut(m_engine, AboutTab->GammaSpin->value(), AboutTab->SlopeSpin->value());
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
    PlanetTab->Planetlabel->setText(QStringLiteral("Planet image (") + arcsec + QStringLiteral(" arcsec.)"));
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
        target = ChromaticTab->chroma;
        break;
    case 3:
        target = PlanetTab->Planetaberrate;
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
    settings.seed = TurbulenceTab->RandSeedSpin->value();
    settings.amplitude = TurbulenceTab->RMSSpin->value();
    showScreen(TurbulenceTab->Image3, optics::BuildTurbulenceScreen(m_engine, settings, *this));
}

void TForm1::BuildRoughnessScreen()
{
    optics::ScreenSettings settings;
    settings.seed = TurbulenceTab->RandSeedSpin->value();
    settings.amplitude = TurbulenceTab->Roughspin->value();
    showScreen(TurbulenceTab->Image4, optics::BuildRoughnessScreen(m_engine, settings, *this));
}

}  // namespace app
