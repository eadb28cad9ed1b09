#include "simulations/mirror_tests.h"

#include "base/rounding.h"
#include "optics/figures.h"
#include "optics/psf.h"
#include "optics/workspace.h"
#include "simulations/chromatic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <utility>

namespace sim {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kCentrePixel = kTestPictureSide / 2;
// Millimetres in one wave at the reference wavelength.
constexpr double kWaveMm = optics::kReferenceWavelength * 1e-6;
// Radius in cells the defocused cone may fill of the 256 around the centre:
// the rest is room for the rings and the aberrations.
constexpr double kKnifeConeCells = 160.0;
// Sub-pixel samples a side for the grating's edges, none at the pixel's centre.
constexpr int kRonchiSamples = 4;

double Radians(double degrees)
{
    return degrees * kPi / 180.0;
}

std::string Millimetres(double mm)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", mm);
    return text;
}

// The aperture as the star calculation draws it.
std::shared_ptr<const optics::ApertureMask> MaskOf(const optics::StarRequest& request)
{
    if (request.mask)
        return request.mask;
    optics::ApertureShape shape = request.aperture;
    if (optics::ObstructionTooLarge(optics::ObstructionPixels(shape.obstructionPercent)))
        shape.obstructionPercent = 0.0;
    const float inches = optics::ApertureInchesOf(request.pupil.diameter, request.pupil.millimeters);
    return std::make_shared<const optics::ApertureMask>(
        optics::DrawApertureMask(optics::LayoutAperture(shape, inches)));
}

// The wavefront of the whole disc (waves at 555 nm) on the pupil's cells,
// carried two cells beyond the rim so that values and slopes interpolate up
// to the edge, with its slopes per unit of the pupil radius.
class Surface {
public:
    explicit Surface(const optics::PupilPhase& pupil)
        : m_N(pupil.N), m_reach(pupil.N + kPad), m_side(2 * m_reach + 1),
          m_w(static_cast<std::size_t>(m_side) * m_side, 0.0), m_known(m_w.size(), 0)
    {
        for (int u = -m_N; u <= m_N; ++u)
            for (int v = -m_N; v <= m_N; ++v)
                if (pupil.open[pupil.index(u, v)]) {
                    m_w[index(u, v)] = pupil.waves[pupil.index(u, v)];
                    m_known[index(u, v)] = 1;
                }
        // Cells without a value are extrapolated inwards-out, ring by ring:
        // from the three cells inwards along the longer axis or the diagonal
        // (exact for the quadratic terms), or two, or the mean of the known
        // neighbours.
        for (int pass = 0; pass < kPad + 1; ++pass) {
            std::vector<std::uint8_t> known = m_known;
            for (int u = -m_reach; u <= m_reach; ++u) {
                for (int v = -m_reach; v <= m_reach; ++v) {
                    if (m_known[index(u, v)])
                        continue;
                    if (const std::optional<double> w = extrapolated(u, v)) {
                        m_w[index(u, v)] = *w;
                        known[index(u, v)] = 1;
                    }
                }
            }
            m_known = std::move(known);
        }
        // Central differences in x = u / N and y = -v / N.
        m_dx.assign(m_w.size(), 0.0);
        m_dy.assign(m_w.size(), 0.0);
        for (int u = -m_reach + 1; u < m_reach; ++u) {
            for (int v = -m_reach + 1; v < m_reach; ++v) {
                m_dx[index(u, v)] = (m_w[index(u + 1, v)] - m_w[index(u - 1, v)]) * 0.5 * m_N;
                m_dy[index(u, v)] = -(m_w[index(u, v + 1)] - m_w[index(u, v - 1)]) * 0.5 * m_N;
            }
        }
    }

    //! The wavefront at the pupil point (x, y), waves at 555 nm.
    double value(double x, double y) const { return interpolate(m_w, x, y); }
    double slopeX(double x, double y) const { return interpolate(m_dx, x, y); }
    double slopeY(double x, double y) const { return interpolate(m_dy, x, y); }

private:
    static constexpr int kPad = 2;

