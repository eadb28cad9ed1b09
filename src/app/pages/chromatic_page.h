#pragma once

#include <QWidget>

class QCheckBox;

namespace ui {
class NumberEdit;
class PictureBox;
}

namespace app {

//! Page 8, "Chromatic": the white-light star from up to seven wavelengths.
class ChromaticPage : public QWidget {
    Q_OBJECT

public:
    explicit ChromaticPage(QWidget* parent = nullptr);

    //! The white-light star picture (`chroma`, 257 x 257).
    ui::PictureBox* picture() const { return m_picture; }
    //! Reset Aberrations: every row's focus, then every row's spherical
    //! aberration, then the focal shift, to 0.
    void resetControls();

private:
    static constexpr int kRows = 7;

    ui::PictureBox* m_picture;
    // Row k = 0..6: include box, wavelength, focus and spherical editors.
    QCheckBox* m_include[kRows] = {};
    ui::NumberEdit* m_wavelength[kRows] = {};
    ui::NumberEdit* m_focus[kRows] = {};
    ui::NumberEdit* m_spherical[kRows] = {};
    ui::NumberEdit* m_focalShift = nullptr;
};

}  // namespace app
