#include "imaging/display.h"

#include "base/rounding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace imaging {

namespace {

constexpr int kSide = optics::kPictureSide;
constexpr int kCentre = kSide / 2;
// Grid cell under the picture centre before the +1 of the cell index: pixel
// offset 0 reads cell [256][256], so the PSF peak at [257][257] is drawn one
// pixel right of and below the centre.
constexpr double kSampleOrigin = 255.0;

using base::ByteLevel;
using base::RoundHalfEven;

// The colour of each curve entry: the level (held in `Level` precision),
// lifted by the brightness gain (b x 0.2 + 1, capped at 1), times the colour.
using ColourTable = std::array<Rgb, kDisplaySteps + 1>;

template <typename Level>
ColourTable coloursOf(const DisplayCurve& curve, const StarLook& look)
{
    ColourTable colours;
    const bool bright = look.brightness != 0;
    const double gain = look.brightness * 0.2 + 1.0;
    for (int n = 0; n <= kDisplaySteps; ++n) {
        auto level = static_cast<Level>(curve[n]);
        if (bright) {
            level = static_cast<Level>(gain * level);
            if (level > Level(1))
                level = Level(1);
        }
        const double l = static_cast<double>(level);
        colours[n] = {ByteLevel(look.colour.red * l), ByteLevel(look.colour.green * l), ByteLevel(look.colour.blue * l)};
    }
    return colours;
}

// Curve index for a scaled sample. A normalised star image stays in
// 0..1000; the limits only guard against foreign contents.
int curveIndex(double scaled)
{
    const double r = RoundHalfEven(scaled);
    if (!(r > 0.0))
        return 0;
    return r >= kDisplaySteps ? kDisplaySteps : static_cast<int>(r);
}

// The curve indexes of `count` values, each scaled as `scale` says (in double,
// or in double and then single precision) and then taken as curveIndex takes
// it. Limited to 0..kDisplaySteps before rounding, which gives the same
// index, as both ends are whole numbers; a NaN goes to 0 as there.
// `Scale` has an operator for one double and, with SSE2, for two.
template <class Scale>
void curveIndexes(const double* values, int count, std::uint16_t* out, const Scale& scale)
{
    int n = 0;
#if defined(__SSE2__)
    const __m128d zero = _mm_setzero_pd();
    const __m128d top = _mm_set1_pd(kDisplaySteps);
    for (; n + 4 <= count; n += 4) {
        // maxpd keeps its second operand, 0, against a NaN; the conversion
        // rounds half to even.
        const __m128d low = _mm_min_pd(_mm_max_pd(scale(_mm_loadu_pd(values + n)), zero), top);
        const __m128d high = _mm_min_pd(_mm_max_pd(scale(_mm_loadu_pd(values + n + 2)), zero), top);
        const __m128i indexes = _mm_unpacklo_epi64(_mm_cvtpd_epi32(low), _mm_cvtpd_epi32(high));
        // 0..1000 fits the 16 bits either way the packing reads them.
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + n), _mm_packs_epi32(indexes, indexes));
    }
#endif
    for (; n < count; ++n)
        out[n] = static_cast<std::uint16_t>(curveIndex(scale(values[n])));
}

// A star image's values at the display's scale: 1000 times, in double.
struct StarScale {
    double operator()(double v) const { return 1000.0 * v; }
#if defined(__SSE2__)
    __m128d operator()(__m128d v) const { return _mm_mul_pd(_mm_set1_pd(1000.0), v); }
#endif
};

// The dimmer image on the brighter one's peak: v x 1000 x peak / brighter, in
// double and then held in single precision.
struct PeakScale {
    double peak;
    double brighter;
    double operator()(double v) const { return static_cast<float>(v * 1000.0 * peak / brighter); }
#if defined(__SSE2__)
    __m128d operator()(__m128d v) const
    {
        const __m128d product = _mm_mul_pd(_mm_mul_pd(v, _mm_set1_pd(1000.0)), _mm_set1_pd(peak));
        return _mm_cvtps_pd(_mm_cvtpd_ps(_mm_div_pd(product, _mm_set1_pd(brighter))));
    }
#endif
};

// The sample index of every pixel offset along one axis.
std::array<int, kSide> samples(double h)
{
    std::array<int, kSide> s;
    for (int p = 0; p < kSide; ++p)
        s[p] = SampleIndex(p - kCentre, h);
    return s;
}