    bool knownAt(int u, int v) const { return inside(u, v) && m_known[index(u, v)]; }

    std::optional<double> extrapolated(int u, int v) const
    {
        const int su = u > 0 ? -1 : (u < 0 ? 1 : 0);
        const int sv = v > 0 ? -1 : (v < 0 ? 1 : 0);
        const bool alongU = std::abs(u) >= std::abs(v);
        for (const std::pair<int, int>& step : {alongU ? std::pair{su, 0} : std::pair{0, sv}, std::pair{su, sv},
                                                alongU ? std::pair{0, sv} : std::pair{su, 0}}) {
            // Plain copies: a lambda may not capture a structured binding in every compiler.
            const int du = step.first;
            const int dv = step.second;
            if (du == 0 && dv == 0)
                continue;
            const auto w = [&](int k) { return m_w[index(u + k * du, v + k * dv)]; };
            if (knownAt(u + du, v + dv) && knownAt(u + 2 * du, v + 2 * dv) && knownAt(u + 3 * du, v + 3 * dv))
                return 3.0 * w(1) - 3.0 * w(2) + w(3);
            if (knownAt(u + du, v + dv) && knownAt(u + 2 * du, v + 2 * dv))
                return 2.0 * w(1) - w(2);
        }
        double sum = 0.0;
        int count = 0;
        for (int du = -1; du <= 1; ++du)
            for (int dv = -1; dv <= 1; ++dv)
                if (knownAt(u + du, v + dv)) {
                    sum += m_w[index(u + du, v + dv)];
                    ++count;
                }
        if (count == 0)
            return std::nullopt;
        return sum / count;
    }

    bool inside(int u, int v) const { return std::abs(u) <= m_reach && std::abs(v) <= m_reach; }
    std::size_t index(int u, int v) const
    {
        return static_cast<std::size_t>(u + m_reach) * m_side + static_cast<std::size_t>(v + m_reach);
    }

    double interpolate(const std::vector<double>& grid, double x, double y) const
    {
        // Cell coordinates, kept where both neighbours have values.
        const double limit = m_reach - 1.000001;
        const double fu = std::clamp(x * m_N, -limit, limit);
        const double fv = std::clamp(-y * m_N, -limit, limit);
        const int u = static_cast<int>(std::floor(fu));
        const int v = static_cast<int>(std::floor(fv));
        const double a = fu - u;
        const double b = fv - v;
        return (1.0 - a) * ((1.0 - b) * grid[index(u, v)] + b * grid[index(u, v + 1)])
               + a * ((1.0 - b) * grid[index(u + 1, v)] + b * grid[index(u + 1, v + 1)]);
    }

    int m_N;
    int m_reach;
    int m_side;
    std::vector<double> m_w;
    std::vector<std::uint8_t> m_known;
    std::vector<double> m_dx;
    std::vector<double> m_dy;
};

// The wavefront over the whole disc: the aperture in front of it only
// decides which pixels are drawn.
base::Result<optics::PupilPhase> WholeDisc(optics::StarRequest request, optics::ScreenCache& screens)
{
    request.mask = nullptr;
    request.aperture = {};
    return optics::SamplePupil(request, screens);
}

double PupilX(int px, double sub)
{
    return (px + sub - kCentrePixel) / kCentrePixel;
}

double PupilY(int py, double sub)
{
    return (kCentrePixel - py - sub) / kCentrePixel;
}

