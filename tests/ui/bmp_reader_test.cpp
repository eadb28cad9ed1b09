// The BMP reader against the toolkit's decoder on valid files of every kind,
// and on files that are not what they claim.
#include "imaging/bmp_file.h"
#include "support/crafted_bmp.h"
#include "support/qt_helpers.h"
#include "ui/picture_reader.h"

#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

using testing_support::BmpBytes;
using testing_support::BmpSpec;
using testing_support::CraftBmp;
using testing_support::kBmpPalette;

QByteArray bytesOf(const BmpBytes& b)
{
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

// Rows of random bytes padded to four, `values` limiting each byte (for
// palette indexes).
BmpBytes randomRows(int width, int height, int bits, const std::function<std::uint8_t(std::uint8_t)>& values)
{
    std::mt19937 random(static_cast<unsigned>(width * 131 + height * 7 + bits));
    const int rowBytes = (width * bits + 31) / 32 * 4;
    BmpBytes rows(static_cast<std::size_t>(rowBytes * std::abs(height)));
    for (std::uint8_t& b : rows)
        b = values(static_cast<std::uint8_t>(random()));
    return rows;
}

std::uint8_t anyByte(std::uint8_t b)
{
    return b;
}

// Palette indexes below four, two to a byte or one.
std::uint8_t twoIndexes(std::uint8_t b)
{
    return b & 0x33;
}

std::uint8_t oneIndex(std::uint8_t b)
{
    return b & 3;
}

// Run-length codes that cover every pixel of an 8-bit picture: a run, the
// rest of the row as it stands, the end of the row; the end of the bitmap.
BmpBytes fullRuns(int width, int height, bool four)
{
    BmpBytes codes;
    for (int row = 0; row < height; ++row) {
        const int run = 3 + row % 3;
        codes.push_back(static_cast<std::uint8_t>(run));
        codes.push_back(four ? static_cast<std::uint8_t>(0x12 + row % 2) : static_cast<std::uint8_t>(row % 4));
        const int rest = width - run;
        codes.push_back(0);
        codes.push_back(static_cast<std::uint8_t>(rest));
        const int bytes = four ? (rest + 1) / 2 : rest;
        for (int i = 0; i < bytes; ++i) {
            const int index = (i + row) % 4;
            codes.push_back(static_cast<std::uint8_t>(four ? index << 4 | (i % 4) : index));
        }
        if (bytes % 2)
            codes.push_back(0);
        codes.push_back(0);
        codes.push_back(row + 1 == height ? 1 : 0);
    }
    return codes;
}

// Valid files of each kind read as the toolkit's decoder reads them.
TEST(BmpReader, ReadsEveryKindAsTheToolkitDoes)
{
    const std::vector<std::uint32_t> twoColours = {0x000000, 0xe0c0a0};
    const std::vector<std::uint32_t> rgb565 = {0xf800, 0x07e0, 0x001f};
    const std::vector<std::uint32_t> bgr32 = {0x0000ff00, 0x00ff0000, 0xff000000};
    // The core header has no colour count: its palette is whole.
    std::vector<std::uint32_t> fullPalette = kBmpPalette;
    for (std::uint32_t k = 4; k < 256; ++k)
        fullPalette.push_back(k * 0x010101);
    // The toolkit shifts 5 and 6 bits up (31 is 248); this reader spreads
    // them over the whole range (31 is 255).
    constexpr int k16BitLevels = 7;
    struct Row {
        const char* what;
        BmpSpec shape;
        int tolerance = 0;
    } rows[] = {
        {"1 bit, 13 wide", {.width = 13, .height = 5, .bits = 1, .palette = twoColours,
                            .pixels = randomRows(13, 5, 1, anyByte)}},
        {"4 bits", {.width = 9, .height = 6, .bits = 4, .palette = kBmpPalette,
                    .pixels = randomRows(9, 6, 4, twoIndexes)}},
        {"8 bits", {.width = 7, .height = 3, .bits = 8, .palette = kBmpPalette,
                    .pixels = randomRows(7, 3, 8, oneIndex)}},
        {"8 bits, top down", {.width = 7, .height = -3, .bits = 8, .palette = kBmpPalette,
                              .pixels = randomRows(7, 3, 8, oneIndex)}},
        {"16 bits 5-5-5", {.width = 5, .height = 4, .bits = 16, .pixels = randomRows(5, 4, 16, anyByte)},
         k16BitLevels},
        {"16 bits 5-6-5 masks", {.width = 5, .height = 4, .bits = 16, .compression = 3, .masks = rgb565,
                                 .pixels = randomRows(5, 4, 16, anyByte)}, k16BitLevels},
        {"24 bits, 7 wide", {.width = 7, .height = 5, .bits = 24, .pixels = randomRows(7, 5, 24, anyByte)}},
        {"24 bits, top down", {.width = 6, .height = -5, .bits = 24, .pixels = randomRows(6, 5, 24, anyByte)}},
        {"32 bits", {.width = 6, .height = 4, .bits = 32, .pixels = randomRows(6, 4, 32, anyByte)}},
        {"32 bits, masks in another order", {.width = 6, .height = 4, .bits = 32, .compression = 3,
                                             .masks = bgr32, .pixels = randomRows(6, 4, 32, anyByte)}},
        {"core header, 8 bits", {.width = 7, .height = 3, .bits = 8, .headerBytes = 12, .palette = fullPalette,
                                 .pixels = randomRows(7, 3, 8, oneIndex)}},
        {"core header, 24 bits", {.width = 5, .height = 3, .bits = 24, .headerBytes = 12,
                                  .pixels = randomRows(5, 3, 24, anyByte)}},
        {"8-bit runs", {.width = 11, .height = 5, .bits = 8, .compression = 1, .palette = kBmpPalette,
                        .pixels = fullRuns(11, 5, false)}},
        {"4-bit runs", {.width = 11, .height = 5, .bits = 4, .compression = 2, .palette = kBmpPalette,
                        .pixels = fullRuns(11, 5, true)}},
        {"V5 header, 24 bits", {.width = 4, .height = 2, .bits = 24, .headerBytes = 124,
                                .pixels = randomRows(4, 2, 24, anyByte)}},
    };
    for (const Row& r : rows) {
        const QByteArray file = bytesOf(CraftBmp(r.shape));
        const QImage expected = QImage::fromData(file, "BMP").convertToFormat(QImage::Format_RGB888);
        ASSERT_FALSE(expected.isNull()) << r.what;
        const base::Result<QImage> read = ui::DecodePicture(file, "kind.bmp");
        ASSERT_TRUE(read) << r.what << ": " << read.error();
        ASSERT_EQ(read->size(), expected.size()) << r.what;
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x) {
                const QColor got = read->pixelColor(x, y);
                const QColor want = expected.pixelColor(x, y);
                const int levels[] = {got.red() - want.red(), got.green() - want.green(), got.blue() - want.blue()};
                for (int d : levels)
                    ASSERT_TRUE(d >= 0 && d <= r.tolerance) << r.what << " at " << x << ", " << y;
            }
        }
    }
}

