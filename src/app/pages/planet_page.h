#pragma once

#include "optics/star_calculator.h"
#include "simulations/chromatic.h"
#include "simulations/planet.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

namespace ui {
class DialogService;
class PictureBox;
}

namespace app {

class Calculations;
class ParameterColumn;
class PictureFiles;
class SimulationModel;
class StatusReport;

//! Page 2, "Planet": a planet picture as loaded and as the telescope shows
//! it, convolved with the star image in grey or in red, green and blue.
class PlanetPage : public QWidget {
    Q_OBJECT

public:
    //! The runs calculate through `calculations`, put the zoom to 1 through
    //! `parameters`, show their pictures through `model`, report through
    //! `status` and ask for files through `dialogs`.
    PlanetPage(Calculations& calculations, ParameterColumn& parameters, SimulationModel& model,
               StatusReport& status, ui::DialogService& dialogs, PictureFiles& files, QWidget* parent = nullptr);
    //! "Save": the aberrated planet as JPEG or BMP.
    void savePicture();

    //! The aberrated planet picture (`Planetaberrate`, 257 x 257).
    ui::PictureBox* aberratedPicture() const { return m_aberrated; }
    //! The width of the aberrated picture in arcseconds, over it.
    void setScaleLabel(int arcseconds);

    //! Start-up: the default planet picture `fileName`, found at `path`
    //! (empty when it was not found), is shown with its width in arcseconds
    //! and becomes the working picture; later runs read it from where it was
    //! found, as an absolute path. When it cannot be read the picture stays
    //! empty and the width reads 0.
    base::Status loadStartPicture(const QString& fileName, const QString& path);

    //! The working picture in 24 bits, and the file it comes from.
    const QImage& planetBitmap() const { return m_bitmap; }
    const QString& planetFileName() const { return m_fileName; }
    //! What the last run showed: the grey planet, or the colour planet's sums
    //! and scale (none before the first run).
    optics::StarImagePtr greyResult() const { return m_greyResult; }
    const sim::Composite& colourResult() const { return m_colourResult; }
    //! The comparison picture's file; empty for none.
    const QString& compareFileName() const { return m_compareFileName; }

    //! "Load": a new planet picture from the open dialog. It is shown, and
    //! the next run reads it; one that cannot be read changes nothing.
    void loadPlanetPicture();
    //! "Calculate Greyvalues": reads the picture again and convolves its grey
    //! plane with the star of the controls.
    void convolveGrey();
    //! "Calculate Full Color": blue, green and red convolved with the star at
    //! 440, 510 and 645 nm, each keeping its total brightness, shown together.
    //! False when the picture could not be read or a calculation was refused.
    bool convolveInColour();

    //! For an animation of the planet: reads the working picture (false, and
    //! the reason shown, when it cannot be read).
    bool prepareFrames();
    //! The working picture the frames are made from.
    const QImage& workingBitmap() const { return m_bitmap; }
    //! The last frame of an animation is on show: as after a colour run, the
    //! comparison picture (when chosen) comes on the left, and a crop is told.
    void framesShown();
    //! "Compare to": choosing "Other image" asks for the picture that replaces
    //! the original on the left after the next colour run.
    void chooseComparison();

private:
    //! Reads PlanetFileName into the left picture and PlanetBitmap unless
    //! the file is unchanged since it was read last, or says why it cannot
    //! and changes nothing.
    bool loadWorkingPicture();
    //! Reads `path` into the left picture and PlanetBitmap, noting the
    //! file's stamp, or changes nothing.
    base::Status readWorkingPicture(const QString& path);
    void showOriginal(const QImage& picture);
    void showSize();
    void reportFailure(const std::string& error);
    //! After a run on a picture too large for the grid, says what was used.
    void reportCrop();
    //! After the comparison picture was chosen, a colour run shows it on the
    //! left.
    void showComparison();
    sim::RgbPicture workingPicture() const;
    //! Starts a run of planet passes, one a request with its plane of the
    //! working picture; each pass's star shows what it made besides its image.
    //! With `sum`, each pass adds its plane to its channel of the sum on its
    //! worker and delivers the weight.
    void startPasses(const std::vector<optics::StarRequest>& requests, const std::vector<sim::PlanetPlane>& planes,
                     std::function<void(int, sim::PlanetPass&&)> deliver, std::function<void()> finish,
                     std::shared_ptr<sim::PlanetColourSum> sum = nullptr);

    Calculations& m_calculations;
    ParameterColumn& m_parameters;
    SimulationModel& m_model;
    StatusReport& m_status;
    ui::DialogService& m_dialogs;

    ui::PictureBox* m_original;    // Planetimage
    ui::PictureBox* m_aberrated;   // Planetaberrate
    QLabel* m_size;                // planetimagesize
    QLabel* m_scaleLabel;          // Planetlabel
    QPushButton* m_load;           // BitBtn4
    QPushButton* m_grey;           // Convolute
    QPushButton* m_colour;         // ConvoluteInColor
    QComboBox* m_compare;          // CompareBox
    PictureFiles& m_files;
    QPushButton* m_save;           // BitBtn3
    QImage m_bitmap;               // PlanetBitmap
    QString m_fileName;            // PlanetFileName
    QByteArray m_bitmapStamp;      // of the file PlanetBitmap was read from
    bool m_showingBitmap = false;  // the left picture is PlanetBitmap
    QString m_compareFileName;     // CompareFileName
    QSize m_pictureSize;           // of the picture loaded on the left
    optics::StarImagePtr m_greyResult;  // the last grey result
    sim::Composite m_colourResult;      // the last colour result
};

}  // namespace app
