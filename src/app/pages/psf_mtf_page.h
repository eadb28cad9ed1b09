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

//! Page 5, "PSF/MTF": the point spread and modulation transfer plots.
class PsfMtfPage : public QWidget {
    Q_OBJECT

public:
    explicit PsfMtfPage(QWidget* parent = nullptr);

    QCheckBox* PsfMaxSet;
    QLabel* RxLabel1;
};

}  // namespace app
