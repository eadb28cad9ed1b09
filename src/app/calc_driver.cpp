// The star calculation: the Calculate button, the calculation driver with the
// aperture picture, and the pupil-to-image step with its readouts.
#include "app/main_window.h"

#include "app/pages/psf_mtf_page.h"
#include "app/pages/startest_page.h"
#include "app/pages/turbulence_page.h"
#include "app/pages/wavefront_page.h"
#include "app/parameter_column.h"
#include "imaging/canvas_draw.h"
#include "imaging/pixel_buffer.h"
#include "imaging/wavefront_picture.h"
#include "optics/psf.h"
#include "optics/pupil.h"
#include "ui/dialog_service.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <cmath>
#include <numbers>

namespace app {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

char decimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.size() == 1 && point.at(0).unicode() < 128 ? static_cast<char>(point.at(0).unicode()) : '.';
}

QString fixed(double value, int decimals)
{
    return QString::fromStdString(imaging::FormatFixed(value, decimals, decimalSeparator()));
}

optics::PupilParams readPupilParams(const ParameterColumn& p, const TurbulencePage& turbulence)
{
    optics::PupilParams params;
    params.millimeters = p.Millimeters->isChecked();
    params.diameter = p.ApertureSpin->value();
    params.focus = p.FocusSpin->value();
    params.coma = p.XComaSpin->value();
    params.comaAngle = p.Comaangle->value();
    params.astigmatism = p.XastigSpin->value();
    params.astigmatismAngle = p.Astigmaangle->value();
    params.spherical = p.SphericalSpin->value();
    params.higherSpherical = p.HSASpin->value();
    params.pinch = p.PinchSpin->value();
    params.tube = p.TubeSpin->value();
    params.tubeRadius = p.RxTuberadius->value();
    params.edge = p.TDESpin->value();
    params.edgeRadius = p.TDEradius->value();
    params.turbulence = turbulence.RMSSpin->value();
    params.roughness = turbulence.Roughspin->value();
    return params;
}

}  // namespace

void TForm1::connectCalcHandlers()
{
    connect(Parameters->CalculateButton, &QPushButton::clicked, this, &TForm1::CalculateButtonClick);
}

bool TForm1::CheckAperture()
{
    optics::PupilParams params;
    params.millimeters = Parameters->Millimeters->isChecked();
    params.diameter = Parameters->ApertureSpin->value();
    if (optics::PupilFits(params, m_engine.WaveLength))
        return true;
    const QString value = Parameters->ApertureSpin->text();
    const QString text =
        std::isfinite(params.diameter) && params.diameter > 0.0
            ? QStringLiteral("The aperture %1 cannot be calculated: enter a diameter from 2 to 25 inches "
                             "or 50 to 650 mm.")
                  .arg(value)
            : QStringLiteral("The aperture must be greater than 0 (it reads %1).").arg(value);
    m_dialogs.showMessage(this, ui::MessageKind::Error, text, {ui::MessageButton::Ok});
    return false;
}

void TForm1::ComputePsf()
{
    if (!CheckAperture())
        return;
    optics::Engine& e = m_engine;
    const optics::PupilParams params = readPupilParams(*Parameters, *TurbulenceTab);
    const bool drawWavefront = Parameters->Wavefront->isChecked() && !e.WavefrontImageLoaded;
    const bool transferFunction = Parameters->PSFMTFCheck->isChecked();

    imaging::PixelBuffer& buffer = *StarBuffer;
    const optics::AperturePicture aperture{buffer.data(), buffer.width(), buffer.height(), buffer.stride()};
    const optics::PupilResult pupil = optics::BuildPupil(e, params, aperture, *this);

    PsfMtfTab->RxLabel1->setText(QStringLiteral("Max. resolution (x) = ")
                                 + QLocale::system().toString(pupil.t * 0.01, 'g', 15)
                                 + QStringLiteral("arcsec."));
    if (pupil.undersampled)
        StartestTab->undersamplelabel->setVisible(true);

    if (drawWavefront) {
        imaging::DrawWavefrontPicture(buffer, e, pupil.minW, pupil.maxW, textPainter(), decimalSeparator());
        const double minW = pupil.minW;
        const double maxW = pupil.maxW + 1e-5;
        WavefrontTab->RMSLabel->setText(QStringLiteral("RMS: ") + fixed(pupil.rms / kTwoPi, 3));
        WavefrontTab->RMSlabl->setText(
            pupil.rms > 0.0 ? QStringLiteral("1/") + fixed(kTwoPi / pupil.rms, 3) + QStringLiteral(" wave") : QString());
        WavefrontTab->WavefrontLabel->setText(QStringLiteral("PV: lo ") + fixed(minW / kTwoPi, 3)
                                              + QStringLiteral(" hi ") + fixed(maxW / kTwoPi, 3));
        const double pv = std::fabs(maxW - minW);
        WavefrontTab->Wavelabl->setText(pv > 0.01 ? QStringLiteral("1/") + fixed(kTwoPi / pv, 3) + QStringLiteral(" wave")
                                                  : QString());
        WavefrontTab->Aberimage->copyFrom(buffer, 0, 0, 256, 256, 0, 0);
        WavefrontTab->Aberimage->repaint();
    }

    optics::TransformPupilField(e, *this);
    BuildStarImage();
    if (transferFunction)
        optics::ComputeTransferFunction(e, *this);
}

void TForm1::CalcFFTS()
{
    optics::Engine& e = m_engine;
    ParameterColumn& p = *Parameters;
    // Nothing changes for a diameter the grid cannot take.
    if (!CheckAperture())
        return;

    StartestTab->undersamplelabel->setVisible(false);
    if (!e.TurbulenceReady)
        BuildTurbulenceScreen();
    if (!e.RoughnessReady)
        BuildRoughnessScreen();
    setStatus(0, "Building aperture");

    e.AperturePictureRadius = imaging::kAperturePictureRadius;
    // Too large an obstruction is set back to 0 through the editor, so its
    // change handler hides the offset and spider controls.
    if (imaging::ObstructionTooLarge(imaging::ObstructionPixels(p.ObsSpin->value())))
        p.ObsSpin->setValue(0.0);
    e.ApertureInches = imaging::ApertureInchesOf(p.ApertureSpin->value(), p.Millimeters->isChecked());

    imaging::AperturePictureParams picture;
    picture.obstructionPercent = p.ObsSpin->value();
    picture.apertureInches = e.ApertureInches;
    picture.offsetMm = p.OffsetSpin->value();
    picture.spider = p.Spidercheck->isChecked();
    picture.vaneWidthMm = p.SpiderThickSpin->value();
    imaging::DrawAperturePicture(*StarBuffer, imaging::LayoutAperturePicture(picture));
    WavefrontTab->Apertureimage->copyFrom(*StarBuffer, 0, 0, 256, 256, 0, 0);
    WavefrontTab->Apertureimage->repaint();

    setStatus(0, "Fast Fourier Transform");
    ComputePsf();

    if (p.PSFMTFCheck->isChecked())
        PsfMtfTab->fillPlots(e, optics::PsfScale(e));
}

void TForm1::CalculateButtonClick()
{
    if (!CheckAperture())
        return;
    if (Tabs->currentIndex() == kAboutIndex)
        Tabs->setCurrentIndex(kStartestIndex);
    m_engine.PaintTarget = 1;
    m_engine.ColourComposite = false;
    CalcFFTS();
}

}  // namespace app
