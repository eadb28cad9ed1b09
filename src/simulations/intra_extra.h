#pragma once

#include "imaging/pixel_buffer.h"
#include "imaging/star_image.h"
#include "optics/engine.h"

namespace sim {

//! The out-of-focus image that the brightness balance drew again.
enum class BalancedSide { None, Intra, Extra };

//! Draws the 256 x 256 star picture of `source`, a StarGrid normalised to its
//! own peak `peak`, on the intensity scale of a brighter image whose peak is
//! `brighterPeak`. Pixel (x, y) samples cell [s + 1][t + 1] with
//! s = Round((x - 128) x h + 255), h = 1 / zoom in single precision (black
//! off 0..512); its table index is Round(cell x 1000 x peak / brighterPeak),
//! formed in single precision; then the brightness gain and the star colour
//! as in the star picture.
void DrawOnPeakScale(const optics::Engine& engine, const optics::Grid& source, double peak, double brighterPeak,
                     const imaging::DisplaySettings& settings, imaging::PixelBuffer& buffer);

//! What the intra/extra-focal run shares with the rest of the program: the
//! paint target and composite flag it starts from, the intra-focal image it
//! keeps (IntraGrid, IntraPeak) and the StarGrid of the extra-focal run.
class IntraExtraState {
public:
    explicit IntraExtraState(optics::Engine& engine) : m_engine(engine) {}

    //! The run's star pictures go to the star picture; any colour composite
    //! on screen is dropped.
    void start();
    //! After the intra-focal calculation: keeps its StarGrid and peak.
    void keepIntraFocal();
    //! After the extra-focal calculation: draws the dimmer of the two
    //! out-of-focus images again on the brighter one's scale into `buffer`
    //! and says which one it drew (none when the peaks are equal).
    BalancedSide balance(const imaging::DisplaySettings& settings, imaging::PixelBuffer& buffer);

private:
    optics::Engine& m_engine;
};

}  // namespace sim
