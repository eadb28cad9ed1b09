#include "imaging/gif_file.h"
#include "support/three_threads.h"

#include <gif_lib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>

namespace {

using Paint = std::function<imaging::Rgb(int x, int y)>;

imaging::PixelBuffer picture(int width, int height, const Paint& paint)
{
    imaging::PixelBuffer p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, paint(x, y));
    return p;
}

imaging::Rgb grey(int level)
{
    const auto v = static_cast<std::uint8_t>(level);
    return {v, v, v};
}

// A star-like grey picture: rings round the middle, `seed` moving them.
imaging::PixelBuffer rings(int seed)
{
    return picture(256, 256, [seed](int x, int y) {
        const double r = std::hypot(x - 128, y - 128);
        return grey(static_cast<int>(127.5 + 127.5 * std::cos(r / (3.0 + seed))));
    });
}

// Smooth shading over many colours, like the lit face of a planet.
imaging::PixelBuffer shading()
{
    return picture(257, 257, [](int x, int y) {
        const double light = 0.35 + 0.65 * std::sin(x / 256.0 * 3.0) * std::cos((y - 128) / 256.0 * 2.0);
        return imaging::Rgb{static_cast<std::uint8_t>(250 * light), static_cast<std::uint8_t>(150 * light + 50 * y / 256.0),
                            static_cast<std::uint8_t>(90 * light * light + 30 * x / 256.0)};
    });
}

// The file read back with giflib's own decoder.
struct ReadBack {
    GifFileType* gif = nullptr;
    explicit ReadBack(const std::string& bytes) : data(bytes)
    {
        int error = 0;
        gif = DGifOpen(this, &ReadBack::input, &error);
        if (gif && DGifSlurp(gif) != GIF_OK) {
            DGifCloseFile(gif, &error);
            gif = nullptr;
        }
    }
    ~ReadBack()
    {
        if (gif)
            DGifCloseFile(gif, nullptr);
    }
    imaging::Rgb pixel(int frame, int x, int y) const
    {
        const SavedImage& image = gif->SavedImages[frame];
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        const GifColorType c = map->Colors[image.RasterBits[y * image.ImageDesc.Width + x]];
        return {c.Red, c.Green, c.Blue};
    }

    std::string data;
    std::size_t at = 0;

private:
    static int input(GifFileType* gif, GifByteType* out, int size)
    {
        auto* self = static_cast<ReadBack*>(gif->UserData);
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), self->data.size() - self->at);
        std::memcpy(out, self->data.data() + self->at, n);
        self->at += n;
        return static_cast<int>(n);
    }
};

// Bytes giflib's decoder reads from.
struct Source {
    const std::string& data;
    std::size_t at = 0;
};

int readRaw(GifFileType* gif, GifByteType* out, int size)
{
    auto* from = static_cast<Source*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), from->data.size() - from->at);
    std::memcpy(out, from->data.data() + from->at, n);
    from->at += n;
    return static_cast<int>(n);
}

int appendRaw(GifFileType* gif, const GifByteType* data, int size)
{
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size));
    return size;
}

// The code size and code blocks of a file's first picture, as the file
// holds them (without their length bytes).
std::string firstPictureCodes(const std::string& bytes)
{
    Source source{bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, &readRaw, &error);
    if (!gif)
        return {};
    std::string codes;
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    while (DGifGetRecordType(gif, &record) == GIF_OK && record != TERMINATE_RECORD_TYPE) {
        GifByteType* block = nullptr;
        if (record == EXTENSION_RECORD_TYPE) {
            int function = 0;
            for (int ok = DGifGetExtension(gif, &function, &block); ok == GIF_OK && block;
                 ok = DGifGetExtensionNext(gif, &block)) {
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif) != GIF_OK)
            break;
        int codeSize = 0;
        if (DGifGetCode(gif, &codeSize, &block) != GIF_OK)
            break;
        codes.push_back(static_cast<char>(codeSize));
        while (block) {
            codes.append(reinterpret_cast<const char*>(block + 1), block[0]);
            if (DGifGetCodeNext(gif, &block) != GIF_OK)
                break;
        }
        break;
    }
    DGifCloseFile(gif, &error);
    return codes;
}

