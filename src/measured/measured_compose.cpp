#include "measured/measured_compose.h"

#include "measured/text_util.h"
#include "optics/constants.h"

#include <fitsio.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

namespace measured {

namespace {

constexpr int kTilt = 3;  // piston and both tilts: Fringe 1..3
constexpr int kDefocus = 4;  // ... and defocus

// Cholesky solution of the normal equations A c = b (A symmetric, n x n).
bool SolveNormal(std::vector<double> A, std::vector<double> b, int n, std::vector<double>& c)
{
    for (int j = 0; j < n; ++j) {
        double d = A[static_cast<std::size_t>(j * n + j)];
        for (int k = 0; k < j; ++k)
            d -= A[static_cast<std::size_t>(j * n + k)] * A[static_cast<std::size_t>(j * n + k)];
        if (!(d > 1e-12 * std::max(1.0, A[static_cast<std::size_t>(j * n + j)])))
            return false;
        d = std::sqrt(d);
        A[static_cast<std::size_t>(j * n + j)] = d;
        for (int i = j + 1; i < n; ++i) {
            double s = A[static_cast<std::size_t>(i * n + j)];
            for (int k = 0; k < j; ++k)
                s -= A[static_cast<std::size_t>(i * n + k)] * A[static_cast<std::size_t>(j * n + k)];
            A[static_cast<std::size_t>(i * n + j)] = s / d;
        }
    }
    for (int i = 0; i < n; ++i) {
        double s = b[static_cast<std::size_t>(i)];
        for (int k = 0; k < i; ++k)
            s -= A[static_cast<std::size_t>(i * n + k)] * b[static_cast<std::size_t>(k)];
        b[static_cast<std::size_t>(i)] = s / A[static_cast<std::size_t>(i * n + i)];
    }
    for (int i = n - 1; i >= 0; --i) {
        double s = b[static_cast<std::size_t>(i)];
        for (int k = i + 1; k < n; ++k)
            s -= A[static_cast<std::size_t>(k * n + i)] * b[static_cast<std::size_t>(k)];
        b[static_cast<std::size_t>(i)] = s / A[static_cast<std::size_t>(i * n + i)];
    }
    c = std::move(b);
    return true;
}

// The pupil point of map sample (column, row).
void PointOf(const optics::WavefrontSamples& map, int column, int row, double& x, double& y)
{
    x = (column - map.centreX) / map.radius;
    y = (map.centreY - row) / map.radius;
}

// Fringe 1..4 at (x, y): piston, the tilts and defocus.
std::array<double, kDefocus> LowTerms(double x, double y)
{
    return {1.0, x, y, 2.0 * (x * x + y * y) - 1.0};
}

}  // namespace

optics::ZernikeOrder OrderOf(TermOrder order, int index)
{
    switch (order) {
    case TermOrder::Fringe:
        return index >= 1 && index <= optics::kFringeTerms ? optics::FringeOrder(index) : optics::ZernikeOrder{-1, 0};
    case TermOrder::Noll: {
        int n = 0;
        while ((n + 1) * (n + 2) / 2 < index)
            ++n;
        const int k = index - n * (n + 1) / 2 - 1;  // 0..n within the row
        const int m = n % 2 == 0 ? 2 * ((k + 1) / 2) : 2 * (k / 2) + 1;
        // Even indexes hold the cosine terms, odd ones the sine terms.
        return {n, m == 0 || index % 2 == 0 ? m : -m};
    }
    case TermOrder::Ansi: {
        int n = 0;
        while ((n + 1) * (n + 2) / 2 <= index)
            ++n;
        return {n, 2 * index - n * (n + 2)};
    }
    }
    return {-1, 0};
}

FringeTerms ToFringe(const ZernikeSet& set, std::size_t row, TermOrder order, bool normalised)
{
    FringeTerms result;
    if (row >= set.rows.size())
        return result;
    const std::vector<double>& values = set.rows[row].values;
    if (set.ownOrder) {
        order = set.order;
        normalised = set.normalised;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        int term = 0;
        optics::ZernikeOrder zo;
        if (set.kind == ZernikeSet::Kind::Table) {
            term = i < set.columnTerms.size() ? set.columnTerms[i] : 0;
            if (term > optics::kFringeTerms)
                term = 0;
            if (term > 0)
                zo = optics::FringeOrder(term);
        } else {
            const int index = static_cast<int>(i) + (order == TermOrder::Ansi ? 0 : 1);
            zo = OrderOf(order, index);
            term = zo.n >= 0 ? optics::FringeTermOf(zo) : 0;
        }
        if (term == 0) {
            if (values[i] != 0.0)
                ++result.ignored;
            continue;
        }
        result.terms[static_cast<std::size_t>(term - 1)] +=
            normalised ? values[i] * optics::ZernikeNormalisation(zo) : values[i];
    }
    return result;
}

std::shared_ptr<const optics::WavefrontSamples> PrepareMap(const MapData& map, const MeasuredSettings& settings)
{
    if (!map.samples)
        return nullptr;
    const double sides = settings.surface ? 2.0 : 1.0;
    const int removed = settings.removeDefocus ? kDefocus : kTilt;
    auto samples = std::make_shared<optics::WavefrontSamples>(*map.samples);
    const double scale = map.unit == MapData::Unit::Waves ? sides * settings.waveLength / optics::kReferenceWavelength
                                                          : sides / optics::kReferenceWavelength;
    // The samples on the pupil, for the fit of what is removed. Piston and
    // tilt are taken from a fit of all the Fringe terms, so that coma, which
    // a disc of samples does not quite keep apart from tilt, stays as it is;
    // large maps are fitted on every so many samples.
    std::size_t inside = 0;
    for (int row = 0; row < samples->height; ++row) {
        for (int column = 0; column < samples->width; ++column) {
            double& v = samples->values[static_cast<std::size_t>(row) * samples->width + column];
            if (std::isnan(v))
                continue;
            v *= scale;
            ++inside;
        }
    }
    const int stride = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(inside) / 200000.0)));
    std::vector<double> xs, ys, ws;
    for (int row = 0; row < samples->height; row += std::max(1, stride)) {
        for (int column = 0; column < samples->width; column += std::max(1, stride)) {
            const double v = samples->values[static_cast<std::size_t>(row) * samples->width + column];
            if (std::isnan(v))
                continue;
            double x, y;
            PointOf(*samples, column, row, x, y);
            if (x * x + y * y <= 1.0 + 1e-9) {
                xs.push_back(x);
                ys.push_back(y);
                ws.push_back(v);
            }
        }
    }
    base::Result<FringeFit> all = FitFringe(xs, ys, ws);
    const base::Result<FringeFit> fit = all ? std::move(all) : FitFringe(xs, ys, ws, removed);
    if (fit) {
        for (int row = 0; row < samples->height; ++row) {
            for (int column = 0; column < samples->width; ++column) {
                double& v = samples->values[static_cast<std::size_t>(row) * samples->width + column];
                if (std::isnan(v))
                    continue;
                double x, y;
                PointOf(*samples, column, row, x, y);
                const std::array<double, kDefocus> z = LowTerms(x, y);
                for (int t = 0; t < removed; ++t)
                    v -= fit->terms[static_cast<std::size_t>(t)] * z[static_cast<std::size_t>(t)];
            }
        }
    }
    return samples;
}

