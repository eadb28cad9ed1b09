#pragma once

#include "imaging/gif_file.h"

#include <QImage>
#include <QTimer>
#include "ui/layout_scaler.h"

#include <QWidget>

#include <vector>

namespace ui {

//! The animation player: a copy of an animated GIF shown frame by frame,
//! centred in the box on black. While playing, each frame shows for its delay
//! limited to 50..10000 ms; the frames this program makes carry no delay, so
//! each shows for 50 ms. Without Loop, playing stops on the last frame.
class GifPlayer : public QWidget, public Scalable {
    Q_OBJECT

public:
    //! The shortest time a frame is shown, in milliseconds.
    static constexpr int kMinFrameMs = 50;

    GifPlayer(QWidget* parent, int width, int height);

    //! Stops playing, takes a copy of the frames of `gif` as they are now and
    //! reports changed(); the frame index is 0.
    void setAnimation(const imaging::AnimatedGif& gif);
    int count() const { return static_cast<int>(m_frames.size()); }
    //! The frame on show, 0-based (0 when there is none).
    int frameIndex() const { return m_index; }
    //! Shows frame `index`, limited to the frames there are, and reports
    //! frameChanged() (nothing happens without frames).
    void setFrameIndex(int index);
    //! Frame `index` as the player shows it.
    QImage frame(int index) const;

    bool playing() const { return m_playing; }
    //! Starts playing from the frame on show (from the first when the last is
    //! on show and Loop is off) and reports started(); needs two frames.
    void play();
    //! Stops playing and reports stopped().
    void stop();
    //! After the last frame, start again from the first.
    bool loop() const { return m_loop; }
    void setLoop(bool loop) { m_loop = loop; }

    //! While playing, what happens when a frame has been shown for its time:
    //! the next frame, or after the last the first again with Loop, else
    //! playing stops. The timer calls it; tests may too.
    void step();

signals:
    void changed();
    void frameChanged();
    void started();
    void stopped();

protected:
    void paintEvent(QPaintEvent* event) override;

public:
    //! Draws the frames `scale` times their size.
    void setScale(double scale) override
    {
        m_scale = scale;
        update();
    }

protected:

private:
    // The frames as the GIF holds them; each is turned into a picture when
    // it is shown.
    std::vector<imaging::PalettePicture> m_frames;
    mutable int m_shownIndex = -1;
    mutable QImage m_shown;
    int m_index = 0;
    bool m_loop = false;
    bool m_playing = false;
    QTimer m_timer;
    double m_scale = 1.0;
};

}  // namespace ui