// A cell of a composite at its scale. Kept inline: a three-byte colour
// handed back from a call is put together on the stack and read back whole,
// which stalls each pixel for longer than its arithmetic takes.
[[gnu::always_inline]] inline Rgb compositeColour(const optics::RgbCell& cell, double scale)
{
    return {ByteLevel(static_cast<double>(cell.red) * scale), ByteLevel(static_cast<double>(cell.green) * scale),
            ByteLevel(static_cast<double>(cell.blue) * scale)};
}

// The zoom redraw's step, in single precision.
float zoomStep(double zoom)
{
    return static_cast<float>(1.0 / (zoom + 0.0001));
}

// How many columns are drawn at once.
constexpr int kColumnBlock = 8;
static_assert(kSide % kColumnBlock == 0);

// Draws every pixel (x, y) of the picture as colour(x, y), called column by
// column so that a column can read along one grid row; the colours of eight
// columns are written a picture row at a time.
template <class Colour>
void drawByColumns(PixelBuffer& picture, Colour&& colour)
{
    std::array<std::array<Rgb, kColumnBlock>, kSide> block;
    for (int x0 = 0; x0 < kSide; x0 += kColumnBlock) {
        for (int k = 0; k < kColumnBlock; ++k)
            for (int y = 0; y < kSide; ++y)
                block[y][k] = colour(x0 + k, y);
        for (int y = 0; y < kSide; ++y) {
            std::uint8_t* p = picture.data() + static_cast<std::size_t>(y) * picture.stride() + 3 * x0;
            for (int k = 0; k < kColumnBlock; ++k, p += 3) {
                p[0] = block[y][k].red;
                p[1] = block[y][k].green;
                p[2] = block[y][k].blue;
            }
        }
    }
}

// One picture row of a composite: pixel x shows the cell at column `column`
// of grid row cell[x] (black where cell[x] is -1), as compositeColour gives
// it. The cells of a picture row lie a grid row apart, but the next picture
// row reads beside them, so the lines they are in stay in the cache.
void compositeRow(const optics::ColourCells& cells, const std::array<int, kSide>& cell, int column, double scale,
                  std::uint8_t* out)
{
#if defined(__SSE2__)
    // Off the grid a cell reads as 0, which any scale takes to black.
    alignas(16) float values[3 * kSide];
    for (int x = 0; x < kSide; ++x) {
        const int i = cell[static_cast<std::size_t>(x)];
        const optics::RgbCell c = i < 0 ? optics::RgbCell{} : cells(i, column);
        values[3 * x] = c.red;
        values[3 * x + 1] = c.green;
        values[3 * x + 2] = c.blue;
    }
    // ByteLevel four at a time: the product in double, limited to 0..255
    // (maxpd keeps its second operand, 0, against a NaN), then rounded half
    // to even by the conversion. Limiting before rounding gives the same
    // levels, as 0 and 255 are whole numbers.
    const __m128d factor = _mm_set1_pd(scale);
    const __m128d zero = _mm_setzero_pd();
    const __m128d top = _mm_set1_pd(255.0);
    const auto levels = [&](const float* v) {
        const __m128 f = _mm_load_ps(v);
        const __m128d low = _mm_mul_pd(_mm_cvtps_pd(f), factor);
        const __m128d high = _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(f, f)), factor);
        return _mm_unpacklo_epi64(_mm_cvtpd_epi32(_mm_min_pd(_mm_max_pd(low, zero), top)),
                                  _mm_cvtpd_epi32(_mm_min_pd(_mm_max_pd(high, zero), top)));
    };
    for (int n = 0; n < 3 * kSide; n += 16) {
        const __m128i first = _mm_packs_epi32(levels(values + n), levels(values + n + 4));
        const __m128i second = _mm_packs_epi32(levels(values + n + 8), levels(values + n + 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n), _mm_packus_epi16(first, second));
    }
#else
    for (int x = 0; x < kSide; ++x, out += 3) {
        const int i = cell[static_cast<std::size_t>(x)];
        const Rgb c = i < 0 ? kBlack : compositeColour(cells(i, column), scale);
        out[0] = c.red;
        out[1] = c.green;
        out[2] = c.blue;
    }
#endif
}

