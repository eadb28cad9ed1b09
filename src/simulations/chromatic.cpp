#include "simulations/chromatic.h"

#include "imaging/star_image.h"

namespace sim {

namespace {

// The composite shows cells [129..384]: the zero-frequency cell [257][257]
// lands on pixel (128, 128).
constexpr int kFirstCell = 129;
constexpr int kPictureSide = 256;

}  // namespace

double ShiftedFocus(double focus, double focalShift, double waveLength)
{
    return focus + focalShift * (waveLength - optics::kReferenceWavelength) * (1.0 / 150.0) * 0.5;
}

ColourMatch ChannelWeights(double waveLength)
{
    const ColourMatch m = ColourMatchAt(waveLength);
    return {0.5 * m.x, 0.5 * m.y, 0.5 * m.z};
}

float CompositeMaximum(const optics::Engine& engine)
{
    float maximum = 1.0f;
    for (int r = 1; r <= optics::kLineLength; ++r) {
        for (int c = 1; c <= optics::kLineLength; ++c) {
            const optics::RgbCell& cell = engine.ColourGrid(r, c);
            for (const float v : {cell.red, cell.green, cell.blue})
                maximum = v > maximum ? v : maximum;
        }
    }
    return maximum;
}

void DrawColourComposite(const optics::Engine& engine, imaging::PixelBuffer& buffer)
{
    const double scale = engine.ColourScale;
    for (int x = 0; x < kPictureSide; ++x) {
        for (int y = 0; y < kPictureSide; ++y) {
            const optics::RgbCell& cell = engine.ColourGrid(kFirstCell + x, kFirstCell + y);
            buffer.setPixel(x, y, {imaging::CompositeChannel(cell.red, scale),
                                   imaging::CompositeChannel(cell.green, scale),
                                   imaging::CompositeChannel(cell.blue, scale)});
        }
    }
}

void ChromaticState::start()
{
    m_engine.PaintTarget = optics::PaintTarget::Chromatic;
    m_engine.ColourPass = true;
    m_engine.ColourComposite = false;
    for (int r = 1; r <= optics::kLineLength; ++r)
        for (int c = 1; c <= optics::kLineLength; ++c)
            m_engine.ColourGrid(r, c) = {0.0f, 0.0f, 0.0f};
}

void ChromaticState::setWaveLength(double waveLength)
{
    m_engine.WaveLength = waveLength;
    const ColourMatch weights = ChannelWeights(waveLength);
    m_engine.WeightRed = weights.x;
    m_engine.WeightGreen = weights.y;
    m_engine.WeightBlue = weights.z;
}

void ChromaticState::accumulate()
{
    AccumulateColour(m_engine);
}

float ChromaticState::drawComposite(imaging::PixelBuffer* buffer)
{
    const float maximum = CompositeMaximum(m_engine);
    // Pixels are Round(sum / M x 255); one scale serves the picture and any
    // later zoom redraw, so both show the same levels.
    m_engine.ColourScale = 255.0 / maximum;
    if (buffer)
        DrawColourComposite(m_engine, *buffer);
    return maximum;
}

void ChromaticState::finish()
{
    m_engine.ColourComposite = true;
    m_engine.ColourPass = false;
    m_engine.WaveLength = optics::kReferenceWavelength;
}

void ChromaticState::abandon()
{
    m_engine.ColourPass = false;
    m_engine.WaveLength = optics::kReferenceWavelength;
}

}  // namespace sim