optics::MeasuredWavefrontPtr ComposeMeasured(const FringeArray& terms,
                                             std::shared_ptr<const optics::WavefrontSamples> prepared,
                                             const MeasuredSettings& settings)
{
    const double sides = settings.surface ? 2.0 : 1.0;
    const int removed = settings.removeDefocus ? kDefocus : kTilt;
    FringeArray used{};
    bool any = prepared != nullptr;
    for (int i = removed; i < optics::kFringeTerms; ++i) {
        used[static_cast<std::size_t>(i)] =
            terms[static_cast<std::size_t>(i)] * sides * settings.waveLength / optics::kReferenceWavelength;
        any = any || used[static_cast<std::size_t>(i)] != 0.0;
    }
    if (!any)
        return nullptr;
    return std::make_shared<const optics::MeasuredWavefront>(used, std::move(prepared));
}

optics::MeasuredWavefrontPtr ComposeMeasured(const FringeArray& terms, const MapData* map,
                                             const MeasuredSettings& settings)
{
    return ComposeMeasured(terms, map ? PrepareMap(*map, settings) : nullptr, settings);
}

base::Result<FringeFit> FitFringe(const std::vector<double>& x, const std::vector<double>& y,
                                  const std::vector<double>& w, int count)
{
    const int n = count;
    if (static_cast<int>(w.size()) < n)
        return base::Fail("the wavefront has too few samples for a fit of " + std::to_string(n) + " terms");
    std::vector<double> A(static_cast<std::size_t>(n * n), 0.0);
    std::vector<double> b(static_cast<std::size_t>(n), 0.0);
    std::array<double, optics::kFringeTerms> z{};
    const auto values = [&](std::size_t p) {
        if (n <= kDefocus) {
            const std::array<double, kDefocus> low = LowTerms(x[p], y[p]);
            std::copy(low.begin(), low.end(), z.begin());
        } else {
            optics::FringeValues(x[p], y[p], z);
        }
    };
    for (std::size_t p = 0; p < w.size(); ++p) {
        values(p);
        for (int i = 0; i < n; ++i) {
            b[static_cast<std::size_t>(i)] += z[static_cast<std::size_t>(i)] * w[p];
            for (int j = 0; j <= i; ++j)
                A[static_cast<std::size_t>(i * n + j)] +=
                    z[static_cast<std::size_t>(i)] * z[static_cast<std::size_t>(j)];
        }
    }
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            A[static_cast<std::size_t>(i * n + j)] = A[static_cast<std::size_t>(j * n + i)];
    std::vector<double> c;
    if (!SolveNormal(A, b, n, c))
        return base::Fail("the samples of the wavefront cannot tell the Zernike terms apart");
    FringeFit fit;
    fit.points = static_cast<int>(w.size());
    std::copy(c.begin(), c.end(), fit.terms.begin());
    double squares = 0.0;
    double sum = 0.0;
    for (std::size_t p = 0; p < w.size(); ++p) {
        values(p);
        double r = w[p];
        for (int i = 0; i < n; ++i)
            r -= fit.terms[static_cast<std::size_t>(i)] * z[static_cast<std::size_t>(i)];
        squares += r * r;
        sum += r;
    }
    const double mean = sum / static_cast<double>(w.size());
    fit.residualRms = std::sqrt(std::max(0.0, squares / static_cast<double>(w.size()) - mean * mean));
    return fit;
}

