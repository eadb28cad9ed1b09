#include "simulations/planet.h"

#include "optics/fft.h"
#include "simulations/colour.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sim {

namespace {

// 512 x 512: the product of two unscaled spectra is scaled back to the size
// of one so that the inverse transform, which divides by it, leaves the
// convolution times this factor.
constexpr double kSpectrumScale = 262144.0;

// Weights of the grey plane. 0.229 and 0.589 are this program's own, not
// the television weights 0.299 and 0.587.
constexpr double kGreyRed = 0.229;
constexpr double kGreyGreen = 0.589;
constexpr double kGreyBlue = 0.114;

// The side of the colour composite and the first cell it shows.
constexpr int kCompositeSide = optics::kPictureSide;
constexpr int kCompositeFirstCell = 129;

// One side of the placement.
struct PlacementAxis {
    int first;   // first picture pixel used
    int count;   // pixels used
    int offset;  // grid offset of the first one
};

PlacementAxis placeAxis(int size)
{
    if (size > kPlanetSide)
        return {(size - kPlanetSide) / 2, kPlanetSide, 0};
    return {0, size, (kPlanetSide - size) / 2};
}

double planeValue(const std::uint8_t* p, PlanetPlane plane)
{
    switch (plane) {
    case PlanetPlane::Red: return p[0];
    case PlanetPlane::Green: return p[1];
    case PlanetPlane::Blue: return p[2];
    case PlanetPlane::Grey: break;
    }
    return kGreyRed * p[0] + kGreyGreen * p[1] + kGreyBlue * p[2];
}

// The grid passes below are written for two doubles at a time; each keeps
// the order of operations of its plain form except the totals, which run in
// four interleaved sums.

// to[n] = from[n] / d for n = 0..511.
void divideRow(const double* from, double d, double* to)
{
#if defined(__SSE2__)
    const __m128d dd = _mm_set1_pd(d);
    for (int n = 0; n < optics::kLineLength; n += 2)
        _mm_storeu_pd(to + n, _mm_div_pd(_mm_loadu_pd(from + n), dd));
#else
    for (int n = 0; n < optics::kLineLength; ++n)
        to[n] = from[n] / d;
#endif
}

// (fr, fi) := (otfr fr - otfi fi, otfr fi + fr otfi) x 262144 for one row.
void multiplyRow(const double* otfr, const double* otfi, double* fr, double* fi)
{
#if defined(__SSE2__)
    const __m128d scale = _mm_set1_pd(kSpectrumScale);
    for (int n = 0; n < optics::kLineLength; n += 2) {
        const __m128d a = _mm_loadu_pd(otfr + n);
        const __m128d b = _mm_loadu_pd(otfi + n);
        const __m128d re = _mm_loadu_pd(fr + n);
        const __m128d im = _mm_loadu_pd(fi + n);
        _mm_storeu_pd(fr + n, _mm_mul_pd(_mm_sub_pd(_mm_mul_pd(a, re), _mm_mul_pd(b, im)), scale));
        _mm_storeu_pd(fi + n, _mm_mul_pd(_mm_add_pd(_mm_mul_pd(a, im), _mm_mul_pd(re, b)), scale));
    }
#else
    for (int n = 0; n < optics::kLineLength; ++n) {
        const double re = fr[n];
        const double im = fi[n];
        fr[n] = (otfr[n] * re - otfi[n] * im) * kSpectrumScale;
        fi[n] = (otfr[n] * im + re * otfi[n]) * kSpectrumScale;
    }
#endif
}

// Sum over the data area, in four interleaved sums.
double starTotal(const optics::Grid& grid)
{
#if defined(__SSE2__)
    __m128d s0 = _mm_setzero_pd();
    __m128d s1 = _mm_setzero_pd();
    for (int i = 1; i <= optics::kLineLength; ++i) {
        const double* row = grid.row(i) + 1;
        for (int j = 0; j < optics::kLineLength; j += 4) {
            s0 = _mm_add_pd(s0, _mm_loadu_pd(row + j));
            s1 = _mm_add_pd(s1, _mm_loadu_pd(row + j + 2));
        }
    }
    double lanes[4];
    _mm_storeu_pd(lanes, s0);
    _mm_storeu_pd(lanes + 2, s1);
    return (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
#else
    double total = 0.0;
    for (int i = 1; i <= optics::kLineLength; ++i) {
        const double* row = grid.row(i);
        for (int j = 1; j <= optics::kLineLength; ++j)
            total += row[j];
    }
    return total;
#endif
}

}  // namespace

PlanetPlacement PlacePlanet(int pictureWidth, int pictureHeight)
{
    const PlacementAxis x = placeAxis(std::max(pictureWidth, 0));
    const PlacementAxis y = placeAxis(std::max(pictureHeight, 0));
    return {x.first, y.first, x.count, y.count, x.offset, y.offset,
            pictureWidth > kPlanetSide || pictureHeight > kPlanetSide};
}

ChannelTotals PlanetTotals(const RgbPicture& picture)
{
    const PlanetPlacement place = PlacePlanet(picture.width, picture.height);
    ChannelTotals totals;
    for (int a = 0; a < place.height; ++a) {
        // Whole rows in integers: exact, and the same as adding byte by byte.
        std::uint64_t red = 0;
        std::uint64_t green = 0;
        std::uint64_t blue = 0;
        for (int b = 0; b < place.width; ++b) {
            const std::uint8_t* p = picture.pixel(place.left + b, place.top + a);
            red += p[0];
            green += p[1];
            blue += p[2];
        }
        totals.red += static_cast<double>(red);
        totals.green += static_cast<double>(green);
        totals.blue += static_cast<double>(blue);
    }
    return totals;
}

void PlacePlanetPicture(const RgbPicture& picture, PlanetPlane plane, optics::Grid& grid, optics::LoopRunner* loops)
{
    constexpr int n = optics::kLineLength;
    const PlanetPlacement place = PlacePlanet(picture.width, picture.height);
    optics::InOrder inOrder;
    optics::LoopRunner& rows = loops ? *loops : inOrder;
    rows.run(n, [&](int first, int last) {
        for (int i = first + 1; i <= last; ++i)
            std::fill(grid.row(i) + 1, grid.row(i) + 1 + n, 0.0);
    });
    // A picture row goes down a grid column.
    rows.run(place.height, [&](int first, int last) {
        for (int a = first; a < last; ++a) {
            const int j = 1 + place.y0 + a;
            for (int b = 0; b < place.width; ++b)
                grid(1 + place.x0 + b, j) = planeValue(picture.pixel(place.left + b, place.top + a), plane);
        }
    });
}

optics::StarImagePtr ConvolvePlanet(optics::Workspace& workspace, const optics::StarImage& kernel,
                                    const RgbPicture& picture, PlanetPlane plane, optics::Progress& progress,
                                    const optics::TransformRunner& runner)
{
    optics::Workspace& w = workspace;
    constexpr int n = optics::kLineLength;
    optics::InOrder inOrder;
    optics::LoopRunner& rows = runner.loops ? *runner.loops : inOrder;

    // The kernel's spectrum at unit sum, transformed where it is kept. Every
    // grid pass here touches the data area only; the borders of these grids
    // are never written and stay 0.
    const double total = starTotal(kernel.grid);
    const double unit = total > 0.0 ? total : 1.0;
    progress.stage("FFT of star-image");
    rows.run(n, [&](int first, int last) {
        for (int i = 1 + first; i <= last; ++i) {
            divideRow(kernel.grid.row(i) + 1, unit, w.spectrumRe.row(i) + 1);
            std::fill(w.spectrumIm.row(i) + 1, w.spectrumIm.row(i) + 1 + n, 0.0);
        }
    });
    optics::Transform2D(w.spectrumRe, w.spectrumIm, runner);
    w.spectrumAfterPupil = true;

    // The picture on a black surround, and its spectrum.
    PlacePlanetPicture(picture, plane, w.fieldRe, runner.loops);
    rows.run(n, [&](int first, int last) {
        for (int i = first + 1; i <= last; ++i)
            std::fill(w.fieldIm.row(i) + 1, w.fieldIm.row(i) + 1 + n, 0.0);
    });
    progress.stage("FFT of planet-image");
    progress.flush();
    optics::Transform2D(w.fieldRe, w.fieldIm, runner);
    progress.flush();

    // Product of the spectra, from the values before the update.
    rows.run(n, [&](int first, int last) {
        for (int i = 1 + first; i <= last; ++i)
            multiplyRow(w.spectrumRe.row(i) + 1, w.spectrumIm.row(i) + 1, w.fieldRe.row(i) + 1,
                        w.fieldIm.row(i) + 1);
    });

    progress.stage("Inverse FFT of star * planet");
    progress.flush();
    optics::InverseTransform2D(w.fieldRe, w.fieldIm, runner);
    return optics::FormStarImage(w, progress, runner.loops);
}

std::string WavelengthStatus(double waveLength, char separator)
{
    char text[32] = "";
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, waveLength);
        if (std::strtod(text, nullptr) == waveLength && !std::strchr(text, 'e'))
            break;
    }
    std::string number(text);
    std::replace(number.begin(), number.end(), '.', separator);
    return "Calculating wavefront at " + number + "nm";
}

