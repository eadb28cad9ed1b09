// The binary maps: NumPy .npz archives and FITS images.
#include "measured/measured_file.h"
#include "measured/text_util.h"
#include "measured/zip_reader.h"

#include "imaging/picture_file.h"

#include <fitsio.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace measured {

namespace {

using imaging::CannotRead;

std::string Size(std::int64_t width, std::int64_t height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

// Samples given bottom row first become a map of the stored kind (top row
// first) whose pupil is the circle around its non-NaN samples. Infinite
// values and maps without a sample are refused.
base::Result<std::shared_ptr<optics::WavefrontSamples>> MapFromRows(std::vector<double> bottomFirst, int width,
                                                                    int height, const std::string& name)
{
    auto samples = std::make_shared<optics::WavefrontSamples>();
    samples->width = width;
    samples->height = height;
    samples->values.resize(bottomFirst.size());
    int left = width, right = -1, top = height, bottom = -1;
    for (int row = 0; row < height; ++row) {
        const double* from = bottomFirst.data() + static_cast<std::size_t>(height - 1 - row) * width;
        double* to = samples->values.data() + static_cast<std::size_t>(row) * width;
        for (int column = 0; column < width; ++column) {
            const double v = from[column];
            if (std::isinf(v))
                return base::Fail(CannotRead(name, "the map holds an infinite value"));
            to[column] = v;
            if (std::isnan(v))
                continue;
            left = std::min(left, column);
            right = std::max(right, column);
            top = std::min(top, row);
            bottom = std::max(bottom, row);
        }
    }
    if (right < 0)
        return base::Fail(CannotRead(name, "the map holds no sample of the pupil (every value is NaN)"));
    // The circle through the outermost samples.
    samples->centreX = (left + right) / 2.0;
    samples->centreY = (top + bottom) / 2.0;
    samples->radius = std::max(right - left, bottom - top) / 2.0;
    if (samples->radius < 1.0)
        return base::Fail(CannotRead(name, "the pupil of the map is a single sample"));
    return samples;
}

base::Status CheckMapSize(std::int64_t width, std::int64_t height, const std::string& name,
                          const MeasuredLimits& limits)
{
    if (width <= 0 || height <= 0)
        return base::Fail(CannotRead(name, "the file is damaged (its map is " + Size(width, height) + " samples)"));
    if (width > limits.maxSide || height > limits.maxSide)
        return base::Fail(CannotRead(name,
                                     "the map is " + Size(width, height) + " samples; maps of up to "
                                         + std::to_string(limits.maxSide) + " samples a side are read"));
    return base::Done();
}

// ---- NumPy arrays -----------------------------------------------------------

struct NpyArray {
    std::vector<std::int64_t> shape;
    std::vector<double> values;  // in C order
};

// The text after `key` in a NumPy header dictionary, up to the next ',' or
// '}' outside brackets.
std::string_view HeaderField(std::string_view header, std::string_view key)
{
    const std::size_t at = header.find(key);
    if (at == std::string_view::npos)
        return {};
    std::size_t p = header.find(':', at + key.size());
    if (p == std::string_view::npos)
        return {};
    ++p;
    std::size_t end = p;
    int depth = 0;
    while (end < header.size()) {
        const char c = header[end];
        if (c == '(' || c == '[')
            ++depth;
        else if (c == ')' || c == ']')
            --depth;
        else if ((c == ',' || c == '}') && depth == 0)
            break;
        ++end;
    }
    return Trim(header.substr(p, end - p));
}

base::Result<NpyArray> ReadNpy(const std::vector<std::uint8_t>& bytes, const std::string& member,
                               const std::string& name, const MeasuredLimits& limits)
{
    const auto damaged = [&](const std::string& why) {
        return base::Fail(CannotRead(name, "its array " + member + " is damaged (" + why + ")"));
    };
    if (bytes.size() < 10 || std::memcmp(bytes.data(), "\x93NUMPY", 6) != 0)
        return damaged("it is no NumPy array");
    const int major = bytes[6];
    std::size_t headerLength = 0;
    std::size_t headerAt = 0;
    if (major == 1) {
        headerLength = bytes[8] | (std::size_t{bytes[9]} << 8);
        headerAt = 10;
    } else if (major == 2 || major == 3) {
        if (bytes.size() < 12)
            return damaged("its header is cut short");
        headerLength =
            bytes[8] | (std::size_t{bytes[9]} << 8) | (std::size_t{bytes[10]} << 16) | (std::size_t{bytes[11]} << 24);
        headerAt = 12;
    } else {
        return damaged("its version is unknown");
    }
    if (headerLength > bytes.size() - headerAt || headerLength > 65536)
        return damaged("its header is cut short");
    const std::string_view header(reinterpret_cast<const char*>(bytes.data() + headerAt), headerLength);
    std::string_view descr = HeaderField(header, "'descr'");
    if (descr.size() < 2)
        return damaged("it does not say what it holds");
    descr = descr.substr(1, descr.size() - 2);
    const std::string_view order = HeaderField(header, "'fortran_order'");
    const bool fortran = order == "True";
    if (!fortran && order != "False")
        return damaged("it does not say how it is laid out");
    std::string_view shapeText = HeaderField(header, "'shape'");
    if (shapeText.size() < 2 || shapeText.front() != '(' || shapeText.back() != ')')
        return damaged("it has no shape");
    NpyArray array;
    for (std::string_view cell : Split(shapeText.substr(1, shapeText.size() - 2), ',')) {
        cell = Trim(cell);
        if (cell.empty())
            continue;
        const std::optional<double> n = ParseNumber(cell);
        if (!n || *n < 0 || *n != std::floor(*n) || *n > 1e9)
            return damaged("its shape is not a list of sizes");
        array.shape.push_back(static_cast<std::int64_t>(*n));
    }
    if (array.shape.size() > 3)
        return base::Fail(
            CannotRead(name, "its array " + member + " has " + std::to_string(array.shape.size()) + " dimensions"));
    std::int64_t count = 1;
    for (std::int64_t n : array.shape) {
        if (n > limits.maxSide)
            return base::Fail(CannotRead(name,
                                         "its array " + member + " is " + std::to_string(n)
                                             + " samples long; maps of up to " + std::to_string(limits.maxSide)
                                             + " samples a side are read"));
        count *= n;
    }
    if (count > std::int64_t{limits.maxSide} * limits.maxSide)
        return damaged("it is larger than any map");
    if (descr.size() != 3 || (descr[0] != '<' && descr[0] != '>' && descr[0] != '|' && descr[0] != '='))
        return damaged("its value type \"" + std::string(descr) + "\" is unknown");
    const char kind = descr[1];
    const int itemSize = descr[2] - '0';
    const bool big = descr[0] == '>';
    if (!((kind == 'f' && (itemSize == 4 || itemSize == 8))
          || ((kind == 'i' || kind == 'u') && (itemSize == 1 || itemSize == 2 || itemSize == 4))))
        return base::Fail(CannotRead(name,
                                     "its array " + member + " holds values of type \"" + std::string(descr)
                                         + "\"; this program reads floating-point and integer arrays"));
    const std::size_t dataAt = headerAt + headerLength;
    if (static_cast<std::uint64_t>(count) * itemSize > bytes.size() - dataAt)
        return damaged("it holds fewer values than its shape says");
    array.values.resize(static_cast<std::size_t>(count));
    const std::uint8_t* p = bytes.data() + dataAt;
    for (std::size_t i = 0; i < array.values.size(); ++i, p += itemSize) {
        std::uint64_t raw = 0;
        for (int b = 0; b < itemSize; ++b)
            raw |= std::uint64_t{p[big ? itemSize - 1 - b : b]} << (8 * b);
        double v = 0.0;
        if (kind == 'f' && itemSize == 8)
            v = std::bit_cast<double>(raw);
        else if (kind == 'f')
            v = std::bit_cast<float>(static_cast<std::uint32_t>(raw));
        else if (kind == 'u')
            v = static_cast<double>(raw);
        else
            v = static_cast<double>(static_cast<std::int64_t>(raw << (64 - 8 * itemSize)) >> (64 - 8 * itemSize));
        array.values[i] = v;
    }
    if (fortran && array.shape.size() == 2) {
        // Column after column: turn into rows.
        const std::size_t rows = static_cast<std::size_t>(array.shape[0]);
        const std::size_t columns = static_cast<std::size_t>(array.shape[1]);
        std::vector<double> c(array.values.size());
        for (std::size_t r = 0; r < rows; ++r)
            for (std::size_t k = 0; k < columns; ++k)
                c[r * columns + k] = array.values[k * rows + r];
        array.values.swap(c);
    }
    return array;
}

std::string MemberKey(const std::string& member)
{
    std::string key = member;
    if (key.size() > 4 && key.compare(key.size() - 4, 4, ".npy") == 0)
        key.resize(key.size() - 4);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

// ---- FITS ---------------------------------------------------------------------

std::string FitsProblem(int status)
{
    char text[FLEN_STATUS] = {};
    fits_get_errstatus(status, text);
    fits_clear_errmsg();
    return text;
}

struct FitsCloser {
    void operator()(fitsfile* f) const
    {
        int status = 0;
        fits_close_file(f, &status);
        fits_clear_errmsg();
    }
};

std::optional<std::string> FitsString(fitsfile* f, const char* key)
{
    char value[FLEN_VALUE] = {};
    int status = 0;
    if (fits_read_key(f, TSTRING, key, value, nullptr, &status) != 0) {
        fits_clear_errmsg();
        return std::nullopt;
    }
    return std::string(value);
}

std::optional<double> FitsNumber(fitsfile* f, const char* key)
{
    double value = 0.0;
    int status = 0;
    if (fits_read_key(f, TDOUBLE, key, &value, nullptr, &status) != 0) {
        fits_clear_errmsg();
        return std::nullopt;
    }
    return value;
}

}  // namespace

base::Result<MeasuredFile> DecodeNpzMap(std::span<const std::uint8_t> bytes, const std::string& name,
                                        const MeasuredLimits& limits)
{
    if (bytes.size() < 4 || std::memcmp(bytes.data(), "PK\x03\x04", 4) != 0)
        return base::Fail(CannotRead(name, "it is not a NumPy .npz archive (it is not a zip file)"));
    const base::Result<std::vector<ZipMember>> members = ListZip(bytes, name);
    if (!members)
        return base::Fail(members.error());
    const ZipMember* wf = nullptr;
    const ZipMember* wavelength = nullptr;
    bool wavelengthInNm = false;
    for (const ZipMember& m : *members) {
        const std::string key = MemberKey(m.name);
        if (key == "wf")
            wf = &m;
        else if (!wavelength && (key == "wavelength" || key == "lambda" || key == "wl" || key == "wavelength_nm")) {
            wavelength = &m;
            wavelengthInNm = key == "wavelength_nm";
        }
    }
    if (!wf)
        return base::Fail(CannotRead(name, "the archive holds no array named wf"));
    const std::uint64_t maxBytes = std::uint64_t{8} * limits.maxSide * limits.maxSide + 65536 + 12;
    const base::Result<std::vector<std::uint8_t>> wfBytes = UnpackZipMember(bytes, *wf, name, maxBytes);
    if (!wfBytes)
        return base::Fail(wfBytes.error());
    const base::Result<NpyArray> array = ReadNpy(*wfBytes, "wf", name, limits);
    if (!array)
        return base::Fail(array.error());
    if (array->shape.size() != 2)
        return base::Fail(CannotRead(name, "its array wf is not two-dimensional (a wavefront map is)"));
    const std::int64_t height = array->shape[0];
    const std::int64_t width = array->shape[1];
    if (const base::Status fits = CheckMapSize(width, height, name, limits); !fits)
        return base::Fail(fits.error());

    MeasuredFile file;
    file.format = "NumPy map (.npz)";
    if (wavelength) {
        const base::Result<std::vector<std::uint8_t>> wlBytes = UnpackZipMember(bytes, *wavelength, name, 65536);
        if (!wlBytes)
            return base::Fail(wlBytes.error());
        const base::Result<NpyArray> wl = ReadNpy(*wlBytes, wavelength->name, name, limits);
        if (!wl)
            return base::Fail(wl.error());
        if (wl->values.size() != 1 || !std::isfinite(wl->values[0]) || !(wl->values[0] > 0.0))
            return base::Fail(CannotRead(name, "its wavelength is not one positive number"));
        file.waveLength = wavelengthInNm ? wl->values[0] : WavelengthInNm(wl->values[0]);
    }
    base::Result<std::shared_ptr<optics::WavefrontSamples>> samples =
        MapFromRows(std::move(array->values), static_cast<int>(width), static_cast<int>(height), name);
    if (!samples)
        return base::Fail(samples.error());
    file.map = MapData{std::move(*samples), MapData::Unit::Waves};
    return file;
}

base::Result<MeasuredFile> DecodeFitsMap(std::span<const std::uint8_t> bytes, const std::string& name,
                                         const MeasuredLimits& limits)
{
    if (bytes.size() < 80 || std::memcmp(bytes.data(), "SIMPLE  =", 9) != 0)
        return base::Fail(CannotRead(name, "it is not a FITS file"));
    if (bytes.size() < 2880)
        return base::Fail(CannotRead(name, "the file is damaged (a FITS file is at least 2880 bytes long)"));
    // The library reads whole records of 2880 bytes: a file that ends
    // inside one is read from a copy padded with zeros (what it checks is
    // the size of the file itself).
    std::vector<std::uint8_t> padded((bytes.size() + 2879) / 2880 * 2880, 0);
    std::copy(bytes.begin(), bytes.end(), padded.begin());
    void* memory = padded.data();
    std::size_t size = padded.size();
    fitsfile* raw = nullptr;
    int status = 0;
    if (fits_open_memfile(&raw, "map.fits", READONLY, &memory, &size, 0, nullptr, &status) != 0) {
        const std::string problem = FitsProblem(status);
        if (raw)
            FitsCloser{}(raw);
        return base::Fail(CannotRead(name, "the file is damaged (" + problem + ")"));
    }
    const std::unique_ptr<fitsfile, FitsCloser> f(raw);
    // The first image with two axes: the primary array, or an extension
    // after an empty one.
    int naxis = 0;
    long axes[3] = {0, 0, 0};
    for (int hdu = 1; hdu <= 8; ++hdu) {
        int type = 0;
        status = 0;
        if (fits_movabs_hdu(f.get(), hdu, &type, &status) != 0) {
            fits_clear_errmsg();
            break;
        }
        if (type != IMAGE_HDU)
            continue;
        if (fits_get_img_dim(f.get(), &naxis, &status) != 0)
            return base::Fail(CannotRead(name, "the file is damaged (" + FitsProblem(status) + ")"));
        if (naxis == 0)
            continue;
        break;
    }
    if (naxis == 0)
        return base::Fail(CannotRead(name, "it holds no image (an axis is missing)"));
    if (naxis < 2 || naxis > 3)
        return base::Fail(CannotRead(name, "its image has " + std::to_string(naxis) + " axes; a map has two"));
    if (fits_get_img_size(f.get(), naxis, axes, &status) != 0)
        return base::Fail(CannotRead(name, "the file is damaged (" + FitsProblem(status) + ")"));
    if (axes[0] <= 0 || axes[1] <= 0 || (naxis == 3 && axes[2] <= 0))
        return base::Fail(CannotRead(name, "its image has a zero axis"));
    if (naxis == 3 && axes[2] != 1)
        return base::Fail(CannotRead(name, "it holds " + std::to_string(axes[2]) + " images; a map is one"));
    if (const base::Status fits = CheckMapSize(axes[0], axes[1], name, limits); !fits)
        return base::Fail(fits.error());

    MeasuredFile file;
    file.format = "FITS map";
    MapData::Unit unit = MapData::Unit::Waves;
    double scale = 1.0;
    if (const std::optional<std::string> bunit = FitsString(f.get(), "BUNIT")) {
        std::string u = std::string(Trim(*bunit));
        std::transform(u.begin(), u.end(), u.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (u == "m" || u == "meter" || u == "meters" || u == "metre" || u == "metres") {
            unit = MapData::Unit::Nanometres;
            scale = 1e9;
        } else if (u == "um" || u == "micron" || u == "microns" || u == "micrometer" || u == "micrometers"
                   || u == "micrometre" || u == "micrometres" || u == "\xC2\xB5m" || u == "\xB5m") {
            unit = MapData::Unit::Nanometres;
            scale = 1e3;
        } else if (u == "nm" || u == "nanometer" || u == "nanometers" || u == "nanometre" || u == "nanometres") {
            unit = MapData::Unit::Nanometres;
        } else if (u != "wave" && u != "waves" && u != "lambda" && u != "wv") {
            return base::Fail(CannotRead(name,
                                         "its unit \"" + std::string(Trim(*bunit))
                                             + "\" (BUNIT) is none this program knows (m, um, nm or waves)"));
        }
    } else {
        file.notes.push_back("The map gives no unit (BUNIT); its values were taken as waves.");
    }
    std::optional<double> wavelength = FitsNumber(f.get(), "WAVELEN");
    if (!wavelength)
        wavelength = FitsNumber(f.get(), "LAMBDA");
    if (wavelength) {
        if (!std::isfinite(*wavelength) || !(*wavelength > 0.0))
            return base::Fail(CannotRead(name, "its wavelength (WAVELEN) is not a positive number"));
        file.waveLength = WavelengthInNm(*wavelength);
    }

    const std::size_t count = static_cast<std::size_t>(axes[0]) * static_cast<std::size_t>(axes[1]);
    // The whole image must be in the file before it is read.
    int bitpix = 0;
    LONGLONG headerStart = 0, dataStart = 0, dataEnd = 0;
    if (fits_get_img_type(f.get(), &bitpix, &status) != 0
        || fits_get_hduaddrll(f.get(), &headerStart, &dataStart, &dataEnd, &status) != 0)
        return base::Fail(CannotRead(name, "the file is damaged (" + FitsProblem(status) + ")"));
    if (dataStart < 0
        || static_cast<std::uint64_t>(dataStart) + count * static_cast<std::uint64_t>(std::abs(bitpix) / 8)
            > bytes.size())
        return base::Fail(CannotRead(name, "the file is damaged or incomplete (it ends before its image does)"));
    std::vector<double> values(count);
    long first[3] = {1, 1, 1};
    double blank = std::numeric_limits<double>::quiet_NaN();
    int anyBlank = 0;
    if (fits_read_pix(f.get(), TDOUBLE, first, static_cast<LONGLONG>(count), &blank, values.data(), &anyBlank, &status)
        != 0)
        return base::Fail(CannotRead(name, "the file is damaged or incomplete (" + FitsProblem(status) + ")"));
    if (scale != 1.0)
        for (double& v : values)
            v *= scale;
    // The first row of a FITS image is its bottom row.
    base::Result<std::shared_ptr<optics::WavefrontSamples>> samples =
        MapFromRows(std::move(values), static_cast<int>(axes[0]), static_cast<int>(axes[1]), name);
    if (!samples)
        return base::Fail(samples.error());
    file.map = MapData{std::move(*samples), unit};
    return file;
}

std::string TextOf(std::span<const std::uint8_t> bytes)
{
    std::string text;
    const auto wide = [&](std::size_t start, bool little) {
        text.reserve((bytes.size() - start) / 2);
        for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
            const unsigned unit = little ? bytes[i] | (bytes[i + 1] << 8) : (bytes[i] << 8) | bytes[i + 1];
            text += unit < 0x80 ? static_cast<char>(unit) : '?';
        }
    };
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        wide(2, true);
    } else if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        wide(2, false);
    } else if (bytes.size() >= 2 && bytes[1] == 0 && bytes[0] != 0) {
        wide(0, true);
    } else {
        std::size_t start = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
        text.assign(reinterpret_cast<const char*>(bytes.data()) + start, bytes.size() - start);
    }
    return text;
}

