#pragma once

// Makers of the files the measured readers take, for the tests and the
// fuzz seeds: NumPy archives, FITS images and the lens-design listing, built
// byte by byte so that damaged ones can be made as easily as sound ones.

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

inline void PutLe(std::string& out, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

//! A NumPy .npy array of little-endian float64 in C order.
inline std::string Npy(const std::vector<std::int64_t>& shape, const std::vector<double>& values,
                       const std::string& descr = "<f8")
{
    std::string shapeText = "(";
    for (std::int64_t n : shape)
        shapeText += std::to_string(n) + ", ";
    if (shape.size() > 1)
        shapeText.resize(shapeText.size() - 2);
    else if (shape.size() == 1)
        shapeText.resize(shapeText.size() - 1);
    shapeText += ")";
    std::string header = "{'descr': '" + descr + "', 'fortran_order': False, 'shape': " + shapeText + ", }";
    while ((10 + header.size() + 1) % 64 != 0)
        header += ' ';
    header += '\n';
    std::string out = "\x93NUMPY\x01";
    out += '\0';
    PutLe(out, header.size(), 2);
    out += header;
    for (double v : values) {
        std::uint64_t raw;
        std::memcpy(&raw, &v, 8);
        PutLe(out, raw, 8);
    }
    return out;
}

//! A member of a zip archive: its name, its bytes, whether to deflate it,
//! and the unpacked size to claim instead of the real one (0: the real).
struct ZipEntry {
    std::string name;
    std::string data;
    bool deflate = false;
    std::uint64_t claimedSize = 0;
};

inline std::string Deflated(const std::string& data)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

//! A zip archive of `entries`, as NumPy's savez writes one.
inline std::string Zip(const std::vector<ZipEntry>& entries)
{
    std::string out;
    std::string directory;
    for (const ZipEntry& e : entries) {
        const std::string packed = e.deflate ? Deflated(e.data) : e.data;
        const std::uint32_t crc = static_cast<std::uint32_t>(
            crc32(0L, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size())));
        const std::uint64_t size = e.claimedSize ? e.claimedSize : e.data.size();
        const std::uint64_t offset = out.size();
        const int method = e.deflate ? 8 : 0;
        out += "PK\x03\x04";
        PutLe(out, 20, 2);
        PutLe(out, 0, 2);
        PutLe(out, method, 2);
        PutLe(out, 0, 4);
        PutLe(out, crc, 4);
        PutLe(out, packed.size(), 4);
        PutLe(out, size, 4);
        PutLe(out, e.name.size(), 2);
        PutLe(out, 0, 2);
        out += e.name + packed;
        directory += "PK\x01\x02";
        PutLe(directory, 20, 2);
        PutLe(directory, 20, 2);
        PutLe(directory, 0, 2);
        PutLe(directory, method, 2);
        PutLe(directory, 0, 4);
        PutLe(directory, crc, 4);
        PutLe(directory, packed.size(), 4);
        PutLe(directory, size, 4);
        PutLe(directory, e.name.size(), 2);
        PutLe(directory, 0, 2);
        PutLe(directory, 0, 2);
        PutLe(directory, 0, 2);
        PutLe(directory, 0, 2);
        PutLe(directory, 0, 4);
        PutLe(directory, offset, 4);
        directory += e.name;
    }
    const std::uint64_t at = out.size();
    out += directory;
    out += "PK\x05\x06";
    PutLe(out, 0, 4);
    PutLe(out, entries.size(), 2);
    PutLe(out, entries.size(), 2);
    PutLe(out, directory.size(), 4);
    PutLe(out, at, 4);
    PutLe(out, 0, 2);
    return out;
}

//! A FITS file of 64-bit floats, rows from the bottom, with extra header
//! cards ("BUNIT   = 'nm'"); `axes` as NAXISn (any count, zeros allowed).
inline std::string Fits(const std::vector<long>& axes, const std::vector<double>& values,
                        std::initializer_list<std::string> cards = {})
{
    std::string header;
    const auto card = [&header](std::string text) {
        text.resize(80, ' ');
        header += text;
    };
    const auto number = [](const char* key, long long v) {
        std::string k = key;
        k.resize(8, ' ');
        std::string value = std::to_string(v);
        return k + "= " + std::string(20 - value.size(), ' ') + value;
    };
    card("SIMPLE  =                    T");
    card(number("BITPIX", -64));
    card(number("NAXIS", static_cast<long long>(axes.size())));
    for (std::size_t i = 0; i < axes.size(); ++i)
        card(number(("NAXIS" + std::to_string(i + 1)).c_str(), axes[i]));
    for (const std::string& c : cards)
        card(c);
    card("END");
    header.resize((header.size() + 2879) / 2880 * 2880, ' ');
    std::string data;
    for (double v : values) {
        std::uint64_t raw;
        std::memcpy(&raw, &v, 8);
        for (int i = 7; i >= 0; --i)
            data += static_cast<char>((raw >> (8 * i)) & 0xFF);
    }
    data.resize((data.size() + 2879) / 2880 * 2880, '\0');
    return header + data;
}

//! `text` as UTF-16, little-endian, with its byte order mark.
inline std::string Utf16(const std::string& text)
{
    std::string out = "\xFF\xFE";
    for (char c : text) {
        out += c;
        out += '\0';
    }
    return out;
}

}  // namespace testing_support
