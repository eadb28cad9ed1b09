#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

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

    ui::PictureBox* chroma;
    // Row k = 1..7: include box, wavelength, focus and spherical editors.
    QCheckBox* CheckBox[8] = {};
    ui::NumberEdit* ChromaWave[8] = {};
    ui::NumberEdit* ChromaFocus[8] = {};
    ui::NumberEdit* ChromaLSA[8] = {};
    ui::NumberEdit* FocalShiftspin = nullptr;
};

}  // namespace app
