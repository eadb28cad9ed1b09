#pragma once

// The figures observers judge optics by, measured on a star image: the Strehl
// ratio (exact and Maréchal's estimate), the full width at half maximum and
// the encircled energy, and the conversions to the focal plane of a
// telescope of a given focal ratio.

#include "optics/constants.h"
#include "optics/fft.h"
#include "optics/grid.h"
#include "optics/psf.h"
#include "optics/pupil.h"

#include <memory>
#include <mutex>
#include <numbers>
#include <vector>

namespace optics {

// ---- Scales

//! Arcseconds on the sky of one cell of the image grid. The pupil radius of
//! D[in] x 5.7 x 555 / lambda cells makes one cell lambda / (512 x pupil cell)
//! = 2 x 5.7 x 555 nm / (512 x 25.4 mm) radians at every aperture and
//! wavelength: 0.10035 arcsec.
inline constexpr double kArcsecPerCell = 2.0 * 5.7 * 555.0e-9 / (512.0 * 0.0254) * (180.0 * 3600.0 / std::numbers::pi);

//! Focuser travel in millimetres for `waves` of defocus (waves at
//! `waveLength` nm, as the focus editor holds them at 555 nm) at focal ratio
//! f/`focalRatio`: 8 N^2 lambda W. The sign is the defocus's.
double FocusTravelMm(double waves, double focalRatio, double waveLength = kReferenceWavelength);

//! Micrometres at the focal plane that `arcsec` on the sky span in a
//! telescope of `apertureInches` diameter at f/`focalRatio`.
double FocalPlaneMicrometres(double arcsec, double apertureInches, double focalRatio);

//! The cut-off frequency of an aperture of `apertureInches` at `waveLength`
//! nm (D / lambda), in cycles per arcsecond on the sky.
double CutoffCyclesPerArcsec(double apertureInches, double waveLength);
//! The same at the focal plane of an f/`focalRatio` telescope (1 / (lambda N)),
//! in line pairs per millimetre.
double CutoffLinePairsPerMm(double focalRatio, double waveLength);

// ---- Measurements on a star image

//! Maréchal's estimate of the Strehl ratio from the RMS wavefront error in
//! radians: exp(-(2 pi sigma)^2) with sigma in waves.
double MarechalStrehl(double rmsRadians);

//! The cell of the largest value of the data area of `star` (the first found
//! when several are equal).
struct Cell {
    int i = kCentre;
    int j = kCentre;
};
Cell BrightestCell(const Grid& star);

//! A line of the star image through one cell along one grid index,
//! interpolated between the cells. A star image is band-limited (the
//! intensity of a pupil that spans at most half the grid), so the
//! trigonometric interpolant of the 512 periodic samples is the image itself.
class ImageLine {
public:
    //! The line along the first index through column `j` (`alongFirst`), or
    //! along the second index through row `i`; `through` is the fixed index.
    ImageLine(const Grid& star, bool alongFirst, int through);
    //! The image at position `x` along the line, in cells: x = 1..512 are the
    //! grid cells, values between them are interpolated, the line is periodic.
    double at(double x) const;

private:
    std::vector<double> m_samples;  // 512 values, cell 1 first
};

//! Full widths at half maximum of a star image, in cells, along the first
//! (x) and second (y) grid index through its brightest cell, each at half of
//! the interpolated maximum of its line. 0 when a line never falls to half.
struct Widths {
    double x = 0.0;
    double y = 0.0;
    double mean() const { return 0.5 * (x + y); }
    double larger() const { return x > y ? x : y; }
};
Widths MeasureFwhm(const Grid& star);

//! The encircled energy of a star image: the fraction of its light within a
//! circle around its centre of light, computed exactly from the image's
//! spectrum (the integral of the band-limited image over a disc is the sum of
//! its spectrum weighted by the disc's transform, 2 J1(z) / z).
class EncircledEnergy {
public:
    //! `star`'s data area [1..512][1..512]; frequencies beyond
    //! `maxFrequency` cells (of 256) are taken as zero: a star whose pupil has
    //! the integer radius N has none beyond 2N.
    explicit EncircledEnergy(const Grid& star, int maxFrequency = 255, const TransformRunner& runner = {});

