#pragma once

#include "optics/grid.h"
#include "optics/parallel.h"

#include <vector>

namespace sim {

//! The CIE 1931 2-degree standard observer at one wavelength.
struct ColourMatch {
    double x = 0.0;  //!< x-bar
    double y = 0.0;  //!< y-bar, 1 at 555 nm
    double z = 0.0;  //!< z-bar
};

//! The colour-matching functions at the wavelength rounded to a whole
//! nanometre (halves to even), from the published 1 nm table of 360..830 nm;
//! zero outside it.
ColourMatch ColourMatchAt(double waveLength);

//! The weights of the red, green and blue sums of a colour grid.
struct ChannelWeights {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
};

//! Adds the amplitude of a normalised star image to a colour grid: for every
//! cell [1..512][1..512], sqrt(star) x the red, green and blue weights are
//! added to the red, green and blue of the cell (sums formed in double,
//! stored as float). The star image must have no negative cells. The rows
//! go through `loops` when given (the sums do not depend on how). With
//! `largest`, it also receives ColourMaximum of the grid afterwards, found
//! while each row is fresh.
void AccumulateColour(optics::ColourCells& cells, const optics::Grid& star, const ChannelWeights& weights,
                      optics::LoopRunner* loops = nullptr, float* largest = nullptr);

//! AccumulateColour into a cleared colour grid, without reading it: every
//! cell of the data area becomes 0 + the weighted amplitude and every cell
//! around it 0, whatever they held before.
void StartColour(optics::ColourCells& cells, const optics::Grid& star, const ChannelWeights& weights,
                 optics::LoopRunner* loops = nullptr, float* largest = nullptr);

//! The largest of `start` and the red, green and blue sums of rows
//! first + 1 .. last of the data area; a NaN is never the largest, so the
//! result does not depend on how the rows are split.
float ColourMaximum(const optics::ColourCells& cells, int first, int last, float start);

//! The channels of the colour grid.
enum class Channel { Red, Green, Blue };

//! The colour planet run's accumulation for one channel. With T the sum of
//! sqrt(star) over the data area, the channel's weight becomes total / T (0
//! when T is 0 or the quotient is not finite: a black plane stays black) and
//! the weighted amplitude is added to that channel alone, each square root
//! taken once; `amplitude` holds them meanwhile (the caller keeps it, so
//! nothing grid-sized is allocated per pass). Returns the weight.
//! With `start`, the channel is not read but written anew, as if it had been
//! cleared: 0 + the weighted amplitude in the data area, 0 around it. The
//! square roots and the additions go through `loops` when given; T is summed
//! in its one order.
double AccumulateChannel(optics::ColourCells& cells, const optics::Grid& star, Channel channel, double total,
                         std::vector<double>& amplitude, bool start = false, optics::LoopRunner* loops = nullptr);

//! Sets one channel of every cell of the grid to 0.
void ClearChannel(optics::ColourCells& cells, Channel channel);

}  // namespace sim
