#pragma once

#include <QWidget>

namespace ui {
class PictureBox;
}

namespace app {

//! Page 1, "Intra/Extra": the star on both sides of focus and in focus.
class IntraExtraPage : public QWidget {
    Q_OBJECT

public:
    explicit IntraExtraPage(QWidget* parent = nullptr);

private:
    ui::PictureBox* m_picture;  // IntraExtraImage, 505 x 201
};

}  // namespace app