// A file that is not what it claims gives the same message on every read
// and no picture.
TEST(BmpReader, DamagedFilesGiveTheSameMessageOnEveryReadAndNoPicture)
{
    for (const testing_support::DamagedBmp& file : testing_support::DamagedBmps()) {
        const base::Result<QImage> first = ui::DecodePicture(bytesOf(file.bytes), file.name);
        const base::Result<QImage> second = ui::DecodePicture(bytesOf(file.bytes), file.name);
        EXPECT_FALSE(first) << file.name;
        EXPECT_FALSE(second) << file.name;
        EXPECT_EQ(first.error(), second.error()) << file.name;
        const std::string start = std::string("cannot read ") + file.name + ": ";
        EXPECT_EQ(first.error().rfind(start, 0), 0u) << first.error();
        EXPECT_NE(first.error().find(file.says), std::string::npos) << first.error();
    }
}

// Run-length codes may end the bitmap before its last pixel: the pixels
// after are the palette's first colour on every read.
TEST(BmpReader, AnEarlyEndOfTheBitmapLeavesThePaletteFirstColour)
{
    const BmpBytes file = testing_support::EndOfBitmapRle8();
    const base::Result<imaging::PixelBuffer> white = imaging::DecodeBmp(file.data(), file.size(), "end.bmp");
    const base::Result<imaging::PixelBuffer> black =
        imaging::DecodeBmp(file.data(), file.size(), "end.bmp", imaging::kBlack);
    ASSERT_TRUE(white) << white.error();
    ASSERT_TRUE(black) << black.error();
    EXPECT_EQ(*white, *black);
    const auto colour = [](std::size_t index) {
        const std::uint32_t c = kBmpPalette[index];
        return imaging::Rgb{static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                            static_cast<std::uint8_t>(c)};
    };
    // The bottom row: four of index 1, then 2, 3, 1, 3; above it three of 2.
    const std::size_t bottom[] = {1, 1, 1, 1, 2, 3, 1, 3};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(white->pixel(x, 3), colour(bottom[x])) << x;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(white->pixel(x, y), colour(y == 2 && x < 3 ? 2 : 0)) << x << ", " << y;
}

// Kinds of bitmap this program does not read are named.
TEST(BmpReader, KindsNotReadAreNamed)
{
    struct Row {
        BmpSpec shape;
        const char* says;
    } rows[] = {
        {{.bits = 2, .palette = kBmpPalette, .pixels = BmpBytes(16)}, "of 2 bits a pixel"},
        {{.bits = 24, .compression = 4, .pixels = BmpBytes(16)}, "holding a JPEG picture"},
        {{.bits = 24, .compression = 9, .pixels = BmpBytes(16)}, "of compression type 9"},
        {{.bits = 24, .headerBytes = 64, .pixels = BmpBytes(96)}, "with a header of 64 bytes"},
        {{.bits = 16, .compression = 3, .masks = {0xf0f0, 0x0f00, 0x000f}, .pixels = BmpBytes(64)},
         "damaged (its colour masks are not runs of bits)"},
        {{.bits = 8, .palette = {0x000000}, .pixels = BmpBytes(32, 1)},
         "damaged (a pixel has a colour its palette does not hold)"},
    };
    for (const Row& r : rows) {
        const base::Result<QImage> read = ui::DecodePicture(bytesOf(CraftBmp(r.shape)), "kind.bmp");
        EXPECT_FALSE(read) << r.says;
        EXPECT_NE(read.error().find(r.says), std::string::npos) << read.error();
    }
}

}  // namespace