PlanetPass RunPlanetPass(optics::StarCalculator& calculator, const optics::StarRequest& request,
                         const RgbPicture& picture, PlanetPlane plane, optics::Progress& progress)
{
    PlanetPass pass;
    // The convolution writes over the star's field: it need not be stored.
    optics::StarRequest starRequest = request;
    starRequest.keepField = false;
    base::Result<optics::StarResult> star = calculator.calculate(starRequest, progress);
    if (!star)
        return pass;
    pass.star = std::move(star).value();
    progress.flush();
    pass.planet = ConvolvePlanet(calculator.workspace(), *pass.star.image, picture, plane, progress,
                                 calculator.transformRunner());
    return pass;
}

std::vector<optics::StarRequest> PlanColourPasses(const optics::StarRequest& controls)
{
    std::vector<optics::StarRequest> plan;
    for (const ColourPassSpec& pass : kColourPasses) {
        optics::StarRequest request = controls;
        request.waveLength = pass.waveLength;
        plan.push_back(request);
    }
    return plan;
}

PlanetColourSum::PlanetColourSum(const RgbPicture& picture)
    : m_cells(new optics::ColourCells), m_totals(PlanetTotals(picture))
{
}

double PlanetColourSum::add(const optics::Grid& plane, PlanetPlane channel, optics::LoopRunner* loops)
{
    const double weight = addChannel(plane, channel, m_amplitude, loops);
    noteAdded(channel, weight);
    return weight;
}

