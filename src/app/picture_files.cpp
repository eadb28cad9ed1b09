#include "app/picture_files.h"

#include "app/science_exports.h"
#include "app/settings_file.h"

#include "imaging/bmp_file.h"
#include "imaging/file_output.h"
#include "imaging/gif_file.h"
#include "imaging/jpeg_file.h"
#include "ui/dialog_service.h"
#include "ui/picture_box.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>

#include <optional>
#include <string>
#include <string_view>

namespace app {

namespace {

// The file types of the picture save dialog, in the order of their numbers
// (scripts pick them by number: JPEG stays first and BMP second).
const QStringList kPictureTypes = {QStringLiteral("Jpeg-Bitmap (*.jpg *.jpeg)"), QStringLiteral("BMP-Bitmap (*.bmp)"),
                                   QStringLiteral("PNG-Bitmap (*.png)")};
// Offered fourth where the picture has data behind it.
const QString kFitsType = QStringLiteral("FITS image, 32-bit float (*.fits *.fit *.fts)");

enum class PictureType { Jpeg = 1, Bmp = 2, Png = 3, Fits = 4 };

// The type a file name asks for by its extension, if it names one.
std::optional<PictureType> typeOfName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return PictureType::Jpeg;
    if (suffix == QLatin1String("bmp"))
        return PictureType::Bmp;
    if (suffix == QLatin1String("png"))
        return PictureType::Png;
    if (suffix == QLatin1String("fits") || suffix == QLatin1String("fit") || suffix == QLatin1String("fts"))
        return PictureType::Fits;
    return std::nullopt;
}

const char* extensionOf(PictureType type)
{
    switch (type) {
    case PictureType::Bmp: return ".bmp";
    case PictureType::Png: return ".png";
    case PictureType::Fits: return ".fits";
    case PictureType::Jpeg: break;
    }
    return ".jpg";
}

// A lossless PNG of the picture, made by the toolkit's encoder and written
// like every other file; `settings` go into its text.
base::Status writePng(const QImage& picture, const QJsonObject& settings, const std::string& path)
{
    QImage png = picture.convertToFormat(QImage::Format_RGB888);
    png.setText(QStringLiteral("Software"), QStringLiteral("Quintalis " QUINTALIS_VERSION));
    if (!settings.isEmpty()) {
        png.setText(QStringLiteral("Description"),
                    QStringLiteral("The settings that made this picture are the JSON text \"%1\"; Quintalis opens "
                                   "the picture as a settings file.")
                        .arg(QLatin1String(kPngSettingsKey)));
        png.setText(QLatin1String(kPngSettingsKey),
                    QString::fromUtf8(QJsonDocument(settings).toJson(QJsonDocument::Compact)));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!png.save(&buffer, "PNG"))
        return base::Fail("cannot write " + path + ": the picture could not be encoded as PNG");
    return imaging::WriteFile(path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

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

bool PictureFiles::savePicture(QWidget* parent, const ui::PictureBox& picture)
{
    if (!picture.drawn()) {
        m_dialogs.showRefusal(parent, ui::MessageKind::Information, QStringLiteral("Nothing to save yet"));
        return false;
    }
    const auto fits = m_fits.find(&picture);
    const bool offersFits = fits != m_fits.end();
    // PNG is offered: lossless, and it keeps the settings.
    const std::optional<ui::FileChoice> choice =
        m_dialogs.saveFile(parent, QStringLiteral("Save Picture"),
                           offersFits ? kPictureTypes + QStringList{kFitsType} : kPictureTypes, QStringLiteral("png"),
                           static_cast<int>(PictureType::Png));
    if (!choice)
        return false;
    // A name that ends in an extension of a type on offer decides the format;
    // any other name gets the extension of the type picked, so that the name
    // always agrees with what the file holds.
    QString target = choice->path;
    std::optional<PictureType> type = typeOfName(target);
    if (type == PictureType::Fits && !offersFits)
        type.reset();
    if (!type) {
        const int types = offersFits ? 4 : 3;
        type = choice->filterIndex >= 1 && choice->filterIndex <= types ? static_cast<PictureType>(choice->filterIndex)
                                                                         : PictureType::Png;
        target += QLatin1String(extensionOf(*type));
    }
    const std::string path = fileName(target);
    const QJsonObject settings = m_settingsOf ? m_settingsOf(picture) : QJsonObject();
    switch (*type) {
    case PictureType::Bmp: return written(parent, imaging::WriteBmp(ui::pixelBuffer(picture.picture()), path));
    case PictureType::Png: return written(parent, writePng(picture.picture(), settings, path));
    case PictureType::Fits: {
        const std::optional<std::vector<imaging::FitsImage>> images = fits->second(settings);
        if (!images) {
            m_dialogs.showRefusal(parent, ui::MessageKind::Information,
                                  QStringLiteral("Nothing to save as FITS yet: calculate the picture first"));
            return false;
        }
        return written(parent, imaging::WriteFits(*images, path));
    }
    case PictureType::Jpeg: break;
    }
    return written(parent, imaging::WriteJpeg(ui::pixelBuffer(picture.picture()), path));
}

bool PictureFiles::saveCurves(QWidget* parent, const std::optional<optics::PsfMtfCurves>& curves,
                              const optics::StarFigures* figures)
{
    if (!curves) {
        m_dialogs.showRefusal(parent, ui::MessageKind::Information,
                              QStringLiteral("Nothing to save yet: tick Calculate PSF/MTF and press Calculate"));
        return false;
    }
    QStringList types{QStringLiteral("PSF curves, CSV (*.csv)"), QStringLiteral("MTF curves, CSV (*.csv)")};
    const bool energy = figures && !figures->energy().empty();
    if (energy)
        types << QStringLiteral("Encircled energy, CSV (*.csv)");
    const std::optional<ui::FileChoice> choice =
        m_dialogs.saveFile(parent, QStringLiteral("Save Curves"), types, QStringLiteral("csv"));
    if (!choice)
        return false;
    QString target = choice->path;
    if (QFileInfo(target).suffix().isEmpty())
        target += QLatin1String(".csv");
    const CurveTable table = choice->filterIndex == 2             ? MtfTable(*curves)
                             : choice->filterIndex == 3 && energy ? EnergyTable(*figures)
                                                                  : PsfTable(*curves);
    const QByteArray text = CsvText(table);
    return written(parent, imaging::WriteFile(fileName(target), std::string_view(text.constData(), text.size())));
}

bool PictureFiles::saveAnimation(QWidget* parent, const imaging::AnimatedGif& gif)
{
    if (gif.empty()) {
        m_dialogs.showRefusal(parent, ui::MessageKind::Information,
                              QStringLiteral("Nothing to save yet: press Animate to make an animation first."));
        return false;
    }
    const std::optional<ui::FileChoice> choice = m_dialogs.saveFile(
        parent, QStringLiteral("Save Animation"), {QStringLiteral("Animated GIF (*.gif)")}, QStringLiteral("gif"));
    if (!choice)
        return false;
    QString target = choice->path;
    if (QFileInfo(target).suffix().toLower() != QLatin1String("gif"))
        target += QLatin1String(".gif");
    return written(parent, gif.write(fileName(target)));
}

}  // namespace app
