#include "man_page.h"

#include <cctype>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace tools {

namespace {

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::size_t indentOf(const std::string& line)
{
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string::npos ? line.size() : first;
}

bool blank(const std::string& line)
{
    return indentOf(line) == line.size();
}

bool isHeading(const std::string& line)
{
    return !line.empty() && line[0] != ' ' && line.back() == ':';
}

std::string upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Backslashes and hyphens escaped; nothing else.
std::string escapeCharacters(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

// A line that would start with a control character starts with a zero-width
// character instead.
std::string guardLineStart(std::string line)
{
    if (!line.empty() && (line[0] == '.' || line[0] == '\''))
        line.insert(0, "\\&");
    return line;
}

// Runs of two or more capitals (argument names such as NAME, SETTINGS_FILE)
// in italics, the rest as it is.
std::string italicArguments(const std::string& text)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i;
        while (end < text.size() && (std::isupper(static_cast<unsigned char>(text[end])) || text[end] == '_'))
            ++end;
        if (end - i >= 2) {
            out += "\\fI" + escapeCharacters(text.substr(i, end - i)) + "\\fR";
            i = end;
        } else {
            out += escapeCharacters(text.substr(i, 1));
            ++i;
        }
    }
    return out;
}

// A term of a list: options in bold, their arguments in italics.
std::string term(const std::string& text)
{
    std::istringstream words(text);
    std::string out;
    for (std::string word; words >> word;) {
        if (!out.empty())
            out += ' ';
        if (word[0] == '-') {
            const std::size_t equals = word.find('=');
            if (equals == std::string::npos)
                out += "\\fB" + escapeCharacters(word) + "\\fR";
            else
                out += "\\fB" + escapeCharacters(word.substr(0, equals + 1)) + "\\fR" +
                       italicArguments(word.substr(equals + 1));
        } else {
            out += italicArguments(word);
        }
    }
    return guardLineStart(out);
}

// A line of text (without its indent) on a line of its own in the output.
std::string textLine(const std::string& text)
{
    return RoffEscape(text);
}

class Writer {
public:
    void line(const std::string& text) { m_out << text << '\n'; }
    std::string text() const { return m_out.str(); }

private:
    std::ostringstream m_out;
};

}  // namespace

std::string RoffEscape(const std::string& text)
{
    return guardLineStart(escapeCharacters(text));
}

std::string ManPageFromHelp(const std::string& help, const ManTitle& title)
{
    const std::vector<std::string> lines = splitLines(help);
    const std::string usage = "Usage: " + title.name;
    if (lines.size() < 2 || lines[0].compare(0, usage.size(), usage) != 0)
        throw std::runtime_error("the help text does not start with \"" + usage + "\"");

    Writer out;
    out.line(".TH " + upper(title.name) + " " + std::to_string(title.section) + " \"" + title.date + "\" \"" +
             title.name + " " + title.version + "\" \"" + title.manual + "\"");
    // The summary as the name line wants it: lower case first, no full stop.
    std::string summary = lines[1];
    if (!summary.empty())
        summary[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(summary[0])));
    if (!summary.empty() && summary.back() == '.')
        summary.pop_back();
    out.line(".SH NAME");
    out.line(RoffEscape(title.name) + " \\- " + RoffEscape(summary));
    out.line(".SH SYNOPSIS");
    out.line(".B " + RoffEscape(title.name));
    out.line(guardLineStart(italicArguments(lines[0].substr(usage.size() + 1))));
    out.line(".SH DESCRIPTION");

    enum class State { Text, Entry, Introduction, Code } state = State::Text;
    bool paragraphDue = false;
    auto endCode = [&] {
        if (state == State::Code) {
            out.line(".fi");
            out.line(".RE");
            state = State::Text;
        }
    };
    for (std::size_t n = 2; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        const std::size_t indent = indentOf(line);
        if (blank(line)) {
            endCode();
            paragraphDue = true;
            continue;
        }
        if (isHeading(line)) {
            endCode();
            out.line(".SH " + RoffEscape(upper(line.substr(0, line.size() - 1))));
            state = State::Text;
            paragraphDue = false;
            continue;
        }
        const std::string text = line.substr(indent);
        if (indent == 0) {
            endCode();
            if (paragraphDue || state != State::Text)
                out.line(".PP");
            out.line(textLine(text));
            state = State::Text;
        } else if (indent <= 2) {
            endCode();
            if (text.back() == ':') {
                out.line(".PP");
                out.line(textLine(text));
                state = State::Introduction;
            } else {
                out.line(".TP");
                const std::size_t gap = text.find("  ");
                if (gap == std::string::npos) {
                    out.line(term(text));
                } else {
                    out.line(term(text.substr(0, gap)));
                    out.line(textLine(text.substr(indentOf(text.substr(gap)) + gap)));
                }
                state = State::Entry;
            }
        } else if (state == State::Introduction || state == State::Code) {
            if (state == State::Introduction) {
                out.line(".RS 4");
                out.line(".nf");
                state = State::Code;
            }
            out.line(textLine(line.substr(std::min<std::size_t>(indent, 4))));
        } else if (text.compare(0, 5, "e.g. ") == 0) {
            out.line(".br");
            out.line("e.g. \\fB" + RoffEscape(text.substr(5)) + "\\fR");
        } else {
            out.line(textLine(text));
        }
        paragraphDue = false;
    }
    endCode();
    return out.text();
}

}  // namespace tools
