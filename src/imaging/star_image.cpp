#include "imaging/star_image.h"

#include "imaging/colour.h"

#include <array>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace imaging {

namespace {

constexpr int kPictureSide = 256;
constexpr int kPictureCentre = 128;
constexpr int kLutTop = 1000;
// Grid cell under the picture centre before the +1 of the cell index: pixel
// offset 0 reads cell [256][256], so the PSF peak at [257][257] is drawn one
// pixel right of and below the centre.
constexpr double kSampleOrigin = 255.0;

std::uint8_t channel(double value)
{
    return ChannelByte(value);
}

// A cell of a colour composite at the composite's scale.
Rgb compositeColour(const optics::RgbCell& cell, double scale)
{
    return {channel(static_cast<double>(cell.red) * scale), channel(static_cast<double>(cell.green) * scale),
            channel(static_cast<double>(cell.blue) * scale)};
}

// Table index for a sample. StarGrid is normalised below 1, so the index
// stays in 0..1000; the limits only guard against foreign contents.
int lutIndex(double scaled)
{
    const double r = RoundHalfEven(scaled);
    if (!(r > 0.0))
        return 0;
    return r >= kLutTop ? kLutTop : static_cast<int>(r);
}

// Sample index of the star picture: -1 (row or column 0, which read 0) off
// the grid.
int starSample(int offset, double h)
{
    const double r = RoundHalfEven(offset * h + kSampleOrigin);
    if (!(r >= 0.0 && r <= 512.0))
        return -1;
    return static_cast<int>(r);
}

// Sample index of the zoom redraw; anything outside 0..512 fails both of its
// bounds tests, so it is reported as -1 too.
int zoomSample(int offset, float h)
{
    const double r = RoundHalfEven(offset * static_cast<double>(h) + kSampleOrigin);
    if (!(r >= 0.0 && r <= 512.0))
        return -1;
    return static_cast<int>(r);
}

// One row of the intensity: out[n] = re[n]^2 + im[n]^2 for n = 0..511, and
// the larger of `peak` and the row's largest value. A NaN never becomes the
// peak, just as it passes no comparison with it. The grids are read once per
// display step, so the loops are written for two doubles at a time.
double intensityRow(const double* re, const double* im, double* out, double peak)
{
#if defined(__SSE2__)
    __m128d m0 = _mm_set1_pd(peak);
    __m128d m1 = m0;
    for (int n = 0; n < 512; n += 4) {
        const __m128d r0 = _mm_loadu_pd(re + n);
        const __m128d i0 = _mm_loadu_pd(im + n);
        const __m128d r1 = _mm_loadu_pd(re + n + 2);
        const __m128d i1 = _mm_loadu_pd(im + n + 2);
        const __m128d e0 = _mm_add_pd(_mm_mul_pd(r0, r0), _mm_mul_pd(i0, i0));
        const __m128d e1 = _mm_add_pd(_mm_mul_pd(r1, r1), _mm_mul_pd(i1, i1));
        _mm_storeu_pd(out + n, e0);
        _mm_storeu_pd(out + n + 2, e1);
        // maxpd returns its second operand unless the first is greater, so a
        // NaN in e never replaces the running maximum.
        m0 = _mm_max_pd(e0, m0);
        m1 = _mm_max_pd(e1, m1);
    }
    double lanes[4];
    _mm_storeu_pd(lanes, m0);
    _mm_storeu_pd(lanes + 2, m1);
    for (double lane : lanes)
        peak = lane > peak ? lane : peak;
#else
    for (int n = 0; n < 512; ++n) {
        const double e = re[n] * re[n] + im[n] * im[n];
        out[n] = e;
        peak = e > peak ? e : peak;
    }
#endif
    return peak;
}

// to[n] = k x from[n] for n = 0..255.
void scaleRow(const double* from, double* to, double k)
{
#if defined(__SSE2__)
    const __m128d kk = _mm_set1_pd(k);
    for (int n = 0; n < 256; n += 2)
        _mm_storeu_pd(to + n, _mm_mul_pd(kk, _mm_loadu_pd(from + n)));
#else
    for (int n = 0; n < 256; ++n)
        to[n] = k * from[n];
#endif
}

bool brightnessApplies(const optics::Engine& engine, const DisplaySettings& settings)
{
    return settings.brightness != 0 && !engine.ColourPass;
}

double brightnessGain(const DisplaySettings& settings)
{
    return settings.brightness * 0.2 + 1.0;
}

void finish(optics::StatusSink& status, const PaintStep& paint)
{
    if (paint)
        paint();
    status.setStatus(0, "");
}

}  // namespace

