#pragma once

#include "simulations/chromatic.h"

#include <QWidget>

class QCheckBox;
class QPushButton;

namespace optics {
class StatusSink;
}

namespace ui {
class NumberEdit;
class PictureBox;
}

namespace app {

class Calculation;
class PictureFiles;
class ParameterColumn;
class StarDisplay;

//! Page 8, "Chromatic": the white-light star from up to seven wavelengths.
class ChromaticPage : public QWidget {
    Q_OBJECT

public:
    //! The page calculates through `calc` with the focus and spherical
    //! aberration of each row written into `parameters`, and shows the
    //! composite through `display`.
    ChromaticPage(Calculation& calc, ParameterColumn& parameters, StarDisplay& display, optics::StatusSink& status,
                  sim::ChromaticState state, PictureFiles& files, QWidget* parent = nullptr);
    //! "Save Image": the white-light star as JPEG or BMP.
    void SaveChromaticImageClick();

    //! The Calculate button: one calculation per ticked row at its
    //! wavelength, focus (plus the focal shift) and spherical aberration,
    //! summed in colour and shown in `chroma`. FocusSpin and SphericalSpin
    //! are put back afterwards.
    void CalculateChromaticClick();

    //! The white-light star picture (`chroma`, 257 x 257).
    ui::PictureBox* picture() const { return m_picture; }
    //! Reset Aberrations: every row's focus, then every row's spherical
    //! aberration, then the focal shift, to 0.
    void resetControls();

private:
    static constexpr int kRows = 7;

    Calculation& m_calc;
    ParameterColumn& m_parameters;
    StarDisplay& m_display;
    optics::StatusSink& m_status;
    sim::ChromaticState m_state;

    ui::PictureBox* m_picture;
    // Row k = 0..6: include box, wavelength, focus and spherical editors.
    QCheckBox* m_include[kRows] = {};
    ui::NumberEdit* m_wavelength[kRows] = {};
    ui::NumberEdit* m_focus[kRows] = {};
    ui::NumberEdit* m_spherical[kRows] = {};
    ui::NumberEdit* m_focalShift = nullptr;
    QPushButton* m_calculate = nullptr;  // CalculateChromatic
    PictureFiles& m_files;
    QPushButton* m_save = nullptr;       // SaveChromaticImage
};

}  // namespace app
