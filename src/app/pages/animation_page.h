#pragma once

#include "imaging/gif_file.h"
#include "optics/star_calculator.h"
#include "simulations/animation.h"
#include "simulations/mirror_tests.h"

#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

namespace ui {
class DialogService;
class GifPlayer;
class NumberEdit;
class PictureBox;
}

namespace app {

class Calculations;
class ParameterColumn;
class PictureFiles;
class SimulationModel;
class StatusReport;

//! Page 4, "Animation": one error stepped through a range of values, a star
//! picture or a colour planet for each value, collected as the frames of an
//! animated GIF, played in the page's player and saved.
class AnimationPage : public QWidget {
    Q_OBJECT

public:
    //! The pages an animation shows on its way.
    enum class View { Star, Planet, Animation };

    //! Where planet frames come from: `prepare` reads the planet picture
    //! (false when it cannot; it has said why), `picture` gives it, and
    //! `finished` is told when the last frame is on show.
    struct PlanetFrames {
        std::function<bool()> prepare;
        std::function<QImage()> picture;
        std::function<void()> finished;
    };

    //! Star frames are calculated through `calculations` and shown through
    //! `model`; each frame's value is held as the editors of `parameters`
    //! would hold it, and the zoom is put to 1 through them; progress goes to
    //! `status`; a refusal is told through `dialogs`; the animation is saved
    //! through `files`.
    AnimationPage(Calculations& calculations, ParameterColumn& parameters, SimulationModel& model,
                  StatusReport& status, ui::DialogService& dialogs, PictureFiles& files, QWidget* parent = nullptr);

    //! The planet the "Planet" frames show.
    void setPlanetFrames(PlanetFrames planet) { m_planet = std::move(planet); }
    //! Where the frames of the grating's and the knife's offset come from:
    //! the Tests page's request of that picture at an offset.
    using TestFrames = std::function<sim::MirrorTestRequest(sim::MirrorTest test, double offsetMm)>;
    void setTestFrames(TestFrames frames) { m_testFrames = std::move(frames); }

    //! Start-up: both lists show their first item and no animation exists.
    void startUp();
    //! The frames of the last animation made (`AnimationGif`).
    const imaging::AnimatedGif& animation() const { return m_gif; }

    //! "Animate": makes the frames, hands them to the player and plays them.
    //! The editors keep what they hold.
    void animate();
    //! "Save": the animation as an animated GIF.
    void saveAnimation();

    // The player and its controls.
    void showAnimation();
    void showFrame();
    void showPlaying();
    void goToSliderFrame();
    void play();
    void stop();
    void rewind();
    void stepBack();
    void stepForward();
    void goToEnd();
    void updatePlayerButtons();

signals:
    //! The animation wants `view` on show.
    void viewWanted(AnimationPage::View view);

private:
    void buildPlayer();
    void buildSettings();
    sim::AnimationRange range() const;
    //! Starts making the frames of `range`; false when they cannot be made.
    bool makeFrames(const sim::AnimationRange& range);
    //! Starts making the Tests page's `test` picture at the offsets of
    //! `range`; false when they cannot be made (it has said why).
    bool makeTestFrames(sim::MirrorTest test, const std::string& item, const sim::AnimationRange& range);
    //! The frames are made: the player gets them.
    void framesMade(imaging::AnimatedGif gif, const std::string& item, const sim::AnimationRange& range);
    //! The text over frame `frame` of the animation on show.
    QString frameText(int frame) const;

    Calculations& m_calculations;
    ParameterColumn& m_parameters;
    SimulationModel& m_model;
    StatusReport& m_status;
    ui::DialogService& m_dialogs;
    PictureFiles& m_files;
    PlanetFrames m_planet;
    TestFrames m_testFrames;

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
    QCheckBox* m_loop = nullptr;
    // What the animation on show was made of: its item and range.
    std::string m_madeItem;
    sim::AnimationRange m_madeRange;
};

}  // namespace app