// Draws pixels (x, y) with x in [fromX, toX) and y in [from, to) in the
// colours of the curve indexes that `indexes(x, from, to, out)` writes for
// column x into out[from .. to): a column reads along one grid row, and the
// pixels of eight columns are written a picture row at a time.
template <class Indexes>
void drawIndexedColumns(PixelBuffer& picture, int fromX, int toX, int from, int to, const ColourTable& colours,
                        Indexes&& indexes)
{
    // Each colour as four bytes, R G B and 0 in memory order: a pixel is
    // written whole, its fourth byte overwritten by the next pixel's first.
    std::array<std::uint32_t, kDisplaySteps + 1> packed;
    for (std::size_t n = 0; n < packed.size(); ++n)
        packed[n] = colours[n].red | static_cast<std::uint32_t>(colours[n].green) << 8
                    | static_cast<std::uint32_t>(colours[n].blue) << 16;
    std::array<std::array<std::uint16_t, kSide>, kColumnBlock> block;
    for (int x0 = fromX; x0 < toX; x0 += kColumnBlock) {
        const int columns = std::min(kColumnBlock, toX - x0);
        for (int k = 0; k < columns; ++k)
            indexes(x0 + k, from, to, block[static_cast<std::size_t>(k)].data());
        for (int y = from; y < to; ++y) {
            std::uint8_t* p = picture.data() + static_cast<std::size_t>(y) * picture.stride() + 3 * x0;
            int k = 0;
            for (; k + 1 < columns; ++k, p += 3) {
                const std::uint32_t c = packed[block[static_cast<std::size_t>(k)][static_cast<std::size_t>(y)]];
                std::memcpy(p, &c, sizeof c);
            }
            // The last one ends the block, perhaps the row: three bytes only.
            const Rgb& c = colours[block[static_cast<std::size_t>(k)][static_cast<std::size_t>(y)]];
            p[0] = c.red;
            p[1] = c.green;
            p[2] = c.blue;
        }
    }
}

// The values of grid row `row` at the cells cell[from .. to) into
// values[from .. to): read in place when the cells follow one another.
class ColumnValues {
public:
    ColumnValues(const std::array<int, kSide>& cell, int from, int to) : m_cell(cell)
    {
        m_consecutive = true;
        for (int y = from + 1; y < to; ++y)
            m_consecutive = m_consecutive && cell[y] == cell[y - 1] + 1;
    }
    const double* operator()(const double* row, int from, int to, double* values) const
    {
        if (m_consecutive && from < to)
            return row + m_cell[from] - from;
        for (int y = from; y < to; ++y)
            values[y] = row[m_cell[y]];
        return values;
    }

private:
    const std::array<int, kSide>& m_cell;
    bool m_consecutive;
};

}  // namespace

int SampleIndex(int offset, double h)
{
    const double r = RoundHalfEven(offset * h + kSampleOrigin);
    if (!(r >= 0.0 && r <= 512.0))
        return -1;
    return static_cast<int>(r);
}

DisplayCurve BuildDisplayCurve(double gamma, double slope)
{
    // At g = 1 the exponent 1 / (g - 1) has no value; its limit from below,
    // where the gamma editor's range lies, is minus infinity. A typed 1 can
    // reach here before the editor clamps it.
    const double exponent = gamma == 1.0 ? -HUGE_VAL : 1.0 / (gamma - 1.0);
    const double threshold = std::pow(slope, exponent);
    DisplayCurve curve;
    for (int n = 0; n <= kDisplaySteps; ++n) {
        const double x = n * 0.001;
        curve[n] = x >= threshold ? std::pow(x + 0.000001, gamma) : slope * x;
    }
    return curve;
}

PixelBuffer DrawStarPicture(const optics::Grid& star, const DisplayCurve& curve, const StarLook& look,
                            optics::LoopRunner* loops)
{
    PixelBuffer picture(kSide, kSide);
    // The level, brightness and colour of a pixel depend only on its curve
    // index, so they are worked out once per entry.
    const ColourTable colours = coloursOf<double>(curve, look);
    std::array<int, kSide> cell = samples(1.0 / look.zoom);
    for (int& c : cell)
        c += 1;
    const ColumnValues column(cell, 0, kSide);
    // Each range of column blocks writes its own columns.
    const auto draw = [&](int first, int last) {
        drawIndexedColumns(picture, first * kColumnBlock, last * kColumnBlock, 0, kSide, colours,
                           [&](int x, int from, int to, std::uint16_t* out) {
                               std::array<double, kSide> values;
                               const double* v = column(star.row(cell[x]), from, to, values.data());
                               curveIndexes(v + from, to - from, out + from, StarScale{});
                           });
    };
    constexpr int kBlocks = kSide / kColumnBlock;
    if (loops)
        loops->run(kBlocks, draw);
    else
        draw(0, kBlocks);
    return picture;
}