std::uint8_t ChannelByte(double value)
{
    const double r = RoundHalfEven(value);
    if (!(r > 0.0))
        return 0;
    return r >= 255.0 ? 255 : static_cast<std::uint8_t>(r);
}

ColourTable SinglePrecisionColours(const optics::Engine& engine, const DisplaySettings& settings, Rgb star)
{
    ColourTable colours;
    const bool bright = brightnessApplies(engine, settings);
    const double gain = brightnessGain(settings);
    for (int n = 0; n <= kLutTop; ++n) {
        float level = static_cast<float>(engine.DisplayLut[n]);
        if (bright) {
            level = static_cast<float>(gain * level);
            if (level > 1.0f)
                level = 1.0f;
        }
        colours[n] = {ChannelByte(star.red * static_cast<double>(level)),
                      ChannelByte(star.green * static_cast<double>(level)),
                      ChannelByte(star.blue * static_cast<double>(level))};
    }
    return colours;
}

void BuildDisplayLut(optics::Engine& engine, double gamma, double slope)
{
    // At g = 1 the exponent 1 / (g - 1) has no value; its limit from below,
    // where the gamma editor's range lies, is minus infinity. A typed 1 can
    // reach here before the editor clamps it.
    const double exponent = gamma == 1.0 ? -HUGE_VAL : 1.0 / (gamma - 1.0);
    const double threshold = std::pow(slope, exponent);
    for (int n = 0; n <= kLutTop; ++n) {
        const double x = n * 0.001;
        engine.DisplayLut[n] = x >= threshold ? std::pow(x + 0.000001, gamma) : slope * x;
    }
}

bool BuildStarImage(optics::Engine& engine, const DisplaySettings& settings, PixelBuffer* buffer,
                    optics::StatusSink& status, const PaintStep& paint)
{
    if (engine.ColourComposite)
        return false;
    status.setStatus(0, "Building image");
    const double h = 1.0 / settings.zoom;

    // Intensity and its peak. Keeping the running maximum in double and
    // rounding once gives the same float as rounding at every new maximum:
    // rounding is monotonic, so no later value can pass a rounded maximum
    // without rounding to the same float.
    double peak = -1.0e9;
    for (int a = 1; a <= 512; ++a)
        peak = intensityRow(engine.FieldReal.row(a) + 1, engine.FieldImag.row(a) + 1,
                            engine.WavefrontGrid.row(a) + 1, peak);
    engine.PeakIntensity = static_cast<float>(peak);
    const double k = 1.0 / (static_cast<double>(engine.PeakIntensity) + 0.00001);

    Rgb star = kWhite;
    if (engine.ColourPass)
        star = WavelengthToRgb(engine.WaveLength);
    engine.StarRed = star.red;
    engine.StarGreen = star.green;
    engine.StarBlue = star.blue;

    // Quadrant swap: transform cell [1 + a][1 + b] goes to
    // [1 + (a + 256) mod 512][1 + (b + 256) mod 512].
    // Last rows first: they are the ones the intensity pass left in the cache.
    for (int a = 511; a >= 0; --a) {
        const double* from = engine.WavefrontGrid.row(1 + a);
        double* to = engine.StarGrid.row(1 + ((a + 256) % 512));
        scaleRow(from + 1, to + 257, k);
        scaleRow(from + 257, to + 1, k);
    }

    if (buffer) {
        // The level, brightness and colour of a pixel depend only on its
        // table index, so they are worked out once per entry.
        ColourTable colours;
        const bool bright = brightnessApplies(engine, settings);
        const double gain = brightnessGain(settings);
        for (int n = 0; n <= kLutTop; ++n) {
            double level = engine.DisplayLut[n];
            if (bright) {
                level = gain * level;
                if (level > 1.0)
                    level = 1.0;
            }
            colours[n] = {channel(star.red * level), channel(star.green * level), channel(star.blue * level)};
        }

        std::array<int, kPictureSide> sample;
        for (int p = 0; p < kPictureSide; ++p)
            sample[p] = starSample(p - kPictureCentre, h) + 1;
        // Column by column, so that each column reads along one grid row.
        for (int x = 0; x < kPictureSide; ++x) {
            const double* row = engine.StarGrid.row(sample[x]);
            for (int y = 0; y < kPictureSide; ++y)
                buffer->setPixel(x, y, colours[lutIndex(1000.0 * row[sample[y]])]);
        }
    }

    finish(status, paint);
    return true;
}