double PlanetColourSum::addChannel(const optics::Grid& plane, PlanetPlane channel, std::vector<double>& amplitude,
                                   optics::LoopRunner* loops)
{
    const auto accumulate = [&](Channel c, double total) {
        bool& started = m_started[static_cast<std::size_t>(c)];
        const bool start = !started;
        started = true;
        return AccumulateChannel(*m_cells, plane, c, total, amplitude, start, loops);
    };
    switch (channel) {
    case PlanetPlane::Red: return accumulate(Channel::Red, m_totals.red);
    case PlanetPlane::Green: return accumulate(Channel::Green, m_totals.green);
    case PlanetPlane::Blue: return accumulate(Channel::Blue, m_totals.blue);
    case PlanetPlane::Grey: break;
    }
    return 0.0;
}

void PlanetColourSum::noteAdded(PlanetPlane channel, double weight)
{
    if (channel == PlanetPlane::Grey)
        return;
    m_weights = {channel == PlanetPlane::Red ? weight : 0.0, channel == PlanetPlane::Green ? weight : 0.0,
                 channel == PlanetPlane::Blue ? weight : 0.0};
}

Composite PlanetColourSum::finish()
{
    for (const Channel c : {Channel::Red, Channel::Green, Channel::Blue}) {
        bool& started = m_started[static_cast<std::size_t>(c)];
        if (!started)
            ClearChannel(*m_cells, c);
        started = true;
    }
    for (int x = 0; x < kCompositeSide; ++x) {
        optics::RgbCell* cells = &(*m_cells)(kCompositeFirstCell + x, kCompositeFirstCell);
        for (int y = 0; y < kCompositeSide; ++y) {
            optics::RgbCell& cell = cells[y];
            cell.red = std::min(cell.red, 255.0f);
            cell.green = std::min(cell.green, 255.0f);
            cell.blue = std::min(cell.blue, 255.0f);
        }
    }
    return {m_cells, 1.0};
}

ColourPlanet RunColourPlanet(optics::StarCalculator& calculator, const optics::StarRequest& controls,
                             const RgbPicture& picture, optics::Progress& progress)
{
    ColourPlanet planet;
    PlanetColourSum sum(picture);
    planet.totals = sum.totals();
    const std::vector<optics::StarRequest> plan = PlanColourPasses(controls);
    for (std::size_t n = 0; n < plan.size(); ++n) {
        PlanetPass pass = RunPlanetPass(calculator, plan[n], picture, kColourPasses[n].channel, progress);
        if (!pass.planet)
            return planet;
        sum.add(pass.planet->grid, kColourPasses[n].channel, calculator.loops());
        planet.passes.push_back(std::move(pass));
    }
    planet.lastWeights = sum.lastWeights();
    planet.composite = sum.finish();
    return planet;
}

}  // namespace sim
