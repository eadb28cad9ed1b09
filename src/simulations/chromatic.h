#pragma once

#include "optics/star_calculator.h"
#include "simulations/colour.h"
#include "simulations/settings.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace sim {

//! The focus at `waveLength` (nm) when the focus moves by `focalShift` waves
//! from 400 to 700 nm: focus + focalShift x (waveLength - 555) x (1/150) x 0.5,
//! so 555 nm keeps `focus`.
double ShiftedFocus(double focus, double focalShift, double waveLength);

//! The red, green and blue weights of one wavelength in the white-light star:
//! half of x-bar, y-bar and z-bar.
ChannelWeights WeightsAt(double waveLength);

//! One wavelength of the white-light star, as its row on the page holds it.
struct ChromaticRow {
    double waveLength = optics::kReferenceWavelength;  //!< nm
    double focus = 0.0;
    double spherical = 0.0;
};

//! One calculation per row, in order: the row's wavelength, its focus moved
//! by the focal shift and its spherical aberration, each as the main editors
//! hold them (`held`); everything else as in `controls`.
std::vector<optics::StarRequest> PlanChromatic(const optics::StarRequest& controls,
                                               const std::vector<ChromaticRow>& rows, double focalShift,
                                               const HeldValue& held);

//! The largest red, green or blue sum in the data area of `cells`, or 1 when
//! none exceeds 1 (faint composites are not stretched). The rows go through
//! `loops` when given.
float CompositeMaximum(const optics::ColourCells& cells, optics::LoopRunner* loops = nullptr);

//! A colour composite and the scale it is shown at (display level per unit
//! of a cell).
struct Composite {
    std::shared_ptr<const optics::ColourCells> cells;
    double scale = 1.0;
};

//! The white-light star: the amplitude of each pass's star image, weighted by
//! the colour-matching functions at its wavelength, summed in colour. The
//! passes are added in the order of their indexes, each as soon as those
//! before it are in, so a pass is added while its image is fresh and the
//! sums are those of adding the passes one after another.
class ChromaticSum {
public:
    //! A sum told its number of `passes` finds the largest sum while it adds
    //! the last one, so that finish() need not look for it.
    explicit ChromaticSum(int passes = 0);

    //! Adds the star image of pass `index` (0, 1, ... without gaps) at
    //! `waveLength`, from any thread. A pass offered before the passes ahead
    //! of it in the order waits; whichever thread brings the pass that was
    //! missing adds the ones waiting behind it too, sharing the rows out
    //! through its `loops` when given.
    void offer(int index, optics::StarImagePtr star, double waveLength, optics::LoopRunner* loops = nullptr);
    //! Offers the next pass, for a caller with the passes in order.
    void add(optics::StarImagePtr star, double waveLength);
    //! The sums, once every pass was offered, scaled so that the largest
    //! becomes 255 (when above 1); the largest is looked for through `loops`
    //! when given.
    Composite finish(optics::LoopRunner* loops = nullptr);

private:
    struct Waiting {
        optics::StarImagePtr star;
        ChannelWeights weights;
    };

    std::shared_ptr<optics::ColourCells> m_cells;
    std::mutex m_mutex;
    std::map<int, Waiting> m_waiting;
    int m_next = 0;
    int m_passes = 0;
    float m_largest = 1.0f;  // found while adding pass m_passes - 1
    int m_added = 0;  // passes given to add()
    bool m_adding = false;
};

}  // namespace sim
