// Writes the starting corpora of the fuzz targets: small JPEG files of every
// kind the decoder meets (grey, colour, progressive, arithmetic coding,
// restart markers, CMYK) and their damaged forms (cut short, claiming a
// huge size), and texts for the numeric editor.
//
//   make_seeds JPEG_FOLDER NUMBER_FOLDER
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

using Bytes = std::vector<unsigned char>;

void save(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

Bytes encode(int components, J_COLOR_SPACE space, const std::function<void(jpeg_compress_struct&)>& tune)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = 24;
    info.image_height = 16;
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 75, TRUE);
    tune(info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(24 * components));
    while (info.next_scanline < info.image_height) {
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = static_cast<JSAMPLE>((i * 11 + info.next_scanline * 17) & 0xFF);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(out, out + size);
    std::free(out);
    return bytes;
}

Bytes withSize(Bytes jpeg, unsigned width, unsigned height)
{
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xC0 && jpeg[i + 1] <= 0xCB && jpeg[i + 1] != 0xC4 && jpeg[i + 1] != 0xC8) {
            jpeg[i + 5] = static_cast<unsigned char>(height >> 8);
            jpeg[i + 6] = static_cast<unsigned char>(height);
            jpeg[i + 7] = static_cast<unsigned char>(width >> 8);
            jpeg[i + 8] = static_cast<unsigned char>(width);
            break;
        }
    }
    return jpeg;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_seeds JPEG_FOLDER NUMBER_FOLDER\n");
        return 2;
    }
    const std::filesystem::path jpegs = argv[1];
    const std::filesystem::path numbers = argv[2];
    std::filesystem::create_directories(jpegs);
    std::filesystem::create_directories(numbers);

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
    save(jpegs / "huge.jpg", withSize(colour, 65500, 65500));
    save(jpegs / "at-the-limit.jpg", withSize(colour, 16384, 1024));
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
    return 0;
}
