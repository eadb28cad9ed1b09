#pragma once

#include "imaging/pixel_buffer.h"

#include <QWidget>

#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

namespace optics {
struct StarFigures;
}

namespace ui {
class PictureBox;
}

namespace app {

class PictureFiles;

//! Page 0, "Startest": the star picture with its brightness slider, the
//! figures of the star, and the held star beside it when asked.
class StartestPage : public QWidget {
    Q_OBJECT

public:
    //! The picture is saved through `files`.
    explicit StartestPage(PictureFiles& files, QWidget* parent = nullptr);

    //! The star picture (`StarImage`, 256 x 256).
    ui::PictureBox* starImage() const { return m_starImage; }
    //! Brightness gain setting of the slider, 0..100.
    int brightness() const;
    //! Shows a star picture (or the current half of it beside the held star).
    void showStar(std::shared_ptr<const imaging::PixelBuffer> picture);
    //! The held star drawn at the display settings of the moment; none when
    //! nothing is held. "Held star beside" shows the middle of both pictures,
    //! held on the left, at the same scale.
    void setHeldPicture(const imaging::PixelBuffer* picture);
    //! The figures of the star: `current` when the picture shows the star
    //! they belong to (else they are greyed); none before the first.
    void showFigures(const optics::StarFigures* figures, bool current);
    //! The width of the picture in arcseconds, under the picture.
    void setScaleLabel(int arcseconds);
    //! The width of the picture at the focal plane (0: not known yet), after
    //! the arcseconds.
    void setFocalPlaneWidth(double micrometres);
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
    void compose();
    void writeScaleLabel();

    PictureFiles& m_files;
    ui::PictureBox* m_starImage;
    QLabel* m_title;
    QLabel* m_scaleLabel;
    QLabel* m_figures[5];
    QCheckBox* m_showHeld;
    std::shared_ptr<const imaging::PixelBuffer> m_now;
    std::optional<imaging::PixelBuffer> m_held;
    int m_arcseconds = 25;
    double m_micrometres = 0.0;
    QLabel* m_undersampled;
    QSlider* m_brightness;
    QPushButton* m_save;
};

}  // namespace app
