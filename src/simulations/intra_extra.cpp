#include "simulations/intra_extra.h"

#include <array>

namespace sim {

namespace {

constexpr int kPictureSide = 256;
constexpr int kPictureCentre = 128;
constexpr int kLutTop = 1000;

// Grid sample of a picture offset; -1 (row or column 0, which read 0) off
// the grid.
int sample(int offset, float h)
{
    const double r = imaging::RoundHalfEven(offset * static_cast<double>(h) + 255.0);
    if (!(r >= 0.0 && r <= 512.0))
        return -1;
    return static_cast<int>(r);
}

}  // namespace

void DrawOnPeakScale(const optics::Engine& engine, const optics::Grid& source, double peak, double brighterPeak,
                     const imaging::DisplaySettings& settings, imaging::PixelBuffer& buffer)
{
    const float h = static_cast<float>(1.0 / settings.zoom);
    // Level, brightness and colour depend only on the table index.
    const imaging::ColourTable colours =
        imaging::SinglePrecisionColours(engine, settings, {engine.StarRed, engine.StarGreen, engine.StarBlue});

    std::array<int, kPictureSide> cell;
    for (int p = 0; p < kPictureSide; ++p)
        cell[p] = sample(p - kPictureCentre, h) + 1;
    for (int x = 0; x < kPictureSide; ++x) {
        const double* row = source.row(cell[x]);
        for (int y = 0; y < kPictureSide; ++y) {
            const float w = static_cast<float>(row[cell[y]] * 1000.0 * peak / brighterPeak);
            // Below 1000 for a normalised grid and a dimmer peak; the limits
            // only guard against foreign contents.
            const double n = imaging::RoundHalfEven(w);
            const int index = n > 0.0 ? (n < kLutTop ? static_cast<int>(n) : kLutTop) : 0;
            buffer.setPixel(x, y, colours[index]);
        }
    }
}

void IntraExtraState::start()
{
    m_engine.PaintTarget = optics::PaintTarget::StarImage;
    m_engine.ColourComposite = false;
}

void IntraExtraState::keepIntraFocal()
{
    m_engine.IntraPeak = m_engine.PeakIntensity;
    optics::CopyGrid(m_engine.StarGrid, m_engine.IntraGrid);
}

BalancedSide IntraExtraState::balance(const imaging::DisplaySettings& settings, imaging::PixelBuffer& buffer)
{
    const optics::Engine& e = m_engine;
    const double extra = e.PeakIntensity;
    const double intra = e.IntraPeak;
    if (intra > extra) {
        DrawOnPeakScale(e, e.StarGrid, extra, intra, settings, buffer);
        return BalancedSide::Extra;
    }
    if (intra < extra) {
        DrawOnPeakScale(e, e.IntraGrid, intra, extra, settings, buffer);
        return BalancedSide::Intra;
    }
    return BalancedSide::None;
}

}  // namespace sim
