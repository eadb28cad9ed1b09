#include "ui/picture_reader.h"

#include "imaging/jpeg_file.h"
#include "support/pictures.h"
#include "support/qt_helpers.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

namespace {

using testing_support::WriteBytes;
using Writer = std::function<void(const QString& path)>;

void saveImage(const QImage& image, const QString& path, const char* format)
{
    ASSERT_TRUE(image.save(path, format)) << path.toStdString();
}

// The headers of a 24-bit bitmap of the given size, and no pixels.
QByteArray bitmapHeader(qint32 width, qint32 height)
{
    QByteArray b("BM", 2);
    const auto put = [&b](quint32 v, int bytes) {
        for (int n = 0; n < bytes; ++n)
            b.append(static_cast<char>((v >> (8 * n)) & 0xff));
    };
    put(54, 4), put(0, 4), put(54, 4);                           // file header
    put(40, 4), put(width, 4), put(height, 4), put(1, 2), put(24, 2);  // info header
    put(0, 4), put(0, 4), put(2835, 4), put(2835, 4), put(0, 4), put(0, 4);
    return b;
}

QImage filled(QImage::Format format, QColor colour)
{
    QImage image(24, 12, format);
    image.fill(colour);
    return image;
}

TEST(PictureReader, ReadsByContentInEveryDepthAs24BitColour)
{
    const QColor colour(128, 64, 192);
    QImage palette(24, 12, QImage::Format_Indexed8);
    palette.setColorTable({qRgb(0, 0, 0), colour.rgb()});
    palette.fill(1);
    struct Row {
        const char* name;
        Writer write;
        QRgb expected;
    } rows[] = {
        {"planet.JPG",
         [](const QString& p) {
             ASSERT_TRUE(imaging::WriteJpeg(testing_support::Filled(24, 12, {128, 64, 192}), p.toStdString()));
         },
         colour.rgb()},
        {"deep.png", [&](const QString& p) { saveImage(filled(QImage::Format_RGBA64, colour), p, "png"); },
         colour.rgb()},
        {"palette.bmp", [&](const QString& p) { saveImage(palette, p, "bmp"); }, colour.rgb()},
        {"grey.png",
         [](const QString& p) { saveImage(filled(QImage::Format_Grayscale8, QColor(90, 90, 90)), p, "png"); },
         qRgb(90, 90, 90)},
        {"stack.tif", [&](const QString& p) { saveImage(filled(QImage::Format_ARGB32, colour), p, "tiff"); },
         colour.rgb()},
        {"deep.tiff", [&](const QString& p) { saveImage(filled(QImage::Format_RGBX64, colour), p, "tiff"); },
         colour.rgb()},
        {"png-named.jpg", [&](const QString& p) { saveImage(filled(QImage::Format_RGB32, colour), p, "png"); },
         colour.rgb()},
    };
    QTemporaryDir dir;
    for (const Row& r : rows) {
        const QString path = dir.filePath(QString::fromLatin1(r.name));
        r.write(path);
        const base::Result<QImage> read = ui::ReadPicture(path);
        ASSERT_TRUE(read) << r.name << ": " << read.error();
        EXPECT_EQ(read->format(), QImage::Format_RGB888) << r.name;
        EXPECT_EQ(read->size(), QSize(24, 12)) << r.name;
        const QColor got = read->pixelColor(5, 5);
        const QColor want(r.expected);
        EXPECT_NEAR(got.red(), want.red(), 2) << r.name;
        EXPECT_NEAR(got.green(), want.green(), 2) << r.name;
        EXPECT_NEAR(got.blue(), want.blue(), 2) << r.name;
    }
}

TEST(PictureReader, RefusesWhatIsNoPictureOrTooLargeNamingTheFile)
{
    QImage palette(24, 12, QImage::Format_Indexed8);
    palette.setColorTable({qRgb(0, 0, 0), qRgb(200, 100, 50)});
    palette.fill(1);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        filled(QImage::Format_RGB32, Qt::red).save(&buffer, "png");
    }
    struct Row {
        const char* name;
        Writer write;
        const char* why;
    } rows[] = {
        {"missing.jpg", [](const QString&) {}, "it does not exist"},
        {"folder.jpg", [](const QString& p) { ASSERT_TRUE(QDir().mkdir(p)); }, "it is a folder"},
        {"pipe.jpg", [](const QString& p) { ASSERT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0600), 0); },
         "not a regular file"},
        {"empty.png", [](const QString& p) { WriteBytes(p, {}); }, "it is empty"},
        {"notes.jpg", [](const QString& p) { WriteBytes(p, "Mars, 2020 October 6\n"); },
         "not a picture this program reads"},
        {"cut.png", [&](const QString& p) { WriteBytes(p, png.left(png.size() / 2)); }, "damaged"},
        // A text chunk after the picture that claims 1.7 GB (found by fuzzing;
        // the decoder set the memory aside before reading).
        {"bomb.png",
         [&](const QString& p) {
             const int end = png.indexOf("IEND") - 4;
             WriteBytes(p, png.left(end) + QByteArray("\x67\x52\x4b\x45tEXtab", 10) + png.mid(end));
         },
         "claims more bytes than the file holds"},
        // The toolkit's PNG decoder only warns about a text chunk whose
        // check sum is wrong; the TIFF decoder reads a palette picture whose
        // colour map was cut off as one without colours.
        {"text-crc.png",
         [&](const QString& p) {
             const int end = png.indexOf("IEND") - 4;
             WriteBytes(p, png.left(end) + QByteArray("\0\0\0\2tEXtab\0\0\0\0", 14) + png.mid(end));
         },
         "the file is damaged (tEXt: CRC error)"},
        {"cut-palette.tif",
         [&](const QString& p) {
             QByteArray tiff;
             QBuffer buffer(&tiff);
             buffer.open(QIODevice::WriteOnly);
             ASSERT_TRUE(palette.save(&buffer, "tiff"));
             WriteBytes(p, tiff.left(tiff.size() * 9 / 10));
         },
         "claims more bytes than the file holds"},
        {"wide.bmp", [](const QString& p) { WriteBytes(p, bitmapHeader(17000, 10)); }, "16384 pixels a side"},
        {"huge.bmp", [](const QString& p) { WriteBytes(p, bitmapHeader(9000, 9000)); }, "16 megapixels"},
    };
    QTemporaryDir dir;
    for (const Row& r : rows) {
        const QString path = dir.filePath(QString::fromLatin1(r.name));
        r.write(path);
        const base::Result<QImage> read = ui::ReadPicture(path);
        EXPECT_FALSE(read) << r.name;
        const QString error = QString::fromStdString(read.error());
        EXPECT_TRUE(error.startsWith(QStringLiteral("cannot read ") + path)) << read.error();
        EXPECT_TRUE(error.contains(QLatin1String(r.why))) << read.error();
    }
}

}  // namespace
