#pragma once

#include "optics/star_calculator.h"
#include "simulations/colour.h"
#include "simulations/settings.h"

#include <memory>
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
//! none exceeds 1 (faint composites are not stretched).
float CompositeMaximum(const optics::ColourCells& cells);

//! A colour composite and the scale it is shown at (display level per unit
//! of a cell).
struct Composite {
    std::shared_ptr<const optics::ColourCells> cells;
    double scale = 1.0;
};

//! The white-light star: the amplitude of each pass's star image, weighted by
//! the colour-matching functions at its wavelength, summed in colour. The
//! passes are kept until the end and summed row by row, which gives the bits
//! of adding them one after another.
class ChromaticSum {
public:
    ChromaticSum();

    //! Adds the star image of a pass at `waveLength` (kept until finish).
    void add(optics::StarImagePtr star, double waveLength);
    //! The weights of the last pass added.
    const ChannelWeights& lastWeights() const { return m_weights; }
    //! The sums, the rows shared out through `rows`, scaled so that the
    //! largest becomes 255 (when above 1).
    Composite finish(optics::LoopRunner& rows);
    Composite finish();

private:
    std::shared_ptr<optics::ColourCells> m_cells;
    std::vector<optics::StarImagePtr> m_stars;
    std::vector<ColourPass> m_passes;
    ChannelWeights m_weights;
};

}  // namespace sim
