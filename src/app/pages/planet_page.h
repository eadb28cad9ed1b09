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

//! Page 2, "Planet": the loaded planet picture and its aberrated copy.
class PlanetPage : public QWidget {
    Q_OBJECT

public:
    explicit PlanetPage(QWidget* parent = nullptr);

    ui::PictureBox* Planetimage;
    ui::PictureBox* Planetaberrate;
    QLabel* planetimagesize;
    QLabel* Planetlabel;
};

}  // namespace app
