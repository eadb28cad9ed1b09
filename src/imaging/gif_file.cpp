#include "imaging/gif_file.h"

#include "imaging/file_output.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

namespace imaging {

namespace {

constexpr int kMaxColours = 256;

// A picture in shades of grey: the palette is the 256 greys and each pixel's
// index its level. False for a picture of any other colour.
bool greyPalette(const PixelBuffer& picture, PalettePicture& out)
{
    const std::uint8_t* p = picture.data();
    const std::size_t count = out.indices.size();
    for (std::size_t n = 0; n < count; ++n, p += 3) {
        if (p[0] != p[1] || p[0] != p[2])
            return false;
        out.indices[n] = p[0];
    }
    out.palette.resize(kMaxColours);
    for (int level = 0; level < kMaxColours; ++level) {
        const auto v = static_cast<std::uint8_t>(level);
        out.palette[static_cast<std::size_t>(level)] = {v, v, v};
    }
    return true;
}

// The colours of a picture that has at most 256 of them, in the order they
// first appear, with each pixel's index; false as soon as a 257th turns up.
// An open-addressing table four times the palette keeps every look-up short,
// and the last colour is remembered because pictures come in runs.
bool exactPalette(const PixelBuffer& picture, PalettePicture& out)
{
    if (greyPalette(picture, out))
        return true;
    constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    constexpr int kSlotBits = 10;
    std::array<std::uint32_t, 1u << kSlotBits> keys;
    std::array<std::uint8_t, 1u << kSlotBits> slots{};
    keys.fill(kEmpty);

    const std::uint8_t* p = picture.data();
    std::uint32_t lastKey = kEmpty;
    std::uint8_t lastIndex = 0;
    for (std::size_t n = 0; n < out.indices.size(); ++n, p += 3) {
        const std::uint32_t key = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
        if (key != lastKey) {
            std::uint32_t slot = (key * 2654435761u) >> (32 - kSlotBits);
            while (keys[slot] != key && keys[slot] != kEmpty)
                slot = (slot + 1) & ((1u << kSlotBits) - 1);
            if (keys[slot] == kEmpty) {
                if (out.palette.size() == kMaxColours)
                    return false;
                keys[slot] = key;
                slots[slot] = static_cast<std::uint8_t>(out.palette.size());
                out.palette.push_back({p[0], p[1], p[2]});
            }
            lastKey = key;
            lastIndex = slots[slot];
        }
        out.indices[n] = lastIndex;
    }
    return true;
}

// Median cut of a picture of many colours to at most 256 boxes of colours, by
// giflib's quantizer. Each palette entry is the mean of the pixels in its box:
// the quantizer's own entries are means of colours cut to 5 bits, which
// leaves them about 4 levels too dark.
bool medianCutPalette(const PixelBuffer& picture, std::vector<Rgb>& palette)
{
    const std::size_t count = static_cast<std::size_t>(picture.width()) * picture.height();
    std::vector<GifByteType> red(count), green(count), blue(count), boxes(count);
    const std::uint8_t* p = picture.data();
    for (std::size_t n = 0; n < count; ++n, p += 3) {
        red[n] = p[0];
        green[n] = p[1];
        blue[n] = p[2];
    }
    std::array<GifColorType, kMaxColours> map{};
    int size = kMaxColours;
    if (GifQuantizeBuffer(static_cast<unsigned>(picture.width()), static_cast<unsigned>(picture.height()), &size,
                          red.data(), green.data(), blue.data(), boxes.data(), map.data())
        != GIF_OK)
        return false;
    std::vector<std::array<std::uint64_t, 4>> sums(static_cast<std::size_t>(size));
    for (std::size_t n = 0; n < count; ++n) {
        std::array<std::uint64_t, 4>& sum = sums[boxes[n]];
        sum[0] += red[n];
        sum[1] += green[n];
        sum[2] += blue[n];
        ++sum[3];
    }
    palette.clear();
    for (const std::array<std::uint64_t, 4>& sum : sums) {
        if (sum[3] == 0)
            continue;
        const auto mean = [&](int c) { return static_cast<std::uint8_t>((sum[c] + sum[3] / 2) / sum[3]); };
        palette.push_back({mean(0), mean(1), mean(2)});
    }
    return true;
}

// The palette entry nearest to each colour, looked up once for each colour at
// 6 bits a channel and remembered.
class NearestColour {
public:
    explicit NearestColour(const std::vector<Rgb>& palette) : m_palette(palette), m_found(1u << 18, kUnknown) {}

