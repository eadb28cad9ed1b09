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

namespace {

// The largest of `maximum` and the sums of rows first + 1 .. last.
float RowsMaximum(const optics::ColourCells& cells, int first, int last, float maximum)
{
    // A row of the data area is 3 x 512 floats in a row.
    constexpr int kValues = 3 * optics::kLineLength;
    for (int r = first + 1; r <= last; ++r) {
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

}  // namespace

float CompositeMaximum(const optics::ColourCells& cells, optics::LoopRunner* loops)
{
    if (!loops)
        return RowsMaximum(cells, 0, optics::kLineLength, 1.0f);
    // The largest of a set is the same whichever way it is split: each range
    // finds its own, and the largest of those is the grid's.
    std::mutex mutex;
    float maximum = 1.0f;
    loops->run(optics::kLineLength, [&](int first, int last) {
        const float found = RowsMaximum(cells, first, last, 1.0f);
        std::lock_guard lock(mutex);
        maximum = found > maximum ? found : maximum;
    });
    return maximum;
}

// The grid is not cleared here: the first pass writes every cell without
// reading it, on the thread that made the pass.
ChromaticSum::ChromaticSum()
    : m_cells(new optics::ColourCells)
{
}

void ChromaticSum::offer(int index, optics::StarImagePtr star, double waveLength, optics::LoopRunner* loops)
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
            StartColour(*m_cells, pass.star->grid, pass.weights, loops);
        else
            AccumulateColour(*m_cells, pass.star->grid, pass.weights, loops);
        lock.lock();
        ++m_next;
    }
    m_adding = false;
}

void ChromaticSum::add(optics::StarImagePtr star, double waveLength)
{
    offer(m_added++, std::move(star), waveLength);
}

Composite ChromaticSum::finish(optics::LoopRunner* loops)
{
    if (m_next == 0)
        m_cells->cells.fill({});
    // Pixels are Round(sum / M x 255); one scale serves the picture and any
    // later zoom redraw, so both show the same levels.
    const float maximum = CompositeMaximum(*m_cells, loops);
    return {m_cells, 255.0 / maximum};
}

}  // namespace sim