    //! The fraction of the light within `radius` cells of the centre.
    double at(double radius) const;
    //! The smallest radius in cells within which `fraction` (0..1) of the
    //! light falls, to 1e-4 cells; 0 when the light never reaches it within
    //! 256 cells.
    double radiusFor(double fraction) const;
    //! The image averaged around the circle of `radius` cells about the
    //! centre, relative to the whole light (the derivative of at() over
    //! 2 pi radius).
    double ringAverage(double radius) const;
    //! The full width at half maximum of ringAverage, in cells: twice the
    //! first radius where it falls to half of its largest value within two
    //! cells of the centre. The width of a round star, such as a long
    //! exposure through turbulence; 0 when it never falls to half.
    double roundWidth() const;
    //! The centre of light, in grid cells (the circular mean of the periodic
    //! image along each index; [257][257] for a star centred on the grid).
    double centreI() const { return m_centreI; }
    double centreJ() const { return m_centreJ; }

private:
    // The image spectrum, phased to the centre and summed over rings of equal
    // frequency: (2 pi |k| / 512, sum of the real parts); the first is k = 0.
    std::vector<double> m_kappa;
    std::vector<double> m_weight;
    double m_centreI = kCentre;
    double m_centreJ = kCentre;
};

//! The encircled-energy curve as plotted: radius in arcseconds (0 to 10 in
//! steps of 0.05) against the fraction of the light.
std::vector<CurvePoint> EnergyCurve(const EncircledEnergy& energy);

//! What the figures of a star compare with: the star of the perfect
//! telescope of the same aperture, obstruction, spider and wavelength on the
//! same grid.
struct PerfectStar {
    float peak = 0.0f;                //!< its peak intensity (raw, single precision)
    std::vector<CurvePoint> energy;   //!< its encircled-energy curve
    double fwhmArcsec = 0.0;          //!< mean of its two widths
};

//! An encircled-energy curve made from its rings when first read, on any
//! thread, once.
class LazyEnergyCurve {
public:
    explicit LazyEnergyCurve(EncircledEnergy energy) : m_energy(std::move(energy)) {}
    const std::vector<CurvePoint>& curve() const;

private:
    EncircledEnergy m_energy;
    mutable std::once_flag m_once;
    mutable std::vector<CurvePoint> m_curve;
};

//! The figures of one star.
struct StarFigures {
    //! Peak over the perfect telescope's peak (the Strehl ratio).
    double strehl = 0.0;
    //! Maréchal's estimate from the RMS wavefront error.
    double strehlMarechal = 0.0;
    //! Peak over the peak of the clear perfect aperture of the same diameter:
    //! the Strehl ratio times the obstruction's and the spider's own loss.
    double strehlClear = 0.0;
    //! Widths at half maximum in arcseconds along the two axes.
    double fwhmXArcsec = 0.0;
    double fwhmYArcsec = 0.0;
    double fwhmArcsec() const { return 0.5 * (fwhmXArcsec + fwhmYArcsec); }
    double fwhmMaxArcsec() const { return fwhmXArcsec > fwhmYArcsec ? fwhmXArcsec : fwhmYArcsec; }
    //! Radii in arcseconds holding 50 % and 80 % of the light.
    double ee50Arcsec = 0.0;
    double ee80Arcsec = 0.0;
    //! The encircled-energy curve (EnergyCurve), worked out the first time it
    //! is asked for: the readouts need only EE50 and EE80, and the curve costs
    //! more than the calculation at large apertures.
    const std::vector<CurvePoint>& energy() const;
    //! The image's spectrum in rings, from which the curve comes.
    std::shared_ptr<const LazyEnergyCurve> energyCurve;
    //! The perfect telescope the star is compared with.
    std::shared_ptr<const PerfectStar> perfect;
};

//! Measures the perfect telescope's star (from its calculation's pupil).
PerfectStar MeasurePerfectStar(const StarImage& star, const PupilSummary& pupil,
                               const TransformRunner& runner = {});

//! The figures of `star`, calculated with `pupil`, against `perfect`. The
//! encircled energy's transform runs with `runner`; the energy and the two
//! widths are measured at once on `pieces` (when given, else on runner's
//! loops).
StarFigures MeasureStar(const StarImage& star, const PupilSummary& pupil, std::shared_ptr<const PerfectStar> perfect,
                        const TransformRunner& runner = {}, LoopRunner* pieces = nullptr);

}  // namespace optics
