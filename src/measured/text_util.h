#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Small text helpers of the readers: locale-free numbers, lines and words.

namespace measured {

//! `text` without spaces, tabs and line ends at either end.
std::string_view Trim(std::string_view text);
//! The lines of `text` ("\n", "\r\n" or "\r" ends), line ends removed.
std::vector<std::string_view> Lines(std::string_view text);
//! The cells of a line between `separator`s (a separator of 0: the line).
std::vector<std::string_view> Split(std::string_view line, char separator);
//! The words of a line between spaces and tabs.
std::vector<std::string_view> Words(std::string_view line);
//! A whole token as a number ("1.5", "-2e-3", "+4", "nan", "inf"), read the
//! same in every locale; nothing when any of it is not part of the number.
std::optional<double> ParseNumber(std::string_view token);
//! A count for a message: an integer as it is, anything else as written by
//! the shortest form.
std::string FormatCount(double value);
//! The shortest text that reads back as `value`.
std::string FormatNumber(double value);

//! The whitespace-separated tokens of a text, one after the other.
class Tokens {
public:
    explicit Tokens(std::string_view text) : m_text(text) { }
    //! The next token; empty at the end.
    std::string_view next();
    //! What follows the last token read.
    std::string_view rest() const { return m_text.substr(m_at); }

private:
    std::string_view m_text;
    std::size_t m_at = 0;
};

}  // namespace measured
