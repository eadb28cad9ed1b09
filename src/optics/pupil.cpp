#include "optics/pupil.h"

#include "base/rounding.h"
#include "optics/constants.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <numbers>

namespace optics {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;


// x^60 by squaring: x^32 x^16 x^8 x^4.
double Pow60(double x)
{
    const double x2 = x * x;
    const double x4 = x2 * x2;
    const double x8 = x4 * x4;
    const double x16 = x8 * x8;
    const double x32 = x16 * x16;
    return x32 * x16 * x8 * x4;
}

// One term of the wavefront: its amount in radians per wave and whether it
// takes part at all.
struct Term {
    double a = 0.0;
    bool on = false;
    explicit Term(double waves) : a(waves * kTwoPi), on(waves != 0.0) {}
};

}  // namespace

double PupilRadius(const PupilParams& params, double waveLength)
{
    if (params.millimeters)
        return params.diameter * kInchesPerMillimetre * 5.7 * 555.0 / waveLength;
    return params.diameter * 5.7 * 555.0 / waveLength;
}

bool PupilFits(const PupilParams& params, double waveLength)
{
    if (!std::isfinite(params.diameter) || !(params.diameter > 0.0) || !(waveLength > 0.0))
        return false;
    const double n = base::RoundHalfEven(PupilRadius(params, waveLength));
    return n >= 1.0 && n <= kMaxPupilRadius;
}

float AngleOf(double y, double x)
{
    const double p = y + 1e-7;
    const double q = x + 1e-7;
    double angle;
    if (q == 0.0)
        angle = p > 0.0 ? kPi / 2 : (p < 0.0 ? -kPi / 2 : 0.0);
    else if (p == 0.0)
        angle = 0.0;
    else
        angle = std::atan2(p, q);
    return static_cast<float>(angle);
}

