#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

// A wavefront that was measured rather than described by the named errors:
// Fringe Zernike terms and a sampled map, as interferogram programs write
// them. Coordinates on the pupil are x to the right and y up, as on the
// wavefront picture, on the unit disc; angles run counter-clockwise from +x.

namespace optics {

//! The Fringe set: 37 terms, piston first.
inline constexpr int kFringeTerms = 37;

//! Radial degree n and azimuthal order m of a Zernike term; m < 0 stands for
//! the sine term of order |m|.
struct ZernikeOrder {
    int n = 0;
    int m = 0;
};

//! The order of Fringe term `term` (1..37).
ZernikeOrder FringeOrder(int term);
//! The Fringe term (1..37) of `order`, or 0 when the Fringe set has none.
int FringeTermOf(ZernikeOrder order);
//! A short English name: "Defocus", "X coma", "Secondary spherical", ...
const char* FringeName(int term);
//! What an RMS-normalised coefficient is multiplied by to give the
//! unnormalised one: sqrt(n + 1), times sqrt(2) when m is not 0.
double ZernikeNormalisation(ZernikeOrder order);

//! Unnormalised Fringe term `term` at (x, y) (y up): R_n^|m|(rho) times
//! cos(m theta), or sin(|m| theta) for m < 0. Fringe 4 is 2 rho^2 - 1.
double FringeValue(int term, double x, double y);
//! All 37 terms at (x, y), index 0 for term 1.
void FringeValues(double x, double y, std::array<double, kFringeTerms>& values);

//! A wavefront map: samples on a rectangular grid and the circle of the pupil
//! on it. Rows are stored top row first; NaN marks a sample outside.
struct WavefrontSamples {
    int width = 0;
    int height = 0;
    std::vector<double> values;  //!< width x height, row after row
    double centreX = 0.0;  //!< pupil centre, in samples from the left column
    double centreY = 0.0;  //!< pupil centre, in samples from the top row
    double radius = 1.0;  //!< pupil radius in samples

    double sample(int column, int row) const { return values[static_cast<std::size_t>(row) * width + column]; }
    //! The map at pupil point (x, y), y up: bilinear between the four samples
    //! around it, over those of them that are inside; 0 where none is.
    double at(double x, double y) const;
};

//! What the measured wavefront adds to the pupil, in waves at 555 nm of
//! wavefront: the sum of Fringe terms (unnormalised) and of a map. Immutable
//! once made; evaluating it touches nothing shared, so pupil rows may do it
//! on several threads.
class MeasuredWavefront {
public:
    //! Terms with index 0 for Fringe 1; `map` may be null.
    MeasuredWavefront(const std::array<double, kFringeTerms>& terms, std::shared_ptr<const WavefrontSamples> map);

    //! The wavefront at pupil point (x, y), y up.
    double at(double x, double y) const;

    const std::array<double, kFringeTerms>& terms() const { return m_terms; }
    const WavefrontSamples* map() const { return m_map.get(); }
    //! Peak-to-valley and RMS (about the mean) over the whole disc, sampled
    //! on a disc of kSummaryRadius cells.
    double peakToValley() const { return m_peakToValley; }
    double rms() const { return m_rms; }
    static constexpr int kSummaryRadius = 128;

private:
    std::array<double, kFringeTerms> m_terms{};
    std::array<bool, kFringeTerms> m_used{};
    bool m_anyTerm = false;
    std::shared_ptr<const WavefrontSamples> m_map;
    double m_peakToValley = 0.0;
    double m_rms = 0.0;
};

using MeasuredWavefrontPtr = std::shared_ptr<const MeasuredWavefront>;

}  // namespace optics
