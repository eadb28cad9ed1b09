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

    //! The display curve's gamma exponent and the slope of its linear toe.
    double gamma() const;
    double slope() const;

    //! A click on the credits panel or on the picture reveals the special
    //! settings; nothing hides them again.
    void showSpecialSettings();

signals:
    //! Gamma or slope changed.
    void displayCurveChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFrame* m_credits;
    ui::PictureBox* m_picture;
    QGroupBox* m_specials;  // "Special settings", hidden at start
    ui::NumberEdit* m_gamma;
    ui::NumberEdit* m_slope;
};

//! The picture of the About page: a star seen through a telescope, drawn as
//! the rings of its diffraction pattern.
QImage aboutPicture(int width, int height);

}  // namespace app
