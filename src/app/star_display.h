#pragma once

#include "imaging/star_image.h"
#include "optics/engine.h"
#include "optics/status_sink.h"

#include <map>

namespace imaging {
class PixelBuffer;
}

namespace ui {
class PictureBox;
}

namespace app {

//! The display step of every calculation and the redraws that only resample
//! StarGrid: it draws into the star buffer and copies the buffer into the
//! picture that engine.PaintTarget names.
class StarDisplay {
public:
    StarDisplay(optics::Engine& engine, optics::StatusSink& status);

    //! The star buffer (`StarBuffer`), or none once the window has closed.
    void setBuffer(imaging::PixelBuffer* buffer) { m_buffer = buffer; }
    imaging::PixelBuffer* buffer() const { return m_buffer; }
    //! The picture box a paint target copies into. The star picture's own
    //! rectangle is used for every target.
    void setTarget(optics::PaintTarget target, ui::PictureBox* picture);

    //! Rebuilds DisplayLut for `gamma` and `slope`, then redraws the star
    //! picture unless this is the first build at start-up.
    void GammaSpinChange(double gamma, double slope, const imaging::DisplaySettings& settings);
    //! The star picture from the field of the last transform.
    void BuildStarImage(const imaging::DisplaySettings& settings);
    //! The zoom redraw; returns the width of the picture in arcseconds.
    int Changezoom(const imaging::DisplaySettings& settings);
    //! Copies the star buffer into the picture of the paint target.
    void Starimage1Paint();

private:
    optics::Engine& m_engine;
    optics::StatusSink& m_status;
    imaging::PixelBuffer* m_buffer = nullptr;
    std::map<optics::PaintTarget, ui::PictureBox*> m_targets;
};

}  // namespace app
