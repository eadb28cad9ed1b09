// The text formats: plain lists, tables, lens-design listings and .wft maps.
#include "measured/measured_file.h"
#include "measured/text_util.h"

#include "imaging/picture_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <map>

namespace measured {

namespace {

using imaging::CannotRead;

std::string Lower(std::string_view text)
{
    std::string s(text);
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The Fringe term a column heading names (1..37, piston 1), or 0.
int NamedTerm(std::string_view heading)
{
    std::string key;
    for (char c : Lower(heading))
        if (std::isalnum(static_cast<unsigned char>(c)))
            key += c;
    static const std::map<std::string, int> kNamed = {
        {"piston", 1},
        {"xtilt", 2},
        {"xtile", 2},
        {"tiltx", 2},
        {"ytilt", 3},
        {"ytile", 3},
        {"tilty", 3},
        {"defocus", 4},
        {"focus", 4},
        {"power", 4},
        {"xastig", 5},
        {"xastigmatism", 5},
        {"astig0", 5},
        {"yastig", 6},
        {"yastigmatism", 6},
        {"astig45", 6},
        {"xcoma", 7},
        {"comax", 7},
        {"ycoma", 8},
        {"comay", 8},
        {"spherical", 9},
        {"sphericalaberration", 9},
        {"primaryspherical", 9},
    };
    const auto it = kNamed.find(key);
    return it == kNamed.end() ? 0 : it->second;
}

// The number of a "Z<n>" heading, or -1.
int ZLabel(std::string_view heading)
{
    const std::string_view h = Trim(heading);
    if (h.size() < 2 || (h[0] != 'Z' && h[0] != 'z'))
        return -1;
    std::string_view digits = Trim(h.substr(1));
    if (digits.empty() || digits.size() > 4)
        return -1;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::string Quoted(std::string_view text)
{
    std::string shown(text.substr(0, 40));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 32)
            c = ' ';
    return "\"" + shown + (text.size() > 40 ? "...\"" : "\"");
}

base::Result<MeasuredFile> ReadPlainList(const std::vector<std::string_view>& lines, const std::string& name,
                                         const MeasuredLimits& limits)
{
    ZernikeRow row;
    int lineNumber = 0;
    for (std::string_view line : lines) {
        ++lineNumber;
        line = Trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        const std::optional<double> value = ParseNumber(line);
        if (!value)
            return base::Fail(CannotRead(name,
                                         "line " + std::to_string(lineNumber) + " (" + Quoted(line)
                                             + ") is not a number; a Zernike list holds one coefficient a "
                                               "line"));
        if (!std::isfinite(*value))
            return base::Fail(
                CannotRead(name, "line " + std::to_string(lineNumber) + " holds a value that is not a finite number"));
        if (row.values.size() >= limits.maxTerms)
            return base::Fail(CannotRead(
                name, "it holds more than " + std::to_string(limits.maxTerms) + " values, more than any Zernike list"));
        row.values.push_back(*value);
    }
    if (row.values.empty())
        return base::Fail(CannotRead(name, "it holds no coefficients"));
    MeasuredFile file;
    file.format = "Zernike list";
    ZernikeSet set;
    set.kind = ZernikeSet::Kind::PlainList;
    set.rows.push_back(std::move(row));
    file.zernikes = std::move(set);
    return file;
}

char SeparatorOf(std::string_view header)
{
    for (char c : {',', ';', '\t'})
        if (header.find(c) != std::string_view::npos)
            return c;
    return 0;
}

std::string_view Unquote(std::string_view cell)
{
    cell = Trim(cell);
    if (cell.size() >= 2 && (cell.front() == '"' || cell.front() == '\'') && cell.back() == cell.front())
        cell = Trim(cell.substr(1, cell.size() - 2));
    return cell;
}

base::Result<MeasuredFile> ReadTable(const std::vector<std::string_view>& lines, const std::string& name,
                                     const MeasuredLimits& limits)
{
    std::size_t first = 0;
    while (first < lines.size() && Trim(lines[first]).empty())
        ++first;
    const char separator = SeparatorOf(lines[first]);
    const std::vector<std::string_view> header = Split(lines[first], separator);

    // Which Fringe term each column holds. Headings may name terms ("Piston",
    // "Defocus") or number them ("Z8"); numbers count from 0 when a "Z0"
    // heading is there or when they agree with a named column counted from
    // piston 0, else from 1.
    std::vector<int> named(header.size(), 0);
    std::vector<int> label(header.size(), -1);
    bool zeroBased = false;
    int namedColumn = -1;
    for (std::size_t c = 1; c < header.size(); ++c) {
        const std::string_view h = Unquote(header[c]);
        named[c] = NamedTerm(h);
        label[c] = ZLabel(h);
        if (label[c] == 0)
            zeroBased = true;
        if (named[c] > 0 && namedColumn < 0)
            namedColumn = static_cast<int>(c);
    }
    if (!zeroBased && namedColumn >= 0) {
        for (std::size_t c = 1; c < header.size(); ++c) {
            if (label[c] >= 0) {
                zeroBased =
                    label[c] == named[static_cast<std::size_t>(namedColumn)] - 1 + (static_cast<int>(c) - namedColumn);
                break;
            }
        }
    }
    std::vector<int> terms(header.size(), 0);
    int lastTerm = 0;
    std::size_t lastTermColumn = 0;
    for (std::size_t c = 1; c < header.size(); ++c) {
        int t = named[c];
        if (t == 0 && label[c] >= 0)
            t = label[c] + (zeroBased ? 1 : 0);
        terms[c] = t;
        if (t > 0) {
            lastTerm = t;
            lastTermColumn = c;
        }
    }
    if (lastTerm == 0)
        return base::Fail(CannotRead(name,
                                     "its first line names no Zernike terms (such as \"Defocus\" or "
                                     "\"Z4\"), so it is not a table of Zernike coefficients"));

    MeasuredFile file;
    file.format = "Zernike table";
    ZernikeSet set;
    set.kind = ZernikeSet::Kind::Table;
    bool continued = false;
    std::size_t widest = header.size();
    for (std::size_t l = first + 1; l < lines.size(); ++l) {
        if (Trim(lines[l]).empty())
            continue;
        const std::vector<std::string_view> cells = Split(lines[l], separator);
        if (cells.size() > limits.maxTerms)
            return base::Fail(CannotRead(name,
                                         "line " + std::to_string(l + 1) + " holds more than "
                                             + std::to_string(limits.maxTerms) + " values"));
        if (set.rows.size() >= limits.maxRows)
            return base::Fail(CannotRead(name, "it holds more than " + std::to_string(limits.maxRows) + " rows"));
        widest = std::max(widest, cells.size());
        ZernikeRow row;
        row.name = std::string(Unquote(cells[0]));
        if (row.name.empty())
            row.name = "row " + std::to_string(set.rows.size() + 1);
        for (std::size_t c = 1; c < cells.size(); ++c) {
            // Columns past the headings go on from the last term named.
            int t = c < header.size() ? terms[c] : 0;
            if (c >= header.size() && lastTermColumn == header.size() - 1) {
                t = lastTerm + static_cast<int>(c - lastTermColumn);
                continued = true;
            }
            if (t <= 0)
                continue;
            const std::string_view cell = Unquote(cells[c]);
            std::optional<double> value = cell.empty() ? std::optional<double>(0.0) : ParseNumber(cell);
            if (!value)
                return base::Fail(CannotRead(name,
                                             "line " + std::to_string(l + 1) + ", column " + std::to_string(c + 1)
                                                 + " (" + Quoted(cell) + ") is not a number"));
            if (!std::isfinite(*value))
                return base::Fail(CannotRead(name,
                                             "line " + std::to_string(l + 1) + ", column " + std::to_string(c + 1)
                                                 + " holds a value that is not a finite number"));
            row.values.push_back(*value);
        }
        set.rows.push_back(std::move(row));
    }
    if (set.rows.empty())
        return base::Fail(CannotRead(name, "it names Zernike terms but holds no row of coefficients"));
    // Every row gives a value for every column of the first row's terms.
    std::vector<int> columnTerms;
    for (std::size_t c = 1; c < widest; ++c) {
        int t = c < header.size() ? terms[c] : 0;
        if (c >= header.size() && lastTermColumn == header.size() - 1)
            t = lastTerm + static_cast<int>(c - lastTermColumn);
        if (t > 0)
            columnTerms.push_back(t);
    }
    for (ZernikeRow& row : set.rows)
        row.values.resize(columnTerms.size(), 0.0);
    set.columnTerms = std::move(columnTerms);
    if (continued)
        file.notes.push_back("The columns after the last heading were taken to go on in Fringe order.");
    file.zernikes = std::move(set);
    return file;
}

// "Z   4     0.05500000 :  3^(1/2) (2p^2 - 1)": the index and the value.
bool ListingLine(std::string_view line, int& index, std::string_view& valueText)
{
    line = Trim(line);
    if (line.size() < 3 || (line[0] != 'Z' && line[0] != 'z'))
        return false;
    std::size_t at = 1;
    while (at < line.size() && line[at] == ' ')
        ++at;
    const std::size_t digits = at;
    int n = 0;
    while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at])) && at - digits < 6)
        n = n * 10 + (line[at++] - '0');
    if (at == digits || at >= line.size() || (line[at] != ' ' && line[at] != '\t'))
        return false;
    std::string_view rest = Trim(line.substr(at));
    const std::size_t end = rest.find_first_of(" \t:");
    valueText = rest.substr(0, end);
    index = n;
    return true;
}

