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

//! Page 1, "Intra/Extra": intra-, in- and extra-focal images side by side.
class IntraExtraPage : public QWidget {
    Q_OBJECT

public:
    explicit IntraExtraPage(QWidget* parent = nullptr);

    ui::PictureBox* IntraExtraImage;
};

}  // namespace app
