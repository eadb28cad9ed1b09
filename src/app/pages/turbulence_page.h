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

    //! Seed and amplitude of each screen, as the editors hold them now; with
    //! a seeing set, the turbulence amount that gives that seeing at the
    //! aperture (unrounded; the editor shows it to its two decimals).
    optics::ScreenSettings turbulenceSettings() const;
    optics::ScreenSettings roughnessSettings() const;

    //! Shows a screen's grey picture (129 x 129, cut to the box).
    void showTurbulence(const optics::ScreenPicture& picture);
    void showRoughness(const optics::ScreenPicture& picture);

    //! Reset Aberrations: both amplitudes back to 0 (their handlers run).
    void resetControls();

    //! A negative amplitude is meant as its size: typed -0.3 becomes 0.30.
    void makeAmplitudesPositive();

    //! The aperture the seeing is turned into a turbulence amount for: with a
    //! seeing set, the amount follows it.
    void setApertureInches(double apertureInches);
    //! The seeing in arcseconds at 500 nm (0: the amount as typed).
    double seeing() const;

signals:
    //! A screen setting changed.
    void edited();

private:
    //! The user changed the seeing: it sets the turbulence amount.
    void applySeeing();
    //! The user typed a turbulence amount: that amount holds, not the seeing.
    void amountTyped();
    double seeingAmount() const;

    ui::PictureBox* m_turbulencePicture;
    ui::PictureBox* m_roughnessPicture;
    ui::NumberEdit* m_turbulence;
    ui::NumberEdit* m_roughness;
    ui::NumberEdit* m_seed;
    ui::NumberEdit* m_seeing;
    double m_apertureInches = 5.0;
    bool m_writingAmount = false;
};

}  // namespace app