base::Result<MeasuredFile> ReadListing(const std::vector<std::string_view>& lines, const std::string& name,
                                       const std::string& lowered, const MeasuredLimits& limits)
{
    if (lowered.find("annular") != std::string::npos)
        return base::Fail(CannotRead(name,
                                     "it lists annular Zernike coefficients, which this program does not "
                                     "read (save the Standard or Fringe coefficients instead)"));
    MeasuredFile file;
    file.format = "Zernike listing";
    ZernikeSet set;
    set.kind = ZernikeSet::Kind::Listing;
    set.ownOrder = true;
    // The Standard set is Noll's, RMS-normalised; the Fringe set is not
    // normalised.
    const bool fringe = lowered.find("fringe") != std::string::npos && lowered.find("standard") == std::string::npos;
    set.order = fringe ? TermOrder::Fringe : TermOrder::Noll;
    set.normalised = !fringe;
    ZernikeRow row;
    row.name = "listing";
    std::vector<bool> seen;
    int lineNumber = 0;
    for (std::string_view line : lines) {
        ++lineNumber;
        int index = 0;
        std::string_view valueText;
        if (ListingLine(line, index, valueText)) {
            const std::optional<double> value = ParseNumber(valueText);
            if (!value)
                return base::Fail(CannotRead(name,
                                             "line " + std::to_string(lineNumber) + " (" + Quoted(Trim(line))
                                                 + ") gives no number for its term"));
            if (!std::isfinite(*value))
                return base::Fail(CannotRead(
                    name, "line " + std::to_string(lineNumber) + " holds a value that is not a finite number"));
            if (index < 1 || static_cast<std::size_t>(index) > limits.maxTerms)
                return base::Fail(CannotRead(name,
                                             "line " + std::to_string(lineNumber) + " names term "
                                                 + std::to_string(index) + ", which no listing has"));
            const std::size_t at = static_cast<std::size_t>(index - 1);
            if (row.values.size() <= at) {
                row.values.resize(at + 1, 0.0);
                seen.resize(at + 1, false);
            }
            if (seen[at])
                return base::Fail(CannotRead(name,
                                             "term " + std::to_string(index)
                                                 + " is listed twice (a listing of several fields?); save "
                                                   "one field a file"));
            seen[at] = true;
            row.values[at] = *value;
            continue;
        }
        const std::string_view t = Trim(line);
        if (!file.waveLength && t.size() > 10 && Lower(t.substr(0, 10)) == "wavelength") {
            const std::size_t colon = t.find(':');
            if (colon == std::string_view::npos)
                continue;
            std::string_view rest = Trim(t.substr(colon + 1));
            const std::size_t end = rest.find_first_of(" \t");
            const std::optional<double> value = ParseNumber(rest.substr(0, end));
            if (!value || !std::isfinite(*value) || *value <= 0.0)
                return base::Fail(
                    CannotRead(name, "line " + std::to_string(lineNumber) + " gives no usable wavelength"));
            const std::string unit = Lower(end == std::string_view::npos ? "" : Trim(rest.substr(end)));
            if (unit.rfind("nm", 0) == 0)
                file.waveLength = *value;
            else if (unit.find("m") != std::string::npos && unit.rfind("mm", 0) != 0)
                file.waveLength = *value * 1000.0;  // micrometres, however the mu was written
            else
                file.waveLength = WavelengthInNm(*value);
        }
    }
    if (row.values.empty())
        return base::Fail(CannotRead(name, "it lists no Zernike terms"));
    set.rows.push_back(std::move(row));
    file.zernikes = std::move(set);
    return file;
}

}  // namespace

