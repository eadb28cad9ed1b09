#pragma once

#include "imaging/gif_file.h"
#include "simulations/animation.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

namespace optics {
class StatusSink;
}

namespace ui {
class DialogService;
class GifPlayer;
class NumberEdit;
class PictureBox;
}

namespace app {

class Calculation;
class ParameterColumn;
class PictureFiles;

//! Page 4, "Animation": one error stepped through a range of values, a star
//! picture or a colour planet for each value, collected as the frames of an
//! animated GIF, played in the page's player and saved.
class AnimationPage : public QWidget {
    Q_OBJECT

public:
    //! The pages an animation shows on its way.
    enum class View { Star, Planet, Animation };

    //! What a planet frame is made with: the colour planet run (false when it
    //! was refused) and the picture it draws.
    struct PlanetFrames {
        std::function<bool()> run;
        const ui::PictureBox* picture = nullptr;
    };

    //! Star frames are calculated through `calculation` and taken from
    //! `starImage`; the animated error, its angle and the zoom are written
    //! through `parameters`; progress goes to status panel 1 of `status`;
    //! a refusal is told through `dialogs`; `run` is the shared state an
    //! animation writes; the animation is saved through `files`.
    AnimationPage(Calculation& calculation, ParameterColumn& parameters, optics::StatusSink& status,
                  ui::DialogService& dialogs, PictureFiles& files, sim::AnimationRun& run,
                  const ui::PictureBox& starImage, QWidget* parent = nullptr);

    //! The colour planet run the "Planet" frames use.
    void setPlanetFrames(PlanetFrames planet) { m_planet = std::move(planet); }

    //! Start-up: both lists show their first item and no animation exists.
    void startUp();
    //! The frames of the last animation made (`AnimationGif`).
    const imaging::AnimatedGif& animation() const { return m_gif; }

    //! "Animate": makes the frames, hands them to the player and plays them.
    void AnibuttonClick();
    //! "Save": the animation as an animated GIF.
    void SaveAnimationClick();

    // The player and its controls.
    void ImageChanged();
    void ImageFrameChanged();
    void ImageStartStop();
    void SliderChange();
    void PlayBtnClick();
    void StopBtnClick();
    void RewindBtnClick();
    void BackBtnClick();
    void NextBtnClick();
    void ForwardBtnClick();
    void UpdatePlayerButtons();

signals:
    //! One of the range editors (lowest, highest, steps) changed.
    void rangeEdited();
    //! The animation wants `view` on show.
    void viewWanted(AnimationPage::View view);

private:
    void buildPlayer();
    void buildSettings();
    sim::AnimationRange range() const;
    //! Makes the frames of `range` into `gif`; false when a calculation was
    //! refused.
    bool makeFrames(const sim::AnimationRange& range, imaging::AnimatedGif& gif);

    Calculation& m_calculation;
    ParameterColumn& m_parameters;
    optics::StatusSink& m_status;
    ui::DialogService& m_dialogs;
    PictureFiles& m_files;
    sim::AnimationRun& m_run;
    const ui::PictureBox& m_starImage;
    PlanetFrames m_planet;

    QComboBox* m_aberration;    // AniAberchoice
    QComboBox* m_object;        // Imagechoice
    ui::NumberEdit* m_lowest;   // RxSpinEdit1, "Lowest Value in Animation"
    ui::NumberEdit* m_highest;  // RxSpinEdit2, "Highest Value in Animation"
    ui::NumberEdit* m_steps;    // RxSpinEdit3, "Steps/Frames"
    QPushButton* m_animate;     // BitBtn1
    QPushButton* m_save;        // BitBtn5

    ui::GifPlayer* m_player;  // Image
    QLabel* m_frameLabel;     // Framelabel
    QSlider* m_slider;        // Slider
    QWidget* m_speedBar;      // SpeedBar
    QToolButton* m_playButton;     // PlayBtn
    QToolButton* m_stopButton;     // StopBtn
    QToolButton* m_rewindButton;   // RewindBtn
    QToolButton* m_backButton;     // BackBtn
    QToolButton* m_nextButton;     // NextBtn
    QToolButton* m_forwardButton;  // ForwardBtn

    imaging::AnimatedGif m_gif;  // AnimationGif
};

}  // namespace app
