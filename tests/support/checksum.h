#pragma once

// Checksums that pin results bit for bit: FNV-1a over bytes, over the data
// area of a grid and over a picture.

#include "imaging/pixel_buffer.h"
#include "optics/grid.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace testing_support {

//! FNV-1a, 64 bits.
class Checksum {
public:
    void add(const void* data, std::size_t size)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t n = 0; n < size; ++n) {
            m_hash ^= p[n];
            m_hash *= 1099511628211ull;
        }
    }
    void add(std::string_view text) { add(text.data(), text.size()); }
    std::uint64_t value() const { return m_hash; }

private:
    std::uint64_t m_hash = 14695981039346656037ull;
};

//! The checksum of the cells [first..last][first..last] of a grid, row by row.
inline std::uint64_t GridChecksum(const optics::Grid& grid, int first = 1, int last = 512)
{
    Checksum sum;
    for (int i = first; i <= last; ++i)
        sum.add(grid.row(i) + first, static_cast<std::size_t>(last - first + 1) * sizeof(double));
    return sum.value();
}

//! The checksum of a picture's pixels, row by row, red green blue.
inline std::uint64_t PictureChecksum(const imaging::PixelBuffer& picture)
{
    Checksum sum;
    sum.add(picture.data(), static_cast<std::size_t>(picture.stride()) * picture.height());
    return sum.value();
}

}  // namespace testing_support