base::Result<MeasuredFile> DecodeZernikeText(std::string_view text, const std::string& name,
                                             const MeasuredLimits& limits)
{
    const std::vector<std::string_view> lines = Lines(text);
    const std::string lowered = Lower(text.substr(0, 4096));
    // A listing of a lens-design program says what it is in its first lines.
    if (lowered.find("zernike") != std::string::npos
        && (lowered.find("coefficient") != std::string::npos || lowered.find("wavelength") != std::string::npos)) {
        int index = 0;
        std::string_view value;
        if (std::any_of(lines.begin(), lines.end(), [&](std::string_view l) { return ListingLine(l, index, value); }))
            return ReadListing(lines, name, lowered, limits);
    }
    std::size_t first = 0;
    while (first < lines.size() && Trim(lines[first]).empty())
        ++first;
    if (first == lines.size())
        return base::Fail(CannotRead(name, "it is empty"));
    // A first line with separators and words is a table's header.
    const std::string_view head = lines[first];
    if (SeparatorOf(head) != 0 && std::any_of(head.begin(), head.end(), [](char c) {
            return std::isalpha(static_cast<unsigned char>(c)) && c != 'e' && c != 'E';
        }))
        return ReadTable(lines, name, limits);
    return ReadPlainList(lines, name, limits);
}

