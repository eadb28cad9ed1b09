// The BMP reader: every pixel of a picture it accepts comes from the file.
// A file whose pixel data ends early, or whose run-length codes run past the
// picture or stop in the middle of a code, is damaged; nothing is guessed.

#include "imaging/bmp_file.h"

#include "imaging/picture_file.h"

#include <bit>
#include <cstdint>
#include <new>
#include <vector>

namespace imaging {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
// The headers in use: the old core header, the info header and its versions
// with colour masks (52, 56), colour spaces (108) and profiles (124).
constexpr std::uint32_t kCoreHeader = 12;
constexpr std::uint32_t kInfoHeader = 40;

enum Compression : std::uint32_t {
    kNone = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kJpegInside = 4,
    kPngInside = 5,
    kAlphaBitFields = 6,
};

std::uint32_t get16(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8);
}

std::uint32_t get32(const std::uint8_t* p)
{
    return get16(p) | (get16(p + 2) << 16);
}

// A colour channel of a 16- or 32-bit pixel: where its bits are and how
// they become 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    //! False for a mask whose bits are not side by side.
    bool set(std::uint32_t m)
    {
        mask = m;
        if (m == 0)
            return true;
        shift = std::countr_zero(m);
        bits = std::popcount(m);
        return (m >> shift) == (bits == 32 ? 0xffffffffu : (1u << bits) - 1);
    }
    std::uint8_t level(std::uint32_t pixel) const
    {
        if (mask == 0)
            return 0;
        const std::uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8)
            return static_cast<std::uint8_t>(v >> (bits - 8));
        const std::uint32_t top = (1u << bits) - 1;
        return static_cast<std::uint8_t>((v * 255 + top / 2) / top);
    }
};

// What the headers say, checked against the file.
struct Layout {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    int bits = 0;
    std::uint32_t compression = kNone;
    Channel red, green, blue;
    std::vector<Rgb> palette;
    std::size_t pixelsAt = 0;
};

class Damaged {
public:
    explicit Damaged(std::string why) : m_why(std::move(why)) {}
    const std::string& why() const { return m_why; }

private:
    std::string m_why;
};

base::Failure damaged(const std::string& name, const std::string& detail)
{
    return base::Fail(CannotRead(name, "the file is damaged (" + detail + ")"));
}

base::Failure unsupported(const std::string& name, const std::string& what)
{
    return base::Fail(CannotRead(name, "it is a BMP file " + what + ", which this program does not read"));
}

std::uint64_t rowBytesOf(const Layout& l)
{
    return (static_cast<std::uint64_t>(l.width) * static_cast<std::uint64_t>(l.bits) + 31) / 32 * 4;
}

