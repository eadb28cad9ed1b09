#pragma once

#include "imaging/pixel_buffer.h"
#include "optics/engine.h"
#include "simulations/colour.h"

namespace sim {

//! The focus at `waveLength` (nm) when the focus moves by `focalShift` waves
//! from 400 to 700 nm: focus + focalShift x (waveLength - 555) x (1/150) x 0.5,
//! so 555 nm keeps `focus`.
double ShiftedFocus(double focus, double focalShift, double waveLength);

//! The red, green and blue weights of one wavelength in the white-light star:
//! half of x-bar, y-bar and z-bar.
ColourMatch ChannelWeights(double waveLength);

//! The largest red, green or blue sum in the data area of ColourGrid, or 1
//! when none exceeds 1 (faint composites are not stretched).
float CompositeMaximum(const optics::Engine& engine);

//! What the chromatic run shares with the rest of the program: the paint
//! target and the colour flags, the wavelength and channel weights of each
//! pass, the colour grid and the scale of the composite it leaves on screen.
class ChromaticState {
public:
    explicit ChromaticState(optics::Engine& engine) : m_engine(engine) {}

    //! The passes draw into the chromatic picture in the colour of their
    //! wavelength; the colour grid starts empty (its data area all 0).
    void start();
    //! The wavelength of the next pass, with its channel weights.
    void setWaveLength(double waveLength);
    double waveLength() const { return m_engine.WaveLength; }
    //! Adds the star of the pass just calculated to the colour grid.
    void accumulate();
    //! Scales the sums so that the largest becomes 255 (when above 1), keeps
    //! that scale for later zoom redraws and draws the composite into
    //! `buffer` (none once the window has closed). Returns M.
    float drawComposite(imaging::PixelBuffer* buffer);
    //! The composite is on screen: grey redraws leave it alone; the passes
    //! are over and the wavelength is back at 555 nm.
    void finish();
    //! A pass could not be calculated: the passes are over and the
    //! wavelength is back at 555 nm; no composite is on screen.
    void abandon();

private:
    void clearIfEmpty();

    optics::Engine& m_engine;
    bool m_empty = false;  // the run has started and no pass has been added yet
};

}  // namespace sim
