#pragma once

#include <QObject>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QWidget;
class QFrame;

namespace ui {
class NumberEdit;
}

namespace app {

class TForm1;

//! The fixed parameter regions beside and below the pages: the aperture group
//! (`Aperturebox`), the options panel (`Panel2`) and the aberration panel
//! (`Panel3`), with the handlers of their controls. The editors are the
//! parameter store: every calculation reads them when it starts.
class ParameterColumn : public QObject {
    Q_OBJECT

public:
    //! Creates the three regions as children of `parent` (client coordinates
    //! of `form`). The pages of `form` must exist already: the reset writes
    //! into some of their controls, and the screen settings on the
    //! Turbulence and Animation pages are wired to the window's handlers here.
    ParameterColumn(QWidget* parent, TForm1& form);

    //! Unit switch to inches: a diameter above 21 is taken as millimetres and
    //! converted; range 2..25, step 4.
    void InchesClick();
    //! Unit switch to millimetres: a diameter below 21 is taken as inches and
    //! converted; range 50..650, step 25.
    void MillimetersClick();
    //! Offset and spider controls are shown only for a non-zero obstruction.
    void ObsSpinChange();
    //! The vane width is shown exactly when the spider is on.
    void SpidercheckClick();
    //! "Reset Aberrations": after confirmation, all aberration amounts, the
    //! chromatic focus and spherical values, brightness and the screen
    //! amplitudes go to 0 (the edge radius to its minimum).
    void Button1Click();

    QGroupBox* Aperturebox = nullptr;
    QRadioButton* Inches = nullptr;
    QRadioButton* Millimeters = nullptr;
    ui::NumberEdit* ApertureSpin = nullptr;
    ui::NumberEdit* ObsSpin = nullptr;
    ui::NumberEdit* OffsetSpin = nullptr;
    QCheckBox* Spidercheck = nullptr;
    ui::NumberEdit* SpiderThickSpin = nullptr;

    QFrame* Panel2 = nullptr;
    ui::NumberEdit* ZoomfSpin = nullptr;
    QCheckBox* PSFMTFCheck = nullptr;
    QCheckBox* Wavefront = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* CalculateButton = nullptr;

    QFrame* Panel3 = nullptr;
    ui::NumberEdit* FocusSpin = nullptr;
    ui::NumberEdit* XComaSpin = nullptr;
    ui::NumberEdit* Comaangle = nullptr;
    ui::NumberEdit* XastigSpin = nullptr;
    ui::NumberEdit* Astigmaangle = nullptr;
    ui::NumberEdit* SphericalSpin = nullptr;
    ui::NumberEdit* HSASpin = nullptr;
    ui::NumberEdit* PinchSpin = nullptr;
    ui::NumberEdit* TubeSpin = nullptr;
    ui::NumberEdit* RxTuberadius = nullptr;
    ui::NumberEdit* TDESpin = nullptr;
    ui::NumberEdit* TDEradius = nullptr;

private:
    void buildApertureBox();
    void buildOptionsPanel();
    void buildAberrationPanel();
    void connectHandlers();

    TForm1& m_form;
};

}  // namespace app
