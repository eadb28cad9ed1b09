#pragma once

#include "base/result.h"
#include "optics/aperture.h"
#include "optics/constants.h"
#include "optics/fft_lanes.h"
#include "optics/figures.h"
#include "optics/measured_wavefront.h"
#include "optics/phase_screen.h"
#include "optics/progress.h"
#include "optics/psf.h"
#include "optics/pupil.h"
#include "optics/workspace.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace optics {

//! Everything one star calculation needs, complete: nothing else is read.
struct StarRequest {
    //! Diameter and unit, the errors, and the screen amplitudes (a non-zero
    //! amplitude adds its screen).
    PupilParams pupil;
    //! Obstruction, offset and spider, drawn into the aperture mask.
    ApertureShape aperture;
    //! A mask to use instead of drawing `aperture` (for apertures that are not
    //! a telescope's usual shape).
    std::shared_ptr<const ApertureMask> mask;
    //! Seed of both screens.
    double screenSeed = 1.0;
    //! Cells the turbulence screen has drifted (the animation moves it).
    int screenDrift = 0;
    //! A measured wavefront added to the errors (waves at 555 nm, converted
    //! to the wavelength as they are), or none.
    MeasuredWavefrontPtr measured;
    //! The wavelength in nm; the errors are waves at 555 nm.
    double waveLength = kReferenceWavelength;
    //! Also compute the transfer function and the PSF and MTF curves.
    bool transferFunction = false;
    //! Also hand back the pupil phase for the wavefront picture.
    bool wavefrontMap = false;
    //! Also measure the star's figures (Strehl ratio, widths, encircled
    //! energy) against the perfect telescope of the same geometry.
    bool figures = false;
    //! Whether the image-plane field stays in the workspace's field grids
    //! afterwards. A calculation that others follow in the same run leaves it
    //! out: nothing reads it before the next calculation writes over it, and
    //! not storing it saves 4 MB of memory traffic. The transfer function
    //! reads the field, so a request for it keeps the field anyway. The star
    //! and everything else are the same either way.
    bool keepField = true;
};

//! Whether `request` can be calculated: a finite positive diameter whose
//! pupil fits the grid at the request's wavelength.
bool Fits(const StarRequest& request);

//! The pupil phase and mask for the wavefront picture: cells
//! [129 + X][129 + Y] for X, Y = 0..256.
struct WavefrontMap {
    static constexpr int kSide = 257;
    static constexpr int kFirstCell = 129;
    std::array<double, kSide * kSide> phase{};
    std::array<std::uint8_t, kSide * kSide> open{};

    double phaseAt(int x, int y) const { return phase[static_cast<std::size_t>(x) * kSide + y]; }
    bool openAt(int x, int y) const { return open[static_cast<std::size_t>(x) * kSide + y] != 0; }
};

//! The whole sampled pupil of a request: cell (u, v), u, v = -N..N, is pupil
//! point x = u / N, y = -v / N (y up), stored at (u + N) * side() + v + N.
struct PupilPhase {
    int N = 0;
    //! The wavefront in waves at 555 nm; 0 at closed cells.
    std::vector<double> waves;
    std::vector<std::uint8_t> open;
    //! The wavelength the pupil was sampled at, and the aperture diameter.
    double waveLength = kReferenceWavelength;
    double diameterMm = 0.0;

    int side() const { return 2 * N + 1; }
    std::size_t index(int u, int v) const { return static_cast<std::size_t>(u + N) * side() + (v + N); }
};

//! Samples the pupil of `request` as its calculation would (errors, screens
//! from `screens`, measured wavefront, aperture), in a workspace of its own,
//! without transforming it. A request that does not fit is refused.
base::Result<PupilPhase> SamplePupil(const StarRequest& request, ScreenCache& screens);

