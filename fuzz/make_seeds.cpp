// Writes the starting corpora of the fuzz targets: small JPEG files of every
// kind the decoder meets (grey, colour, progressive, arithmetic coding,
// restart markers, CMYK) and their damaged forms (cut short, claiming a
// huge size), BMP files of every kind the BMP reader takes and damaged ones,
// and texts for the numeric editor.
//
//   make_seeds JPEG_FOLDER NUMBER_FOLDER BMP_FOLDER
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/crafted_bmp.h"
#include "support/crafted_jpeg.h"

namespace {

using Bytes = testing_support::JpegBytes;

void save(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// 24 x 16 at quality 75, with a pattern that gives every block some detail.
Bytes encode(int components, J_COLOR_SPACE space, const std::function<void(jpeg_compress_struct&)>& tune)
{
    return testing_support::CraftJpeg(
        24, 16, components, space,
        [&tune](jpeg_compress_struct& info) {
            jpeg_set_quality(&info, 75, TRUE);
            tune(info);
        },
        [components](JSAMPLE* row, int y) {
            for (std::size_t i = 0; i < static_cast<std::size_t>(24 * components); ++i)
                row[i] = static_cast<JSAMPLE>((i * 11 + static_cast<std::size_t>(y) * 17) & 0xFF);
        });
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_seeds JPEG_FOLDER NUMBER_FOLDER BMP_FOLDER\n");
        return 2;
    }
    const std::filesystem::path jpegs = argv[1];
    const std::filesystem::path numbers = argv[2];
    const std::filesystem::path bitmaps = argv[3];
    std::filesystem::create_directories(jpegs);
    std::filesystem::create_directories(numbers);
    std::filesystem::create_directories(bitmaps);

    const auto none = [](jpeg_compress_struct&) {};
    const Bytes colour = encode(3, JCS_RGB, none);
    save(jpegs / "colour.jpg", colour);
    save(jpegs / "grey.jpg", encode(1, JCS_GRAYSCALE, none));
    save(jpegs / "progressive.jpg", encode(3, JCS_RGB, [](jpeg_compress_struct& i) { jpeg_simple_progression(&i); }));
    save(jpegs / "arithmetic.jpg", encode(3, JCS_RGB, [](jpeg_compress_struct& i) { i.arith_code = TRUE; }));
    save(jpegs / "restarts.jpg", encode(3, JCS_RGB, [](jpeg_compress_struct& i) { i.restart_interval = 1; }));
    save(jpegs / "full-chroma.jpg", encode(3, JCS_RGB, [](jpeg_compress_struct& i) {
             for (int c = 0; c < 3; ++c)
                 i.comp_info[c].h_samp_factor = i.comp_info[c].v_samp_factor = 1;
         }));
    save(jpegs / "cmyk.jpg", encode(4, JCS_CMYK, none));
    save(jpegs / "cut-short.jpg", Bytes(colour.begin(), colour.begin() + static_cast<long>(colour.size() * 2 / 3)));
    save(jpegs / "huge.jpg", testing_support::WithClaimedSize(colour, 65500, 65500));
    save(jpegs / "at-the-limit.jpg", testing_support::WithClaimedSize(colour, 16384, 1024));
    save(jpegs / "empty-picture.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xD9});

    // The first two bytes choose the editor's settings and locale.
    const char* const texts[] = {"0.5", "-12", "1,5", "1.5e3", "1e400", "-0", "+.", "e", " 42 ", "99999999999999999999",
                                 "0.99", "1.0", "\xd9\xa3\xd9\xab\xd9\xa5", "12,345.6", "--1", "nan", "inf", ""};
    int n = 0;
    for (const char* text : texts) {
        const std::string t(text);
        for (unsigned char settings : {0x04, 0x01, 0x24, 0x45, 0xA4, 0xE0}) {
            Bytes bytes{settings, static_cast<unsigned char>(n % 8)};
            bytes.insert(bytes.end(), t.begin(), t.end());
            save(numbers / ("text-" + std::to_string(n++)), bytes);
        }
    }

    // Bitmaps: the damaged ones, a valid one that ends its codes early, and
    // small valid ones of each kind.
    using testing_support::BmpBytes;
    using testing_support::CraftBmp;
    for (const testing_support::DamagedBmp& file : testing_support::DamagedBmps())
        save(bitmaps / file.name, file.bytes);
    save(bitmaps / "end-of-bitmap.bmp", testing_support::EndOfBitmapRle8());
    const std::vector<std::uint32_t>& palette = testing_support::kBmpPalette;
    const BmpBytes rows(64, 0x21);
    save(bitmaps / "1-bit.bmp", CraftBmp({.width = 9, .height = 3, .bits = 1, .palette = palette, .pixels = rows}));
    save(bitmaps / "4-bit.bmp", CraftBmp({.width = 5, .height = 3, .bits = 4, .palette = palette, .pixels = rows}));
    save(bitmaps / "8-bit-top-down.bmp",
         CraftBmp({.width = 3, .height = -3, .bits = 8, .palette = palette, .pixels = BmpBytes(12, 2)}));
    save(bitmaps / "16-bit-565.bmp", CraftBmp({.width = 3, .height = 3, .bits = 16, .compression = 3,
                                               .masks = {0xf800, 0x07e0, 0x001f}, .pixels = rows}));
    save(bitmaps / "24-bit.bmp", CraftBmp({.width = 3, .height = 3, .bits = 24, .pixels = rows}));
    save(bitmaps / "32-bit.bmp", CraftBmp({.width = 3, .height = 3, .bits = 32, .pixels = rows}));
    save(bitmaps / "core-24-bit.bmp", CraftBmp({.width = 3, .height = 3, .bits = 24, .headerBytes = 12,
                                                .pixels = rows}));
    save(bitmaps / "4-bit-runs.bmp", CraftBmp({.width = 6, .height = 2, .bits = 4, .compression = 2,
                                               .palette = palette,
                                               .pixels = {3, 0x12, 0, 3, 0x31, 0x20, 0, 0, 0, 2, 1, 0, 5, 0x33,
                                                          0, 1}}));
    return 0;
}