// Fraction of the sub-pixel samples of each pixel that pass the grating. A
// pixel whose four corners fall on the same side of the bars is taken as
// wholly clear or dark; only the pixels an edge crosses are sampled.
std::vector<double> GratingCoverage(const Surface& surface, const optics::ApertureMask& mask,
                                    const RonchiSettings& ronchi, double focalRatio)
{
    const double c = std::cos(Radians(ronchi.angle));
    const double s = std::sin(Radians(ronchi.angle));
    // A clear stripe is centred on the axis.
    const auto clearAt = [&](double x, double y) {
        const LandingPoint p =
            RayLanding(x, y, surface.slopeX(x, y), surface.slopeY(x, y), ronchi.offsetMm, focalRatio);
        return std::cos(2.0 * kPi * ronchi.linesPerMm * (p.x * c + p.y * s)) >= 0.0;
    };
    constexpr int kCorners = kTestPictureSide + 1;
    std::vector<std::uint8_t> corner(static_cast<std::size_t>(kCorners) * kCorners);
    for (int cy = 0; cy < kCorners; ++cy)
        for (int cx = 0; cx < kCorners; ++cx)
            corner[static_cast<std::size_t>(cy) * kCorners + cx] = clearAt(PupilX(cx, -0.5), PupilY(cy, -0.5));

    std::vector<double> coverage(static_cast<std::size_t>(kTestPictureSide) * kTestPictureSide, 0.0);
    for (int py = 0; py < kTestPictureSide; ++py) {
        for (int px = 0; px < kTestPictureSide; ++px) {
            if (!mask.isOpen(px, py))
                continue;
            const std::size_t top = static_cast<std::size_t>(py) * kCorners + px;
            const int corners = corner[top] + corner[top + 1] + corner[top + kCorners] + corner[top + kCorners + 1];
            double& cell = coverage[static_cast<std::size_t>(py) * kTestPictureSide + px];
            if (corners == 0 || corners == 4) {
                cell = corners / 4.0;
                continue;
            }
            int clear = 0;
            for (int i = 0; i < kRonchiSamples; ++i)
                for (int j = 0; j < kRonchiSamples; ++j)
                    clear += clearAt(PupilX(px, (i + 0.5) / kRonchiSamples - 0.5),
                                     PupilY(py, (j + 0.5) / kRonchiSamples - 0.5));
            cell = static_cast<double>(clear) / (kRonchiSamples * kRonchiSamples);
        }
    }
    return coverage;
}

std::uint8_t Level(double level)
{
    return base::ByteLevel(std::clamp(level, 0.0, 1.0) * 255.0);
}

void Summarise(const optics::PupilPhase& pupil, MirrorTestResult& result)
{
    double low = 0.0, high = 0.0, sum = 0.0, squares = 0.0;
    int count = 0;
    for (std::size_t k = 0; k < pupil.waves.size(); ++k) {
        if (!pupil.open[k])
            continue;
        const double w = pupil.waves[k];
        if (count == 0 || w < low)
            low = w;
        if (count == 0 || w > high)
            high = w;
        sum += w;
        squares += w * w;
        ++count;
    }
    if (count == 0)
        return;
    const double mean = sum / count;
    result.peakToValley = high - low;
    result.rms = std::sqrt(std::max(0.0, squares / count - mean * mean));
}

void MeasureLevel(const optics::ApertureMask& mask, MirrorTestResult& result)
{
    double sum = 0.0;
    int count = 0;
    for (int py = 0; py < kTestPictureSide; ++py)
        for (int px = 0; px < kTestPictureSide; ++px)
            if (mask.isOpen(px, py)) {
                const imaging::Rgb p = result.picture.pixel(px, py);
                sum += (p.red + p.green + p.blue) / (3.0 * 255.0);
                ++count;
            }
    result.meanLevel = count > 0 ? sum / count : 0.0;
}

