#pragma once

#include "optics/star_calculator.h"

#include <QWidget>

#include <vector>

class QCheckBox;
class QPushButton;

namespace ui {
class NumberEdit;
class PictureBox;
}

namespace app {

class Calculations;
class ParameterColumn;
class PictureFiles;
class SimulationModel;
class StatusReport;

//! Page 8, "Chromatic": the white-light star from up to seven wavelengths.
class ChromaticPage : public QWidget {
    Q_OBJECT

public:
    //! Calculates through `calculations` with each row's focus and spherical
    //! aberration held as the main editors would hold them, and shows the
    //! composite through `model`.
    ChromaticPage(Calculations& calculations, ParameterColumn& parameters, SimulationModel& model,
                  StatusReport& status, PictureFiles& files, QWidget* parent = nullptr);

    //! The Calculate button: one calculation per ticked row at its
    //! wavelength, focus (plus the focal shift) and spherical aberration,
    //! summed in colour and shown in `chroma`.
    void calculateWhiteLight();
    //! The white-light star's calculations for `controls`: one per ticked
    //! row at its wavelength, focus (plus the focal shift) and spherical
    //! aberration, each held as the main editors would hold it.
    std::vector<optics::StarRequest> plan(const optics::StarRequest& controls) const;
    //! "Save Image": the white-light star as JPEG or BMP.
    void savePicture();

    //! The white-light star picture (`chroma`, 257 x 257).
    ui::PictureBox* picture() const { return m_picture; }
    //! Reset Aberrations: every row's focus, then every row's spherical
    //! aberration, then the focal shift, to 0.
    void resetControls();

private:
    static constexpr int kRows = 7;

    Calculations& m_calculations;
    ParameterColumn& m_parameters;
    SimulationModel& m_model;
    StatusReport& m_status;
    PictureFiles& m_files;

    ui::PictureBox* m_picture;
    // Row k = 0..6: include box, wavelength, focus and spherical editors.
    QCheckBox* m_include[kRows] = {};
    ui::NumberEdit* m_wavelength[kRows] = {};
    ui::NumberEdit* m_focus[kRows] = {};
    ui::NumberEdit* m_spherical[kRows] = {};
    ui::NumberEdit* m_focalShift = nullptr;
    QPushButton* m_calculate = nullptr;
    QPushButton* m_save = nullptr;
};

}  // namespace app
