#pragma once

#include <QObject>
#include <QString>

class QCheckBox;
class QFrame;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QWidget;

namespace ui {
class DialogService;
class NumberEdit;
}

namespace app {

struct CalcParams;

//! The editors of the parameter column that other views write and read, as
//! a user would: a write passes through the editor (its range, its decimals,
//! its change handler).
enum class Parameter {
    Aperture,          //!< ApertureSpin, inches or millimetres
    Obstruction,       //!< ObsSpin, percent
    Focus,             //!< FocusSpin
    Coma,              //!< XComaSpin
    ComaAngle,         //!< Comaangle, degrees
    Astigmatism,       //!< XastigSpin
    AstigmatismAngle,  //!< Astigmaangle, degrees
    Spherical,         //!< SphericalSpin
    HigherSpherical,   //!< HSASpin
    Pinch,             //!< PinchSpin
    Tube,              //!< TubeSpin
    Edge,              //!< TDESpin
    Zoom,              //!< ZoomfSpin
};

//! The fixed parameter regions beside and below the pages: the aperture group
//! (`Aperturebox`), the options panel (`Panel2`) and the aberration panel
//! (`Panel3`), with the handlers of their controls. The editors are the
//! parameter store: every calculation reads them when it starts.
class ParameterColumn : public QObject {
    Q_OBJECT

public:
    //! Creates the three regions as children of `parent`, in its coordinates.
    //! The reset asks for confirmation through `dialogs`.
    ParameterColumn(QWidget* parent, ui::DialogService& dialogs);

    //! Fills the telescope, aberration and option values of `params`.
    void read(CalcParams& params) const;

    double value(Parameter parameter) const;
    //! The editor's text, as the user sees it.
    QString text(Parameter parameter) const;
    void setValue(Parameter parameter, double value);
    //! "Calculate PSF/MTF".
    bool transferFunction() const;
    void setTransferFunction(bool on);
    //! Whether the diameter is in inches.
    bool inches() const;
    //! A calculation found the obstruction too large for the picture: it goes
    //! back to 0, and the offset and spider controls hide.
    void resetObstruction();

    //! Unit switches. The diameter is converted whenever the unit changes:
    //! to inches with range 2..25 and step 4, to millimetres with range
    //! 50..650 and step 25, clamped into the new range.
    void InchesClick();
    void MillimetersClick();
    //! Offset and spider controls are shown only for a non-zero obstruction.
    void ObsSpinChange();
    //! The vane width is shown exactly when the spider is on.
    void SpidercheckClick();
    //! "Reset Aberrations": after confirmation, all aberration amounts go to
    //! 0 and the edge radius to its minimum; then resetConfirmed() lets the
    //! pages reset theirs.
    void Button1Click();

signals:
    void calculateClicked();
    void zoomChanged();
    void resetConfirmed();

private:
    ui::NumberEdit* editor(Parameter parameter) const;
    void buildApertureBox(QGroupBox* box);
    void buildOptionsPanel(QFrame* panel);
    void buildAberrationPanel(QFrame* panel);
    void convertDiameter(bool toMillimetres);

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
    QCheckBox* m_transferFunction = nullptr;  // PSFMTFCheck
    QCheckBox* m_wavefront = nullptr;
    QPushButton* m_reset = nullptr;      // Button1
    QPushButton* m_calculate = nullptr;  // CalculateButton

    ui::NumberEdit* m_focus = nullptr;
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
