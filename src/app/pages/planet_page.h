#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

namespace optics {
class StatusSink;
}

namespace sim {
class PlanetRun;
struct RgbPicture;
}

namespace ui {
class DialogService;
class PictureBox;
}

namespace app {

class Calculation;
class PictureFiles;
class ParameterColumn;
class StarDisplay;

//! Page 2, "Planet": a planet picture as loaded and as the telescope shows
//! it, convolved with the star image in grey or in red, green and blue.
class PlanetPage : public QWidget {
    Q_OBJECT

public:
    //! The runs calculate through `calculation`, set the zoom through
    //! `parameters`, draw through `display`, report through `status` and ask
    //! for files through `dialogs`; `run` is their view of the shared state.
    PlanetPage(Calculation& calculation, ParameterColumn& parameters, StarDisplay& display,
               optics::StatusSink& status, ui::DialogService& dialogs, sim::PlanetRun& run,
               PictureFiles& files, QWidget* parent = nullptr);
    //! "Save": the aberrated planet as JPEG or BMP.
    void SavePlanetImageClick();

    //! The aberrated planet picture (`Planetaberrate`, 257 x 257).
    ui::PictureBox* aberratedPicture() const { return m_aberrated; }
    //! The width of the aberrated picture in arcseconds, over it.
    void setScaleLabel(int arcseconds);

    //! Start-up: the default planet picture `fileName`, found at `path`
    //! (empty when it was not found), is shown with its width in arcseconds
    //! and becomes the working picture. Returns why it could not be read, or
    //! an empty string; the picture then stays empty and the width reads 0.
    QString loadStartPicture(const QString& fileName, const QString& path);

    //! The working picture in 24 bits, and the file it comes from.
    const QImage& planetBitmap() const { return m_bitmap; }
    const QString& planetFileName() const { return m_fileName; }
    //! The comparison picture's file; empty for none.
    const QString& compareFileName() const { return m_compareFileName; }

    //! "Load": a new planet picture from the open dialog. It is shown, and
    //! the next run reads it; one that cannot be read changes nothing.
    void LoadPlanetImageClick();
    //! "Calculate Greyvalues": reads the picture again and convolves its grey
    //! plane at the current wavelength.
    void ConvoluteGrey();
    //! One convolution of the working picture with a star image calculated
    //! now; false when the calculation was refused.
    bool ConvolutePlanet();
    //! "Calculate Full Color": blue, green and red convolved at 440, 510 and
    //! 645 nm, each keeping its total brightness, shown together. False when
    //! the picture could not be read or a calculation was refused.
    bool ConvoluteInColorClick();
    //! "Compare to": choosing "Other image" asks for the picture that replaces
    //! the original on the left after the next colour run.
    void CompareBoxChange();

private:
    //! Reads PlanetFileName into the left picture and PlanetBitmap, or says
    //! why it cannot and changes nothing.
    bool loadWorkingPicture();
    void showOriginal(const QImage& picture);
    void showSize();
    void reportFailure(const QString& error);
    //! After a run on a picture too large for the grid, says what was used.
    void reportCrop();
    sim::RgbPicture workingPicture() const;

    Calculation& m_calculation;
    ParameterColumn& m_parameters;
    StarDisplay& m_display;
    optics::StatusSink& m_status;
    ui::DialogService& m_dialogs;
    sim::PlanetRun& m_run;

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
};

}  // namespace app
