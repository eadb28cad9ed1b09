#pragma once

#include "optics/phase_screen.h"

#include <QWidget>

namespace ui {
class NumberEdit;
class PictureBox;
}

namespace app {

//! Page 6, "Turbulence": the two phase screens and their settings.
class TurbulencePage : public QWidget {
    Q_OBJECT

public:
    explicit TurbulencePage(QWidget* parent = nullptr);

    //! Seed and amplitude of each screen, as the editors hold them now.
    optics::ScreenSettings turbulenceSettings() const;
    optics::ScreenSettings roughnessSettings() const;

    //! Shows a screen's grey picture (129 x 129, cut to the box).
    void showTurbulence(const optics::ScreenPicture& picture);
    void showRoughness(const optics::ScreenPicture& picture);

    //! Reset Aberrations: both amplitudes back to 0 (their handlers run).
    void resetControls();

    //! A negative amplitude is meant as its size: typed -0.3 becomes 0.30.
    void makeAmplitudesPositive();

signals:
    //! A screen setting changed.
    void edited();

private:
    ui::PictureBox* m_turbulencePicture;
    ui::PictureBox* m_roughnessPicture;
    ui::NumberEdit* m_turbulence;
    ui::NumberEdit* m_roughness;
    ui::NumberEdit* m_seed;
};

}  // namespace app