//! What one star calculation made.
struct StarResult {
    //! The request it answers.
    StarRequest request;
    //! The normalised star image and its peak.
    StarImagePtr image;
    //! Pupil radius, resolution limit, undersampling, PV and RMS.
    PupilSummary pupil;
    //! The wavelength and the diameter in inches (single precision).
    double waveLength = kReferenceWavelength;
    float apertureInches = 0.0f;
    //! The aperture mask the pupil was sampled from.
    std::shared_ptr<const ApertureMask> aperture;
    //! The obstruction was too large for the aperture picture and was left out.
    bool obstructionLeftOut = false;
    //! The pupil phase, when asked for.
    std::shared_ptr<const WavefrontMap> wavefront;
    //! The PSF and MTF curves, when the transfer function was asked for.
    std::optional<PsfMtfCurves> curves;
    //! The star's figures, when asked for.
    std::shared_ptr<const StarFigures> figures;
    //! The screens the pupil used, and whether each was built for this
    //! calculation (rather than taken from the cache).
    PhaseScreenPtr turbulence;
    PhaseScreenPtr roughness;
    bool turbulenceBuilt = false;
    bool roughnessBuilt = false;
};

//! Turns star requests into star results. Owns its workspace (the grids,
//! allocated once with the calculator) and shares phase screens through a
//! ScreenCache. Calculators are independent: several may run at once on
//! different threads, each with its own.
class StarCalculator {
public:
    //! Screens come from `screens`, which must outlive the calculator.
    explicit StarCalculator(ScreenCache& screens);

    //! One calculation, in this order: the screens (from the cache, built when
    //! missing), the aperture mask, the pupil, its transform, the normalised
    //! star image, and the transfer function when asked. Stage names go to
    //! `progress`. A request that does not fit (see Fits) is refused.
    base::Result<StarResult> calculate(const StarRequest& request, Progress& progress);

    //! The grids as the last calculation (or the last user of the workspace,
    //! such as a planet convolution) left them.
    Workspace& workspace() { return *m_workspace; }
    const Workspace& workspace() const { return *m_workspace; }
    ScreenCache& screens() { return m_screens; }

    //! The transform kernel (tests and measurements compare them).
    LaneKernel laneKernel() const { return m_kernel; }
    void setLaneKernel(LaneKernel kernel) { m_kernel = kernel; }
    //! Shares the calculation's loops out through `loops` (none: everything
    //! on the calling thread). The results are the same either way.
    void setLoops(LoopRunner* loops) { m_loops = loops; }
    LoopRunner* loops() const { return m_loops; }
    //! How this calculator's transforms run.
    TransformRunner transformRunner() { return {m_kernel, m_loops, &m_workspace->scratch}; }

    //! The star of the perfect telescope of `request`'s diameter, aperture
    //! and wavelength: every error and screen at zero. Calculated in this
    //! calculator's workspace (so before the calculation that needs it) unless
    //! one of the last few geometries asked for matches; a request that does
    //! not fit gives none.
    std::shared_ptr<const PerfectStar> perfectStar(const StarRequest& request);

private:
    std::shared_ptr<const ApertureMask> maskFor(const ApertureShape& shape, float apertureInches);
    std::shared_ptr<const ApertureMask> maskOf(const StarRequest& request, float apertureInches,
                                               bool* leftOut = nullptr);
    std::shared_ptr<const PerfectStar> perfectStar(const StarRequest& request,
                                                   const std::shared_ptr<const ApertureMask>& mask);

    ScreenCache& m_screens;
    std::unique_ptr<Workspace> m_workspace;
    LaneKernel m_kernel = PreferredLaneKernel();
    LoopRunner* m_loops = nullptr;
    // The last mask drawn, kept while its layout is asked for again.
    ApertureLayout m_lastLayout;
    std::shared_ptr<const ApertureMask> m_lastMask;
    // The perfect stars of the last geometries, newest first: a pupil depends
    // on nothing else than its radius in cells and the aperture mask.
    struct PerfectEntry {
        double radius;
        std::shared_ptr<const ApertureMask> mask;
        std::shared_ptr<const PerfectStar> star;
    };
    std::vector<PerfectEntry> m_perfect;
};

}  // namespace optics
