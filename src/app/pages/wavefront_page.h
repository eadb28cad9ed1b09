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

//! Page 7, "Wavefront": the aperture picture and the pupil phase map.
class WavefrontPage : public QWidget {
    Q_OBJECT

public:
    explicit WavefrontPage(QWidget* parent = nullptr);

    ui::PictureBox* Apertureimage;
    ui::PictureBox* Aberimage;
    QLabel* WavefrontLabel;  // "PV: lo .. hi .."
    QLabel* Wavelabl;        // PV as a fraction of a wave
    QLabel* RMSLabel;        // "RMS: .."
    QLabel* RMSlabl;         // RMS as a fraction of a wave
    QPushButton* SaveWavefrontImage;
    QPushButton* LoadAber;
};

}  // namespace app
