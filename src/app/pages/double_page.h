#pragma once

#include <QWidget>

class QPushButton;

namespace imaging {
class PixelBuffer;
}

namespace sim {
class DoubleStarView;
}

namespace ui {
class NumberEdit;
class PictureBox;
}

namespace app {

class Calculation;
class PictureFiles;
class ParameterColumn;

//! Page 3, "Double": the star image with a fainter copy of itself at a given
//! separation, magnitude difference and position angle.
class DoublePage : public QWidget {
    Q_OBJECT

public:
    //! Calculates through `calculation`, reads the aperture from and writes
    //! the zoom to `parameters`; `starImage` is the star page's picture and
    //! `view` the page's view of the shared state.
    DoublePage(Calculation& calculation, ParameterColumn& parameters, const ui::PictureBox& starImage,
               sim::DoubleStarView& view, PictureFiles& files, QWidget* parent = nullptr);
    //! "Save": the double-star picture as JPEG or BMP.
    void DoubleSaveButtonClick();

    //! The star buffer and the double-star buffer, or none once the window
    //! has closed.
    void setBuffers(imaging::PixelBuffer* starBuffer, imaging::PixelBuffer* doubleStarBuffer);

    //! Composes the picture from the star image as it stands; no calculation.
    void ChangeDouble();
    //! "Calculate": a new star image, then the picture.
    void BitBtn6Click();
    //! The separation of the Dawes and Rayleigh criteria for the aperture,
    //! then a new star image and the picture.
    void DawesClick();
    void RaleighClick();

private:
    //! After another view drew last: the plain star at the reference
    //! wavelength, zoom 1, as the Calculate button makes it.
    void calculatePlainStar();
    void setSeparationFor(double constant);

    Calculation& m_calculation;
    ParameterColumn& m_parameters;
    const ui::PictureBox& m_starImage;
    sim::DoubleStarView& m_view;
    imaging::PixelBuffer* m_starBuffer = nullptr;
    imaging::PixelBuffer* m_doubleStarBuffer = nullptr;

    ui::PictureBox* m_picture;      // DoubleImage, 256 x 256
    ui::NumberEdit* m_separation;   // RxDistance
    ui::NumberEdit* m_magnitudes;   // RxMagnDif
    ui::NumberEdit* m_angle;        // RxPaSpin
    QPushButton* m_calculate;       // BitBtn6
    QPushButton* m_dawes;           // Dawes
    QPushButton* m_rayleigh;        // Raleigh
    PictureFiles& m_files;
    QPushButton* m_save;            // DoubleSaveButton
};

}  // namespace app