base::Status DrawRonchi(const MirrorTestRequest& request, optics::ScreenCache& screens, MirrorTestResult& result,
                        const optics::ApertureMask& mask)
{
    // Each wavelength's pattern in its colour; a pixel that every
    // wavelength passes is white.
    std::vector<double> red(static_cast<std::size_t>(kTestPictureSide) * kTestPictureSide, 0.0);
    std::vector<double> green(red.size(), 0.0);
    std::vector<double> blue(red.size(), 0.0);
    ChannelWeights total;
    const bool colour = request.pupils.size() > 1;
    for (std::size_t k = 0; k < request.pupils.size(); ++k) {
        const base::Result<optics::PupilPhase> pupil = WholeDisc(request.pupils[k], screens);
        if (!pupil)
            return base::Fail(pupil.error());
        if (k == 0)
            Summarise(*pupil, result);
        const std::vector<double> coverage =
            GratingCoverage(Surface(*pupil), mask, request.ronchi, request.focalRatio);
        const ChannelWeights w = colour ? WeightsAt(request.pupils[k].waveLength) : ChannelWeights{1.0, 1.0, 1.0};
        total.red += w.red;
        total.green += w.green;
        total.blue += w.blue;
        for (std::size_t n = 0; n < coverage.size(); ++n) {
            red[n] += coverage[n] * w.red;
            green[n] += coverage[n] * w.green;
            blue[n] += coverage[n] * w.blue;
        }
    }
    const auto share = [](double part, double whole) { return whole > 0.0 ? part / whole : 0.0; };
    for (int py = 0; py < kTestPictureSide; ++py) {
        for (int px = 0; px < kTestPictureSide; ++px) {
            const std::size_t n = static_cast<std::size_t>(py) * kTestPictureSide + px;
            result.picture.setPixel(px, py,
                                    mask.isOpen(px, py) ? imaging::Rgb{Level(share(red[n], total.red)),
                                                                       Level(share(green[n], total.green)),
                                                                       Level(share(blue[n], total.blue))}
                                                        : imaging::kBlack);
        }
    }
    return base::Done();
}

base::Status DrawFringes(const MirrorTestRequest& request, optics::ScreenCache& screens, MirrorTestResult& result,
                         const optics::ApertureMask& mask)
{
    const optics::StarRequest& star = request.pupils.front();
    const base::Result<optics::PupilPhase> pupil = WholeDisc(star, screens);
    if (!pupil)
        return base::Fail(pupil.error());
    Summarise(*pupil, result);
    const Surface surface(*pupil);
    const FringeSettings& f = request.fringes;
    // Waves at the wavelength the star is calculated at.
    const double toWaves = optics::kReferenceWavelength / star.waveLength;
    const double c = std::cos(Radians(f.angle));
    const double s = std::sin(Radians(f.angle));
    for (int py = 0; py < kTestPictureSide; ++py) {
        for (int px = 0; px < kTestPictureSide; ++px) {
            if (!mask.isOpen(px, py)) {
                result.picture.setPixel(px, py, imaging::kBlack);
                continue;
            }
            const double x = PupilX(px, 0.0);
            const double y = PupilY(py, 0.0);
            const double order = f.perWave * (surface.value(x, y) * toWaves + f.defocus * (x * x + y * y))
                                 + 0.5 * f.tilt * (x * c + y * s);
            const double cosine = std::cos(kPi * order);
            const std::uint8_t level = Level(cosine * cosine);
            result.picture.setPixel(px, py, {level, level, level});
        }
    }
    return base::Done();
}

