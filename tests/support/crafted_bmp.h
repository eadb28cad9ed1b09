#pragma once

// Windows bitmap files made byte by byte: valid ones of every kind the BMP
// reader takes, and damaged ones (cut short, run-length codes that run past
// the picture or stop in the middle of a code, headers that claim a large
// picture over no pixels). Header only: the fuzz seeds use them too.

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

using BmpBytes = std::vector<std::uint8_t>;

//! What a crafted bitmap holds; the pixel data goes in as it is.
struct BmpSpec {
    std::int32_t width = 8;
    std::int32_t height = 4;  //!< negative: rows top down
    int bits = 24;
    std::uint32_t compression = 0;  //!< 0 none, 1 RLE8, 2 RLE4, 3 colour masks
    std::uint32_t headerBytes = 40;  //!< 12 for the old core header
    std::vector<std::uint32_t> palette{};  //!< 0xRRGGBB
    std::vector<std::uint32_t> masks{};  //!< red, green, blue, after a 40-byte header
    BmpBytes pixels{};
};

inline void PutLittleEndian(BmpBytes& out, std::uint32_t v, int bytes)
{
    for (int n = 0; n < bytes; ++n)
        out.push_back(static_cast<std::uint8_t>((v >> (8 * n)) & 0xff));
}

inline BmpBytes CraftBmp(const BmpSpec& shape)
{
    const bool core = shape.headerBytes == 12;
    const std::uint32_t entryBytes = core ? 3 : 4;
    const auto offset = static_cast<std::uint32_t>(14 + shape.headerBytes + 4 * shape.masks.size()
                                                   + entryBytes * shape.palette.size());
    BmpBytes b{'B', 'M'};
    PutLittleEndian(b, offset + static_cast<std::uint32_t>(shape.pixels.size()), 4);
    PutLittleEndian(b, 0, 4);
    PutLittleEndian(b, offset, 4);
    PutLittleEndian(b, shape.headerBytes, 4);
    if (core) {
        PutLittleEndian(b, static_cast<std::uint32_t>(shape.width), 2);
        PutLittleEndian(b, static_cast<std::uint32_t>(shape.height), 2);
        PutLittleEndian(b, 1, 2);
        PutLittleEndian(b, static_cast<std::uint32_t>(shape.bits), 2);
    } else {
        PutLittleEndian(b, static_cast<std::uint32_t>(shape.width), 4);
        PutLittleEndian(b, static_cast<std::uint32_t>(shape.height), 4);
        PutLittleEndian(b, 1, 2);
        PutLittleEndian(b, static_cast<std::uint32_t>(shape.bits), 2);
        PutLittleEndian(b, shape.compression, 4);
        PutLittleEndian(b, static_cast<std::uint32_t>(shape.pixels.size()), 4);
        PutLittleEndian(b, 2835, 4);
        PutLittleEndian(b, 2835, 4);
        PutLittleEndian(b, static_cast<std::uint32_t>(shape.palette.size()), 4);
        PutLittleEndian(b, 0, 4);
        b.resize(14 + shape.headerBytes, 0);
    }
    for (std::uint32_t mask : shape.masks)
        PutLittleEndian(b, mask, 4);
    for (std::uint32_t colour : shape.palette)
        PutLittleEndian(b, colour, static_cast<int>(entryBytes));
    b.insert(b.end(), shape.pixels.begin(), shape.pixels.end());
    return b;
}

//! Four colours for palette pictures.
inline const std::vector<std::uint32_t> kBmpPalette = {0x102030, 0xc08040, 0x30f0a0, 0xffffff};

//! A bitmap that is not what it claims, the words its message must hold,
//! and its name.
struct DamagedBmp {
    const char* name;
    BmpBytes bytes;
    const char* says;
};

//! Damaged bitmaps: each would load with pixels that are not in the file if
//! the reader believed it.
inline std::vector<DamagedBmp> DamagedBmps()
{
    std::vector<DamagedBmp> files;
    // 24 bits, 8 x 4: half of the rows.
    BmpSpec cut{.width = 8, .height = 4, .bits = 24, .pixels = BmpBytes(2 * 24, 0x80)};
    files.push_back({"cut-short-24-bit.bmp", CraftBmp(cut), "its pixel data ends early"});
    // 8-bit run-length coding: one row of the four, then the data ends.
    BmpSpec rle{.width = 8, .height = 4, .bits = 8, .compression = 1, .palette = kBmpPalette,
                .pixels = {8, 1, 0, 0}};
    files.push_back({"runs-end-early.bmp", CraftBmp(rle), "its pixel data ends early"});
    // A run of 12 in a row of 8.
    rle.pixels = {12, 2, 0, 1};
    files.push_back({"run-past-the-row.bmp", CraftBmp(rle), "run past the picture"});
    // A move up by 9 rows in a picture of 4.
    rle.pixels = {0, 2, 0, 9, 2, 1, 0, 1};
    files.push_back({"move-past-the-picture.bmp", CraftBmp(rle), "run past the picture"});
    // 4-bit coding: six indexes as they stand (three bytes and one of
    // padding), of which the file holds one byte.
    BmpSpec rle4{.width = 8, .height = 4, .bits = 4, .compression = 2, .palette = kBmpPalette,
                 .pixels = {4, 0x12, 0, 6, 0x21}};
    files.push_back({"code-cut-in-the-middle.bmp", CraftBmp(rle4), "stops in the middle of a code"});
    // The headers of a 16384 x 1024 picture (at the size limit) and nothing
    // after them.
    BmpSpec large{.width = 16384, .height = 1024, .bits = 24};
    files.push_back({"header-only-24-bit.bmp", CraftBmp(large), "it ends before its pixel data"});
    large.pixels = BmpBytes(1000, 0);
    files.push_back({"large-over-1000-bytes.bmp", CraftBmp(large), "its pixel data ends early"});
    BmpSpec largePalette{.width = 16384, .height = -1024, .bits = 8, .palette = kBmpPalette, .pixels = {0, 1}};
    files.push_back({"large-palette-over-2-bytes.bmp", CraftBmp(largePalette), "its pixel data ends early"});
    return files;
}

//! A valid 8 x 4 bitmap in 8-bit run-length coding that codes its first
//! (bottom) row, three pixels of the second and then ends the bitmap: the
//! other pixels are the palette's first colour.
inline BmpBytes EndOfBitmapRle8()
{
    return CraftBmp({.width = 8, .height = 4, .bits = 8, .compression = 1, .palette = kBmpPalette,
                     .pixels = {4, 1, 0, 4, 2, 3, 1, 3, 0, 0, 3, 2, 0, 1}});
}

}  // namespace testing_support
