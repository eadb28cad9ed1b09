#pragma once

#include "optics/phase_screen.h"

#include <QWidget>

namespace ui {
class NumberEdit;
class PictureBox;
}

namespace app {

//! Page 6, "Turbulence": the two phase screens and their settings. The
//! screens depend only on these settings, so only their handlers mark them
//! for rebuilding.
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

    //! Change handlers. A negative amplitude is meant as its size: typed -0.3
    //! becomes 0.30. Roughchange also answers the animation range editors.
    void RMSSpinChange();
    void Roughchange();
    void RandSeedSpinChange();

signals:
    void turbulenceStale();
    void roughnessStale();

private:
    ui::PictureBox* m_turbulencePicture;  // Image3
    ui::PictureBox* m_roughnessPicture;   // Image4
    ui::NumberEdit* m_turbulence;         // RMSSpin
    ui::NumberEdit* m_roughness;          // Roughspin
    ui::NumberEdit* m_seed;               // RandSeedSpin
};

}  // namespace app