base::Result<Layout> readLayout(const std::uint8_t* data, std::size_t size, const std::string& name)
{
    Layout l;
    if (size < kFileHeaderBytes + 4 || data[0] != 'B' || data[1] != 'M')
        return damaged(name, "its header is cut short");
    const std::uint32_t headerBytes = get32(data + kFileHeaderBytes);
    const bool core = headerBytes == kCoreHeader;
    if (headerBytes < kCoreHeader)
        return damaged(name, "its header is too short to be one");
    if (size - kFileHeaderBytes < headerBytes)
        return damaged(name, "its header is cut short");
    if (!core && headerBytes != kInfoHeader && headerBytes != 52 && headerBytes != 56 && headerBytes != 108
        && headerBytes != 124)
        return unsupported(name, "with a header of " + std::to_string(headerBytes) + " bytes");
    const std::uint8_t* h = data + kFileHeaderBytes;
    std::size_t headersEnd = kFileHeaderBytes + headerBytes;
    if (core) {
        l.width = get16(h + 4);
        l.height = get16(h + 6);
        l.bits = static_cast<int>(get16(h + 10));
    } else {
        l.width = static_cast<std::int32_t>(get32(h + 4));
        l.height = static_cast<std::int32_t>(get32(h + 8));
        l.bits = static_cast<int>(get16(h + 14));
        l.compression = get32(h + 16);
    }
    // A negative height stores the rows top down.
    if (l.height < 0) {
        l.topDown = true;
        l.height = -l.height;
    }

    const std::string kind = "of " + std::to_string(l.bits) + " bits a pixel";
    switch (l.compression) {
    case kNone:
        if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 16 && l.bits != 24 && l.bits != 32)
            return unsupported(name, kind);
        break;
    case kRle8:
        if (l.bits != 8)
            return damaged(name, "8-bit run-length coding of " + std::to_string(l.bits) + "-bit pixels");
        break;
    case kRle4:
        if (l.bits != 4)
            return damaged(name, "4-bit run-length coding of " + std::to_string(l.bits) + "-bit pixels");
        break;
    case kBitFields:
    case kAlphaBitFields:
        if (l.bits != 16 && l.bits != 32)
            return unsupported(name, kind + " with colour masks");
        break;
    case kJpegInside:
        return unsupported(name, "holding a JPEG picture");
    case kPngInside:
        return unsupported(name, "holding a PNG picture");
    default:
        return unsupported(name, "of compression type " + std::to_string(l.compression));
    }

    // Where the red, green and blue of a 16- or 32-bit pixel are.
    std::uint32_t masks[3] = {0x7c00, 0x03e0, 0x001f};  // 5-5-5
    if (l.bits == 32) {
        masks[0] = 0xff0000;
        masks[1] = 0xff00;
        masks[2] = 0xff;
    }
    if (l.compression == kBitFields || l.compression == kAlphaBitFields) {
        // In the headers from 52 bytes on; after the info header otherwise.
        const std::uint8_t* m = h + kInfoHeader;
        if (headerBytes == kInfoHeader) {
            headersEnd += l.compression == kAlphaBitFields ? 16 : 12;
            if (size < headersEnd)
                return damaged(name, "its header is cut short");
        }
        for (int c = 0; c < 3; ++c)
            masks[c] = get32(m + 4 * c);
    }
    if (!l.red.set(masks[0]) || !l.green.set(masks[1]) || !l.blue.set(masks[2]))
        return damaged(name, "its colour masks are not runs of bits");

    if (const base::Status fits = CheckPictureSize(name, l.width, l.height); !fits)
        return base::Fail(fits.error());

    const std::uint32_t offset = get32(data + 10);
    if (offset < headersEnd)
        return damaged(name, "its pixel data would start inside its header");
    if (offset >= size)
        return damaged(name, "it ends before its pixel data");
    l.pixelsAt = offset;

    if (l.bits <= 8) {
        // The palette lies between the headers and the pixels; files may
        // give fewer colours than the depth allows.
        const std::size_t entryBytes = core ? 3 : 4;
        std::size_t count = std::size_t{1} << l.bits;
        if (!core) {
            if (const std::uint32_t used = get32(h + 32); used != 0 && used < count)
                count = used;
        }
        const std::size_t room = (offset - headersEnd) / entryBytes;
        if (room < count)
            count = room;
        if (count == 0)
            return damaged(name, "it has no palette");
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* e = data + headersEnd + i * entryBytes;
            l.palette.push_back({e[2], e[1], e[0]});
        }
    }
    if (l.compression != kRle8 && l.compression != kRle4) {
        // All the rows, before anything is set aside for them.
        const std::uint64_t needed = rowBytesOf(l) * static_cast<std::uint64_t>(l.height);
        if (needed > size - offset)
            return damaged(name, "its pixel data ends early: it holds " + std::to_string(size - offset) + " of "
                                     + std::to_string(needed) + " bytes");
    }
    return l;
}

// Uncompressed rows; readLayout saw that they are all in the file.
void decodeRows(const Layout& l, const std::uint8_t* data, PixelBuffer& picture)
{
    const auto width = static_cast<std::size_t>(l.width);
    const auto height = static_cast<int>(l.height);
    const std::uint64_t rowBytes = rowBytesOf(l);
    const std::size_t colours = l.palette.size();
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* in = data + l.pixelsAt + static_cast<std::size_t>(row) * rowBytes;
        const int y = l.topDown ? row : height - 1 - row;
        std::uint8_t* out = picture.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.stride());
        const auto set = [&out](std::size_t x, Rgb c) {
            out[3 * x] = c.red;
            out[3 * x + 1] = c.green;
            out[3 * x + 2] = c.blue;
        };
        switch (l.bits) {
        case 1:
        case 4:
        case 8: {
            const std::size_t perByte = 8 / static_cast<std::size_t>(l.bits);
            const std::uint32_t top = (1u << l.bits) - 1;
            for (std::size_t x = 0; x < width; ++x) {
                const auto shift = static_cast<unsigned>(8 - l.bits * static_cast<int>(x % perByte + 1));
                const std::size_t index = (in[x / perByte] >> shift) & top;
                if (index >= colours)
                    throw Damaged("a pixel has a colour its palette does not hold");
                set(x, l.palette[index]);
            }
            break;
        }
        case 16:
            for (std::size_t x = 0; x < width; ++x) {
                const std::uint32_t p = get16(in + 2 * x);
                set(x, {l.red.level(p), l.green.level(p), l.blue.level(p)});
            }
            break;
        case 24:
            for (std::size_t x = 0; x < width; ++x)
                set(x, {in[3 * x + 2], in[3 * x + 1], in[3 * x]});
            break;
        default:
            for (std::size_t x = 0; x < width; ++x) {
                const std::uint32_t p = get32(in + 4 * x);
                set(x, {l.red.level(p), l.green.level(p), l.blue.level(p)});
            }
            break;
        }
    }
}