base::Result<FringeFit> FitFringe(const optics::PupilPhase& pupil)
{
    std::vector<double> xs, ys, ws;
    for (int u = -pupil.N; u <= pupil.N; ++u) {
        for (int v = -pupil.N; v <= pupil.N; ++v) {
            if (!pupil.open[pupil.index(u, v)])
                continue;
            xs.push_back(static_cast<double>(u) / pupil.N);
            ys.push_back(-static_cast<double>(v) / pupil.N);
            ws.push_back(pupil.waves[pupil.index(u, v)]);
        }
    }
    return FitFringe(xs, ys, ws);
}

std::string ZernikeListText(const FringeArray& terms)
{
    std::string text;
    for (double t : terms)
        text += FormatNumber(t) + "\n";
    return text;
}

std::string ZernikeTableText(const FringeArray& terms, double residualRms, const std::string& measurement)
{
    std::string text = "Measurement";
    for (int t = 1; t <= optics::kFringeTerms; ++t)
        text += ",Z" + std::to_string(t);
    text += ",Residual RMS\n";
    std::string name = measurement;
    std::replace(name.begin(), name.end(), ',', ' ');
    text += name;
    for (double t : terms)
        text += "," + FormatNumber(t);
    text += "," + FormatNumber(residualRms) + "\n";
    return text;
}

