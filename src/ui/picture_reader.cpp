#include "ui/picture_reader.h"

#include "imaging/bmp_file.h"
#include "imaging/jpeg_file.h"
#include "imaging/picture_file.h"
#include "ui/picture_box.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QThread>

#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <mutex>

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

// Whether every part of the first picture of a TIFF file lies within the
// file: the values of its tags and its strips or tiles. A colour map cut
// off by a truncated download makes the toolkit's decoder read the indexes
// as grey levels, with a line on the error stream only.
bool tiffPartsFit(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto size = static_cast<std::uint64_t>(bytes.size());
    if (size < 8)
        return false;
    const bool little = p[0] == 'I';
    const auto get = [&](std::uint64_t at, int n) {
        std::uint64_t v = 0;
        for (int k = 0; k < n; ++k)
            v |= std::uint64_t{p[at + static_cast<std::uint64_t>(little ? k : n - 1 - k)]} << (8 * k);
        return v;
    };
    const bool big = get(2, 2) == 43;  // 64-bit offsets
    const int offsetBytes = big ? 8 : 4;
    const std::uint64_t entryBytes = big ? 20 : 12;
    if (big && size < 16)
        return false;
    const std::uint64_t directory = get(big ? 8 : 4, offsetBytes);
    if (directory > size || size - directory < (big ? 8u : 2u))
        return false;
    const std::uint64_t entries = get(directory, big ? 8 : 2);
    const std::uint64_t first = directory + (big ? 8 : 2);
    if (entries > (size - first) / entryBytes)
        return false;
    // Bytes a value of each type takes (0: unknown types, which decoders skip).
    const auto typeBytes = [](std::uint64_t type) -> std::uint64_t {
        switch (type) {
        case 1: case 2: case 6: case 7: return 1;
        case 3: case 8: return 2;
        case 4: case 9: case 11: case 13: return 4;
        case 5: case 10: case 12: case 16: case 17: case 18: return 8;
        default: return 0;
        }
    };
    // Where a tag's values are, and how many.
    struct Values {
        std::uint64_t at = 0, count = 0, bytes = 0;
    };
    const auto valuesOf = [&](std::uint64_t entry) {
        Values v;
        v.bytes = typeBytes(get(entry + 2, 2));
        v.count = get(entry + 4, offsetBytes);
        v.at = entry + 4 + static_cast<std::uint64_t>(offsetBytes);
        if (v.bytes != 0 && v.count > static_cast<std::uint64_t>(offsetBytes) / v.bytes)
            v.at = get(v.at, offsetBytes);
        return v;
    };
    const auto fits = [size](std::uint64_t at, std::uint64_t bytes) { return at <= size && bytes <= size - at; };
    Values offsets, counts;
    for (std::uint64_t n = 0; n < entries; ++n) {
        const std::uint64_t entry = first + n * entryBytes;
        const Values v = valuesOf(entry);
        if (v.bytes != 0 && (v.count > size || !fits(v.at, v.count * v.bytes)))
            return false;
        const std::uint64_t tag = get(entry, 2);
        if (tag == 273 || tag == 324)  // strip or tile offsets
            offsets = v;
        else if (tag == 279 || tag == 325)  // their byte counts
            counts = v;
    }
    if (offsets.count != counts.count || offsets.bytes == 0 || counts.bytes == 0)
        return offsets.count == 0 && counts.count == 0;
    for (std::uint64_t k = 0; k < offsets.count; ++k) {
        const std::uint64_t at = get(offsets.at + k * offsets.bytes, static_cast<int>(offsets.bytes));
        const std::uint64_t length = get(counts.at + k * counts.bytes, static_cast<int>(counts.bytes));
        if (!fits(at, length))
            return false;
    }
    return true;
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

// What the toolkit's decoders say while they decode on this thread: their
// warnings (a truncated TIFF makes its reader seek past the end of the
// data) and the PNG decoder's, which the toolkit passes on as information.
// Messages of other threads, and all others, go on as before. One decode
// listens at a time.
class DecoderComplaints {
public:
    DecoderComplaints() : m_lock(s_mutex)
    {
        s_listening = this;
        s_thread = QThread::currentThread();
        s_previous = qInstallMessageHandler(&DecoderComplaints::hear);
    }
    DecoderComplaints(const DecoderComplaints&) = delete;
    DecoderComplaints& operator=(const DecoderComplaints&) = delete;
    ~DecoderComplaints()
    {
        qInstallMessageHandler(s_previous);
        s_listening = nullptr;
        s_thread = nullptr;
    }

    //! The first complaint heard, or empty.
    const QString& first() const { return m_first; }

private:
    static void hear(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        const bool decoder = type == QtWarningMsg || type == QtCriticalMsg
                             || (type == QtInfoMsg && text.startsWith(QLatin1String("libpng warning")));
        if (s_listening && QThread::currentThread() == s_thread && decoder) {
            // A colour profile the PNG decoder finds wrong (common in files
            // of older editors) leaves the pixels alone; this reader does not
            // use profiles.
            if (!text.contains(QLatin1String("iCCP:")) && s_listening->m_first.isEmpty())
                s_listening->m_first = text;
            return;
        }
        s_previous(type, context, text);
    }

    std::lock_guard<std::mutex> m_lock;
    QString m_first;
    static inline std::mutex s_mutex;
    static inline DecoderComplaints* s_listening = nullptr;
    static inline QThread* s_thread = nullptr;
    static inline QtMessageHandler s_previous = nullptr;
};

// The words of a complaint for the user: the PNG decoder's own, without its
// name; others ("QBuffer::seek: Invalid pos") say only that data is missing.
std::string damageOf(const QString& complaint)
{
    const QLatin1String png("libpng warning: ");
    if (complaint.startsWith(png))
        return "the file is damaged (" + complaint.mid(png.size()).toStdString() + ")";
    return "the file is damaged or incomplete";
}

// Whether every pixel of a palette picture has its colour in the table. The
// TIFF decoder warns on the error stream only when a colour map is cut off,
// and gives a picture without colours.
bool coloursKnown(const QImage& picture)
{
    const int colours = picture.colorCount();
    if (picture.format() == QImage::Format_Indexed8) {
        for (int y = 0; y < picture.height(); ++y) {
            const uchar* line = picture.constScanLine(y);
            for (int x = 0; x < picture.width(); ++x)
                if (line[x] >= colours)
                    return false;
        }
    } else if (picture.format() == QImage::Format_Mono || picture.format() == QImage::Format_MonoLSB) {
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixelIndex(x, y) >= colours)
                    return false;
    }
    return true;
}

