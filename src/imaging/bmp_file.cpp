#include "imaging/bmp_file.h"

#include "imaging/file_output.h"

#include <cstdint>
#include <new>

namespace imaging {

namespace {

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;
// 96 dots per inch in dots per metre.
constexpr std::uint32_t kDotsPerMetre = 3780;

void put16(std::string& out, std::uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>((v >> 8) & 0xff));
}

void put32(std::string& out, std::uint32_t v)
{
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

}  // namespace

std::string EncodeBmp(const PixelBuffer& picture)
{
    const auto width = static_cast<std::uint32_t>(picture.width());
    const auto height = static_cast<std::uint32_t>(picture.height());
    const std::uint32_t rowBytes = (width * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = rowBytes * height;
    const std::uint32_t offset = kFileHeaderBytes + kInfoHeaderBytes;

    std::string out;
    out.reserve(offset + pixelBytes);
    out += "BM";
    put32(out, offset + pixelBytes);
    put32(out, 0);  // reserved
    put32(out, offset);
    put32(out, kInfoHeaderBytes);
    put32(out, width);
    put32(out, height);  // positive: the last row comes first
    put16(out, 1);       // planes
    put16(out, 24);      // bits a pixel
    put32(out, 0);       // no compression
    put32(out, pixelBytes);
    put32(out, kDotsPerMetre);
    put32(out, kDotsPerMetre);
    put32(out, 0);  // colours used: none, no palette
    put32(out, 0);  // important colours: all
    for (int y = picture.height() - 1; y >= 0; --y) {
        const std::uint8_t* p = picture.data() + static_cast<std::size_t>(y) * picture.stride();
        for (std::uint32_t x = 0; x < width; ++x, p += 3) {
            out.push_back(static_cast<char>(p[2]));  // blue, green, red
            out.push_back(static_cast<char>(p[1]));
            out.push_back(static_cast<char>(p[0]));
        }
        out.append(rowBytes - width * 3, '\0');
    }
    return out;
}

base::Status WriteBmp(const PixelBuffer& picture, const std::string& path)
{
    try {
        return WriteFile(path, EncodeBmp(picture));
    } catch (const std::bad_alloc&) {
        return base::Fail("cannot write " + path + ": not enough memory");
    }
}

}  // namespace imaging