    std::uint8_t operator()(int red, int green, int blue)
    {
        const std::uint32_t key = (static_cast<std::uint32_t>(red >> 2) << 12)
                                  | (static_cast<std::uint32_t>(green >> 2) << 6) | static_cast<std::uint32_t>(blue >> 2);
        if (m_found[key] == kUnknown)
            m_found[key] = search(red, green, blue);
        return static_cast<std::uint8_t>(m_found[key]);
    }

private:
    static constexpr std::uint16_t kUnknown = 0xFFFF;

    std::uint16_t search(int red, int green, int blue) const
    {
        std::uint16_t best = 0;
        int bestDistance = 1 << 30;
        for (std::size_t i = 0; i < m_palette.size(); ++i) {
            const int dr = red - m_palette[i].red;
            const int dg = green - m_palette[i].green;
            const int db = blue - m_palette[i].blue;
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = static_cast<std::uint16_t>(i);
            }
        }
        return best;
    }

    const std::vector<Rgb>& m_palette;
    std::vector<std::uint16_t> m_found;
};

// Each pixel becomes the palette colour nearest to it plus the error left by
// its neighbours before it (Floyd-Steinberg), so that smooth shading keeps its
// mean brightness and colour instead of breaking into bands.
void diffuse(const PixelBuffer& picture, PalettePicture& out)
{
    const int width = picture.width();
    NearestColour nearest(out.palette);
    // Errors of this row and the next, three channels, one spare pixel each side.
    std::vector<float> here(static_cast<std::size_t>(width + 2) * 3, 0.0f);
    std::vector<float> next(here.size(), 0.0f);
    for (int y = 0; y < picture.height(); ++y) {
        std::fill(next.begin(), next.end(), 0.0f);
        const std::uint8_t* p = picture.data() + static_cast<std::size_t>(y) * picture.stride();
        for (int x = 0; x < width; ++x) {
            float* e = &here[static_cast<std::size_t>(x + 1) * 3];
            int want[3];
            for (int c = 0; c < 3; ++c)
                want[c] = std::clamp(static_cast<int>(std::lround(p[x * 3 + c] + e[c])), 0, 255);
            const std::uint8_t index = nearest(want[0], want[1], want[2]);
            out.indices[static_cast<std::size_t>(y) * width + x] = index;
            const Rgb got = out.palette[index];
            const int have[3] = {got.red, got.green, got.blue};
            for (int c = 0; c < 3; ++c) {
                const float error = static_cast<float>(want[c] - have[c]);
                e[3 + c] += error * (7.0f / 16.0f);
                next[static_cast<std::size_t>(x) * 3 + c] += error * (3.0f / 16.0f);
                next[static_cast<std::size_t>(x + 1) * 3 + c] += error * (5.0f / 16.0f);
                next[static_cast<std::size_t>(x + 2) * 3 + c] += error * (1.0f / 16.0f);
            }
        }
        std::swap(here, next);
    }
}

// The LZW code stream of a GIF picture: `indices` compressed with codes of
// minCodeSize + 1 up to 12 bits, starting with a clear code and ending with
// the end code, packed into bytes from the lowest bit up. It follows giflib's
// own compressor code for code (the same widening and the same clear when the
// table is full) but finds its strings in a hash table of its own, sparse
// enough that a look-up rarely takes a second step. The loop keeps all its
// state in locals (a member written through a byte pointer would be read back
// from memory after every store) and writes the codes eight bytes at a time
// into room made beforehand.
class LzwEncoder {
public:
    //! The code stream of `indices`, pixels of minCodeSize bits (2..8); valid
    //! until the next call.
    const std::vector<std::uint8_t>& encode(const std::vector<std::uint8_t>& indices, int minCodeSize)
    {
        const std::uint32_t clear = 1u << minCodeSize;
        const std::uint32_t end = clear + 1;
        const std::size_t count = indices.size();
        // At most one code a pixel, a clear code for each full table (one
        // every 4095 - 258 codes at least) and the first clear and the end;
        // each of at most 12 bits, and 8 bytes of slack for the last store.
        // The room is kept from one picture to the next.
        const std::size_t codes = count + count / 2048 + 4;
        m_out.resize(codes * 12 / 8 + 16);
        std::uint8_t* out = m_out.data();
        std::uint64_t buffer = 0;
        std::uint32_t used = 0;
        std::uint32_t bits = static_cast<std::uint32_t>(minCodeSize) + 1;
        std::uint32_t next = end + 1;
        std::uint32_t* const slots = m_slots.data();
        std::fill(m_slots.begin(), m_slots.end(), kEmpty);
        // A code of the current width; the width grows once the next code to
        // be made no longer fits in it, as giflib does it.
        const auto put = [&](std::uint32_t code) {
            buffer |= static_cast<std::uint64_t>(code) << used;
            used += bits;
            std::memcpy(out, &buffer, sizeof buffer);
            out += used >> 3;
            buffer >>= used & ~7u;
            used &= 7;
            if ((next >> bits) != 0 && bits < 12)
                ++bits;
        };
        put(clear);
        if (count > 0) {
            const std::uint8_t* const pixels = indices.data();
            std::uint32_t current = pixels[0];
            for (std::size_t i = 1; i < count; ++i) {
                const std::uint32_t pixel = pixels[i];
                const std::uint32_t key = (current << 8) | pixel;
                std::uint32_t slot = (key * 2654435761u) >> (32 - kSlotBits);
                std::uint32_t entry = slots[slot];
                while (entry != kEmpty && (entry & kKeyMask) != key) {
                    slot = (slot + 1) & (kSlots - 1);
                    entry = slots[slot];
                }
                if (entry != kEmpty) {
                    current = entry >> kKeyBits;
                    continue;
                }
                put(current);
                if (next >= kLastCode) {
                    put(clear);
                    next = end + 1;
                    bits = static_cast<std::uint32_t>(minCodeSize) + 1;
                    std::fill(m_slots.begin(), m_slots.end(), kEmpty);
                } else {
                    slots[slot] = key | (next++ << kKeyBits);
                }
                current = pixel;
            }
            put(current);
        }
        put(end);
        m_out.resize(static_cast<std::size_t>(out - m_out.data()) + (used > 0 ? 1 : 0));
        return m_out;
    }

private:
    static constexpr std::uint32_t kLastCode = 4095;
    static constexpr int kSlotBits = 14;
    static constexpr std::uint32_t kSlots = 1u << kSlotBits;
    // A slot holds a string's key (its prefix code x 256 + its last pixel,
    // 20 bits) and, above, its code (12 bits): one look-up reads both. Codes
    // stay below 4095, so no key is all ones and all ones marks an empty slot.
    static constexpr int kKeyBits = 20;
    static constexpr std::uint32_t kKeyMask = (1u << kKeyBits) - 1;
    static constexpr std::uint32_t kEmpty = ~0u;