// Run-length coded pixels (8 or 4 bits). The picture starts in the
// palette's first colour: codes may move on, end a row or end the bitmap
// early, and valid files do, leaving the pixels they skip in that colour.
// Every code must lie wholly within the file and its pixels within the
// picture.
void decodeRuns(const Layout& l, const std::uint8_t* data, std::size_t size, PixelBuffer& picture)
{
    const std::int64_t width = l.width;
    const std::int64_t height = l.height;
    const bool four = l.compression == kRle4;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, l.palette[0]);

    const auto put = [&](std::int64_t x, std::int64_t row, std::size_t index) {
        if (index >= l.palette.size())
            throw Damaged("a pixel has a colour its palette does not hold");
        const std::int64_t y = l.topDown ? row : height - 1 - row;
        picture.setPixel(static_cast<int>(x), static_cast<int>(y), l.palette[index]);
    };
    const auto fits = [&](std::int64_t x, std::int64_t row, std::int64_t count) {
        if (row >= height || x + count > width)
            throw Damaged("its run-length codes run past the picture");
    };

    std::int64_t x = 0;
    std::int64_t row = 0;  // as stored: from the first row of the file
    std::size_t at = l.pixelsAt;
    for (;;) {
        if (at == size) {
            // Codes that covered every row need no end mark.
            if (row >= height)
                return;
            throw Damaged("its pixel data ends early");
        }
        if (size - at < 2)
            throw Damaged("its pixel data stops in the middle of a code");
        const std::uint32_t count = data[at];
        const std::uint32_t value = data[at + 1];
        at += 2;
        if (count > 0) {
            // A run of one index, or of two alternating ones in 4 bits.
            fits(x, row, count);
            for (std::uint32_t i = 0; i < count; ++i)
                put(x + i, row, four ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
            x += count;
            continue;
        }
        if (value == 0) {  // end of the row
            x = 0;
            if (++row > height)
                throw Damaged("its run-length codes run past the picture");
        } else if (value == 1) {  // end of the bitmap
            return;
        } else if (value == 2) {  // move right and up
            if (size - at < 2)
                throw Damaged("its pixel data stops in the middle of a code");
            x += data[at];
            row += data[at + 1];
            at += 2;
            if (x > width || row > height || (row == height && x > 0))
                throw Damaged("its run-length codes run past the picture");
        } else {
            // Indexes as they stand, padded to an even number of bytes.
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            const std::size_t padded = bytes + (bytes & 1);
            if (size - at < padded)
                throw Damaged("its pixel data stops in the middle of a code");
            fits(x, row, value);
            for (std::uint32_t i = 0; i < value; ++i) {
                const std::uint8_t byte = data[at + (four ? i / 2 : i)];
                put(x + i, row, four ? (i % 2 == 0 ? byte >> 4 : byte & 15) : byte);
            }
            x += value;
            at += padded;
        }
    }
}

}  // namespace

base::Result<PixelBuffer> DecodeBmp(const std::uint8_t* data, std::size_t size, const std::string& name)
{
    return DecodeBmp(data, size, name, kWhite);
}

base::Result<PixelBuffer> DecodeBmp(const std::uint8_t* data, std::size_t size, const std::string& name, Rgb blank)
{
    const base::Result<Layout> layout = readLayout(data, size, name);
    if (!layout)
        return base::Fail(layout.error());
    const Layout& l = *layout;
    try {
        PixelBuffer picture(static_cast<int>(l.width), static_cast<int>(l.height));
        if (blank != kWhite)
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    picture.setPixel(x, y, blank);
        if (l.compression == kRle8 || l.compression == kRle4)
            decodeRuns(l, data, size, picture);
        else
            decodeRows(l, data, picture);
        return picture;
    } catch (const Damaged& damage) {
        return damaged(name, damage.why());
    } catch (const std::bad_alloc&) {
        return base::Fail(CannotRead(name, "not enough memory to decode it"));
    }
}

}  // namespace imaging
