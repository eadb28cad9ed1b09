#include "optics/figures.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace optics {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kSamples = kLineLength;

// J0(x) for x >= 0 by the polynomial approximations of Abramowitz and Stegun
// (9.4.1 below 3, absolute error under 5e-8; 9.4.3 above, under 1e-7).
double BesselJ0(double x)
{
    if (x <= 3.0) {
        const double t = (x / 3.0) * (x / 3.0);
        return 1.0 + t * (-2.2499997 + t * (1.2656208 + t * (-0.3163866 + t * (0.0444479
                    + t * (-0.0039444 + t * 0.0002100)))));
    }
    const double u = 3.0 / x;
    const double f = 0.79788456 + u * (-0.00000077 + u * (-0.00552740 + u * (-0.00009512 + u * (0.00137237
                     + u * (-0.00072805 + u * 0.00014476)))));
    const double theta = x - 0.78539816 + u * (-0.04166397 + u * (-0.00003954 + u * (0.00262573
                         + u * (-0.00054125 + u * (-0.00029333 + u * 0.00013558)))));
    return f * std::cos(theta) / std::sqrt(x);
}

// J1(x) for x >= 0 by the polynomial approximations of Abramowitz and Stegun
// (9.4.4 below 3, absolute error under 1.3e-8; 9.4.6 above, under 1e-7).
double BesselJ1(double x)
{
    if (x <= 3.0) {
        const double t = (x / 3.0) * (x / 3.0);
        return x * (0.5 + t * (-0.56249985 + t * (0.21093573 + t * (-0.03954289
                    + t * (0.00443319 + t * (-0.00031761 + t * 0.00001109))))));
    }
    const double u = 3.0 / x;
    const double f = 0.79788456 + u * (0.00000156 + u * (0.01659667 + u * (0.00017105 + u * (-0.00249511
                     + u * (0.00113653 + u * -0.00020033)))));
    const double theta = x - 2.35619449 + u * (0.12499612 + u * (0.00005650 + u * (-0.00637879 + u * (0.00074348
                         + u * (0.00079824 + u * -0.00029166)))));
    return f * std::cos(theta) / std::sqrt(x);
}

// 2 J1(z) / z: the transform of a disc over its area (1 at z = 0).
double DiscFactorOf(double z)
{
    if (z < 1e-8)
        return 1.0;
    return 2.0 * BesselJ1(z) / z;
}

// DiscFactorOf tabulated every 0.005 up to the largest z an encircled energy
// asks for (the highest frequency 2 pi 255 / 512 times 256 cells), read with
// linear interpolation (error under 1e-6): a curve takes millions of them.
class DiscFactorTable {
public:
    static constexpr double kStep = 0.005;
    static constexpr double kLast = 805.0;

    DiscFactorTable() : m_values(static_cast<std::size_t>(kLast / kStep) + 2)
    {
        for (std::size_t n = 0; n < m_values.size(); ++n)
            m_values[n] = DiscFactorOf(static_cast<double>(n) * kStep);
    }

    double operator()(double z) const
    {
        const double at = z / kStep;
        if (!(at < static_cast<double>(m_values.size() - 1)))
            return DiscFactorOf(z);
        const std::size_t n = static_cast<std::size_t>(at);
        const double f = at - static_cast<double>(n);
        return m_values[n] + f * (m_values[n + 1] - m_values[n]);
    }

private:
    std::vector<double> m_values;
};

const DiscFactorTable& DiscFactor()
{
    // A constant table, made once on first use.
    static const DiscFactorTable table;
    return table;
}

// Frequency index k = 0..511 of the transform as a signed frequency -256..255.
int Signed(int k)
{
    return k < kSamples / 2 ? k : k - kSamples;
}

// The largest value of a line between cells x - 1 and x + 1 (golden section).
double LineMaximum(const ImageLine& line, double x, double& where)
{
    constexpr double kGolden = 0.6180339887498949;
    double a = x - 1.0;
    double b = x + 1.0;
    double c = b - kGolden * (b - a);
    double d = a + kGolden * (b - a);
    double fc = line.at(c);
    double fd = line.at(d);
    for (int n = 0; n < 60 && b - a > 1e-7; ++n) {
        if (fc > fd) {
            b = d;
            d = c;
            fd = fc;
            c = b - kGolden * (b - a);
            fc = line.at(c);
        } else {
            a = c;
            c = d;
            fc = fd;
            d = a + kGolden * (b - a);
            fd = line.at(d);
        }
    }
    where = 0.5 * (a + b);
    const double top = line.at(where);
    // The cell itself when the search found nothing higher.
    const double atCell = line.at(x);
    if (atCell >= top) {
        where = x;
        return atCell;
    }
    return top;
}

