#include "optics/star_calculator.h"

#include <algorithm>
#include <optional>
#include <string>

namespace optics {

namespace {

bool sameLayout(const ApertureLayout& a, const ApertureLayout& b)
{
    return a.obstructionRadius == b.obstructionRadius && a.left == b.left && a.top == b.top && a.right == b.right
           && a.bottom == b.bottom && a.spider == b.spider && a.vaneWidth == b.vaneWidth;
}

std::shared_ptr<WavefrontMap> mapOf(const Workspace& workspace)
{
    auto map = std::make_shared<WavefrontMap>();
    for (int x = 0; x < WavefrontMap::kSide; ++x) {
        const double* phase = workspace.phase.row(WavefrontMap::kFirstCell + x) + WavefrontMap::kFirstCell;
        const double* mask = workspace.mask.row(WavefrontMap::kFirstCell + x) + WavefrontMap::kFirstCell;
        for (int y = 0; y < WavefrontMap::kSide; ++y) {
            map->phase[static_cast<std::size_t>(x) * WavefrontMap::kSide + y] = phase[y];
            map->open[static_cast<std::size_t>(x) * WavefrontMap::kSide + y] = mask[y] == 1.0 ? 1 : 0;
        }
    }
    return map;
}

}  // namespace

bool Fits(const StarRequest& request)
{
    return PupilFits(request.pupil, request.waveLength);
}

StarCalculator::StarCalculator(ScreenCache& screens)
    : m_screens(screens), m_workspace(Workspace::Create())
{
}

std::shared_ptr<const ApertureMask> StarCalculator::maskFor(const ApertureShape& shape, float apertureInches)
{
    const ApertureLayout layout = LayoutAperture(shape, apertureInches);
    if (!m_lastMask || !sameLayout(layout, m_lastLayout)) {
        m_lastMask = std::make_shared<const ApertureMask>(DrawApertureMask(layout));
        m_lastLayout = layout;
    }
    return m_lastMask;
}

std::shared_ptr<const ApertureMask> StarCalculator::maskOf(const StarRequest& request, float apertureInches,
                                                           bool* leftOut)
{
    if (request.mask)
        return request.mask;
    ApertureShape shape = request.aperture;
    if (ObstructionTooLarge(ObstructionPixels(shape.obstructionPercent))) {
        shape.obstructionPercent = 0.0;
        if (leftOut)
            *leftOut = true;
    }
    return maskFor(shape, apertureInches);
}

std::shared_ptr<const PerfectStar> StarCalculator::perfectStar(const StarRequest& request)
{
    if (!Fits(request))
        return nullptr;
    return perfectStar(request, maskOf(request, ApertureInchesOf(request.pupil.diameter, request.pupil.millimeters)));
}

std::shared_ptr<const PerfectStar> StarCalculator::perfectStar(const StarRequest& request,
                                                               const std::shared_ptr<const ApertureMask>& mask)
{
    constexpr std::size_t kKept = 8;
    const double radius = PupilRadius(request.pupil, request.waveLength);
    const auto same = std::find_if(m_perfect.begin(), m_perfect.end(), [&](const PerfectEntry& entry) {
        return entry.radius == radius && (entry.mask == mask || *entry.mask == *mask);
    });
    if (same != m_perfect.end()) {
        std::rotate(m_perfect.begin(), same, same + 1);
        return m_perfect.front().star;
    }
    // The same diameter, unit and wavelength with no errors and no screens;
    // nobody watches its stages.
    PupilParams pupil;
    pupil.millimeters = request.pupil.millimeters;
    pupil.diameter = request.pupil.diameter;
    NoProgress quiet;
    Workspace& ws = *m_workspace;
    const PupilSummary summary = BuildPupil(ws, pupil, *mask, PupilScreens{}, request.waveLength, quiet, m_loops);
    // The calculation that follows writes over its field: it is not stored.
    const FormedIntensity formed =
        TransformPupilFieldToIntensity(ws, quiet, transformRunner(), ResultRows::HandedOn);
    const std::shared_ptr<StarImage> image = FormStarImage(ws, formed, quiet, m_loops);
    auto star = std::make_shared<const PerfectStar>(MeasurePerfectStar(*image, summary, transformRunner()));
    m_perfect.insert(m_perfect.begin(), {radius, mask, star});
    if (m_perfect.size() > kKept)
        m_perfect.pop_back();
    return star;
}

base::Result<StarResult> StarCalculator::calculate(const StarRequest& request, Progress& progress)
{
    if (!Fits(request)) {
        return base::Fail("an aperture of " + std::to_string(request.pupil.diameter)
                          + " gives no pupil that fits the grid");
    }
    StarResult result;
    result.request = request;
    result.waveLength = request.waveLength;

    const ScreenCache::Lookup turbulence =
        m_screens.get(ScreenKind::Turbulence, {request.screenSeed, request.pupil.turbulence}, progress);
    const ScreenCache::Lookup roughness =
        m_screens.get(ScreenKind::Roughness, {request.screenSeed, request.pupil.roughness}, progress);
    result.turbulence = turbulence.screen;
    result.roughness = roughness.screen;
    result.turbulenceBuilt = turbulence.built;
    result.roughnessBuilt = roughness.built;

    progress.stage("Building aperture");
    result.apertureInches = ApertureInchesOf(request.pupil.diameter, request.pupil.millimeters);
    result.aperture = maskOf(request, result.apertureInches, &result.obstructionLeftOut);

    progress.stage("Fast Fourier Transform");
    // The perfect telescope goes through the workspace first, so that the
    // grids end as this calculation leaves them.
    std::shared_ptr<const PerfectStar> perfect;
    if (request.figures)
        perfect = perfectStar(request, result.aperture);
    Workspace& ws = *m_workspace;
    const PupilScreens screens{&turbulence.screen->grid, &roughness.screen->grid, request.screenDrift,
                               request.measured.get()};
    const TransformRunner runner = transformRunner();
    result.pupil = BuildPupil(ws, request.pupil, *result.aperture, screens, request.waveLength, progress, m_loops);
    if (request.wavefrontMap)
        result.wavefront = mapOf(ws);
    const ResultRows field =
        request.keepField || request.transferFunction ? ResultRows::Stored : ResultRows::HandedOn;
    const FormedIntensity formed = TransformPupilFieldToIntensity(ws, progress, runner, field);
    std::shared_ptr<StarImage> image;
    std::optional<StarFigures> figures;
    if (request.transferFunction && m_loops) {
        // The star image with its figures, and the transfer function, need
        // only the field: they are made at once. Their transforms (the
        // transfer function's, the encircled energy's) run on one thread
        // each: two transforms shared over the same threads would pass their
        // grids between the cores at every step. The stages are told in the
        // order of one after the other.
        progress.stage("Building image");
        progress.stage("");
        progress.stage("Calculating PSF/MTF");
        NoProgress quiet;
        const TransformRunner alone{m_kernel};
        m_loops->run(2, [&](int first, int last) {
            for (int part = first; part < last; ++part) {
                if (part == 0) {
                    image = FormStarImage(ws, formed, quiet, m_loops);
                    if (request.figures)
                        figures = MeasureStar(*image, result.pupil, perfect, alone, m_loops);
                } else {
                    ComputeTransferFunction(ws, quiet, alone);
                }
            }
        });
    } else {
        image = FormStarImage(ws, formed, progress, m_loops);
        if (request.transferFunction)
            ComputeTransferFunction(ws, progress, runner);
        if (request.figures)
            figures = MeasureStar(*image, result.pupil, perfect, runner);
    }
    result.image = image;
    if (request.transferFunction)
        result.curves = ExtractCurves(*image, result.pupil.cellCount, ws.spectrumRe, request.waveLength,
                                      result.apertureInches);
    if (figures)
        result.figures = std::make_shared<const StarFigures>(std::move(*figures));
    return result;
}

base::Result<PupilPhase> SamplePupil(const StarRequest& request, ScreenCache& screens)
{
    if (!Fits(request))
        return base::Fail("an aperture of " + std::to_string(request.pupil.diameter)
                          + " gives no pupil that fits the grid");
    NoProgress progress;
    const ScreenCache::Lookup turbulence =
        screens.get(ScreenKind::Turbulence, {request.screenSeed, request.pupil.turbulence}, progress);
    const ScreenCache::Lookup roughness =
        screens.get(ScreenKind::Roughness, {request.screenSeed, request.pupil.roughness}, progress);
    const float inches = ApertureInchesOf(request.pupil.diameter, request.pupil.millimeters);
    std::shared_ptr<const ApertureMask> mask = request.mask;
    if (!mask) {
        ApertureShape shape = request.aperture;
        if (ObstructionTooLarge(ObstructionPixels(shape.obstructionPercent)))
            shape.obstructionPercent = 0.0;
        mask = std::make_shared<const ApertureMask>(DrawApertureMask(LayoutAperture(shape, inches)));
    }
    const std::unique_ptr<Workspace> ws = Workspace::Create();
    const PupilScreens pupilScreens{&turbulence.screen->grid, &roughness.screen->grid, request.screenDrift,
                                    request.measured.get()};
    const PupilSummary summary = BuildPupil(*ws, request.pupil, *mask, pupilScreens, request.waveLength, progress);

    PupilPhase pupil;
    pupil.N = summary.N;
    pupil.waveLength = request.waveLength;
    pupil.diameterMm =
        request.pupil.millimeters ? request.pupil.diameter : request.pupil.diameter * kMillimetresPerInch;
    const std::size_t cells = static_cast<std::size_t>(pupil.side()) * pupil.side();
    pupil.waves.assign(cells, 0.0);
    pupil.open.assign(cells, 0);
    // Phase in radians at the wavelength back to waves at 555 nm.
    const double toWaves = request.waveLength / kReferenceWavelength / (2.0 * 3.14159265358979323846);
    for (int u = -pupil.N; u <= pupil.N; ++u) {
        for (int v = -pupil.N; v <= pupil.N; ++v) {
            if (ws->mask(kCentre + u, kCentre + v) != 1.0)
                continue;
            pupil.open[pupil.index(u, v)] = 1;
            pupil.waves[pupil.index(u, v)] = ws->phase(kCentre + u, kCentre + v) * toWaves;
        }
    }
    return pupil;
}

}  // namespace optics
