#pragma once

#include <QImage>
#include <QWidget>

#include <vector>

class QComboBox;

namespace ui {
class NumberEdit;
}

namespace app {

//! Page 4, "Animation": one error stepped through a range of values.
class AnimationPage : public QWidget {
    Q_OBJECT

public:
    explicit AnimationPage(QWidget* parent = nullptr);

    //! Start-up: both lists show their first item and no animation exists.
    void startUp();

signals:
    //! One of the range editors (lowest, highest, steps) changed.
    void rangeEdited();

private:
    QComboBox* m_aberration;    // AniAberchoice
    QComboBox* m_object;        // Imagechoice
    ui::NumberEdit* m_lowest;   // RxSpinEdit1, "Lowest Value in Animation"
    ui::NumberEdit* m_highest;  // RxSpinEdit2, "Highest Value in Animation"
    ui::NumberEdit* m_steps;    // RxSpinEdit3, "Steps/Frames"
    std::vector<QImage> m_frames;  // AnimationGif
};

}  // namespace app