// The same picture compressed by giflib's own encoder, line by line.
std::string giflibFile(const imaging::PalettePicture& picture)
{
    std::string bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, &appendRaw, &error);
    std::vector<GifColorType> colours(256);
    for (std::size_t i = 0; i < picture.palette.size(); ++i)
        colours[i] = {picture.palette[i].red, picture.palette[i].green, picture.palette[i].blue};
    int size = 2;
    while (size < static_cast<int>(picture.palette.size()))
        size *= 2;
    ColorMapObject* map = GifMakeMapObject(size, colours.data());
    EGifPutScreenDesc(gif, picture.width, picture.height, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr);
    std::vector<GifPixelType> line(static_cast<std::size_t>(picture.width));
    for (int y = 0; y < picture.height; ++y) {
        std::copy_n(picture.indices.begin() + static_cast<std::ptrdiff_t>(y) * picture.width, picture.width, line.begin());
        EGifPutLine(gif, line.data(), picture.width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return bytes;
}

TEST(ReduceToPalette, KeepsFewColoursExactlyAndShadesManyClosely)
{
    // The worst error of a channel at a pixel, and of the mean of a channel
    // over a block of 8 x 8 pixels (what the eye sees of dithered shading).
    struct Case {
        const char* what;
        imaging::PixelBuffer picture;
        int maxPixelError;
        double maxBlockError;
    };
    const Case cases[] = {
        {"a grey star", rings(0), 0, 0.0},
        {"256 colours",
         picture(64, 64, [](int x, int y) { return imaging::Rgb{std::uint8_t((x % 16) * 17), std::uint8_t((y % 16) * 17), 7}; }),
         0, 0.0},
        {"a shaded planet", shading(), 40, 3.5},
    };
    for (const Case& c : cases) {
        const imaging::PalettePicture reduced = imaging::ReduceToPalette(c.picture);
        ASSERT_LE(reduced.palette.size(), 256u) << c.what;
        int worstPixel = 0;
        double worstBlock = 0.0;
        for (int by = 0; by + 8 <= c.picture.height(); by += 8) {
            for (int bx = 0; bx + 8 <= c.picture.width(); bx += 8) {
                int sums[3] = {};
                for (int y = by; y < by + 8; ++y) {
                    for (int x = bx; x < bx + 8; ++x) {
                        const imaging::Rgb a = c.picture.pixel(x, y);
                        const imaging::Rgb b = reduced.pixel(x, y);
                        const int d[3] = {a.red - b.red, a.green - b.green, a.blue - b.blue};
                        for (int k = 0; k < 3; ++k) {
                            worstPixel = std::max(worstPixel, std::abs(d[k]));
                            sums[k] += d[k];
                        }
                    }
                }
                for (const int sum : sums)
                    worstBlock = std::max(worstBlock, std::abs(sum) / 64.0);
            }
        }
        EXPECT_LE(worstPixel, c.maxPixelError) << c.what;
        EXPECT_LE(worstBlock, c.maxBlockError) << c.what;
    }
}

TEST(AnimatedGif, ReadsBackWithItsFramesInOrderTheirDelayAndTheLoopAsAsked)
{
    imaging::AnimatedGif gif;
    for (int seed = 0; seed < 3; ++seed)
        gif.addFrame(rings(seed));
    gif.addFrame(shading());
    // Three colours: the smallest code size.
    gif.addFrame(picture(64, 32, [](int x, int y) { return grey((x * y) % 3 * 100); }));
    const base::Result<std::string> bytes = gif.encode();
    ASSERT_TRUE(bytes) << bytes.error();
    const ReadBack back(*bytes);
    ASSERT_NE(back.gif, nullptr);
    ASSERT_EQ(back.gif->ImageCount, 5);
    EXPECT_EQ(back.gif->SWidth, 257);
    EXPECT_EQ(back.gif->SHeight, 257);
    // Every frame shown for 50 ms; no looping block unless asked for.
    for (int i = 0; i < back.gif->ImageCount; ++i) {
        GraphicsControlBlock timing{};
        ASSERT_EQ(DGifSavedExtensionToGCB(back.gif, i, &timing), GIF_OK) << "frame " << i;
        EXPECT_EQ(timing.DelayTime, 5) << "frame " << i;
        EXPECT_EQ(timing.TransparentColor, NO_TRANSPARENT_COLOR) << "frame " << i;
    }
    const auto loops = [](const GifFileType* file) {
        const SavedImage& first = file->SavedImages[0];
        for (int k = 0; k < first.ExtensionBlockCount; ++k)
            if (first.ExtensionBlocks[k].Function == APPLICATION_EXT_FUNC_CODE && first.ExtensionBlocks[k].ByteCount == 11
                && std::memcmp(first.ExtensionBlocks[k].Bytes, "NETSCAPE2.0", 11) == 0)
                return true;
        return false;
    };
    EXPECT_FALSE(loops(back.gif));
    // Frames compressed on several threads make the same file.
    testing_support::ThreeThreads threads;
    gif.setLoops(&threads);
    EXPECT_EQ(*gif.encode(), *bytes);
    gif.setLoop(true);
    const ReadBack looping(*gif.encode());
    ASSERT_NE(looping.gif, nullptr);
    EXPECT_TRUE(loops(looping.gif));
    // Every pixel comes back as it was reduced, and the grey frames as they
    // were drawn, in the order they were added.
    for (int i = 0; i < 5; ++i) {
        const SavedImage& image = back.gif->SavedImages[i];
        const imaging::PalettePicture& frame = gif.frame(i);
        ASSERT_EQ(image.ImageDesc.Width * image.ImageDesc.Height, static_cast<int>(frame.indices.size()));
        EXPECT_TRUE(std::equal(frame.indices.begin(), frame.indices.end(), image.RasterBits)) << "frame " << i;
    }
    for (int seed = 0; seed < 3; ++seed) {
        const imaging::PixelBuffer original = rings(seed);
        for (const auto& [x, y] : {std::pair{0, 0}, {128, 128}, {140, 131}, {255, 200}})
            EXPECT_EQ(back.pixel(seed, x, y), original.pixel(x, y)) << "frame " << seed << " at " << x << ", " << y;
    }
}

TEST(AnimatedGif, CompressesEachPictureToTheCodesOfGiflibsOwnEncoder)
{
    // Long runs of one colour (a star's dark sky) take the most pixels; runs
    // that outgrow the table of strings, or that begin after other strings,
    // must give the codes a plain look-up of each string gives.
    std::uint32_t seed = 12345;
    const auto noise = [&seed](int colours) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(colours));
    };
    struct Case {
        const char* what;
        imaging::PixelBuffer picture;
    };
    const Case cases[] = {
        {"a grey star", rings(1)},
        {"a shaded planet", shading()},
        {"one colour", picture(512, 512, [](int, int) { return grey(0); })},
        {"noise that fills the table, then a long run",
         picture(512, 512, [&](int, int y) { return grey(y < 40 || y > 400 ? noise(200) : y < 200 ? 0 : 255); })},
        {"runs of two colours growing longer",
         picture(512, 300, [](int x, int y) { return grey(((y * 512 + x) / (1 + y / 3)) % 2 * 255); })},
        {"runs of many colours: the table fills up within runs",
         picture(512, 512, [](int x, int y) { return grey((y * 512 + x) / 50 % 200); })},
        {"runs after other strings",
         picture(300, 300, [](int x, int y) { return grey(x % 37 < 3 ? x % 3 * 60 : (x + y) % 91 < 50 ? 200 : 30); })},
        {"three colours", picture(64, 32, [](int x, int y) { return grey((x * y) % 3 * 100); })},
        {"a single pixel", picture(1, 1, [](int, int) { return grey(9); })},
    };
    for (const Case& c : cases) {
        imaging::AnimatedGif gif;
        gif.addFrame(c.picture);
        const base::Result<std::string> bytes = gif.encode();
        ASSERT_TRUE(bytes) << c.what << ": " << bytes.error();
        const std::string ours = firstPictureCodes(*bytes);
        ASSERT_FALSE(ours.empty()) << c.what;
        const std::string theirs = firstPictureCodes(giflibFile(gif.frame(0)));
        const auto differ = std::mismatch(ours.begin(), ours.end(), theirs.begin(), theirs.end());
        EXPECT_TRUE(ours == theirs) << c.what << ": " << ours.size() << " and " << theirs.size()
                                    << " bytes, the first difference at byte " << (differ.first - ours.begin());
    }
}

}  // namespace