double WavelengthInNm(double value)
{
    if (value < 1e-4)
        return value * 1e9;
    if (value < 20.0)
        return value * 1e3;
    return value;
}

base::Result<MeasuredFile> DecodeMeasuredFile(std::span<const std::uint8_t> bytes, const std::string& name,
                                              const MeasuredLimits& limits)
{
    if (bytes.empty())
        return base::Fail(CannotRead(name, "it is empty"));
    std::string extension;
    if (const std::size_t dot = name.find_last_of('.');
        dot != std::string::npos && name.find('/', dot) == std::string::npos) {
        extension = name.substr(dot + 1);
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    }
    const auto starts = [&bytes](const char* magic, std::size_t length) {
        return bytes.size() >= length && std::memcmp(bytes.data(), magic, length) == 0;
    };
    // What the bytes say first, then the name.
    if (starts("PK\x03\x04", 4))
        return DecodeNpzMap(bytes, name, limits);
    if (starts("SIMPLE  =", 9))
        return DecodeFitsMap(bytes, name, limits);
    if (extension == "npz")
        return DecodeNpzMap(bytes, name, limits);
    if (extension == "fits" || extension == "fit" || extension == "fts")
        return DecodeFitsMap(bytes, name, limits);
    // NUL bytes are no text, unless the text is UTF-16.
    const auto head = bytes.first(std::min<std::size_t>(bytes.size(), 4096));
    const bool wide = bytes.size() >= 2 && (bytes[0] == 0xFF || bytes[0] == 0xFE || bytes[1] == 0);
    if (std::find(head.begin(), head.end(), std::uint8_t{0}) != head.end() && !wide)
        return base::Fail(CannotRead(name, "it is neither a Zernike list nor a wavefront map this program reads"));
    const std::string text = TextOf(bytes);
    // The tagged lines a .wft map ends with.
    const bool wftTags = text.find("outside ellipse") != std::string::npos || text.find("\nDIAM ") != std::string::npos
        || text.find("\nLambda ") != std::string::npos;
    if (extension == "wft" || wftTags)
        return DecodeWftMap(text, name, limits);
    return DecodeZernikeText(text, name, limits);
}

base::Result<MeasuredFile> ReadMeasuredFile(const std::string& path, const MeasuredLimits& limits)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)
        && static_cast<std::uint64_t>(st.st_size) > limits.maxFileBytes)
        return base::Fail(CannotRead(path,
                                     "it is larger than " + std::to_string(limits.maxFileBytes >> 20)
                                         + " MB, more than any Zernike list or wavefront map this program "
                                           "reads"));
    imaging::PictureLimits fileLimits;
    fileLimits.maxFileBytes = limits.maxFileBytes;
    const base::Result<std::vector<std::uint8_t>> bytes = imaging::ReadPictureFile(path, fileLimits);
    if (!bytes)
        return base::Fail(bytes.error());
    return DecodeMeasuredFile(*bytes, path, limits);
}

}  // namespace measured
