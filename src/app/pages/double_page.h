#pragma once

#include <QWidget>

namespace ui {
class PictureBox;
}

namespace app {

//! Page 3, "Double": the double-star picture.
class DoublePage : public QWidget {
    Q_OBJECT

public:
    explicit DoublePage(QWidget* parent = nullptr);

private:
    ui::PictureBox* m_picture;  // DoubleImage, 256 x 256
};

}  // namespace app
