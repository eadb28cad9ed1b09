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

//! Page 4, "Animation": one error stepped through a range of values.
class AnimationPage : public QWidget {
    Q_OBJECT

public:
    explicit AnimationPage(QWidget* parent = nullptr);

    QComboBox* AniAberchoice;
    QComboBox* Imagechoice;
    ui::NumberEdit* RxSpinEdit1 = nullptr;  // "Lowest Value in Animation"
    ui::NumberEdit* RxSpinEdit2 = nullptr;  // "Highest Value in Animation"
    ui::NumberEdit* RxSpinEdit3 = nullptr;  // "Steps/Frames"
};

}  // namespace app
