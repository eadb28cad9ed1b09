#pragma once

#include "imaging/pixel_buffer.h"
#include "imaging/star_image.h"
#include "optics/engine.h"
#include "optics/phase_screen.h"
#include "optics/psf.h"
#include "optics/pupil.h"
#include "optics/status_sink.h"

#include <QObject>
#include <QString>

#include <optional>

namespace app {

class StarDisplay;

//! Everything one star calculation reads from the controls, taken once when
//! it starts.
struct CalcParams {
    optics::PupilParams pupil;         //!< telescope, aberrations, screen amplitudes
    double seed = 1.0;                 //!< RandSeedSpin, shared by both screens
    double obstructionPercent = 0.0;   //!< ObsSpin
    double offsetMm = 0.0;             //!< OffsetSpin, millimetres in either unit
    bool spider = false;               //!< Spidercheck
    double vaneWidthMm = 1.0;          //!< SpiderThickSpin, millimetres
    imaging::DisplaySettings display;  //!< zoom and brightness of the star picture
    bool transferFunction = false;     //!< "Calculate PSF/MTF"
    bool drawWavefront = false;        //!< "Display Wavefront"
};

//! The star calculation: turns one snapshot of the parameters into the star
//! image, in this order: stale screens, the aperture picture, the pupil and
//! its transform, the star picture, and the transfer function when asked.
//! The pages show what each step made through the signals, which are
//! delivered while the calculation runs.
class CalcDriver : public QObject {
    Q_OBJECT

public:
    //! Wavefront picture texts are drawn with `text`, using `separator` as the
    //! decimal separator.
    CalcDriver(optics::Engine& engine, StarDisplay& display, optics::StatusSink& status, imaging::TextPainter& text,
               char separator);

    //! Why `params` cannot be calculated at the current wavelength (a
    //! diameter that is not a positive number, or one whose pupil does not fit
    //! the grid), or nothing when they can. Nothing else checks the diameter
    //! before the pupil is built.
    std::optional<QString> check(const CalcParams& params, const QString& diameterText) const;

    //! The whole calculation. `params` must have passed check().
    void CalcFFTS(const CalcParams& params);
    //! From the pupil to the star picture and transfer function, on the
    //! aperture picture of the last CalcFFTS (a clear disc before the first).
    void ComputePsf(const CalcParams& params);

    //! The aperture picture of the last calculation (the pupil mask: exactly
    //! white is open).
    const imaging::PixelBuffer& aperturePicture() const { return m_aperture; }

signals:
    void started();
    void turbulenceScreenBuilt(const optics::ScreenPicture& picture);
    void roughnessScreenBuilt(const optics::ScreenPicture& picture);
    //! The obstruction is too large for the picture; the run goes on without one.
    void obstructionTooLarge();
    void aperturePictureDrawn(const imaging::PixelBuffer& picture);
    void pupilBuilt(const optics::PupilResult& pupil);
    void wavefrontPictureDrawn(const imaging::PixelBuffer& picture, const optics::PupilResult& pupil);
    void transferFunctionReady(const optics::PsfMtfCurves& curves);

private:
    optics::Engine& m_engine;
    StarDisplay& m_display;
    optics::StatusSink& m_status;
    imaging::TextPainter& m_text;
    char m_separator;
    imaging::PixelBuffer m_aperture;
    imaging::PixelBuffer m_wavefront;
};

}  // namespace app