PixelBuffer DrawZoomedStarPicture(const optics::Grid& star, const DisplayCurve& curve, const StarLook& look)
{
    PixelBuffer picture(kSide, kSide);
    const ColourTable colours = coloursOf<float>(curve, look);
    const std::array<int, kSide> sample = samples(zoomStep(look.zoom));
    // Level 0 off the table's bounds, whatever the curve holds at 0.
    auto onTable = [](int s) { return s > 0 && s < 511; };
    drawByColumns(picture, [&](int x, int y) {
        const int s = sample[x];
        const int t = sample[y];
        if (!onTable(s) || !onTable(t))
            return kBlack;
        return colours[curveIndex(static_cast<float>(1000.0 * star.row(s + 1)[t + 1]))];
    });
    return picture;
}

PixelBuffer DrawOnPeakScale(const optics::Grid& star, double peak, double brighterPeak, const DisplayCurve& curve,
                            const StarLook& look, int from, int to, optics::LoopRunner* loops)
{
    PixelBuffer picture(kSide, kSide);
    from = std::clamp(from, 0, kSide);
    to = std::clamp(to, from, kSide);
    const ColourTable colours = coloursOf<float>(curve, look);
    std::array<int, kSide> cell = samples(static_cast<float>(1.0 / look.zoom));
    for (int& c : cell)
        c += 1;
    const ColumnValues column(cell, from, to);
    const PeakScale scale{peak, brighterPeak};
    // Each range of column blocks writes its own columns.
    const auto draw = [&](int first, int last) {
        drawIndexedColumns(picture, from + first * kColumnBlock, std::min(from + last * kColumnBlock, to), from, to,
                           colours, [&](int x, int top, int bottom, std::uint16_t* out) {
                               std::array<double, kSide> values;
                               const double* v = column(star.row(cell[x]), top, bottom, values.data());
                               curveIndexes(v + top, bottom - top, out + top, scale);
                           });
    };
    const int blocks = (to - from + kColumnBlock - 1) / kColumnBlock;
    if (loops)
        loops->run(blocks, draw);
    else
        draw(0, blocks);
    return picture;
}

int ZoomLabelNumber(double zoom)
{
    const double m = RoundHalfEven(25.0 * zoomStep(zoom));
    return std::abs(m) < 1.0e9 ? static_cast<int>(m) : 0;
}

PixelBuffer DrawComposite(const optics::ColourCells& cells, double scale, double zoom, optics::LoopRunner* loops)
{
    // The zero-frequency cell [257][257] lands on pixel (128, 128).
    constexpr int kCentreCell = 257;
    std::array<int, kSide> cell;
    for (int p = 0; p < kSide; ++p) {
        const double c = RoundHalfEven((p - kCentre) / zoom) + kCentreCell;
        cell[p] = c >= 1.0 && c <= 512.0 ? static_cast<int>(c) : -1;
    }
    PixelBuffer picture(kSide, kSide);
    // Each range of rows writes its own rows.
    const auto draw = [&](int first, int last) {
        for (int y = first; y < last; ++y) {
            std::uint8_t* row = picture.data() + static_cast<std::size_t>(y) * picture.stride();
            if (const int column = cell[static_cast<std::size_t>(y)]; column < 0)
                std::fill(row, row + 3 * kSide, std::uint8_t{0});
            else
                compositeRow(cells, cell, column, scale, row);
        }
    };
    if (loops)
        loops->run(kSide, draw);
    else
        draw(0, kSide);
    return picture;
}

PixelBuffer DrawAperturePicture(const optics::ApertureMask& mask)
{
    PixelBuffer picture(kSide, kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            picture.setPixel(x, y, mask.isOpen(x, y) ? kWhite : kBlack);
    return picture;
}

}  // namespace imaging
