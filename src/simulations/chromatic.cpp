#include "simulations/chromatic.h"

#include "imaging/star_image.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sim {

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
    // A row of the data area is 3 x 512 floats in a row.
    constexpr int kValues = 3 * optics::kLineLength;
    for (int r = 1; r <= optics::kLineLength; ++r) {
        const float* values = &engine.ColourGrid(r, 1).red;
#if defined(__SSE2__)
        // maxps keeps its second operand unless the first is greater, so a
        // NaN never becomes the maximum, as in the comparison below.
        __m128 m0 = _mm_set1_ps(maximum);
        __m128 m1 = m0;
        for (int n = 0; n < kValues; n += 8) {
            m0 = _mm_max_ps(_mm_loadu_ps(values + n), m0);
            m1 = _mm_max_ps(_mm_loadu_ps(values + n + 4), m1);
        }
        float lanes[8];
        _mm_storeu_ps(lanes, m0);
        _mm_storeu_ps(lanes + 4, m1);
        for (const float v : lanes)
            maximum = v > maximum ? v : maximum;
#else
        for (int n = 0; n < kValues; ++n)
            maximum = values[n] > maximum ? values[n] : maximum;
#endif
    }
    return maximum;
}

void ChromaticState::start()
{
    m_engine.PaintTarget = optics::PaintTarget::Chromatic;
    m_engine.ColourPass = true;
    m_engine.ColourComposite = false;
    // The grid starts empty: the first pass puts its colour there without
    // reading what it held, and a run without passes clears it at the end.
    m_empty = true;
}

void ChromaticState::clearIfEmpty()
{
    if (!m_empty)
        return;
    for (int r = 1; r <= optics::kLineLength; ++r)
        for (int c = 1; c <= optics::kLineLength; ++c)
            m_engine.ColourGrid(r, c) = {0.0f, 0.0f, 0.0f};
    m_empty = false;
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
    if (m_empty)
        StartColour(m_engine);
    else
        AccumulateColour(m_engine);
    m_empty = false;
}

float ChromaticState::drawComposite(imaging::PixelBuffer* buffer)
{
    clearIfEmpty();
    const float maximum = CompositeMaximum(m_engine);
    // Pixels are Round(sum / M x 255); one scale serves the picture and any
    // later zoom redraw, so both show the same levels.
    m_engine.ColourScale = 255.0 / maximum;
    if (buffer)
        imaging::DrawColourComposite(m_engine, *buffer);
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
    clearIfEmpty();
    m_engine.ColourPass = false;
    m_engine.WaveLength = optics::kReferenceWavelength;
}

}  // namespace sim
