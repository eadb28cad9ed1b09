#pragma once

#include "base/result.h"

#include <QJsonObject>

#include <functional>
#include <string>

class QWidget;

namespace imaging {
class AnimatedGif;
}

namespace ui {
class DialogService;
class PictureBox;
}

namespace app {

//! Saving the pages' pictures and the animation: one save dialog for
//! pictures, the file formats, and the messages about what went wrong.
//! Every file is written through imaging::WriteFile, so a failed save leaves
//! an existing file as it was.
class PictureFiles {
public:
    explicit PictureFiles(ui::DialogService& dialogs) : m_dialogs(dialogs) {}

    //! Asks where to save the picture of `picture` and writes it as JPEG
    //! (quality 90, baseline, 24-bit colour), as a 24-bit BMP or as PNG. A
    //! name ending in .jpg, .jpeg, .bmp or .png decides the format; any other
    //! name gets the extension of the file type picked (JPEG first, BMP
    //! second, PNG third; the dialog offers PNG) and is written in that
    //! format. A PNG carries the settings that made the picture in its text.
    //! A picture that was never drawn says "Nothing to save yet" and asks
    //! nothing. A write that fails says so, naming the file and the reason.
    //! Returns whether a file was written.
    bool savePicture(QWidget* parent, const ui::PictureBox& picture);
    //! The same for the animation, as an animated GIF; with no animation
    //! made it says so and asks nothing.
    bool saveAnimation(QWidget* parent, const imaging::AnimatedGif& gif);

    //! Where the settings document of a picture comes from (none: PNG files
    //! carry no settings).
    void setPictureSettings(std::function<QJsonObject(const ui::PictureBox&)> settingsOf)
    {
        m_settingsOf = std::move(settingsOf);
    }

private:
    bool written(QWidget* parent, const base::Status& status);

    ui::DialogService& m_dialogs;
    std::function<QJsonObject(const ui::PictureBox&)> m_settingsOf;
};

}  // namespace app
