#include "imaging/jpeg_file.h"

#include "support/crafted_jpeg.h"

#include <gtest/gtest.h>

#include <jpeglib.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "quintalis-jpeg-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { fs::remove_all(m_path); }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    fs::path m_path;
};

void writeBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A real JPEG of a small picture with a colour gradient, as this program writes it.
Bytes smallJpeg(const TempFolder& folder)
{
    imaging::PixelBuffer picture(48, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x)
            picture.setPixel(x, y, {static_cast<std::uint8_t>(x * 5), static_cast<std::uint8_t>(y * 7), 90});
    const std::string path = folder / "source.jpg";
    EXPECT_TRUE(imaging::WriteJpeg(picture, path));
    return readBytes(path);
}

// The same file claiming another size in its frame header.
Bytes withSize(const Bytes& jpeg, unsigned width, unsigned height)
{
    bool found = false;
    Bytes claimed = testing_support::WithClaimedSize(jpeg, width, height, &found);
    EXPECT_TRUE(found) << "no frame header";
    return claimed;
}

// Scrambles the coded picture data after the scan header.
Bytes withScrambledData(Bytes jpeg)
{
    for (std::size_t i = jpeg.size() / 2; i + 2 < jpeg.size(); i += 3)
        jpeg[i] = static_cast<unsigned char>(jpeg[i] * 31 + 7) == 0xFF ? 0x00 : static_cast<unsigned char>(jpeg[i] * 31 + 7);
    return jpeg;
}

// A 16 x 16 JPEG made directly with libjpeg, `tune` changing its settings.
Bytes encoded(int components, J_COLOR_SPACE space, const std::function<void(jpeg_compress_struct&)>& tune = {})
{
    return testing_support::CraftJpeg(16, 16, components, space, tune);
}

// A valid progressive file of 190 scans: the DC of all three colours, then
// each of the 63 other coefficients of each colour alone.
Bytes manyScans()
{
    static std::vector<jpeg_scan_info> scans;
    scans.clear();
    scans.push_back({3, {0, 1, 2, 0}, 0, 0, 0, 0});
    for (int k = 1; k < 64; ++k)
        for (int c = 0; c < 3; ++c)
            scans.push_back({1, {c, 0, 0, 0}, k, k, 0, 0});
    return encoded(3, JCS_RGB, [](jpeg_compress_struct& info) {
        info.scan_info = scans.data();
        info.num_scans = static_cast<int>(scans.size());
    });
}

// ---- Reading ----------------------------------------------------------------

TEST(ReadJpeg, ReadsWhatWasWritten)
{
    TempFolder folder;
    writeBytes(folder / "planet.jpg", smallJpeg(folder));
    const base::Result<imaging::PixelBuffer> read = imaging::ReadJpeg(folder / "planet.jpg");
    ASSERT_TRUE(read) << read.error();
    EXPECT_EQ(read.error(), "");
    EXPECT_EQ(read->width(), 48);
    EXPECT_EQ(read->height(), 32);
    const imaging::Rgb p = read->pixel(40, 20);
    EXPECT_NEAR(p.red, 200, 8);
    EXPECT_NEAR(p.green, 140, 8);
    EXPECT_NEAR(p.blue, 90, 8);
}

TEST(ReadJpeg, RefusesBadFilesWithAMessageNamingTheFile)
{
    TempFolder folder;
    const Bytes good = smallJpeg(folder);
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
        const char* says;
    };
    const auto file = [](Bytes bytes) { return [bytes](const std::string& path) { writeBytes(path, bytes); }; };
    const Case cases[] = {
        {"missing", [](const std::string&) {}, "does not exist"},
        {"folder", [](const std::string& path) { fs::create_directory(path); }, "is a folder"},
        // Opening a pipe for reading waits for a writer: it must not be opened.
        {"pipe", [](const std::string& path) { ::mkfifo(path.c_str(), 0600); }, "not a regular file"},
        {"empty", file({}), "is empty"},
        {"text", file(Bytes{'h', 'e', 'l', 'l', 'o', '\n'}), "not a picture this program reads"},
        {"png", file(Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}), "not a picture this program reads"},
        {"only the start marker", file(Bytes{0xFF, 0xD8}), "is damaged"},
        {"cut in half", file(Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2))), "is damaged"},
        {"scrambled data", file(withScrambledData(good)), "is damaged"},
        {"CMYK", file(encoded(4, JCS_CMYK)), "CMYK JPEG files are not supported"},
        // Each scan passes over the whole picture: thousands of tiny ones
        // would take minutes.
        {"190 scans", file(manyScans()), "more than 32 scans"},
        // Sizes are refused from the header, before anything is decoded.
        {"65500 x 65500", file(withSize(good, 65500, 65500)), "16384 pixels a side"},
        {"65472 x 32736", file(withSize(good, 65472, 32736)), "16384 pixels a side"},
        {"16384 x 2048", file(withSize(good, 16384, 2048)), "16 megapixels"},
        // At the limit the size is accepted; the missing data then stops it.
        {"16384 x 1024, data of 48 x 32", file(withSize(good, 16384, 1024)), "is damaged"},
    };
    for (const Case& c : cases) {
        const std::string path = folder / (std::string(c.what) + ".jpg");
        c.make(path);
        const base::Result<imaging::PixelBuffer> read = imaging::ReadJpeg(path);
        EXPECT_FALSE(read) << c.what;
        EXPECT_NE(read.error().find(c.says), std::string::npos) << c.what << ": " << read.error();
        EXPECT_NE(read.error().find(path), std::string::npos) << c.what << ": " << read.error();
    }
}

// ---- Writing ----------------------------------------------------------------

TEST(WriteJpeg, WritesThroughLinksPipesAndDevicesWithoutReplacingThem)
{
    TempFolder folder;
    const imaging::PixelBuffer picture(8, 8);

    const std::string link = folder / "link.jpg";
    fs::create_symlink("target.jpg", link);
    EXPECT_TRUE(imaging::WriteJpeg(picture, link));
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(imaging::ReadJpeg(folder / "target.jpg"));

    // The picture fits the pipe's buffer, so it is all there once written.
    const std::string pipe = folder / "pipe.jpg";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_TRUE(imaging::WriteJpeg(picture, pipe));
    ASSERT_TRUE(fs::is_fifo(pipe));
    unsigned char start[2] = {};
    EXPECT_EQ(::read(reader, start, 2), 2);
    EXPECT_EQ(start[0], 0xFF);
    EXPECT_EQ(start[1], 0xD8);
    ::close(reader);

    EXPECT_TRUE(imaging::WriteJpeg(picture, "/dev/null"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    const std::string full = imaging::WriteJpeg(picture, "/dev/full").error();
    EXPECT_NE(full.find("/dev/full: no space left on the device"), std::string::npos) << full;
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / ""), fs::directory_iterator()), 3);
}

}  // namespace