    std::vector<std::uint32_t> m_slots = std::vector<std::uint32_t>(kSlots, kEmpty);
    std::vector<std::uint8_t> m_out;
};

struct CloseGif {
    void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};
struct FreeMap {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using GifPtr = std::unique_ptr<GifFileType, CloseGif>;
using MapPtr = std::unique_ptr<ColorMapObject, FreeMap>;

int appendBytes(GifFileType* gif, const GifByteType* data, int size)
{
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size));
    return size;
}

// A colour map of the palette, padded with black to the power of two a GIF
// colour table must have (at least 2 entries).
MapPtr colourMap(const std::vector<Rgb>& palette)
{
    int size = 2;
    while (size < static_cast<int>(palette.size()))
        size *= 2;
    std::array<GifColorType, kMaxColours> colours{};
    for (std::size_t i = 0; i < palette.size(); ++i)
        colours[i] = {palette[i].red, palette[i].green, palette[i].blue};
    return MapPtr(GifMakeMapObject(size, colours.data()));
}

std::string gifError(int code)
{
    const char* text = GifErrorString(code);
    return text ? text : "the GIF encoder failed";
}

}  // namespace

PalettePicture ReduceToPalette(const PixelBuffer& picture)
{
    PalettePicture out;
    out.width = picture.width();
    out.height = picture.height();
    out.indices.resize(static_cast<std::size_t>(out.width) * out.height);
    if (out.indices.empty() || exactPalette(picture, out))
        return out;
    if (medianCutPalette(picture, out.palette)) {
        diffuse(picture, out);
        return out;
    }
    // The quantizer only fails when it cannot get memory.
    throw std::bad_alloc();
}

