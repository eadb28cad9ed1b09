#pragma once

#include "optics/progress.h"

#include <QString>

namespace app {

//! The status bar as the calculations and views use it: the stage of the
//! calculation that runs (the optics' Progress) and the progress of a view
//! that runs several ("Building Intra-focal image", "Animating Focus -4.5").
class StatusReport : public optics::Progress {
public:
    //! Shows what a view that runs several calculations is doing; an empty
    //! text when it is done.
    virtual void showProgress(const QString& text) = 0;
    //! The stage text on show.
    virtual QString stageText() const = 0;
    //! The progress text on show.
    virtual QString progressText() const = 0;
};

}  // namespace app
