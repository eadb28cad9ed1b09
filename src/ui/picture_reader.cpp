#include "ui/picture_reader.h"

#include "imaging/jpeg_file.h"
#include "ui/picture_box.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ui {

namespace {

QString cannotRead(const QString& path, const QString& why)
{
    return QStringLiteral("cannot read %1: %2").arg(path, why);
}

QString reason(int error)
{
    switch (error) {
    case ENOENT: return QStringLiteral("it does not exist");
    case ENOTDIR: return QStringLiteral("a part of its path is not a folder");
    case EACCES:
    case EPERM: return QStringLiteral("permission denied");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

// Empty when `st` is a regular file within the size limit, else why not.
QString checkFile(const struct stat& st)
{
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("it is a folder");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("it is not a regular file (a pipe, a device or a socket)");
    if (st.st_size == 0)
        return QStringLiteral("it is empty");
    if (st.st_size > kMaxPictureFileBytes)
        return QStringLiteral("it is larger than %1 MB, more than any picture this program reads")
            .arg(kMaxPictureFileBytes >> 20);
    return {};
}

// The whole file, or why it cannot be had. The name is looked at before it is
// opened, and opened without waiting: opening a pipe would wait for a writer.
QString readFile(const QString& path, QByteArray& bytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st{};
    if (::stat(name.constData(), &st) != 0)
        return reason(errno);
    if (QString why = checkFile(st); !why.isEmpty())
        return why;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return reason(errno);
    QString why;
    if (::fstat(fd, &st) != 0)
        why = reason(errno);
    else
        why = checkFile(st);
    if (why.isEmpty())
        bytes.resize(static_cast<qsizetype>(st.st_size));
    qsizetype got = 0;
    while (why.isEmpty() && got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, static_cast<size_t>(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            why = reason(errno);
        else if (n == 0)
            break;
        else
            got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    if (why.isEmpty() && bytes.isEmpty())
        why = QStringLiteral("it is empty");
    return why;
}

QString sizeRefusal(const QSize& size)
{
    if (size.width() <= kMaxPictureSide && size.height() <= kMaxPictureSide
        && qint64{size.width()} * size.height() <= kMaxPicturePixels)
        return {};
    return QStringLiteral("the picture is %1 x %2 pixels; pictures of up to %3 pixels a side and %4 megapixels "
                          "are read")
        .arg(size.width())
        .arg(size.height())
        .arg(kMaxPictureSide)
        .arg(kMaxPicturePixels >> 20);
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

PictureRead ReadPicture(const QString& path)
{
    QByteArray bytes;
    if (QString why = readFile(path, bytes); !why.isEmpty())
        return {{}, cannotRead(path, why)};
    const PictureFormat format = SniffPictureFormat(bytes.left(16));
    if (format == PictureFormat::Unknown)
        return {{}, cannotRead(path, QStringLiteral("it is not a picture this program reads (JPEG, BMP, PNG or "
                                                    "TIFF)"))};
    if (!QImageReader::supportedImageFormats().contains(qtFormat(format)) && format != PictureFormat::Jpeg)
        return {{}, cannotRead(path, QStringLiteral("reading TIFF pictures needs the Qt image format plugins, "
                                                    "which are not installed"))};

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, qtFormat(format));
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return {{}, cannotRead(path, QStringLiteral("the file is damaged (its header gives no picture size)"))};
    if (QString why = sizeRefusal(size); !why.isEmpty())
        return {{}, cannotRead(path, why)};

    QImage picture;
    if (format == PictureFormat::Jpeg) {
        imaging::ReadResult read = imaging::ReadJpeg(path.toStdString());
        if (!read.picture)
            return {{}, QString::fromStdString(read.error)};
        picture = imageView(*read.picture).copy();
    } else {
        // The header's size is the limit for the decoder too.
        reader.setAllocationLimit(static_cast<int>((kMaxPicturePixels * 8) >> 20) + 1);
        picture = reader.read();
        if (picture.isNull())
            return {{}, cannotRead(path, QStringLiteral("the file is damaged or incomplete"))};
    }
    // Palette, grey, 16 bits a channel and alpha all end as 24-bit colour.
    return {picture.convertToFormat(QImage::Format_RGB888), {}};
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
