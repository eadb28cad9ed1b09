#pragma once

#include "base/result.h"
#include "imaging/fits_file.h"
#include "optics/figures.h"
#include "optics/psf.h"

#include <QJsonObject>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

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
    //! (quality 90, baseline, 24-bit colour), as a 24-bit BMP or as PNG, or,
    //! where offerFits() offers it, the data behind it as FITS. A name ending
    //! in .jpg, .jpeg, .bmp, .png (or .fits, .fit, .fts) decides the format;
    //! any other name gets the extension of the file type picked (JPEG first,
    //! BMP second, PNG third, FITS fourth; the dialog offers PNG) and is
    //! written in that format. A PNG carries the settings that made the
    //! picture in its text, a FITS file in its header.
    //! A picture that was never drawn says "Nothing to save yet" and asks
    //! nothing. A write that fails says so, naming the file and the reason.
    //! Returns whether a file was written.
    bool savePicture(QWidget* parent, const ui::PictureBox& picture);
    //! The same for the animation, as an animated GIF; with no animation
    //! made it says so and asks nothing.
    bool saveAnimation(QWidget* parent, const imaging::AnimatedGif& gif);

    //! The FITS images behind the picture of `box`, made from the settings
    //! document of the picture; none while nothing is calculated.
    using FitsMaker = std::function<std::optional<std::vector<imaging::FitsImage>>(const QJsonObject& settings)>;
    //! Lets the picture of `box` also be saved as FITS, made by `make`.
    void offerFits(const ui::PictureBox& box, FitsMaker make) { m_fits[&box] = std::move(make); }

    //! Asks where to save `curves` and writes the PSF (first type), the MTF
    //! (second type) or, where `figures` are given, the encircled energy
    //! (third type) as a CSV table with a header naming the columns and their
    //! units; a name without an extension gets .csv. Without curves it says
    //! how to make them and asks nothing.
    bool saveCurves(QWidget* parent, const std::optional<optics::PsfMtfCurves>& curves,
                    const optics::StarFigures* figures = nullptr);

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
    std::map<const ui::PictureBox*, FitsMaker> m_fits;
};

}  // namespace app
