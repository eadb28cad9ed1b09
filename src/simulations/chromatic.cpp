#include "simulations/chromatic.h"

#include <mutex>

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

float CompositeMaximum(const optics::ColourCells& cells, optics::LoopRunner* loops)
{
    if (!loops)
        return ColourMaximum(cells, 0, optics::kLineLength, 1.0f);
    // The largest of a set is the same whichever way it is split: each range
    // finds its own, and the largest of those is the grid's.
    std::mutex mutex;
    float maximum = 1.0f;
    loops->run(optics::kLineLength, [&](int first, int last) {
        const float found = ColourMaximum(cells, first, last, 1.0f);
        std::lock_guard lock(mutex);
        maximum = found > maximum ? found : maximum;
    });
    return maximum;
}

// The grid is not cleared here: the first pass writes every cell without
// reading it, on the thread that made the pass.
ChromaticSum::ChromaticSum(int passes)
    : m_cells(new optics::ColourCells), m_passes(passes)
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
        // The last pass finds the largest sum as it makes it.
        const bool last = m_next + 1 == m_passes;
        float largest = 0.0f;
        lock.unlock();
        if (first)
            StartColour(*m_cells, pass.star->grid, pass.weights, loops, last ? &largest : nullptr);
        else
            AccumulateColour(*m_cells, pass.star->grid, pass.weights, loops, last ? &largest : nullptr);
        lock.lock();
        if (last)
            m_largest = largest;
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
    std::optional<float> largest;
    {
        std::lock_guard lock(m_mutex);
        if (m_next == m_passes)
            largest = m_largest;
    }
    const float maximum = largest ? *largest : CompositeMaximum(*m_cells, loops);
    return {m_cells, 255.0 / maximum};
}

}  // namespace sim