base::Result<MeasuredFile> DecodeWftMap(std::string_view text, const std::string& name, const MeasuredLimits& limits)
{
    const auto refused = [&name](const std::string& why) { return base::Fail(CannotRead(name, why)); };
    Tokens tokens(text);
    const std::optional<double> w = ParseNumber(tokens.next());
    const std::optional<double> h = ParseNumber(tokens.next());
    if (!w || !h || *w != std::floor(*w) || *h != std::floor(*h))
        return refused("it is not a wavefront map (.wft files start with the width and the height)");
    if (*w <= 0 || *h <= 0)
        return refused("the file is damaged (its map is " + FormatCount(*w) + " x " + FormatCount(*h) + " samples)");
    if (*w > limits.maxSide || *h > limits.maxSide)
        return refused("the map is " + FormatCount(*w) + " x " + FormatCount(*h) + " samples; maps of up to "
                       + std::to_string(limits.maxSide) + " samples a side are read");
    const int width = static_cast<int>(*w);
    const int height = static_cast<int>(*h);
    const std::size_t count = static_cast<std::size_t>(width) * height;
    // Each sample takes at least a digit and a line end.
    if (text.size() < 2 * count)
        return refused("the file is too short for its " + std::to_string(width) + " x " + std::to_string(height)
                       + " samples");
    auto samples = std::make_shared<optics::WavefrontSamples>();
    samples->width = width;
    samples->height = height;
    samples->values.resize(count);
    // The bottom row comes first.
    for (int fileRow = 0; fileRow < height; ++fileRow) {
        double* row = samples->values.data() + static_cast<std::size_t>(height - 1 - fileRow) * width;
        for (int column = 0; column < width; ++column) {
            const std::string_view token = tokens.next();
            if (token.empty())
                return refused("the file ends before its " + std::to_string(width) + " x " + std::to_string(height)
                               + " samples do");
            const std::optional<double> v = ParseNumber(token);
            const std::size_t sample = static_cast<std::size_t>(fileRow) * width + column + 1;
            if (!v)
                return refused("sample " + std::to_string(sample) + " (" + Quoted(token) + ") is not a number");
            if (!std::isfinite(*v))
                return refused("sample " + std::to_string(sample) + " is not a finite number");
            row[column] = *v;
        }
    }

    MeasuredFile file;
    file.format = "wavefront map (.wft)";
    // Without an outline, the circle the interferogram program assumes.
    double cx = (width - 1) / 2.0;
    double cy = (height - 1) / 2.0;
    double radius = std::min(cx, cy) - 2.0;
    double ox = cx;
    double oy = cy;
    double obstruction = 0.0;
    for (std::string_view line : Lines(tokens.rest())) {
        const std::vector<std::string_view> words = Words(line);
        if (words.empty())
            continue;
        const std::string key = Lower(words[0]);
        std::vector<double> numbers;
        for (std::size_t i = 1; i < words.size(); ++i)
            if (const std::optional<double> v = ParseNumber(words[i]); v && std::isfinite(*v))
                numbers.push_back(*v);
        if ((key == "outside" || key == "obstruction") && numbers.size() >= 3) {
            if (key == "outside") {
                cx = numbers[0];
                cy = numbers[1];
                radius = numbers[2];
            } else {
                ox = numbers[0];
                oy = numbers[1];
                obstruction = numbers[2];
            }
        } else if (key == "lambda" && !numbers.empty() && numbers[0] > 0.0) {
            file.waveLength = WavelengthInNm(numbers[0]);
        }
    }
    if (!(radius > 0.0))
        return refused("its outline gives the mirror no radius");
    samples->centreX = cx;
    samples->centreY = cy;
    samples->radius = radius;
    // Outside the outline and inside the obstruction the samples mean
    // nothing (the interferogram programs write 0 there).
    std::size_t inside = 0;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const double dx = column - cx;
            const double dy = row - cy;
            const double d2 = dx * dx + dy * dy;
            const double ex = column - ox;
            const double ey = row - oy;
            double& v = samples->values[static_cast<std::size_t>(row) * width + column];
            if (d2 > radius * radius * (1.0 + 1e-12)
                || (obstruction > 0.0 && ex * ex + ey * ey < obstruction * obstruction))
                v = std::numeric_limits<double>::quiet_NaN();
            else
                ++inside;
        }
    }
    if (inside == 0)
        return refused("no sample of the map lies inside its outline");
    file.map = MapData{std::move(samples), MapData::Unit::Waves};
    return file;
}

}  // namespace measured