base::Status DrawKnife(const MirrorTestRequest& request, optics::ScreenCache& screens, optics::Workspace& workspace,
                       optics::LaneKernel kernel, MirrorTestResult& result, const optics::ApertureMask& mask)
{
    const optics::StarRequest& star = request.pupils.front();
    optics::NoProgress progress;
    const base::Result<optics::PupilPhase> whole = WholeDisc(star, screens);
    if (!whole)
        return base::Fail(whole.error());
    Summarise(*whole, result);

    // The knife away from focus sees the cone of a mirror with that much
    // defocus at focus.
    optics::PupilParams params = star.pupil;
    params.focus += request.knife.offsetMm / optics::FocusTravelMm(1.0, request.focalRatio);
    const optics::ScreenCache::Lookup turbulence =
        screens.get(optics::ScreenKind::Turbulence, {star.screenSeed, star.pupil.turbulence}, progress);
    const optics::ScreenCache::Lookup roughness =
        screens.get(optics::ScreenKind::Roughness, {star.screenSeed, star.pupil.roughness}, progress);
    const optics::PupilScreens pupilScreens{&turbulence.screen->grid, &roughness.screen->grid, star.screenDrift,
                                            star.measured.get()};
    // The pupil build clears every grid the knife reads first.
    optics::Workspace* const ws = &workspace;
    const optics::PupilSummary summary =
        optics::BuildPupil(*ws, params, mask, pupilScreens, star.waveLength, progress);
    optics::TransformPupilField(*ws, progress, optics::TransformRunner{kernel});

    // The image plane in cells, zero frequency at [1][1]; light whose
    // wavefront rises to the right lands at negative frequencies, where the
    // rays of such a wavefront land (left), and the second index runs down.
    const double c = std::cos(Radians(request.knife.angle));
    const double s = std::sin(Radians(request.knife.angle));
    for (int i = 1; i <= optics::kLineLength; ++i) {
        const int m = i - 1 < optics::kLineLength / 2 ? i - 1 : i - 1 - optics::kLineLength;
        for (int j = 1; j <= optics::kLineLength; ++j) {
            const int n = j - 1 < optics::kLineLength / 2 ? j - 1 : j - 1 - optics::kLineLength;
            // Signed distance into the open side; the edge's own cells pass half.
            const double beyond = m * c - n * s;
            const double pass = std::clamp(0.5 + beyond, 0.0, 1.0);
            ws->fieldRe(i, j) *= pass;
            ws->fieldIm(i, j) *= pass;
        }
    }
    optics::InverseTransform2D(ws->fieldRe, ws->fieldIm, optics::TransformRunner{kernel});

    const imaging::DisplayCurve curve = imaging::BuildDisplayCurve(request.gamma, request.slope);
    const int N = summary.N;
    // Beyond the grid (a pupil wider than its half) there is no light.
    const auto intensity = [&](int u, int v) {
        if (std::abs(u) >= optics::kCentre || std::abs(v) >= optics::kCentre)
            return 0.0;
        const double re = ws->fieldRe(optics::kCentre + u, optics::kCentre + v);
        const double im = ws->fieldIm(optics::kCentre + u, optics::kCentre + v);
        return re * re + im * im;
    };
    for (int py = 0; py < kTestPictureSide; ++py) {
        for (int px = 0; px < kTestPictureSide; ++px) {
            if (!mask.isOpen(px, py)) {
                result.picture.setPixel(px, py, imaging::kBlack);
                continue;
            }
            const double fu = PupilX(px, 0.0) * N;
            const double fv = -PupilY(py, 0.0) * N;
            const int u = static_cast<int>(std::floor(fu));
            const int v = static_cast<int>(std::floor(fv));
            const double a = fu - u;
            const double b = fv - v;
            const double value = (1.0 - a) * ((1.0 - b) * intensity(u, v) + b * intensity(u, v + 1))
                                 + a * ((1.0 - b) * intensity(u + 1, v) + b * intensity(u + 1, v + 1));
            // A wavefront of numbers out of all range gives no number: dark.
            const double clamped = std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
            const int step = base::RoundToInt(clamped * imaging::kDisplaySteps);
            const std::uint8_t level = Level(curve[static_cast<std::size_t>(step)]);
            result.picture.setPixel(px, py, {level, level, level});
        }
    }
    return base::Done();
}

}  // namespace

LandingPoint RayLanding(double x, double y, double slopeX, double slopeY, double offsetMm, double focalRatio)
{
    // The cone: a ray from the rim crosses the axis at focus and is
    // offset / (2 N) from it at the offset, on the far side beyond focus. A
    // slope turns the ray by lambda / (pupil radius) per wave and unit of
    // radius, which at the focal length f = 2 N x radius lands 2 N lambda
    // away; a wavefront rising outwards (like a focus error) lands like a
    // plane beyond focus.
    const double cone = -offsetMm / (2.0 * focalRatio);
    const double turn = -2.0 * focalRatio * kWaveMm;
    return {cone * x + turn * slopeX, cone * y + turn * slopeY};
}

