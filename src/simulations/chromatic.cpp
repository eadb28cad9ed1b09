#include "simulations/chromatic.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sim {

double ShiftedFocus(double focus, double focalShift, double waveLength)
{
    return focus + focalShift * (waveLength - optics::kReferenceWavelength) * (1.0 / 150.0) * 0.5;
}

ChannelWeights WeightsAt(double waveLength)
{
    const ColourMatch m = ColourMatchAt(waveLength);
    return {0.5 * m.x, 0.5 * m.y, 0.5 * m.z};
}

std::vector<optics::StarRequest> PlanChromatic(const optics::StarRequest& controls,
                                               const std::vector<ChromaticRow>& rows, double focalShift,
                                               const HeldValue& held)
{
    std::vector<optics::StarRequest> plan;
    for (const ChromaticRow& row : rows) {
        optics::StarRequest r = controls;
        r.waveLength = row.waveLength;
        // The shift is added to the focus as the editor holds it.
        r = With(r, Setting::Focus, row.focus, held);
        r = With(r, Setting::Focus, ShiftedFocus(r.pupil.focus, focalShift, row.waveLength), held);
        r = With(r, Setting::Spherical, row.spherical, held);
        plan.push_back(r);
    }
    return plan;
}

float CompositeMaximum(const optics::ColourCells& cells)
{
    float maximum = 1.0f;
    // A row of the data area is 3 x 512 floats in a row.
    constexpr int kValues = 3 * optics::kLineLength;
    for (int r = 1; r <= optics::kLineLength; ++r) {
        const float* values = &cells(r, 1).red;
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

ChromaticSum::ChromaticSum()
    : m_cells(std::make_shared<optics::ColourCells>())
{
}

void ChromaticSum::offer(int index, optics::StarImagePtr star, double waveLength)
{
    std::unique_lock lock(m_mutex);
    m_waiting.emplace(index, Waiting{std::move(star), WeightsAt(waveLength)});
    // One thread adds at a time; it takes whatever arrives meanwhile.
    if (m_adding)
        return;
    m_adding = true;
    for (auto next = m_waiting.find(m_next); next != m_waiting.end(); next = m_waiting.find(m_next)) {
        const Waiting pass = std::move(next->second);
        m_waiting.erase(next);
        const bool first = m_next == 0;
        lock.unlock();
        if (first)
            StartColour(*m_cells, pass.star->grid, pass.weights);
        else
            AccumulateColour(*m_cells, pass.star->grid, pass.weights);
        lock.lock();
        ++m_next;
    }
    m_adding = false;
}

void ChromaticSum::add(optics::StarImagePtr star, double waveLength)
{
    offer(m_added++, std::move(star), waveLength);
}

Composite ChromaticSum::finish()
{
    // Pixels are Round(sum / M x 255); one scale serves the picture and any
    // later zoom redraw, so both show the same levels.
    const float maximum = CompositeMaximum(*m_cells);
    return {m_cells, 255.0 / maximum};
}

}  // namespace sim