// Where the line first falls below `level` going from `from` in direction
// `step` (+-), to 1e-6 cells; NaN when it does not within half the grid.
double Crossing(const ImageLine& line, double from, double step, double level)
{
    constexpr double kStride = 0.25;
    double inside = from;
    for (double d = kStride; d <= kSamples / 2; d += kStride) {
        const double x = from + step * d;
        if (line.at(x) < level) {
            double outside = x;
            for (int n = 0; n < 60 && std::fabs(outside - inside) > 1e-6; ++n) {
                const double mid = 0.5 * (inside + outside);
                (line.at(mid) < level ? outside : inside) = mid;
            }
            return 0.5 * (inside + outside);
        }
        inside = x;
    }
    return std::nan("");
}

double LineWidth(const ImageLine& line, int cell, LoopRunner& loops)
{
    double top = cell;
    const double maximum = LineMaximum(line, cell, top);
    if (!(maximum > 0.0))
        return 0.0;
    // The two sides are searched apart, perhaps at once.
    double sides[2] = {};
    loops.run(2, [&](int first, int last) {
        for (int side = first; side < last; ++side)
            sides[side] = Crossing(line, top, side == 0 ? 1.0 : -1.0, 0.5 * maximum);
    });
    const double right = sides[0];
    const double left = sides[1];
    if (std::isnan(left) || std::isnan(right))
        return 0.0;
    return right - left;
}

}  // namespace

double FocusTravelMm(double waves, double focalRatio, double waveLength)
{
    // The defocus W rho^2 of a focuser moved by dz is dz / (8 N^2) in length.
    return 8.0 * focalRatio * focalRatio * (waveLength * 1e-6) * waves;
}

double FocalPlaneMicrometres(double arcsec, double apertureInches, double focalRatio)
{
    const double focalLengthMm = focalRatio * apertureInches * kMillimetresPerInch;
    return arcsec / (180.0 * 3600.0) * kPi * focalLengthMm * 1000.0;
}

double CutoffCyclesPerArcsec(double apertureInches, double waveLength)
{
    const double cyclesPerRadian = apertureInches * kMillimetresPerInch / (waveLength * 1e-6);
    return cyclesPerRadian * kPi / (180.0 * 3600.0);
}

double CutoffLinePairsPerMm(double focalRatio, double waveLength)
{
    return 1.0 / (waveLength * 1e-6 * focalRatio);
}

double MarechalStrehl(double rmsRadians)
{
    return std::exp(-rmsRadians * rmsRadians);
}

Cell BrightestCell(const Grid& star)
{
    Cell best;
    double top = star(best.i, best.j);
    for (int i = 1; i <= kSamples; ++i) {
        const double* row = star.row(i);
        for (int j = 1; j <= kSamples; ++j) {
            if (row[j] > top) {
                top = row[j];
                best = {i, j};
            }
        }
    }
    return best;
}

ImageLine::ImageLine(const Grid& star, bool alongFirst, int through) : m_samples(kSamples)
{
    for (int n = 0; n < kSamples; ++n)
        m_samples[n] = alongFirst ? star(1 + n, through) : star(through, 1 + n);
}

double ImageLine::at(double x) const
{
    // Periodic sinc interpolation of 512 samples (the Nyquist term shared
    // between +-256): f(x) = sum g_n sin(pi t) / (512 tan(pi t / 512)),
    // t = x - n, and sin(pi (x - n)) = (-1)^n sin(pi x).
    const double t0 = x - 1.0;
    const double nearest = std::round(t0);
    if (std::fabs(t0 - nearest) < 1e-9) {
        const long k = static_cast<long>(nearest);
        return m_samples[static_cast<std::size_t>(((k % kSamples) + kSamples) % kSamples)];
    }
    double sum = 0.0;
    for (int n = 0; n < kSamples; ++n) {
        const double term = m_samples[n] / std::tan(kPi * (t0 - n) / kSamples);
        sum += (n & 1) ? -term : term;
    }
    return std::sin(kPi * t0) * sum / kSamples;
}

Widths MeasureFwhm(const Grid& star)
{
    const Cell peak = BrightestCell(star);
    Widths widths;
    InOrder inOrder;
    widths.x = LineWidth(ImageLine(star, true, peak.j), peak.i, inOrder);
    widths.y = LineWidth(ImageLine(star, false, peak.i), peak.j, inOrder);
    return widths;
}

