#include "measured/zip_reader.h"

#include "imaging/picture_file.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace measured {

namespace {

using imaging::CannotRead;

std::uint64_t Le(std::span<const std::uint8_t> bytes, std::size_t at, int size)
{
    std::uint64_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = (v << 8) | bytes[at + static_cast<std::size_t>(i)];
    return v;
}

// Whether [at, at + size) lies within `bytes`.
bool Within(std::span<const std::uint8_t> bytes, std::uint64_t at, std::uint64_t size)
{
    return at <= bytes.size() && size <= bytes.size() - at;
}

std::string Megabytes(std::uint64_t bytes)
{
    return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB";
}

constexpr std::size_t kMaxMembers = 1000;

}  // namespace

base::Result<std::vector<ZipMember>> ListZip(std::span<const std::uint8_t> bytes, const std::string& name)
{
    const auto damaged = [&name](const std::string& why) {
        return base::Fail(CannotRead(name, "the archive is damaged (" + why + ")"));
    };
    // The end record lies in the last 64 kB and 22 bytes (its comment is at
    // most 65535 bytes long).
    if (bytes.size() < 22)
        return damaged("it is too short to be a zip file");
    std::size_t end = bytes.size() - 22;
    const std::size_t lowest = bytes.size() > 22 + 65535 ? bytes.size() - 22 - 65535 : 0;
    while (Le(bytes, end, 4) != 0x06054b50u) {
        if (end == lowest)
            return damaged("its table of contents is missing");
        --end;
    }
    std::uint64_t entries = Le(bytes, end + 10, 2);
    std::uint64_t directorySize = Le(bytes, end + 12, 4);
    std::uint64_t directoryOffset = Le(bytes, end + 16, 4);
    if (entries == 0xFFFF || directorySize == 0xFFFFFFFFu || directoryOffset == 0xFFFFFFFFu) {
        // Zip64: a locator just before the end record points to the larger
        // end record.
        if (end < 20 || Le(bytes, end - 20, 4) != 0x07064b50u)
            return damaged("its zip64 table of contents is missing");
        const std::uint64_t at = Le(bytes, end - 20 + 8, 8);
        if (!Within(bytes, at, 56) || Le(bytes, static_cast<std::size_t>(at), 4) != 0x06064b50u)
            return damaged("its zip64 table of contents is missing");
        entries = Le(bytes, static_cast<std::size_t>(at) + 32, 8);
        directorySize = Le(bytes, static_cast<std::size_t>(at) + 40, 8);
        directoryOffset = Le(bytes, static_cast<std::size_t>(at) + 48, 8);
    }
    if (!Within(bytes, directoryOffset, directorySize))
        return damaged("its table of contents lies beyond its end");
    if (entries > kMaxMembers)
        return base::Fail(CannotRead(name,
                                     "the archive holds " + std::to_string(entries)
                                         + " members, more than any NumPy archive of a wavefront"));

    std::vector<ZipMember> members;
    std::uint64_t at = directoryOffset;
    const std::uint64_t stop = directoryOffset + directorySize;
    for (std::uint64_t i = 0; i < entries; ++i) {
        if (at + 46 > stop || Le(bytes, static_cast<std::size_t>(at), 4) != 0x02014b50u)
            return damaged("an entry of its table of contents is broken");
        const std::size_t p = static_cast<std::size_t>(at);
        ZipMember m;
        m.flags = static_cast<std::uint16_t>(Le(bytes, p + 8, 2));
        m.method = static_cast<std::uint16_t>(Le(bytes, p + 10, 2));
        m.crc = static_cast<std::uint32_t>(Le(bytes, p + 16, 4));
        m.packedSize = Le(bytes, p + 20, 4);
        m.size = Le(bytes, p + 24, 4);
        const std::uint64_t nameLength = Le(bytes, p + 28, 2);
        const std::uint64_t extraLength = Le(bytes, p + 30, 2);
        const std::uint64_t commentLength = Le(bytes, p + 32, 2);
        m.headerOffset = Le(bytes, p + 42, 4);
        if (at + 46 + nameLength + extraLength + commentLength > stop)
            return damaged("an entry of its table of contents is broken");
        m.name.assign(reinterpret_cast<const char*>(bytes.data() + p + 46), static_cast<std::size_t>(nameLength));
        // Zip64 sizes come in the extra field, in this order, for the fields
        // that are all ones.
        std::size_t e = p + 46 + static_cast<std::size_t>(nameLength);
        const std::size_t extraEnd = e + static_cast<std::size_t>(extraLength);
        while (e + 4 <= extraEnd) {
            const std::uint64_t id = Le(bytes, e, 2);
            const std::size_t length = static_cast<std::size_t>(Le(bytes, e + 2, 2));
            if (e + 4 + length > extraEnd)
                break;
            if (id == 0x0001) {
                std::size_t f = e + 4;
                for (std::uint64_t* field : {&m.size, &m.packedSize, &m.headerOffset}) {
                    if (*field != 0xFFFFFFFFu)
                        continue;
                    if (f + 8 > e + 4 + length)
                        return damaged("an entry of its table of contents is broken");
                    *field = Le(bytes, f, 8);
                    f += 8;
                }
            }
            e += 4 + length;
        }
        members.push_back(std::move(m));
        at += 46 + nameLength + extraLength + commentLength;
    }
    return members;
}

