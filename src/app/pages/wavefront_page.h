#pragma once

#include "base/result.h"
#include "imaging/pixel_buffer.h"

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace optics {
struct PupilPhase;
struct PupilSummary;
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
    void showWavefront(const imaging::PixelBuffer& picture, const optics::PupilSummary& pupil);

    //! "Save Image": the wavefront picture, always as JPEG.
    void savePicture();
    //! "Load Image": a JPEG or BMP picture takes the place of the wavefront
    //! map, marked "Loaded"; the readouts go on saying what the last
    //! computed wavefront was. A picture that cannot be read is reported and
    //! changes nothing; cancelling changes nothing.
    void loadPicture();
    //! "Clear" (or "Display Wavefront" ticked again): the loaded picture goes
    //! and the last computed map comes back.
    void showComputedMap();

    //! Samples the pupil the controls describe (over the whole disc when
    //! asked, else through the aperture), for the two writers below.
    using Sampler = std::function<base::Result<optics::PupilPhase>(bool wholeDisc)>;
    void setSampler(Sampler sampler) { m_sampler = std::move(sampler); }
    //! "Zernikes": the total wavefront (named errors, screens, measured
    //! wavefront) fitted with the 37 Fringe terms over the open cells, written
    //! as a plain list or a table (waves at 555 nm); says what the fit leaves
    //! out.
    void saveZernikes();
    //! "Map": the total wavefront over the whole disc as a .wft or FITS map
    //! (waves at 555 nm).
    void saveMap();

signals:
    //! A picture was loaded in the map's place.
    void computedMapStopped();
    //! The computed map is shown again.
    void computedMapBack();

private:
    PictureFiles& m_files;
    ui::DialogService& m_dialogs;
    ui::PictureBox* m_aperture;
    ui::PictureBox* m_wavefront;
    QLabel* m_peakToValley;       // "PV: lo .. hi .."
    QLabel* m_peakToValleyWaves;  // PV as a fraction of a wave
    QLabel* m_rms;                // "RMS: .."
    QLabel* m_rmsWaves;           // RMS as a fraction of a wave
    QPushButton* m_save;
    QPushButton* m_load;
    QPushButton* m_clear;
    QLabel* m_title;
    QLabel* m_help;  // over the map before there is one
    std::optional<imaging::PixelBuffer> m_computed;
    bool m_loaded = false;
    QPushButton* m_saveZernikes;
    QPushButton* m_saveMap;
    Sampler m_sampler;
};

}  // namespace app
