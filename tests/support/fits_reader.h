#pragma once

// A FITS reader of the tests' own, independent of the library the program
// writes with: 80-character cards in 2880-byte records, then the data as
// big-endian 32-bit floats.

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

//! One header-data unit: its cards (keyword to the value as written, strings
//! without their quotes), its comments and its pixels.
struct Hdu {
    std::map<std::string, std::string> cards;  // keyword -> value field as written
    std::vector<std::string> comments;
    std::vector<float> pixels;
};

//! `s` without the spaces at either end.
inline std::string Trimmed(const std::string& s)
{
    const std::size_t first = s.find_first_not_of(' ');
    const std::size_t last = s.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

//! The value of a card without its comment; strings without their quotes.
inline std::string ValueOf(const std::string& field)
{
    const std::string v = Trimmed(field);
    if (!v.empty() && v[0] == '\'')
        return Trimmed(v.substr(1, v.find('\'', 1) - 1));
    return Trimmed(v.substr(0, v.find('/')));
}

//! Every header-data unit of the bytes of a FITS file.
inline std::vector<Hdu> ReadFits(const std::string& bytes)
{
    std::vector<Hdu> hdus;
    std::size_t at = 0;
    while (at < bytes.size()) {
        Hdu hdu;
        for (bool end = false; !end; at += 80) {
            const std::string card = bytes.substr(at, 80);
            const std::string key = Trimmed(card.substr(0, 8));
            if (key == "END")
                end = true;
            else if (key == "COMMENT")
                hdu.comments.push_back(Trimmed(card.substr(8)));
            else if (card.compare(8, 2, "= ") == 0)
                hdu.cards[key] = ValueOf(card.substr(10));
        }
        at = (at + 2879) / 2880 * 2880;
        std::size_t count = 1;
        for (int axis = 1; axis <= std::stoi(hdu.cards["NAXIS"]); ++axis)
            count *= std::stoul(hdu.cards["NAXIS" + std::to_string(axis)]);
        for (std::size_t n = 0; n < count; ++n, at += 4) {
            std::uint32_t word = 0;
            for (int b = 0; b < 4; ++b)
                word = word << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(b)]);
            float value;
            std::memcpy(&value, &word, 4);
            hdu.pixels.push_back(value);
        }
        at = (at + 2879) / 2880 * 2880;
        hdus.push_back(hdu);
    }
    return hdus;
}

}  // namespace testing_support
