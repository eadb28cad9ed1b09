#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QSlider;

namespace ui {
class PictureBox;
}

namespace app {

//! Page 0, "Startest": the star picture with its brightness slider.
class StartestPage : public QWidget {
    Q_OBJECT

public:
    explicit StartestPage(QWidget* parent = nullptr);

    ui::PictureBox* StarImage;
    QLabel* StarImageLabel;
    QLabel* undersamplelabel;
    QSlider* Brightslide;
    QPushButton* SpeedButton1;  // "Save "
    QWidget* Starimage1;        // hidden 17 x 17 paint box
};

}  // namespace app
