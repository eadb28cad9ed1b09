#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QSlider;

namespace ui {
class PictureBox;
}

namespace app {

class PictureFiles;

//! Page 0, "Startest": the star picture with its brightness slider.
class StartestPage : public QWidget {
    Q_OBJECT

public:
    //! The picture is saved through `files`.
    explicit StartestPage(PictureFiles& files, QWidget* parent = nullptr);

    //! The star picture (`StarImage`, 256 x 256).
    ui::PictureBox* starImage() const { return m_starImage; }
    //! Brightness gain setting of the slider, 0..100.
    int brightness() const;
    //! The width of the picture in arcseconds, under the picture.
    void setScaleLabel(int arcseconds);
    //! The red "Warning: Undersampled".
    void setUndersampled(bool undersampled);
    //! Reset Aberrations: the slider back to 0.
    void resetControls();
    //! "Save ": the star picture as JPEG or BMP.
    void savePicture();

signals:
    //! The brightness slider moved.
    void brightnessChanged();

private:
    PictureFiles& m_files;
    ui::PictureBox* m_starImage;
    QLabel* m_scaleLabel;
    QLabel* m_undersampled;
    QSlider* m_brightness;
    QPushButton* m_save;
};

}  // namespace app
