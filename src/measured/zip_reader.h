#pragma once

#include "base/result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A small reader of zip archives (the NumPy .npz container): stored and
// deflated members, zip64 sizes. Every size and offset the archive claims is
// checked against the archive and the limit before anything is allocated or
// unpacked, and an unpacked member must come out at exactly its claimed size
// and checksum.

namespace measured {

struct ZipMember {
    std::string name;
    std::uint16_t method = 0;  //!< 0 stored, 8 deflated
    std::uint16_t flags = 0;
    std::uint32_t crc = 0;
    std::uint64_t packedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t headerOffset = 0;
};

//! The members of the archive `bytes` (of the file `name`, for messages).
base::Result<std::vector<ZipMember>> ListZip(std::span<const std::uint8_t> bytes, const std::string& name);

//! The unpacked bytes of `member`, refused when it claims more than
//! `maxBytes`.
base::Result<std::vector<std::uint8_t>> UnpackZipMember(std::span<const std::uint8_t> bytes, const ZipMember& member,
                                                        const std::string& name, std::uint64_t maxBytes);

}  // namespace measured
