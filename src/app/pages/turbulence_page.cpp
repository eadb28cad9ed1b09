#include "app/pages/turbulence_page.h"

#include "app/control_names.h"
#include "app/pages/page_helpers.h"
#include "optics/seeing.h"
#include "ui/hints.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QLabel>
#include <QLocale>

namespace app {

namespace {

ui::NumberEdit* makeSetting(QWidget* parent, const char* name, const ui::NumberEdit::Settings& settings,
                            const QString& caption, int captionX, int editX, int y, int width)
{
    ui::NumberEdit* edit = makeEditor(parent, QLatin1String(name), settings, editX, y, width);
    ui::attachCaption(edit, makeLabel(parent, caption, captionX, y + 4));
    return edit;
}

void makePositive(ui::NumberEdit* amplitude)
{
    const double v = amplitude->value();
    if (v < 0.0)
        amplitude->setValue(-v);
}

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

TurbulencePage::TurbulencePage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QLatin1String(names::kTurbulencePage));
    // 129 x 128 boxes; the screens are drawn 129 x 129, so their last row falls outside.
    makeLabel(this, QStringLiteral("Turbulence"), 16, 8);
    m_turbulencePicture = new ui::PictureBox(this, 129, 128);
    m_turbulencePicture->setObjectName(QLatin1String(names::kTurbulencePicture));
    m_turbulencePicture->move(16, 26);
    makeLabel(this, QStringLiteral("Roughness"), 16, 162);
    m_roughnessPicture = new ui::PictureBox(this, 129, 128);
    m_roughnessPicture->setObjectName(QLatin1String(names::kRoughnessPicture));
    m_roughnessPicture->move(16, 180);

    constexpr int left = 170;
    makeLabel(this,
              QStringLiteral("Turbulence and Roughness are to be entered as\r\nRMS (root-mean-square) values."),
              left, 26);
    // Both amplitudes: 0..2 in steps of 0.05.
    const ui::NumberEdit::Settings amplitude{.minimum = 0.0, .maximum = 2.0, .step = 0.05, .start = 0.0};
    m_turbulence = makeSetting(this, names::kTurbulenceAmount, amplitude, QStringLiteral("Turbulence"), left, 250, 66, 60);
    ui::setHint(m_turbulence, QStringLiteral("Turbulence at Aperture"), true);
    m_roughness = makeSetting(this, names::kRoughnessAmount, amplitude, QStringLiteral("Roughness"), left, 250, 96, 60);
    ui::setHint(m_roughness, QStringLiteral("Roughness at mirror"), true);

    // Seeing as observers rate it; it sets the turbulence amount for the
    // aperture. Writing the amount is the user's own change of the seeing.
    m_seeing = makeSetting(this, names::kSeeing, {.minimum = 0.0, .maximum = 5.0, .step = 0.25, .start = 0.0},
                           QStringLiteral("Seeing (arcsec FWHM)"), left, 340, 126, 70);
    ui::setHint(m_seeing,
                QStringLiteral("Seeing (arcsec)|Seeing as the FWHM of a long exposure (the star averaged over many "
                               "seeds) at 500 nm, 0 .. 5 arcsec: sets the turbulence amount for the aperture (writes "
                               "the Turbulence editor); 0 uses the amount as typed"),
                true);
    QLabel* note = makeLabel(this, QStringLiteral("At 500 nm; 0 = the turbulence amount as typed."), left, 152);
    note->setObjectName(QLatin1String(names::kSeeingNote));

    m_seed = makeSetting(this, names::kSeed,
                         {.type = ui::NumberEdit::ValueType::Integer,
                          .minimum = 1.0,
                          .maximum = 10000.0,
                          .step = 1.0,
                          .start = 1.0},
                         QStringLiteral("Random generator (Seed)"), left, 340, 180, 70);
    makeLabel(this,
              QStringLiteral("The numbers used in the generator will lead to \r\ndifferent (repeatable) patterns of "
                             "turbulence. \r\nThey will not influence the amount of turbulence."),
              left, 210);

    connect(m_seeing, &ui::NumberEdit::changed, this, &TurbulencePage::applySeeing);
    connect(m_turbulence, &ui::NumberEdit::changed, this, &TurbulencePage::amountTyped);
    connect(m_turbulence, &ui::NumberEdit::changed, this, &TurbulencePage::makeAmplitudesPositive);
    connect(m_roughness, &ui::NumberEdit::changed, this, &TurbulencePage::makeAmplitudesPositive);
    for (ui::NumberEdit* edit : {m_turbulence, m_roughness, m_seed, m_seeing})
        connect(edit, &ui::NumberEdit::changed, this, &TurbulencePage::edited);
}

double TurbulencePage::seeing() const
{
    return m_seeing->value();
}

double TurbulencePage::seeingAmount() const
{
    return optics::TurbulenceForSeeing(m_seeing->value(), m_apertureInches);
}

optics::ScreenSettings TurbulencePage::turbulenceSettings() const
{
    if (m_seeing->value() > 0.0)
        return {m_seed->value(), seeingAmount()};
    return {m_seed->value(), m_turbulence->value()};
}

void TurbulencePage::applySeeing()
{
    if (!(m_seeing->value() > 0.0))
        return;
    m_writingAmount = true;
    m_turbulence->setValue(seeingAmount());
    m_writingAmount = false;
}

void TurbulencePage::amountTyped()
{
    // An amount written from the seeing is not one typed.
    if (!m_writingAmount && m_seeing->value() != 0.0)
        m_seeing->setValue(0.0);
}

void TurbulencePage::setApertureInches(double apertureInches)
{
    if (apertureInches == m_apertureInches || !(apertureInches > 0.0))
        return;
    m_apertureInches = apertureInches;
    applySeeing();
}

optics::ScreenSettings TurbulencePage::roughnessSettings() const
{
    return {m_seed->value(), m_roughness->value()};
}

void TurbulencePage::showTurbulence(const optics::ScreenPicture& picture)
{
    showScreen(m_turbulencePicture, picture);
}

void TurbulencePage::showRoughness(const optics::ScreenPicture& picture)
{
    showScreen(m_roughnessPicture, picture);
}

void TurbulencePage::resetControls()
{
    m_seeing->setValue(0.0);
    m_turbulence->setValue(0.0);
    m_roughness->setValue(0.0);
}

void TurbulencePage::makeAmplitudesPositive()
{
    makePositive(m_turbulence);
    makePositive(m_roughness);
}

}  // namespace app
