#pragma once

#include <QWidget>

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

//! Page 3, "Double": the star image with a fainter copy of itself at a given
//! separation, magnitude difference and position angle.
class DoublePage : public QWidget {
    Q_OBJECT

public:
    //! Calculates through `calculations`, puts the zoom to 1 through
    //! `parameters` when another view's picture is on show, and composes from
    //! the star image of `model`.
    DoublePage(Calculations& calculations, ParameterColumn& parameters, SimulationModel& model, PictureFiles& files,
               QWidget* parent = nullptr);

    //! Composes the picture from the star image on the star page; no
    //! calculation.
    void composeDoubleStar();
    //! Composes it again (a display setting changed), when it was composed.
    void redraw();
    //! "Calculate": a new star image, then the picture.
    void calculateDoubleStar();
    //! The separation of the Dawes and Rayleigh criteria for the aperture,
    //! then a new star image and the picture.
    void useDawesLimit();
    void useRayleighLimit();
    //! "Save": the double-star picture as JPEG or BMP.
    void savePicture();

    //! The picture (`DoubleImage`, 256 x 256).
    const ui::PictureBox* picture() const { return m_picture; }

private:
    //! A new star image as the Calculate button makes it (at zoom 1 when
    //! another view's picture is on show), then the picture.
    void calculate();
    void setSeparationFor(double constant);

    Calculations& m_calculations;
    ParameterColumn& m_parameters;
    SimulationModel& m_model;
    PictureFiles& m_files;

    ui::PictureBox* m_picture;
    ui::NumberEdit* m_separation;
    ui::NumberEdit* m_magnitudes;
    ui::NumberEdit* m_angle;
    QPushButton* m_calculate;
    QPushButton* m_dawes;
    QPushButton* m_rayleigh;
    QPushButton* m_save;
};

}  // namespace app
