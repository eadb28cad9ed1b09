#pragma once

#include "optics/psf.h"

#include <QWidget>

#include <optional>

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

//! Page 1, "Intra/Extra": the star on both sides of focus and in focus, the
//! two out-of-focus images on one brightness scale.
class IntraExtraPage : public QWidget {
    Q_OBJECT

public:
    //! Calculates through `calculations` with the held values of `parameters`
    //! and shows the star pictures through `model`.
    IntraExtraPage(Calculations& calculations, ParameterColumn& parameters, SimulationModel& model,
                   StatusReport& status, ui::DialogService& dialogs, PictureFiles& files, QWidget* parent = nullptr);

    //! The Calculate button: the star in focus with half the aperture, then
    //! at minus and plus the defocus of FocusSpin, assembled side by side in
    //! `IntraExtraImage`. The editors keep what they hold.
    void calculateFocalSeries();
    //! "Save": the assembled picture as PNG, JPEG or BMP, or the pair as FITS.
    void savePicture();
    //! The defocus of each side under its picture with its focuser travel at
    //! the focal ratio of the moment: "-3 (−0.48 mm)".
    void showFocusLabels();

    //! The out-of-focus images of the last run, each with its defocus in
    //! waves (none before the first run).
    struct FocalPair {
        optics::StarImagePtr intra;
        optics::StarImagePtr extra;
        double intraFocus = 0.0;
        double extraFocus = 0.0;
    };
    const FocalPair& focalPair() const { return m_pair; }
    //! The assembled picture (`IntraExtraImage`).
    ui::PictureBox* picture() const { return m_picture; }

private:
    //! Copies the square (left, top, size) of the star picture to (x, y) of
    //! the assembled picture.
    void copyStar(int left, int top, int size, int x, int y);
    struct Balance;
    //! Draws the dimmer out-of-focus image again on the brighter one's scale,
    //! or takes it from `drawn` when a worker drew it at the display
    //! settings of the moment.
    void balance(const optics::StarImage& intra, const optics::StarImage& extra, Balance& drawn);

    Calculations& m_calculations;
    ParameterColumn& m_parameters;
    SimulationModel& m_model;
    StatusReport& m_status;
    ui::DialogService& m_dialogs;
    PictureFiles& m_files;

    ui::PictureBox* m_picture;  // 505 x 201
    QLabel* m_intraLabel;
    QLabel* m_extraLabel;
    QPushButton* m_calculate;
    QPushButton* m_save;
    FocalPair m_pair;
    // The defocus of the images shown, once there are any.
    std::optional<double> m_intraFocus;
    std::optional<double> m_extraFocus;
};

}  // namespace app
