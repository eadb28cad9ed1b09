#include "app/picture_files.h"

#include "imaging/bmp_file.h"
#include "imaging/gif_file.h"
#include "imaging/jpeg_file.h"
#include "ui/dialog_service.h"
#include "ui/picture_box.h"

#include <QFile>

#include <string>

namespace app {

namespace {

// The file types of the picture save dialog, in the order of their numbers.
const QStringList kPictureTypes = {QStringLiteral("Jpeg-Bitmap (*.jpg *.jpeg)"), QStringLiteral("BMP-Bitmap (*.bmp)")};
constexpr int kBmpType = 2;

std::string fileName(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

}  // namespace

bool PictureFiles::written(QWidget* parent, const base::Status& status)
{
    if (status)
        return true;
    m_dialogs.showMessage(parent, ui::MessageKind::Error, QString::fromStdString(status.error()),
                          {ui::MessageButton::Ok});
    return false;
}

bool PictureFiles::savePicture(QWidget* parent, const ui::PictureBox& picture, Format format)
{
    if (!picture.drawn()) {
        m_dialogs.showMessage(parent, ui::MessageKind::Information, QStringLiteral("Nothing to save yet"),
                              {ui::MessageButton::Ok});
        return false;
    }
    const std::optional<ui::FileChoice> choice =
        m_dialogs.saveFile(parent, QStringLiteral("Save Picture"), kPictureTypes, QStringLiteral("jpg"));
    if (!choice)
        return false;
    const imaging::PixelBuffer pixels = ui::pixelBuffer(picture.picture());
    const std::string path = fileName(choice->path);
    if (format == Format::ByType && choice->filterIndex == kBmpType)
        return written(parent, imaging::WriteBmp(pixels, path));
    return written(parent, imaging::WriteJpeg(pixels, path));
}

bool PictureFiles::saveAnimation(QWidget* parent, const imaging::AnimatedGif& gif)
{
    if (gif.empty()) {
        m_dialogs.showMessage(parent, ui::MessageKind::Information,
                              QStringLiteral("Nothing to save yet: press Animate to make an animation first."),
                              {ui::MessageButton::Ok});
        return false;
    }
    const std::optional<ui::FileChoice> choice = m_dialogs.saveFile(
        parent, QStringLiteral("Save Animation"), {QStringLiteral("Animated GIF (*.gif)")}, QStringLiteral("gif"));
    if (!choice)
        return false;
    return written(parent, gif.write(fileName(choice->path)));
}

}  // namespace app