base::Result<std::string> AnimatedGif::encode() const
{
    if (m_frames.empty())
        return base::Fail("there is no frame");
    int width = 0;
    int height = 0;
    for (const PalettePicture& f : m_frames) {
        width = std::max(width, f.width);
        height = std::max(height, f.height);
    }

    // The first frame uses the global colours; later ones bring their own.
    const MapPtr global = colourMap(m_frames.front().palette);
    std::vector<MapPtr> locals(m_frames.size());
    for (std::size_t i = 1; i < m_frames.size(); ++i) {
        locals[i] = colourMap(m_frames[i].palette);
        if (!locals[i])
            return base::Fail(gifError(E_GIF_ERR_NOT_ENOUGH_MEM));
    }
    if (!global)
        return base::Fail(gifError(E_GIF_ERR_NOT_ENOUGH_MEM));
    // Each frame's codes depend on that frame alone: they are made at once.
    std::vector<std::vector<std::uint8_t>> codes(m_frames.size());
    optics::InOrder inOrder;
    (m_loops ? *m_loops : static_cast<optics::LoopRunner&>(inOrder))
        .run(static_cast<int>(m_frames.size()), [&](int first, int last) {
            LzwEncoder lzw;
            for (int i = first; i < last; ++i) {
                const ColorMapObject* map = i == 0 ? global.get() : locals[static_cast<std::size_t>(i)].get();
                codes[static_cast<std::size_t>(i)] = lzw.encode(m_frames[static_cast<std::size_t>(i)].indices, std::max(2, map->BitsPerPixel));
            }
        });

    // Room for the whole file at once: the codes with a length byte for each
    // block of 255, and for each frame its colours and blocks.
    std::size_t size = 1024;
    for (std::size_t i = 0; i < m_frames.size(); ++i)
        size += codes[i].size() + codes[i].size() / 255 + 3 * kMaxColours + 64;
    std::string bytes;
    bytes.reserve(size);
    int code = 0;
    GifPtr gif(EGifOpen(&bytes, appendBytes, &code));
    if (!gif)
        return base::Fail(gifError(code));
    EGifSetGifVersion(gif.get(), true);
    if (EGifPutScreenDesc(gif.get(), width, height, 8, 0, global.get()) != GIF_OK)
        return base::Fail(gifError(gif->Error));
    if (m_loop) {
        // The application block viewers take for "repeat for ever".
        GifByteType repeat[3] = {1, 0, 0};
        if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) != GIF_OK
            || EGifPutExtensionBlock(gif.get(), 11, "NETSCAPE2.0") != GIF_OK
            || EGifPutExtensionBlock(gif.get(), 3, repeat) != GIF_OK || EGifPutExtensionTrailer(gif.get()) != GIF_OK)
            return base::Fail(gifError(gif->Error));
    }
    GraphicsControlBlock timing{};
    timing.DisposalMode = DISPOSAL_UNSPECIFIED;
    timing.UserInputFlag = false;
    timing.DelayTime = kFrameDelayCentiseconds;
    timing.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType timingBlock[4];
    EGifGCBToExtension(&timing, timingBlock);
    std::array<GifByteType, 256> block{};
    for (std::size_t i = 0; i < m_frames.size(); ++i) {
        const PalettePicture& f = m_frames[i];
        const MapPtr& local = locals[i];
        if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, 4, timingBlock) != GIF_OK)
            return base::Fail(gifError(gif->Error));
        if (EGifPutImageDesc(gif.get(), 0, 0, f.width, f.height, false, local.get()) != GIF_OK)
            return base::Fail(gifError(gif->Error));
        // The image descriptor has written the code size of the colour map
        // in use; the codes follow in blocks of at most 255 bytes.
        const std::vector<std::uint8_t>& frameCodes = codes[i];
        for (std::size_t at = 0; at < frameCodes.size(); at += 255) {
            const std::size_t length = std::min<std::size_t>(255, frameCodes.size() - at);
            block[0] = static_cast<GifByteType>(length);
            std::copy_n(frameCodes.begin() + static_cast<std::ptrdiff_t>(at), length, block.begin() + 1);
            const int put = at == 0 ? EGifPutCode(gif.get(), 0, block.data()) : EGifPutCodeNext(gif.get(), block.data());
            if (put != GIF_OK)
                return base::Fail(gifError(gif->Error));
        }
        if (EGifPutCodeNext(gif.get(), nullptr) != GIF_OK)
            return base::Fail(gifError(gif->Error));
    }
    if (EGifCloseFile(gif.release(), &code) != GIF_OK)
        return base::Fail(gifError(code));
    return bytes;
}

base::Status AnimatedGif::write(const std::string& path) const
{
    try {
        const base::Result<std::string> bytes = encode();
        if (!bytes)
            return base::Fail("cannot write " + path + ": " + bytes.error());
        return WriteFile(path, *bytes);
    } catch (const std::bad_alloc&) {
        return base::Fail("cannot write " + path + ": not enough memory");
    }
}

}  // namespace imaging
