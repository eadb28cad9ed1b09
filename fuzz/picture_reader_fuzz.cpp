// Any bytes as a planet or wavefront picture (JPEG, BMP, PNG or TIFF by their
// first bytes): the reader must answer with a 24-bit picture within the
// limits or with a message, without a fault or a leak.
#include "imaging/picture_file.h"
#include "ui/picture_reader.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const base::Result<QImage> read = ui::DecodePicture(bytes, "fuzz.picture");
    // A picture, or a sentence saying why there is none.
    if (read.ok() == !read.error().empty())
        std::abort();
    if (read) {
        const QImage& p = *read;
        if (p.isNull())
            std::abort();
        if (p.format() != QImage::Format_RGB888 || p.width() > imaging::kPictureLimits.maxSide
            || p.height() > imaging::kPictureLimits.maxSide
            || static_cast<std::int64_t>(p.width()) * p.height() > imaging::kPictureLimits.maxPixels)
            std::abort();
    }
    return 0;
}
