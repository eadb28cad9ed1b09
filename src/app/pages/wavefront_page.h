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
class DialogService;
class PictureBox;
}

namespace app {

class PictureFiles;

//! Page 7, "Wavefront": the aperture picture and the pupil phase map with its
//! peak-to-valley and RMS readouts.
class WavefrontPage : public QWidget {
    Q_OBJECT

public:
    //! The wavefront picture is saved through `files`; a picture to load is
    //! asked for through `dialogs`.
    WavefrontPage(PictureFiles& files, ui::DialogService& dialogs, QWidget* parent = nullptr);

    //! Shows the aperture picture of a calculation.
    void showAperture(const imaging::PixelBuffer& picture);
    //! Shows the wavefront picture and writes the PV and RMS readouts from
    //! the pupil's phase range and RMS error (radians).
    void showWavefront(const imaging::PixelBuffer& picture, const optics::PupilResult& pupil);

    //! "Save Image": the wavefront picture, always as JPEG.
    void SaveWavefrontImageClick();
    //! "Load Image": a JPEG or BMP picture takes the place of the wavefront
    //! map for good. Cancelling stops the map as well; a picture that cannot
    //! be read is reported and changes nothing.
    void LoadAberClick();

signals:
    //! From now on calculations leave the wavefront picture and its readouts
    //! alone.
    void computedMapStopped();

private:
    PictureFiles& m_files;
    ui::DialogService& m_dialogs;
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
