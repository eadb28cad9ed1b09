#pragma once

#include "simulations/intra_extra.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace optics {
class StatusSink;
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

//! Page 1, "Intra/Extra": the star on both sides of focus and in focus, the
//! two out-of-focus images on one brightness scale.
class IntraExtraPage : public QWidget {
    Q_OBJECT

public:
    //! The page calculates through `calc` with the parameters written into
    //! `parameters`, and copies the star pictures that `display` shows.
    IntraExtraPage(Calculation& calc, ParameterColumn& parameters, StarDisplay& display, optics::StatusSink& status,
                   ui::DialogService& dialogs, sim::IntraExtraState state, PictureFiles& files,
                   QWidget* parent = nullptr);
    //! "Save": the assembled picture as JPEG or BMP.
    void SaveIntraExtraClick();

    //! The Calculate button: the star in focus with half the aperture, then
    //! at minus and plus the defocus of FocusSpin, assembled side by side in
    //! `IntraExtraImage`; afterwards FocusSpin holds the defocus made
    //! positive and everything else is as before.
    void IntraExtracalculate();

private:
    //! Copies the rectangle (left, top) to (left + size, top + size) of the
    //! star picture to (x, y) of the assembled picture.
    void copyStar(int left, int top, int size, int x, int y);
    QString focusText() const;

    Calculation& m_calc;
    ParameterColumn& m_parameters;
    StarDisplay& m_display;
    optics::StatusSink& m_status;
    ui::DialogService& m_dialogs;
    sim::IntraExtraState m_state;

    ui::PictureBox* m_picture;  // IntraExtraImage, 505 x 201
    QLabel* m_intraLabel;
    QLabel* m_extraLabel;
    QPushButton* m_calculate;  // SpeedButton2
    PictureFiles& m_files;
    QPushButton* m_save;       // BitBtn2
};

}  // namespace app
