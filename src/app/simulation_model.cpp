#include "app/simulation_model.h"

#include "imaging/wavefront_picture.h"
#include "optics/figures.h"

namespace app {

SimulationModel::SimulationModel(imaging::TextPainter& text, char separator, QObject* parent)
    : QObject(parent), m_text(text), m_separator(separator)
{
    m_trace.starColour = imaging::WavelengthToRgb(optics::kReferenceWavelength);
}

SimulationModel::~SimulationModel() = default;

void SimulationModel::startDisplay(double gamma, double slope, double zoom, int brightness)
{
    m_curve = imaging::BuildDisplayCurve(gamma, slope);
    m_zoom = zoom;
    m_brightness = brightness;
}

void SimulationModel::setDisplayCurve(double gamma, double slope)
{
    m_curve = imaging::BuildDisplayCurve(gamma, slope);
    drawHeld();
    redrawGrey();
}

void SimulationModel::setBrightness(int brightness)
{
    m_brightness = brightness;
    drawHeld();
    redrawGrey();
}

void SimulationModel::setZoom(double zoom)
{
    m_zoom = zoom;
    drawHeld();
    emit scaleChanged(imaging::ZoomLabelNumber(zoom));
    if (m_shown.composite.cells) {
        draw(m_shown.place, imaging::DrawComposite(*m_shown.composite.cells, m_shown.composite.scale, zoom, m_loops));
    } else if (m_shown.grey) {
        draw(m_shown.place, imaging::DrawZoomedStarPicture(m_shown.grey->grid, m_curve, look()));
    }
}

void SimulationModel::redrawGrey()
{
    // A colour composite on show is not replaced by a grey picture.
    if (m_shown.grey && !m_shown.composite.cells)
        showStar(m_shown.place, m_shown.grey);
}

void SimulationModel::draw(Place place, imaging::PixelBuffer picture)
{
    auto drawn = std::make_shared<const imaging::PixelBuffer>(std::move(picture));
    m_pictures[place] = drawn;
    emit pictureDrawn(place, std::move(drawn));
}

const imaging::PixelBuffer* SimulationModel::picture(Place place) const
{
    const auto found = m_pictures.find(place);
    return found == m_pictures.end() ? nullptr : found->second.get();
}

void SimulationModel::showStar(Place place, optics::StarImagePtr image)
{
    m_shown = {place, image, {}};
    if (place == Place::Star) {
        m_starImage = image;
        // The star of the last calculation, or one made from it (none of the
        // window's views does that yet) without a request to tell.
        if (m_lastCalculation && m_lastCalculation->star == image)
            m_starCalculation = m_lastCalculation;
        else
            m_starCalculation.reset();
        if (m_starCalculation && m_starCalculation->figures)
            m_figured = m_starCalculation;
    }
    m_trace.display = image;
    m_trace.starColour = imaging::kWhite;
    if (m_offered && m_offered->image == image && m_offered->look == look() && *m_offered->curve == m_curve) {
        imaging::PixelBuffer picture = std::move(m_offered->picture);
        m_offered.reset();
        draw(place, std::move(picture));
    } else {
        draw(place, imaging::DrawStarPicture(image->grid, m_curve, look(), m_loops));
    }
    if (place == Place::Star) {
        emit figuresChanged();
        // The picture's width at the focal plane follows the star's aperture.
        emit focalPlaneChanged();
    }
}

void SimulationModel::showColourPass(Place place, optics::StarImagePtr image, double waveLength, bool drawn)
{
    const imaging::Rgb colour = imaging::WavelengthToRgb(waveLength);
    m_trace.display = image;
    m_trace.starColour = colour;
    if (drawn)
        draw(place, imaging::DrawStarPicture(image->grid, m_curve, {m_zoom, 0, colour}));
}

void SimulationModel::showComposite(Place place, const sim::Composite& composite)
{
    m_shown = {place, nullptr, composite};
    m_trace.colours = composite.cells;
    m_trace.colourScale = composite.scale;
    draw(place, imaging::DrawComposite(*composite.cells, composite.scale, m_zoom, m_loops));
}

void SimulationModel::offerPicture(optics::StarImagePtr image, std::shared_ptr<const imaging::DisplayCurve> curve,
                                   const imaging::StarLook& look, imaging::PixelBuffer picture)
{
    m_offered = Offered{std::move(image), std::move(curve), look, std::move(picture)};
}

void SimulationModel::noteScreens(const optics::StarResult& result)
{
    // The screens are built turbulence first.
    for (const auto& [screen, built] : {std::pair{result.turbulence, result.turbulenceBuilt},
                                       std::pair{result.roughness, result.roughnessBuilt}}) {
        if (built) {
            m_trace.screenAmplitude = screen->settings.amplitude;
            m_trace.generatorState = screen->finalState;
        }
    }
}

void SimulationModel::showCalculation(const optics::StarResult& result)
{
    m_trace.apertureInches = result.apertureInches;
    m_trace.cellCount = result.pupil.cellCount;
    m_trace.turbulence = result.turbulence;
    m_trace.roughness = result.roughness;
    noteScreens(result);
    for (const optics::PhaseScreenPtr& screen : {result.turbulence, result.roughness}) {
        optics::PhaseScreenPtr& shown = m_shownScreens[screen->kind == optics::ScreenKind::Turbulence ? 0 : 1];
        if (screen != shown) {
            shown = screen;
            emit screenShown(screen->kind, screen->picture);
        }
    }
    if (result.obstructionLeftOut)
        emit obstructionLeftOut();
    if (result.aperture != m_aperture) {
        // Each worker keeps masks of its own: the same mask from another
        // one draws nothing new.
        const bool same = m_aperture && result.aperture && *result.aperture == *m_aperture;
        m_aperture = result.aperture;
        if (!same)
            emit apertureDrawn(imaging::DrawAperturePicture(*m_aperture));
    }
    emit pupilSampled(result.pupil);
    if (result.wavefront) {
        imaging::PixelBuffer picture(optics::kPictureSide, optics::kPictureSide);
        imaging::DrawWavefrontPicture(picture, *result.wavefront, result.pupil.minW, result.pupil.maxW, m_text,
                                      m_separator);
        emit wavefrontDrawn(picture, result.pupil);
    }
    m_lastCalculation = Calculated{result.request, result.image, result.figures, result.curves};
    if (result.curves) {
        emit curvesReady(*result.curves);
        m_curveCalculation = m_lastCalculation;
        emit curveCalculationChanged();
    }
}

bool SimulationModel::figuresCurrent() const
{
    return m_figured && m_starCalculation && m_figured->star == m_starCalculation->star;
}

void SimulationModel::hold()
{
    m_held = Held{m_starCalculation, m_curveCalculation};
    // A star picture that shows a star no calculation made known (none yet)
    // is held as the star alone.
    if (!m_held->star && m_starImage)
        m_held->star = Calculated{{}, m_starImage, nullptr, std::nullopt};
    drawHeld();
}

void SimulationModel::release()
{
    m_held.reset();
    m_heldPicture.reset();
    emit heldChanged();
}

void SimulationModel::drawHeld()
{
    if (!m_held)
        return;
    if (m_held->star && m_held->star->star)
        m_heldPicture = imaging::DrawStarPicture(m_held->star->star->grid, m_curve, look());
    else
        m_heldPicture.reset();
    emit heldChanged();
}

void SimulationModel::setFocalRatio(double focalRatio)
{
    m_focalRatio = focalRatio;
    emit focalPlaneChanged();
}

double SimulationModel::pictureMicrometres() const
{
    if (!m_starCalculation)
        return 0.0;
    const float inches = optics::ApertureInchesOf(m_starCalculation->request.pupil.diameter,
                                                  m_starCalculation->request.pupil.millimeters);
    const double arcsec = optics::kPictureSide * optics::kArcsecPerCell / m_zoom;
    return optics::FocalPlaneMicrometres(arcsec, inches, m_focalRatio);
}

}  // namespace app