PupilSummary BuildPupil(Workspace& workspace, const PupilParams& params, const ApertureMask& aperture,
                        const PupilScreens& screens, double waveLength, Progress& progress, LoopRunner* loops)
{
    InOrder inOrder;
    LoopRunner& rows = loops ? *loops : inOrder;
    progress.stage("Building aberrations at wavefront");

    // Everything the build reads, taken at the start.
    const Term edge(params.edge);
    const Term higher(params.higherSpherical);
    const Term focus(params.focus);
    const Term coma(params.coma);
    const Term astig(params.astigmatism);
    const Term spherical(params.spherical);
    const Term pinch(params.pinch);
    const Term tube(params.tube);
    // A screen that is not there is flat: it adds nothing.
    const bool turbulenceOn = params.turbulence != 0.0 && screens.turbulence != nullptr;
    const bool roughnessOn = params.roughness != 0.0 && screens.roughness != nullptr;
    const MeasuredWavefront* measured = screens.measured;
    // The percentage divided rather than multiplied by 0.01, so that a cell
    // exactly at the start radius (rho = 0.95 for 95 %) is part of the zone.
    const double edgeStart = params.edgeRadius / 100.0;
    const double edgeWidth = 1.0 - edgeStart;
    // With the edge zone of zero width (edge radius 100 %) the rim cells,
    // the only ones it reaches, get no edge term.
    const bool edgeUsable = edge.on && edgeWidth > 0.0;
    const double edgeSlope = edgeUsable ? 0.05 / edgeWidth : 0.0;
    const double tubeStart = params.tubeRadius;
    const double comaAngle = params.comaAngle * 0.0055555555555555556 * kPi;
    const double astigAngle = params.astigmatismAngle * kPi / 180.0;
    const double cosComa = std::cos(comaAngle - kPi / 2);
    const double sinComa = std::sin(comaAngle - kPi / 2);
    const double cosAstig = std::cos(astigAngle);
    const double sinAstig = std::sin(astigAngle);
    const bool angleTerms = coma.on || astig.on || pinch.on;
    const bool anyTerm = edgeUsable || higher.on || focus.on || coma.on || astig.on || spherical.on || pinch.on
                         || tube.on || turbulenceOn || roughnessOn || measured != nullptr;
    const double k = 555.0 / waveLength;
    const int shift = screens.drift;

    PupilSummary result;
    const double D = params.diameter;
    result.R = PupilRadius(params, waveLength);
    const int N = base::RoundToInt(result.R);
    result.N = N;

    // The field is cleared in the rows the pupil covers (a transform filled
    // every row; its next transform reads only these); the phase and the
    // mask only where the last pupil put anything.
    const int written = workspace.pupilWritten;
    const FilledRows fieldRows{std::max(kCentre - N, 1), std::min(kCentre + N, kLineLength)};
    rows.run(kGridSide, [&](int first, int last) {
        const int from = std::max(first, fieldRows.first);
        const int to = std::min(last, fieldRows.last + 1);
        for (Grid* g : {&workspace.fieldRe, &workspace.fieldIm})
            if (from < to)
                std::fill(g->row(from), g->row(to), 0.0);
        if (written > kMaxPupilRadius) {
            for (Grid* g : {&workspace.phase, &workspace.mask})
                std::fill(g->row(first), g->row(last), 0.0);
            return;
        }
        for (int i = std::max(first, kCentre - written); i < std::min(last, kCentre + written + 1); ++i)
            for (Grid* g : {&workspace.phase, &workspace.mask})
                std::fill(g->row(i) + kCentre - written, g->row(i) + kCentre + written + 1, 0.0);
    });
    workspace.fieldRows = fieldRows;
    workspace.spectrumAfterPupil = false;

    result.t = params.millimeters ? base::RoundToInt(100.0 / (D / 550.0 * 4.848))
                                  : base::RoundToInt(100.0 / (D * kMillimetresPerInch / 550.0 * 4.848));
    // Pixels of the aperture picture per grid cell.
    const double s = kAperturePictureRadius / result.R;
    // Only the sampled square is written below.
    workspace.pupilWritten = std::max(N, 0);
    result.undersampled = N < 8.0 * std::abs(params.focus + 1.5);

    // Per-offset values shared by rows and columns; the sampled square is
    // at most 511 cells wide.
    std::array<double, 2 * kMaxPupilRadius + 1> norm;
    std::array<int, 2 * kMaxPupilRadius + 1> pixel;
    for (int w = -N; w <= N; ++w) {
        norm[w + N] = static_cast<double>(w) / N;
        pixel[w + N] = base::RoundToInt(w * s);
    }

    // The sum, count and range of the phase over the open cells, taken in the
    // order of the cells: on one thread while the cells are sampled, or in a
    // pass of its own after rows were sampled on several threads.
    struct Totals {
        double sum = 0.0;
        int count = 0;
        double maxW = 0.0;
        double minW = 0.0;
        void add(double W)
        {
            if (W > maxW)
                maxW = W;
            else if (W < minW)
                minW = W;
            sum += W;
            ++count;
        }
    };
    Totals totals;
    std::atomic<int> cellCount{0};
    const Grid* turbulence = screens.turbulence;
    const Grid* roughness = screens.roughness;

    // Rows u = -N + first .. -N + last - 1 of the sampled square.
    const auto sampleRows = [&](int first, int last, Totals* sequential) {
        int cells = 0;
        for (int u = -N + first; u < -N + last; ++u) {
            const double x = norm[u + N];
            const int px = pixel[u + N];
            const int ti = 129 + shift + px;
            const bool turbulenceRow = ti >= 0 && ti < kGridSide;
            double* waveRow = workspace.phase.row(kCentre + u) + kCentre;
            double* maskRow = workspace.mask.row(kCentre + u) + kCentre;
            double* reRow = workspace.fieldRe.row(kCentre + u) + kCentre;
            double* imRow = workspace.fieldIm.row(kCentre + u) + kCentre;
            for (int v = -N; v <= N; ++v) {
                const double y = norm[v + N];
                double rho2 = x * x + y * y;
                if (rho2 > 1.0)
                    continue;
                ++cells;
                // The outer ring is always open; inside it the picture decides,
                // and the circle rho^2 = 0.9 itself is blocked.
                const bool open = rho2 > 0.9
                                  || (rho2 < 0.9
                                      && aperture.isOpen(px + kAperturePictureRadius, pixel[v + N] + kAperturePictureRadius));
                if (!open)
                    continue;
                maskRow[v] = 1.0;

                double W = 0.0;
                if (anyTerm) {
                    const double rho = std::sqrt(rho2);
                    rho2 = rho * rho;
                    const double rho4 = rho2 * rho2;
                    double cosT = 1.0;
                    double sinT = 0.0;
                    if (angleTerms) {
                        const double theta = AngleOf(y, x);
                        sinT = std::sin(theta);
                        cosT = std::cos(theta);
                    }
                    if (edgeUsable && rho >= edgeStart)
                        W = W - Pow60((rho - edgeStart) * edgeSlope + 0.95) * edge.a;
                    if (higher.on)
                        W = W - (10.0 * rho4 * rho2 - 15.0 * rho4 + 6.0 * rho2 - 0.5) * higher.a;
                    if (focus.on)
                        W = W + focus.a * rho2;
                    if (coma.on) {
                        // cos(angle + theta - pi/2)
                        const double c = cosComa * cosT - sinComa * sinT;
                        W = W + c * (1.5 * rho2 * rho - rho) * coma.a;
                    }
                    if (astig.on) {
                        const double c = cosAstig * cosT - sinAstig * sinT;
                        W = W + (c * c - 0.5) * astig.a * rho2;
                    }
                    if (spherical.on)
                        W = W + (rho2 - rho4 - 1.0 / 6.0) * (4.0 * spherical.a);
                    if (pinch.on) {
                        const double sin3 = sinT * (3.0 - 4.0 * sinT * sinT);
                        W = W + sin3 * (0.5 * pinch.a * rho * rho);
                    }
                    if (tube.on && y > tubeStart) {
                        const double f = (y - tubeStart) / (1.0 - tubeStart);
                        W = W + tube.a * (f * f * f);
                    }
                    if (turbulenceOn) {
                        const int tj = 129 + shift + pixel[v + N];
                        const double sample = turbulenceRow && tj >= 0 && tj < kGridSide ? (*turbulence)(ti, tj) : 0.0;
                        W = W + 0.001 * sample * 4.0;
                    }
                    if (roughnessOn)
                        W = W + 0.001 * (*roughness)(kCentre + px, kCentre + pixel[v + N]) * 4.0;
                    if (measured)
                        W = W + measured->at(x, -y) * kTwoPi;
                    W = W * k;
                }
                if (sequential)
                    sequential->add(W);
                waveRow[v] = W;
                reRow[v] = std::cos(W);
                imRow[v] = std::sin(W);
            }
        }
        cellCount += cells;
    };
    if (loops) {
        rows.run(2 * N + 1, [&](int first, int last) { sampleRows(first, last, nullptr); });
        for (int u = -N; u <= N; ++u) {
            const double* mask = workspace.mask.row(kCentre + u);
            const double* wave = workspace.phase.row(kCentre + u);
            for (int v = -N; v <= N; ++v)
                if (mask[kCentre + v] == 1.0)
                    totals.add(wave[kCentre + v]);
        }
    } else {
        sampleRows(0, 2 * N + 1, &totals);
    }
    result.cellCount = cellCount;
    const double sum = totals.sum;
    const int count = totals.count;

    // Wavefront error over the open cells. Only the sampled square can hold
    // open cells, and it is scanned in the order of the whole region.
    result.openCells = count;
    result.mean = count > 0 ? sum / count : 0.0;
    double ss = 0.0;
    for (int i = kCentre - N; i <= kCentre + N; ++i) {
        const double* mask = workspace.mask.row(i);
        const double* wave = workspace.phase.row(i);
        for (int j = kCentre - N; j <= kCentre + N; ++j) {
            if (mask[j] == 1.0) {
                const double d = wave[j] - result.mean;
                ss += d * d;
            }
        }
    }
    result.rms = count > 0 ? std::sqrt(ss / count) : 0.0;
    result.minW = totals.minW;
    result.maxW = totals.maxW + 1e-5;
    return result;
}

}  // namespace optics
