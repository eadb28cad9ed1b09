#include "simulations/planet.h"

#include "optics/fft.h"
#include "simulations/colour.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
constexpr int kCompositeSide = 256;
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

std::uint8_t channelByte(float value)
{
    const double r = std::nearbyint(static_cast<double>(value));
    if (!(r > 0.0))
        return 0;
    return r >= 255.0 ? 255 : static_cast<std::uint8_t>(r);
}

}  // namespace

PlanetPlacement PlacePlanet(int pictureWidth, int pictureHeight)
{
    const PlacementAxis x = placeAxis(std::max(pictureWidth, 0));
    const PlacementAxis y = placeAxis(std::max(pictureHeight, 0));
    return {x.first, y.first, x.count, y.count, x.offset, y.offset,
            pictureWidth > kPlanetSide || pictureHeight > kPlanetSide};
}

PlanetPlane PlaneOf(bool colourPass, double waveLength)
{
    if (colourPass) {
        for (const ColourPassSpec& pass : kColourPasses)
            if (waveLength == pass.waveLength)
                return pass.channel;
    }
    return PlanetPlane::Grey;
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

void ConvolvePlanet(optics::Engine& engine, const RgbPicture& picture, PlanetPlane plane, optics::StatusSink& status)
{
    optics::Engine& e = engine;
    constexpr int n = optics::kLineLength;

    // The kernel: a copy of the star image, and its total.
    optics::CopyGrid(e.StarGrid, e.KernelGrid);
    double total = 0.0;
    for (int i = 1; i <= n; ++i) {
        const double* row = e.KernelGrid.row(i);
        for (int j = 1; j <= n; ++j)
            total += row[j];
    }
    const double unit = total > 0.0 ? total : 1.0;

    // Its spectrum at unit sum, transformed where it is kept. The field grids
    // end cleared, as after any other use of them as a scratch pair.
    status.setStatus(0, "FFT of star-image");
    // (Every cell of OtfReal's data area is written; its border is never.)
    optics::ClearGrid(e, e.OtfImag);
    for (int i = 1; i <= n; ++i) {
        const double* kernel = e.KernelGrid.row(i);
        double* re = e.OtfReal.row(i);
        for (int j = 1; j <= n; ++j)
            re[j] = kernel[j] / unit;
    }
    optics::Transform2D(e, e.OtfReal, e.OtfImag);
    optics::ClearGrid(e, e.FieldReal);
    optics::ClearGrid(e, e.FieldImag);
    optics::ClearGrid(e, e.StarGrid);

    // The picture on a black surround, in StarGrid and in the work grid.
    const PlanetPlacement place = PlacePlanet(picture.width, picture.height);
    for (int a = 0; a < place.height; ++a) {
        for (int b = 0; b < place.width; ++b) {
            const double v = planeValue(picture.pixel(place.left + b, place.top + a), plane);
            const int i = 1 + place.x0 + b;
            const int j = 1 + place.y0 + a;
            e.StarGrid(i, j) = v;
            e.FieldReal(i, j) = v;
        }
    }

    status.setStatus(0, "FFT of planet-image");
    status.repaintNow();
    optics::Transform2D(e, e.FieldReal, e.FieldImag);
    status.repaintNow();

    // Product of the spectra, from the values before the update.
    for (int i = 1; i <= n; ++i) {
        double* fr = e.FieldReal.row(i);
        double* fi = e.FieldImag.row(i);
        const double* otfr = e.OtfReal.row(i);
        const double* otfi = e.OtfImag.row(i);
        for (int j = 1; j <= n; ++j) {
            const double re = fr[j];
            const double im = fi[j];
            fr[j] = (otfr[j] * re - otfi[j] * im) * kSpectrumScale;
            fi[j] = (otfr[j] * im + re * otfi[j]) * kSpectrumScale;
        }
    }

    status.setStatus(0, "Inverse FFT of star * planet");
    status.repaintNow();
    optics::InverseTransform2D(e, e.FieldReal, e.FieldImag);
}

double ChannelWeight(const optics::Engine& engine, double total)
{
    double amplitude = 0.0;
    for (int i = 1; i <= optics::kLineLength; ++i) {
        const double* row = engine.StarGrid.row(i);
        for (int j = 1; j <= optics::kLineLength; ++j)
            amplitude += std::sqrt(row[j]);
    }
    const double weight = total / amplitude;
    return amplitude > 0.0 && std::isfinite(weight) ? weight : 0.0;
}

void DrawPlanetComposite(optics::Engine& engine, imaging::PixelBuffer& buffer)
{
    for (int x = 0; x < kCompositeSide; ++x) {
        for (int y = 0; y < kCompositeSide; ++y) {
            optics::RgbCell& cell = engine.ColourGrid(kCompositeFirstCell + x, kCompositeFirstCell + y);
            for (float* channel : {&cell.red, &cell.green, &cell.blue})
                if (*channel > 255.0f)
                    *channel = 255.0f;
            buffer.setPixel(x, y, {channelByte(cell.red), channelByte(cell.green), channelByte(cell.blue)});
        }
    }
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

void PlanetRun::convolve(const RgbPicture& picture, optics::StatusSink& status)
{
    ConvolvePlanet(m_engine, picture, PlaneOf(m_engine.ColourPass, m_engine.WaveLength), status);
}

void PlanetRun::startColourRun(const RgbPicture& picture)
{
    const ChannelTotals totals = PlanetTotals(picture);
    m_engine.PlanetSumRed = totals.red;
    m_engine.PlanetSumGreen = totals.green;
    m_engine.PlanetSumBlue = totals.blue;
    m_engine.ColourPass = true;
    for (int i = 1; i <= optics::kLineLength; ++i)
        for (int j = 1; j <= optics::kLineLength; ++j)
            m_engine.ColourGrid(i, j) = {0.0f, 0.0f, 0.0f};
}

void PlanetRun::accumulate(PlanetPlane channel)
{
    optics::Engine& e = m_engine;
    e.WeightRed = 0.0;
    e.WeightGreen = 0.0;
    e.WeightBlue = 0.0;
    switch (channel) {
    case PlanetPlane::Red: e.WeightRed = ChannelWeight(e, e.PlanetSumRed); break;
    case PlanetPlane::Green: e.WeightGreen = ChannelWeight(e, e.PlanetSumGreen); break;
    case PlanetPlane::Blue: e.WeightBlue = ChannelWeight(e, e.PlanetSumBlue); break;
    case PlanetPlane::Grey: return;
    }
    AccumulateColour(e);
}

void PlanetRun::endColourRun()
{
    m_engine.ColourComposite = true;
    m_engine.ColourPass = false;
    m_engine.WaveLength = optics::kReferenceWavelength;
}

void PlanetRun::abandonColourRun()
{
    m_engine.ColourPass = false;
    m_engine.WaveLength = optics::kReferenceWavelength;
}

}  // namespace sim
