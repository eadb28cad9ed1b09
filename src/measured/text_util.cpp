#include "measured/text_util.h"

#include <charconv>
#include <cmath>

namespace measured {

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

}  // namespace

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::string_view> Split(std::string_view line, char separator)
{
    std::vector<std::string_view> cells;
    if (separator == 0) {
        cells.push_back(line);
        return cells;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == separator) {
            cells.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    return cells;
}

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    Tokens tokens(line);
    for (std::string_view w = tokens.next(); !w.empty(); w = tokens.next())
        words.push_back(w);
    return words;
}

std::optional<double> ParseNumber(std::string_view token)
{
    token = Trim(token);
    if (!token.empty() && token.front() == '+')
        token.remove_prefix(1);
    if (token.empty() || token.front() == '+')
        return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    // A value beyond the double range is no number of a measurement either.
    if (error != std::errc() || end != token.data() + token.size())
        return std::nullopt;
    return value;
}

std::string FormatCount(double value)
{
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    return FormatNumber(value);
}

std::string FormatNumber(double value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string_view Tokens::next()
{
    while (m_at < m_text.size() && IsSpace(m_text[m_at]))
        ++m_at;
    const std::size_t start = m_at;
    while (m_at < m_text.size() && !IsSpace(m_text[m_at]))
        ++m_at;
    return m_text.substr(start, m_at - start);
}

}  // namespace measured
