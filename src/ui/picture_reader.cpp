#include "ui/picture_reader.h"

#include "imaging/jpeg_file.h"
#include "imaging/picture_file.h"
#include "ui/picture_box.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <sys/stat.h>

#include <cstdint>
#include <cstring>

namespace ui {

namespace {

// Whether every chunk of a PNG file lies within the file, up to its end
// chunk. A chunk's length is believed before its bytes are read, so one
// claiming gigabytes in a file of a few hundred bytes would have the decoder
// set aside that much memory first.
bool pngChunksFit(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype at = 8;  // after the signature
    while (at + 12 <= size) {
        const std::uint32_t length = (std::uint32_t{p[at]} << 24) | (std::uint32_t{p[at + 1]} << 16)
                                     | (std::uint32_t{p[at + 2]} << 8) | std::uint32_t{p[at + 3]};
        if (length > static_cast<std::uint64_t>(size - at - 12))
            return false;
        if (std::memcmp(p + at + 4, "IEND", 4) == 0)
            return true;
        at += 12 + static_cast<qsizetype>(length);
    }
    return false;
}

const char* qtFormat(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Jpeg: return "jpeg";
    case PictureFormat::Bmp: return "bmp";
    case PictureFormat::Png: return "png";
    case PictureFormat::Tiff: return "tiff";
    case PictureFormat::Unknown: break;
    }
    return "";
}

}  // namespace

PictureFormat SniffPictureFormat(const QByteArray& head)
{
    const auto starts = [&head](const char* magic, int length) {
        return head.size() >= length && std::memcmp(head.constData(), magic, static_cast<size_t>(length)) == 0;
    };
    if (starts("\xFF\xD8\xFF", 3))
        return PictureFormat::Jpeg;
    if (starts("\x89PNG\r\n\x1A\n", 8))
        return PictureFormat::Png;
    // Classic and big TIFF, either byte order.
    if (starts("II*\0", 4) || starts("MM\0*", 4) || starts("II+\0", 4) || starts("MM\0+", 4))
        return PictureFormat::Tiff;
    // "BM" and a file size field; the four reserved bytes after it are 0 in
    // every bitmap written by a program that follows the format.
    if (starts("BM", 2) && head.size() >= 14)
        return PictureFormat::Bmp;
    return PictureFormat::Unknown;
}

base::Result<QImage> ReadPicture(const QString& path)
{
    const std::string name = path.toStdString();
    const base::Result<std::vector<std::uint8_t>> file = imaging::ReadPictureFile(name);
    if (!file)
        return base::Fail(file.error());
    return DecodePicture(QByteArray::fromRawData(reinterpret_cast<const char*>(file->data()),
                                                 static_cast<qsizetype>(file->size())),
                         name);
}

base::Result<QImage> DecodePicture(const QByteArray& bytes, const std::string& name)
{
    const auto refused = [](const std::string& message) { return base::Fail(message); };
    if (bytes.isEmpty())
        return refused(imaging::CannotRead(name, "it is empty"));
    const PictureFormat format = SniffPictureFormat(bytes.left(16));
    if (format == PictureFormat::Unknown)
        return refused(imaging::CannotRead(name, "it is not a picture this program reads (JPEG, BMP, PNG or TIFF)"));

    QImage picture;
    if (format == PictureFormat::Jpeg) {
        const base::Result<imaging::PixelBuffer> read = imaging::DecodeJpeg(
            reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()), name);
        if (!read)
            return refused(read.error());
        picture = imageView(*read).copy();
    } else {
        if (!QImageReader::supportedImageFormats().contains(qtFormat(format)))
            return refused(imaging::CannotRead(
                name, "reading TIFF pictures needs the Qt image format plugins, which are not installed "
                      "(Debian package qt6-image-formats-plugins)"));
        if (format == PictureFormat::Png && !pngChunksFit(bytes))
            return refused(imaging::CannotRead(name, "the file is damaged (a part of it claims more bytes than "
                                                     "the file holds)"));
        QByteArray copy = bytes;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, qtFormat(format));
        reader.setDecideFormatFromContent(false);
        const QSize size = reader.size();
        if (!size.isValid() || size.isEmpty())
            return refused(imaging::CannotRead(name, "the file is damaged (its header gives no picture size)"));
        if (const base::Status fits = imaging::CheckPictureSize(name, size.width(), size.height()); !fits)
            return refused(fits.error());
        // The header's size is the limit for the decoder too.
        reader.setAllocationLimit(static_cast<int>((imaging::kPictureLimits.maxPixels * 8) >> 20) + 1);
        picture = reader.read();
        if (picture.isNull())
            return refused(imaging::CannotRead(name, "the file is damaged or incomplete"));
    }
    // Palette, grey, 16 bits a channel and alpha all end as 24-bit colour.
    return picture.convertToFormat(QImage::Format_RGB888);
}

QByteArray FileStamp(const QString& path)
{
    struct stat st{};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    const qint64 fields[] = {static_cast<qint64>(st.st_dev), static_cast<qint64>(st.st_ino),
                             static_cast<qint64>(st.st_size), static_cast<qint64>(st.st_mtim.tv_sec),
                             static_cast<qint64>(st.st_mtim.tv_nsec)};
    return QByteArray(reinterpret_cast<const char*>(fields), sizeof fields);
}

QStringList PictureFilters()
{
    return {QStringLiteral("JPEGs (*.jpg)"), QStringLiteral("BMP (*.bmp)"),
            QStringLiteral("All pictures (*.jpg *.jpeg *.jpe *.bmp *.png *.tif *.tiff *.JPG *.JPEG *.BMP *.PNG "
                           "*.TIF *.TIFF)")};
}

}  // namespace ui
