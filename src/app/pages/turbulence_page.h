#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace ui {
class NumberEdit;
class PictureBox;
}

namespace app {

//! Page 6, "Turbulence": the two phase screens and their settings.
class TurbulencePage : public QWidget {
    Q_OBJECT

public:
    explicit TurbulencePage(QWidget* parent = nullptr);

    ui::PictureBox* Image3;  // turbulence screen
    ui::PictureBox* Image4;  // roughness screen
    ui::NumberEdit* RMSSpin = nullptr;
    ui::NumberEdit* Roughspin = nullptr;
    ui::NumberEdit* RandSeedSpin = nullptr;
};

}  // namespace app