void DrawColourComposite(const optics::Engine& engine, PixelBuffer& buffer)
{
    // The zero-frequency cell [257][257] lands on pixel (128, 128).
    constexpr int kFirstCell = 129;
    const double scale = engine.ColourScale;
    for (int x = 0; x < kPictureSide; ++x)
        for (int y = 0; y < kPictureSide; ++y)
            buffer.setPixel(x, y, compositeColour(engine.ColourGrid(kFirstCell + x, kFirstCell + y), scale));
}

int ZoomLabelNumber(double zoom)
{
    const float h = static_cast<float>(1.0 / (zoom + 0.0001));
    const double m = RoundHalfEven(25.0 * h);
    return std::abs(m) < 1.0e9 ? static_cast<int>(m) : 0;
}

int Changezoom(optics::Engine& engine, const DisplaySettings& settings, PixelBuffer* buffer,
               optics::StatusSink& status, const PaintStep& paint)
{
    const float h = static_cast<float>(1.0 / (settings.zoom + 0.0001));
    if (buffer) {
        std::array<int, kPictureSide> sample;
        for (int p = 0; p < kPictureSide; ++p)
            sample[p] = zoomSample(p - kPictureCentre, h);
        auto onTable = [](int s) { return s > 0 && s < 511; };
        auto onColourGrid = [](int s) { return s > 0 && s < 512; };

        if (engine.ColourComposite && !engine.ColourPass) {
            const double scale = engine.ColourScale;
            for (int x = 0; x < kPictureSide; ++x) {
                const int s = sample[x];
                for (int y = 0; y < kPictureSide; ++y) {
                    const int t = sample[y];
                    Rgb c = kBlack;
                    if (onColourGrid(s) && onColourGrid(t))
                        c = compositeColour(engine.ColourGrid(s + 1, t + 1), scale);
                    buffer->setPixel(x, y, c);
                }
            }
        } else {
            const Rgb star = engine.ColourPass ? Rgb{engine.StarRed, engine.StarGreen, engine.StarBlue} : kWhite;
            const ColourTable colours = SinglePrecisionColours(engine, settings, star);
            for (int x = 0; x < kPictureSide; ++x) {
                const int s = sample[x];
                // Level 0 off the table's bounds, whatever DisplayLut[0] holds.
                if (!onTable(s)) {
                    for (int y = 0; y < kPictureSide; ++y)
                        buffer->setPixel(x, y, kBlack);
                    continue;
                }
                const double* row = engine.StarGrid.row(s + 1);
                for (int y = 0; y < kPictureSide; ++y) {
                    const int t = sample[y];
                    Rgb c = kBlack;
                    if (onTable(t))
                        c = colours[lutIndex(static_cast<float>(1000.0 * row[t + 1]))];
                    buffer->setPixel(x, y, c);
                }
            }
        }
    }
    finish(status, paint);
    return ZoomLabelNumber(settings.zoom);
}

}  // namespace imaging
