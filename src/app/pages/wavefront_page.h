#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace imaging {
class PixelBuffer;
}

namespace optics {
struct PupilResult;
}

namespace ui {
class PictureBox;
}

namespace app {

//! Page 7, "Wavefront": the aperture picture and the pupil phase map with its
//! peak-to-valley and RMS readouts.
class WavefrontPage : public QWidget {
    Q_OBJECT

public:
    explicit WavefrontPage(QWidget* parent = nullptr);

    //! Shows the aperture picture of a calculation.
    void showAperture(const imaging::PixelBuffer& picture);
    //! Shows the wavefront picture and writes the PV and RMS readouts from
    //! the pupil's phase range and RMS error (radians).
    void showWavefront(const imaging::PixelBuffer& picture, const optics::PupilResult& pupil);

private:
    ui::PictureBox* m_aperture;   // Apertureimage
    ui::PictureBox* m_wavefront;  // Aberimage
    QLabel* m_peakToValley;       // WavefrontLabel: "PV: lo .. hi .."
    QLabel* m_peakToValleyWaves;  // Wavelabl: PV as a fraction of a wave
    QLabel* m_rms;                // RMSLabel: "RMS: .."
    QLabel* m_rmsWaves;           // RMSlabl: RMS as a fraction of a wave
    QPushButton* m_save;          // SaveWavefrontImage
    QPushButton* m_load;          // LoadAber
};

}  // namespace app