EncircledEnergy::EncircledEnergy(const Grid& star, int maxFrequency, const TransformRunner& runner)
{
    const int reach = std::clamp(maxFrequency, 1, kSamples / 2 - 1);
    // Two grids of this thread's own, kept from one star to the next: made
    // afresh they cost more than the transform (zeroing and the pages).
    thread_local const std::unique_ptr<Grid> reGrid = std::make_unique<Grid>();
    thread_local const std::unique_ptr<Grid> imGrid = std::make_unique<Grid>();
    Grid* const re = reGrid.get();
    Grid* const im = imGrid.get();
    // The transform reads and writes only the data area; the rest stays 0.
    for (int i = 1; i <= kSamples; ++i) {
        std::copy(star.row(i) + 1, star.row(i) + 1 + kSamples, re->row(i) + 1);
        std::fill(im->row(i) + 1, im->row(i) + 1 + kSamples, 0.0);
    }
    // S(k) = sum_p G(p) exp(+2 pi i k.p / 512), zero frequency at [1][1].
    Transform2D(*re, *im, runner);

    // The centre of light along each index: the phase of the first harmonic
    // (a star at cell index p0 gives S(1) = |S| exp(2 pi i p0 / 512)).
    const auto centreOf = [&](double sre, double sim) {
        double p = std::atan2(sim, sre) * kSamples / (2.0 * kPi);
        if (p < 0.0)
            p += kSamples;
        return 1.0 + p;
    };
    m_centreI = centreOf((*re)(2, 1), (*im)(2, 1));
    m_centreJ = centreOf((*re)(1, 2), (*im)(1, 2));

    // G(x) = 512^-2 sum_k S(k) exp(-2 pi i k.x / 512), so the light within r of
    // the centre c is 512^-2 sum_k Re[S(k) exp(-2 pi i k.c / 512)] pi r^2
    // 2 J1(|kappa| r) / (|kappa| r), kappa = 2 pi k / 512. Terms of equal |k|
    // share the disc factor and are summed first.
    const double ci = m_centreI - 1.0;
    const double cj = m_centreJ - 1.0;
    std::vector<double> cosI(kSamples), sinI(kSamples), cosJ(kSamples), sinJ(kSamples);
    for (int k = 0; k < kSamples; ++k) {
        const double a = -2.0 * kPi * Signed(k) * ci / kSamples;
        const double b = -2.0 * kPi * Signed(k) * cj / kSamples;
        cosI[k] = std::cos(a);
        sinI[k] = std::sin(a);
        cosJ[k] = std::cos(b);
        sinJ[k] = std::sin(b);
    }
    std::vector<double> rings(static_cast<std::size_t>(2 * reach * reach + 1), 0.0);
    std::vector<char> used(rings.size(), 0);
    for (int ki = 0; ki < kSamples; ++ki) {
        const int fi = Signed(ki);
        if (std::abs(fi) > reach)
            continue;
        for (int kj = 0; kj < kSamples; ++kj) {
            const int fj = Signed(kj);
            if (std::abs(fj) > reach)
                continue;
            // exp(i (a + b)) = (cosI + i sinI)(cosJ + i sinJ)
            const double pr = cosI[ki] * cosJ[kj] - sinI[ki] * sinJ[kj];
            const double pi = sinI[ki] * cosJ[kj] + cosI[ki] * sinJ[kj];
            const double value = (*re)(1 + ki, 1 + kj) * pr - (*im)(1 + ki, 1 + kj) * pi;
            const std::size_t m = static_cast<std::size_t>(fi * fi + fj * fj);
            rings[m] += value;
            used[m] = 1;
        }
    }
    const double total = rings[0];
    for (std::size_t m = 0; m < rings.size(); ++m) {
        if (!used[m])
            continue;
        m_kappa.push_back(2.0 * kPi * std::sqrt(static_cast<double>(m)) / kSamples);
        m_weight.push_back(total != 0.0 ? rings[m] / total : 0.0);
    }
}

double EncircledEnergy::at(double radius) const
{
    if (!(radius > 0.0) || m_weight.empty())
        return 0.0;
    const DiscFactorTable& disc = DiscFactor();
    double sum = 0.0;
    for (std::size_t n = 0; n < m_weight.size(); ++n)
        sum += m_weight[n] * disc(m_kappa[n] * radius);
    return kPi * radius * radius * sum / (static_cast<double>(kSamples) * kSamples);
}

double EncircledEnergy::ringAverage(double radius) const
{
    // d/dr [pi r^2 2 J1(kappa r) / (kappa r)] = 2 pi r J0(kappa r).
    double sum = 0.0;
    for (std::size_t n = 0; n < m_weight.size(); ++n)
        sum += m_weight[n] * BesselJ0(m_kappa[n] * std::fabs(radius));
    return sum / (static_cast<double>(kSamples) * kSamples);
}

