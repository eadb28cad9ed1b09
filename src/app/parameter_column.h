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

//! The fixed parameter regions beside and below the pages: the aperture group
//! (`Aperturebox`), the options panel (`Panel2`) and the aberration panel
//! (`Panel3`), with the handlers of their controls.
class ParameterColumn : public QObject {
    Q_OBJECT

public:
    //! Creates the three regions as children of `window` (client coordinates).
    explicit ParameterColumn(QWidget* window);

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
};

}  // namespace app
