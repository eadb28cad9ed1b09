#pragma once

#include "optics/star_calculator.h"
#include "simulations/settings.h"

#include <QObject>
#include <QString>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

namespace ui {
class DialogService;
class NumberEdit;
}

namespace app {

//! The fixed parameter regions beside and below the pages: the aperture group
//! (`Aperturebox`), the options panel (`Panel2`) and the aberration panel
//! (`Panel3`), with the handlers of their controls. Calculations read the
//! editors once, when they start; nothing writes them but the user, the
//! unit switch, Reset Aberrations, a calculation that had to leave the
//! obstruction out, and a view that shows its result at zoom 1.
class ParameterColumn : public QObject {
    Q_OBJECT

public:
    //! Creates the three regions as children of `parent`, in its coordinates.
    //! The reset asks for confirmation through `dialogs`.
    ParameterColumn(QWidget* parent, ui::DialogService& dialogs);

    //! Fills the telescope, its errors and what to compute of `request`.
    void read(optics::StarRequest& request) const;
    //! The value the editor of `setting` holds once `value` is written into
    //! it (its range, its decimals).
    double held(sim::Setting setting, double value) const;
    //! The diameter's text as the user sees it.
    QString diameterText() const;

    double zoom() const;
    //! The focal ratio N of f/N (FocalRatioSpin): a display setting that
    //! converts defocus into focuser travel; no calculation reads it.
    double focalRatio() const;
    //! The diameter in inches, as the calculation takes it (single precision).
    float apertureInches() const;
    //! The obstruction in percent, as the editor reads.
    double obstruction() const;
    //! The "Live" box: the star follows every change of the parameters.
    bool live() const;
    void setLive(bool live);
    //! Puts the zoom to 1, the scale a planet and an animation are shown at.
    void showZoomOne();
    //! A calculation had to leave the obstruction out: it goes back to 0, and
    //! the offset and spider controls hide.
    void resetObstruction();

    //! Unit switches. The diameter is converted whenever the unit changes:
    //! to inches with range 2..25 and step 4, to millimetres with range
    //! 50..650 and step 25, clamped into the new range.
    void useInches();
    void useMillimetres();
    //! Offset and spider controls are shown only for a non-zero obstruction.
    void showObstructionControls();
    //! The vane width is shown exactly when the spider is on.
    void showVaneWidth();
    //! "Reset Aberrations": after confirmation, all aberration amounts go to
    //! 0 and the edge radius to its minimum; then resetConfirmed() lets the
    //! pages reset theirs.
    void resetAberrations();

signals:
    void calculateClicked();
    void zoomChanged();
    void resetConfirmed();
    //! A value a star calculation reads changed (typed, stepped, ticked).
    void edited();
    void liveToggled(bool live);
    //! The focal ratio changed.
    void focalRatioChanged();
    //! "Display Wavefront" was ticked or unticked.
    void wavefrontMapToggled(bool on);

private:
    ui::NumberEdit* editor(sim::Setting setting) const;
    void buildApertureBox(QGroupBox* box);
    void buildOptionsPanel(QFrame* panel);
    void buildAberrationPanel(QFrame* panel);
    void convertDiameter(bool toMillimetres);
    //! The focuser travel of the defocus, under the focus editor.
    void showFocusTravel();

    ui::DialogService& m_dialogs;
    QWidget* m_window;
    bool m_millimetres = false;  // the unit the diameter is held in

    QRadioButton* m_inches = nullptr;
    QRadioButton* m_millimetresButton = nullptr;
    ui::NumberEdit* m_aperture = nullptr;
    ui::NumberEdit* m_obstruction = nullptr;
    ui::NumberEdit* m_offset = nullptr;
    QCheckBox* m_spider = nullptr;
    ui::NumberEdit* m_vaneWidth = nullptr;

    ui::NumberEdit* m_zoom = nullptr;
    ui::NumberEdit* m_focalRatio = nullptr;
    QCheckBox* m_transferFunction = nullptr;
    QCheckBox* m_wavefront = nullptr;
    QCheckBox* m_live = nullptr;
    QPushButton* m_reset = nullptr;
    QPushButton* m_calculate = nullptr;

    ui::NumberEdit* m_focus = nullptr;
    QLabel* m_focusTravel = nullptr;
    ui::NumberEdit* m_coma = nullptr;
    ui::NumberEdit* m_comaAngle = nullptr;
    ui::NumberEdit* m_astigmatism = nullptr;
    ui::NumberEdit* m_astigmatismAngle = nullptr;
    ui::NumberEdit* m_spherical = nullptr;
    ui::NumberEdit* m_higherSpherical = nullptr;
    ui::NumberEdit* m_pinch = nullptr;
    ui::NumberEdit* m_tube = nullptr;
    ui::NumberEdit* m_tubeRadius = nullptr;
    ui::NumberEdit* m_edge = nullptr;
    ui::NumberEdit* m_edgeRadius = nullptr;
};

}  // namespace app