double EncircledEnergy::roundWidth() const
{
    constexpr double kStride = 0.25;
    double top = 0.0;
    for (double r = 0.0; r <= 2.0; r += kStride)
        top = std::max(top, ringAverage(r));
    if (!(top > 0.0))
        return 0.0;
    // The first fall below half after the largest value.
    double inside = 0.0;
    bool passedTop = false;
    for (double r = 0.0; r <= kSamples / 2; r += kStride) {
        const double value = ringAverage(r);
        passedTop = passedTop || value >= top;
        if (passedTop && value < 0.5 * top) {
            double outside = r;
            while (outside - inside > 1e-5) {
                const double mid = 0.5 * (inside + outside);
                (ringAverage(mid) < 0.5 * top ? outside : inside) = mid;
            }
            return inside + outside;
        }
        inside = r;
    }
    return 0.0;
}

double EncircledEnergy::radiusFor(double fraction) const
{
    // Out cell by cell to the first radius past the fraction, then halving.
    constexpr double kStride = 1.0;
    double inside = 0.0;
    for (double r = kStride; r <= kSamples / 2; r += kStride) {
        if (at(r) >= fraction) {
            double outside = r;
            while (outside - inside > 1e-4) {
                const double mid = 0.5 * (inside + outside);
                (at(mid) >= fraction ? outside : inside) = mid;
            }
            return 0.5 * (inside + outside);
        }
        inside = r;
    }
    return 0.0;
}

std::vector<CurvePoint> EnergyCurve(const EncircledEnergy& energy)
{
    constexpr int kPoints = 201;
    constexpr double kStepArcsec = 0.05;
    std::vector<CurvePoint> curve(kPoints);
    for (int n = 0; n < kPoints; ++n) {
        const double arcsec = n * kStepArcsec;
        curve[n] = {arcsec, energy.at(arcsec / kArcsecPerCell)};
    }
    return curve;
}

const std::vector<CurvePoint>& LazyEnergyCurve::curve() const
{
    std::call_once(m_once, [this] { m_curve = EnergyCurve(m_energy); });
    return m_curve;
}

const std::vector<CurvePoint>& StarFigures::energy() const
{
    static const std::vector<CurvePoint> none;
    return energyCurve ? energyCurve->curve() : none;
}

namespace {

// Frequencies a pupil of integer radius N puts into its image: up to 2N.
int ImageBand(const PupilSummary& pupil)
{
    return std::min(2 * pupil.N + 1, kSamples / 2 - 1);
}

}  // namespace

PerfectStar MeasurePerfectStar(const StarImage& star, const PupilSummary& pupil, const TransformRunner& runner)
{
    PerfectStar perfect;
    perfect.peak = star.peak;
    perfect.energy = EnergyCurve(EncircledEnergy(star.grid, ImageBand(pupil), runner));
    perfect.fwhmArcsec = MeasureFwhm(star.grid).mean() * kArcsecPerCell;
    return perfect;
}

StarFigures MeasureStar(const StarImage& star, const PupilSummary& pupil, std::shared_ptr<const PerfectStar> perfect,
                        const TransformRunner& runner, LoopRunner* pieces)
{
    StarFigures figures;
    figures.strehl = perfect && perfect->peak > 0.0f ? static_cast<double>(star.peak) / perfect->peak : 0.0;
    figures.strehlMarechal = MarechalStrehl(pupil.rms);
    figures.strehlClear = PsfScale(star.peak, pupil.cellCount);
    // The encircled energy and the widths along the two axes do not depend
    // on each other: with loops to share they are measured at once.
    const Cell peak = BrightestCell(star.grid);
    std::optional<EncircledEnergy> energy;
    Widths widths;
    InOrder inOrder;
    LoopRunner& loops = pieces ? *pieces : runner.loops ? *runner.loops : static_cast<LoopRunner&>(inOrder);
    const auto measure = [&](int first, int last) {
        for (int piece = first; piece < last; ++piece) {
            if (piece == 0) {
                energy.emplace(star.grid, ImageBand(pupil), runner);
                figures.ee50Arcsec = energy->radiusFor(0.5) * kArcsecPerCell;
                figures.ee80Arcsec = energy->radiusFor(0.8) * kArcsecPerCell;
            } else if (piece == 1) {
                widths.x = LineWidth(ImageLine(star.grid, true, peak.j), peak.i, loops);
            } else {
                widths.y = LineWidth(ImageLine(star.grid, false, peak.i), peak.j, loops);
            }
        }
    };
    loops.run(3, measure);
    figures.fwhmXArcsec = widths.x * kArcsecPerCell;
    figures.fwhmYArcsec = widths.y * kArcsecPerCell;
    figures.energyCurve = std::make_shared<const LazyEnergyCurve>(std::move(*energy));
    figures.perfect = std::move(perfect);
    return figures;
}

}  // namespace optics
