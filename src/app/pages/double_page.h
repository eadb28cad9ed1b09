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

//! Page 3, "Double": the double-star picture.
class DoublePage : public QWidget {
    Q_OBJECT

public:
    explicit DoublePage(QWidget* parent = nullptr);

    ui::PictureBox* DoubleImage;
};

}  // namespace app
