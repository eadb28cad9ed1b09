#include "app/calc_driver.h"

#include "app/star_display.h"
#include "imaging/canvas_draw.h"
#include "imaging/wavefront_picture.h"
#include "optics/constants.h"

#include <cmath>

namespace app {

CalcDriver::CalcDriver(optics::Engine& engine, StarDisplay& display, optics::StatusSink& status,
                       imaging::TextPainter& text, char separator)
    : QObject(nullptr),
      m_engine(engine),
      m_display(display),
      m_status(status),
      m_text(text),
      m_separator(separator),
      m_aperture(optics::kPictureSide, optics::kPictureSide),
      m_wavefront(optics::kPictureSide, optics::kPictureSide)
{
}

std::optional<QString> CalcDriver::check(const CalcParams& params, const QString& diameterText) const
{
    if (optics::PupilFits(params.pupil, m_engine.WaveLength))
        return std::nullopt;
    const double diameter = params.pupil.diameter;
    if (std::isfinite(diameter) && diameter > 0.0)
        return QStringLiteral("The aperture %1 cannot be calculated: enter a diameter from 2 to 25 inches "
                              "or 50 to 650 mm.")
            .arg(diameterText);
    return QStringLiteral("The aperture must be greater than 0 (it reads %1).").arg(diameterText);
}

void CalcDriver::CalcFFTS(const CalcParams& params)
{
    optics::Engine& e = m_engine;
    emit started();
    if (!e.TurbulenceReady)
        emit turbulenceScreenBuilt(
            optics::BuildTurbulenceScreen(e, {params.seed, params.pupil.turbulence}, m_status));
    if (!e.RoughnessReady)
        emit roughnessScreenBuilt(optics::BuildRoughnessScreen(e, {params.seed, params.pupil.roughness}, m_status));
    m_status.setStatus(0, "Building aperture");

    e.AperturePictureRadius = optics::kAperturePictureRadius;
    imaging::AperturePictureParams picture;
    picture.obstructionPercent = params.obstructionPercent;
    if (imaging::ObstructionTooLarge(imaging::ObstructionPixels(picture.obstructionPercent))) {
        picture.obstructionPercent = 0.0;
        emit obstructionTooLarge();
    }
    e.ApertureInches = imaging::ApertureInchesOf(params.pupil.diameter, params.pupil.millimeters);
    picture.apertureInches = e.ApertureInches;
    picture.offsetMm = params.offsetMm;
    picture.spider = params.spider;
    picture.vaneWidthMm = params.vaneWidthMm;
    imaging::DrawAperturePicture(m_aperture, imaging::LayoutAperturePicture(picture));
    emit aperturePictureDrawn(m_aperture);

    m_status.setStatus(0, "Fast Fourier Transform");
    ComputePsf(params);

    if (params.transferFunction)
        emit transferFunctionReady(optics::ExtractCurves(e));
}

void CalcDriver::ComputePsf(const CalcParams& params)
{
    optics::Engine& e = m_engine;
    const optics::AperturePicture aperture{m_aperture.data(), m_aperture.width(), m_aperture.height(),
                                           m_aperture.stride()};
    const optics::PupilResult pupil = optics::BuildPupil(e, params.pupil, aperture, m_status);
    emit pupilBuilt(pupil);
    if (params.drawWavefront && !e.WavefrontImageLoaded) {
        imaging::DrawWavefrontPicture(m_wavefront, e, pupil.minW, pupil.maxW, m_text, m_separator);
        emit wavefrontPictureDrawn(m_wavefront, pupil);
    }
    optics::TransformPupilField(e, m_status);
    m_display.BuildStarImage(params.display);
    if (params.transferFunction)
        optics::ComputeTransferFunction(e, m_status);
}

}  // namespace app