base::Result<std::vector<std::uint8_t>> UnpackZipMember(std::span<const std::uint8_t> bytes, const ZipMember& member,
                                                        const std::string& name, std::uint64_t maxBytes)
{
    const auto damaged = [&](const std::string& why) {
        return base::Fail(CannotRead(name, "the archive is damaged (" + member.name + " " + why + ")"));
    };
    if (member.flags & 1)
        return base::Fail(CannotRead(name, "its member " + member.name + " is encrypted"));
    if (member.method != 0 && member.method != 8)
        return base::Fail(CannotRead(name,
                                     "its member " + member.name
                                         + " is packed in a way this program does not unpack (only stored "
                                           "and deflated members are read)"));
    if (member.size > maxBytes)
        return base::Fail(CannotRead(name,
                                     "its member " + member.name + " claims " + Megabytes(member.size)
                                         + " unpacked; at most " + Megabytes(maxBytes) + " are read"));
    if (!Within(bytes, member.headerOffset, 30)
        || Le(bytes, static_cast<std::size_t>(member.headerOffset), 4) != 0x04034b50u)
        return damaged("has no header");
    const std::size_t h = static_cast<std::size_t>(member.headerOffset);
    const std::uint64_t dataAt = member.headerOffset + 30 + Le(bytes, h + 26, 2) + Le(bytes, h + 28, 2);
    if (!Within(bytes, dataAt, member.packedSize))
        return damaged("lies beyond the end of the archive");
    const std::span<const std::uint8_t> packed =
        bytes.subspan(static_cast<std::size_t>(dataAt), static_cast<std::size_t>(member.packedSize));
    std::vector<std::uint8_t> out;
    if (member.method == 0) {
        if (member.packedSize != member.size)
            return damaged("gives two sizes");
        out.assign(packed.begin(), packed.end());
    } else {
        // Deflate can pack a thousand to one: the claimed size was checked
        // above, and more than it is never unpacked.
        out.resize(static_cast<std::size_t>(member.size));
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return base::Fail(CannotRead(name, "the unpacker could not start"));
        std::size_t inAt = 0;
        std::size_t outAt = 0;
        int status = Z_OK;
        std::uint8_t spare = 0;
        while (status == Z_OK) {
            const std::size_t inChunk = std::min<std::size_t>(packed.size() - inAt, 1u << 30);
            z.next_in = const_cast<Bytef*>(packed.data() + inAt);
            z.avail_in = static_cast<uInt>(inChunk);
            const bool full = outAt == out.size();
            // Once the claimed size is reached, one more byte tells a member
            // that unpacks to more.
            z.next_out = full ? &spare : out.data() + outAt;
            z.avail_out = full ? 1u : static_cast<uInt>(std::min<std::size_t>(out.size() - outAt, 1u << 30));
            const uInt before = z.avail_out;
            status = inflate(&z, Z_NO_FLUSH);
            inAt += inChunk - z.avail_in;
            if (full && z.avail_out != before) {
                inflateEnd(&z);
                return damaged("unpacks to more than it claims");
            }
            outAt += before - z.avail_out;
            if (status == Z_BUF_ERROR && inAt == packed.size())
                break;
            if (status == Z_BUF_ERROR)
                status = Z_OK;
        }
        inflateEnd(&z);
        if (status != Z_STREAM_END || outAt != out.size())
            return damaged("does not unpack to its claimed size");
    }
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), out.data(),
                            static_cast<uInt>(std::min<std::size_t>(out.size(), std::numeric_limits<uInt>::max())));
    if (out.size() <= std::numeric_limits<uInt>::max() && crc != member.crc)
        return damaged("fails its checksum");
    return out;
}

}  // namespace measured