double LargestKnifeOffsetMm(const optics::StarRequest& star, double focalRatio)
{
    if (!optics::Fits(star) || !(focalRatio > 0.0) || !std::isfinite(focalRatio))
        return 0.0;
    // A defocus of W waves spreads the rim's light 1024 W / R cells from the
    // centre; R x wavelength does not depend on the wavelength.
    const double R = optics::PupilRadius(star.pupil, optics::kReferenceWavelength);
    const double waves = kKnifeConeCells * R / 1024.0;
    return optics::FocusTravelMm(waves, focalRatio);
}

double RonchiBandCount(const RonchiSettings& ronchi, double focalRatio)
{
    return std::abs(ronchi.offsetMm) / focalRatio * ronchi.linesPerMm;
}

base::Status CheckMirrorTest(const MirrorTestRequest& request)
{
    if (request.pupils.empty())
        return base::Fail("there is no wavelength to draw the picture at");
    for (const optics::StarRequest& star : request.pupils)
        if (!optics::Fits(star))
            return base::Fail("an aperture of " + std::to_string(star.pupil.diameter)
                              + " gives no pupil that fits the grid");
    if (!std::isfinite(request.focalRatio) || !(request.focalRatio > 0.0))
        return base::Fail("the focal ratio must be a number above 0");
    if (request.test == MirrorTest::Ronchi
        && (!std::isfinite(request.ronchi.linesPerMm) || !(request.ronchi.linesPerMm > 0.0)
            || !std::isfinite(request.ronchi.offsetMm)))
        return base::Fail("the grating needs a number of lines above 0 and an offset");
    if (request.test == MirrorTest::Knife) {
        const double largest = LargestKnifeOffsetMm(request.pupils.front(), request.focalRatio);
        if (!std::isfinite(request.knife.offsetMm) || std::abs(request.knife.offsetMm) > largest + 1e-9)
            return base::Fail("A knife edge " + Millimetres(request.knife.offsetMm)
                              + " mm from focus spreads the light beyond the picture's field at this aperture and "
                                "focal ratio: the largest offset is "
                              + Millimetres(largest) + " mm either side of focus.");
    }
    if (request.test == MirrorTest::Fringes && request.fringes.perWave != 1 && request.fringes.perWave != 2)
        return base::Fail("fringes per wave are 1 or 2");
    return base::Done();
}

namespace {

// The knife edge draws in `workspace`; the other pictures need none.
base::Result<MirrorTestResult> Draw(const MirrorTestRequest& request, optics::ScreenCache& screens,
                                    optics::Workspace* workspace, optics::LaneKernel kernel)
{
    if (const base::Status checked = CheckMirrorTest(request); !checked)
        return base::Fail(checked.error());
    MirrorTestResult result;
    result.request = request;
    const std::shared_ptr<const optics::ApertureMask> mask = MaskOf(request.pupils.front());
    base::Status drawn = base::Done();
    switch (request.test) {
    case MirrorTest::Ronchi: drawn = DrawRonchi(request, screens, result, *mask); break;
    case MirrorTest::Knife: drawn = DrawKnife(request, screens, *workspace, kernel, result, *mask); break;
    case MirrorTest::Fringes: drawn = DrawFringes(request, screens, result, *mask); break;
    }
    if (!drawn)
        return base::Fail(drawn.error());
    MeasureLevel(*mask, result);
    return result;
}

}  // namespace

base::Result<MirrorTestResult> DrawMirrorTest(const MirrorTestRequest& request, optics::ScreenCache& screens,
                                              optics::Workspace& workspace, optics::LaneKernel kernel)
{
    return Draw(request, screens, &workspace, kernel);
}

base::Result<MirrorTestResult> DrawMirrorTest(const MirrorTestRequest& request, optics::ScreenCache& screens,
                                              optics::LaneKernel kernel)
{
    std::unique_ptr<optics::Workspace> workspace;
    if (request.test == MirrorTest::Knife && CheckMirrorTest(request))
        workspace = optics::Workspace::Create();
    return Draw(request, screens, workspace.get(), kernel);
}

}  // namespace sim