std::string WftText(const optics::PupilPhase& pupil, double diameterMm)
{
    const int side = pupil.side();
    std::string text = std::to_string(side) + "\n" + std::to_string(side) + "\n";
    text.reserve(text.size() + static_cast<std::size_t>(side) * side * 12 + 200);
    // Bottom row first: y = -1 is v = +N.
    for (int v = pupil.N; v >= -pupil.N; --v) {
        for (int u = -pupil.N; u <= pupil.N; ++u) {
            const std::size_t i = pupil.index(u, v);
            text += pupil.open[i] ? FormatNumber(pupil.waves[i]) : std::string("0");
            text += '\n';
        }
    }
    const std::string n = std::to_string(pupil.N);
    text += "outside ellipse " + n + " " + n + " " + n + " " + n + "\n";
    text += "obstruction ellipse " + n + " " + n + " 0 0\n";
    text += "DIAM " + FormatNumber(diameterMm) + "\n";
    text += "Lambda " + FormatNumber(optics::kReferenceWavelength) + "\n";
    return text;
}

base::Result<std::string> FitsBytes(const optics::PupilPhase& pupil, double diameterMm)
{
    const int side = pupil.side();
    std::vector<double> values(static_cast<std::size_t>(side) * side, std::numeric_limits<double>::quiet_NaN());
    for (int v = pupil.N; v >= -pupil.N; --v) {
        const std::size_t row = static_cast<std::size_t>(pupil.N - v);
        for (int u = -pupil.N; u <= pupil.N; ++u)
            if (pupil.open[pupil.index(u, v)])
                values[row * side + static_cast<std::size_t>(u + pupil.N)] = pupil.waves[pupil.index(u, v)];
    }
    // cfitsio builds the file in memory; it is written like every other file.
    std::size_t size = 2880;
    void* memory = std::malloc(size);
    if (!memory)
        return base::Fail("not enough memory for the FITS file");
    fitsfile* f = nullptr;
    int status = 0;
    long axes[2] = {side, side};
    long first[2] = {1, 1};
    double nm = optics::kReferenceWavelength * 1e-9;
    double diameter = diameterMm;
    double centre = pupil.N + 1.0;  // FITS counts pixels from 1
    double radius = pupil.N;
    fits_create_memfile(&f, &memory, &size, 2880, std::realloc, &status);
    fits_create_img(f, DOUBLE_IMG, 2, axes, &status);
    fits_write_key(f, TSTRING, "BUNIT", const_cast<char*>("waves"), const_cast<char*>("wavefront error, waves"),
                   &status);
    fits_write_key(f, TDOUBLE, "WAVELEN", &nm, const_cast<char*>("[m] wavelength of the waves"), &status);
    fits_write_key(f, TDOUBLE, "DIAMETER", &diameter, const_cast<char*>("[mm] aperture diameter"), &status);
    fits_write_key(f, TDOUBLE, "PUPILX", &centre, const_cast<char*>("pupil centre, pixel (x right)"), &status);
    fits_write_key(f, TDOUBLE, "PUPILY", &centre, const_cast<char*>("pupil centre, pixel (y up)"), &status);
    fits_write_key(f, TDOUBLE, "PUPILR", &radius, const_cast<char*>("pupil radius, pixels"), &status);
    fits_write_comment(f, "Total wavefront of the telescope: row 1 at the bottom, NaN outside the pupil.", &status);
    fits_write_pix(f, TDOUBLE, first, static_cast<LONGLONG>(values.size()), values.data(), &status);
    // The file ends with the padded data of its one image; the buffer may be
    // larger.
    LONGLONG headerStart = 0, dataStart = 0, dataEnd = 0;
    fits_flush_file(f, &status);
    fits_get_hduaddrll(f, &headerStart, &dataStart, &dataEnd, &status);
    fits_close_file(f, &status);
    if (status != 0) {
        char text[FLEN_STATUS] = {};
        fits_get_errstatus(status, text);
        fits_clear_errmsg();
        std::free(memory);
        return base::Fail(std::string("the FITS file could not be made (") + text + ")");
    }
    std::string bytes(static_cast<const char*>(memory), std::min<std::size_t>(size, static_cast<std::size_t>(dataEnd)));
    std::free(memory);
    return bytes;
}

}  // namespace measured
