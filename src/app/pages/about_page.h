#pragma once

#include <QWidget>

class QFrame;
class QGroupBox;

namespace ui {
class NumberEdit;
class PictureBox;
}

namespace app {

//! Page 9, "About": program name, version and credits. A click on the
//! credits panel or on the picture reveals the special display settings.
class AboutPage : public QWidget {
    Q_OBJECT

public:
    explicit AboutPage(QWidget* parent = nullptr);

    QFrame* SecretPanel1;     // credits panel
    ui::PictureBox* Image5;   // the About picture
    QGroupBox* Specials;      // "Special settings", hidden at start
    ui::NumberEdit* GammaSpin;
    ui::NumberEdit* SlopeSpin;

signals:
    void secretPanelClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

//! The picture of the About page: a star seen through a telescope, drawn as
//! the rings of its diffraction pattern.
QImage aboutPicture(int width, int height);

}  // namespace app