// A picture decoded by the toolkit, into a buffer filled with one value
// first so that a decoder that leaves pixels out cannot show what memory
// held; any complaint of the decoder makes the file damaged.
base::Result<QImage> decodeWithToolkit(const QByteArray& bytes, PictureFormat format, const std::string& name)
{
    const auto refused = [&name](const std::string& why) { return base::Fail(imaging::CannotRead(name, why)); };
    DecoderComplaints complaints;
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, qtFormat(format));
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return refused("the file is damaged (its header gives no picture size)");
    if (const base::Status fits = imaging::CheckPictureSize(name, size.width(), size.height()); !fits)
        return base::Fail(fits.error());
    // The header's size is the limit for the decoder too.
    reader.setAllocationLimit(static_cast<int>((imaging::kPictureLimits.maxPixels * 8) >> 20) + 1);

    QImage picture;
    if (const QImage::Format layout = reader.imageFormat(); layout != QImage::Format_Invalid) {
        // The decoders write into a picture of their size and layout as it is.
        picture = QImage(size, layout);
        if (picture.isNull())
            return refused("not enough memory to decode it");
        picture.fill(0);
    }
    const bool read = reader.read(&picture);
    if (!complaints.first().isEmpty())
        return refused(damageOf(complaints.first()));
    if (!read || picture.isNull())
        return refused("the file is damaged or incomplete");
    if (!coloursKnown(picture))
        return refused("the file is damaged (its colour table is missing or short)");
    return picture;
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

    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const auto size = static_cast<std::size_t>(bytes.size());
    if (format == PictureFormat::Jpeg || format == PictureFormat::Bmp) {
        // Read by this program's own decoders.
        const base::Result<imaging::PixelBuffer> read = format == PictureFormat::Jpeg
                                                            ? imaging::DecodeJpeg(data, size, name)
                                                            : imaging::DecodeBmp(data, size, name);
        if (!read)
            return refused(read.error());
        return imageView(*read).copy();
    }
    if (!QImageReader::supportedImageFormats().contains(qtFormat(format)))
        return refused(imaging::CannotRead(
            name, "reading TIFF pictures needs the Qt image format plugins, which are not installed "
                  "(Debian package qt6-image-formats-plugins)"));
    const bool partsFit = format == PictureFormat::Png ? pngChunksFit(bytes) : tiffPartsFit(bytes);
    if (!partsFit)
        return refused(imaging::CannotRead(name, "the file is damaged (a part of it claims more bytes than "
                                                 "the file holds)"));
    const base::Result<QImage> picture = decodeWithToolkit(bytes, format, name);
    if (!picture)
        return refused(picture.error());
    // Palette, grey, 16 bits a channel and alpha all end as 24-bit colour.
    return picture->convertToFormat(QImage::Format_RGB888);
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
