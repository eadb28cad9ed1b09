#include "ui/jpeg_bmp_reader.h"

#include "imaging/jpeg_file.h"
#include "imaging/picture_file.h"
#include "ui/picture_box.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>

namespace ui {

namespace {

LoadedPicture failed(const std::string& error)
{
    return {QImage(), QString::fromStdString(error)};
}

LoadedPicture decodeBmp(const std::vector<std::uint8_t>& bytes, const std::string& name)
{
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    const QSize size = reader.size();
    if (!size.isValid())
        return failed(imaging::CannotRead(name, "the file is damaged"));
    if (std::string why = imaging::CheckPictureSize(name, size.width(), size.height()); !why.empty())
        return failed(why);
    QImage picture;
    if (!reader.read(&picture) || picture.size() != size)
        return failed(imaging::CannotRead(name, "the file is damaged"));
    return {picture.convertToFormat(QImage::Format_RGB888), {}};
}

}  // namespace

LoadedPicture ReadJpegOrBmp(const QString& path)
{
    const std::string name = QFile::encodeName(path).toStdString();
    const imaging::FileContents file = imaging::ReadPictureFile(name);
    if (!file.error.empty())
        return failed(file.error);
    const std::vector<std::uint8_t>& bytes = file.bytes;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
        imaging::ReadResult read = imaging::DecodeJpeg(bytes.data(), bytes.size(), name);
        if (!read.picture)
            return failed(read.error);
        return {imageView(*read.picture).copy(), {}};
    }
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return decodeBmp(bytes, name);
    return failed(imaging::CannotRead(name, "it is not a JPEG or BMP picture"));
}

}  // namespace ui
