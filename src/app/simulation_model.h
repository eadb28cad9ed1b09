#pragma once

#include "imaging/colour.h"
#include "imaging/display.h"
#include "imaging/pixel_buffer.h"
#include "optics/star_calculator.h"
#include "simulations/chromatic.h"
#include "simulations/planet.h"

#include <QObject>

#include <map>
#include <memory>
#include <optional>

namespace imaging {
class TextPainter;
}

namespace app {

//! The pictures that show star images and colour composites, numbered as
//! --dump-state has always numbered them.
enum class Place { Star = 1, Chromatic = 2, Planet = 3 };

//! What is on screen, and the display settings it is drawn with. The pages
//! tell it what their runs made; it draws the pictures and tells the pages
//! through its signals. A change of gamma, slope or brightness redraws the
//! grey picture on show, a change of zoom redraws whatever is on show; none
//! of them recomputes optics.
class SimulationModel : public QObject {
    Q_OBJECT

public:
    //! Wavefront pictures are labelled with `text`, with `separator` as the
    //! decimal separator.
    SimulationModel(imaging::TextPainter& text, char separator, QObject* parent = nullptr);
    ~SimulationModel() override;

    // ---- Display settings

    //! The settings at start-up, when nothing is on show: nothing is drawn or
    //! announced.
    void startDisplay(double gamma, double slope, double zoom, int brightness);
    //! A new display curve; redraws the grey picture on show.
    void setDisplayCurve(double gamma, double slope);
    //! A new brightness (0..100); redraws the grey picture on show.
    void setBrightness(int brightness);
    //! A new zoom; redraws the picture on show at it and tells the new width
    //! of the pictures in arcseconds.
    void setZoom(double zoom);
    const imaging::DisplayCurve& curve() const { return m_curve; }
    //! Loops that colour pictures are drawn on (shared with idle workers);
    //! without, on the calling thread.
    void setLoops(optics::LoopRunner* loops) { m_loops = loops; }
    //! White, at the zoom and brightness of the moment.
    imaging::StarLook look() const { return {m_zoom, m_brightness, imaging::kWhite}; }

    // ---- Calculations

    //! Shows what a calculation made besides its star image: the screens it
    //! built or took, the aperture picture, the pupil's resolution and
    //! sampling, the wavefront picture (when asked for), the PSF and MTF
    //! curves (when asked for), and whether the obstruction was left out.
    void showCalculation(const optics::StarResult& result);
    //! A picture of `image` drawn elsewhere (on a worker) with `curve` and
    //! `look`: the next showStar of that image takes it instead of drawing,
    //! unless the display settings changed meanwhile.
    void offerPicture(optics::StarImagePtr image, std::shared_ptr<const imaging::DisplayCurve> curve,
                      const imaging::StarLook& look, imaging::PixelBuffer picture);
    void dropOfferedPicture() { m_offered.reset(); }
    //! Only notes the screens a calculation built (for a calculation whose
    //! other by-products are not shown).
    void noteScreens(const optics::StarResult& result);
    //! A picture was loaded in place of the wavefront picture.
    void setWavefrontLoaded(bool loaded) { m_wavefrontLoaded = loaded; }
    bool wavefrontLoaded() const { return m_wavefrontLoaded; }

    // ---- Pictures

    //! Shows a star image in grey at the display settings in `place`; it is
    //! what the display settings redraw from now on. In the star picture it
    //! becomes the star image the double star is composed from.
    void showStar(Place place, optics::StarImagePtr image);
    //! Shows one wavelength of a colour run in its colour (brightness plays no
    //! part): the progress of the run, replaced by its composite. Without
    //! `drawn` it becomes the pass on record but the picture is left alone.
    void showColourPass(Place place, optics::StarImagePtr image, double waveLength, bool drawn = true);
    //! Shows a colour composite in `place`; a zoom change redraws it at its
    //! scale, the other display settings leave it alone.
    void showComposite(Place place, const sim::Composite& composite);

    //! The picture last drawn in `place`, or none.
    const imaging::PixelBuffer* picture(Place place) const;
    //! The star image the star picture shows (none before the first).
    optics::StarImagePtr starImage() const { return m_starImage; }
    //! Where the picture the display settings redraw is.
    Place shownPlace() const { return m_shown.place; }
    bool showsComposite() const { return m_shown.composite.cells != nullptr; }

    // ---- Figures, curves and what Hold keeps

    //! One calculation as the pages show it.
    struct Calculated {
        optics::StarRequest request;
        optics::StarImagePtr star;
        std::shared_ptr<const optics::StarFigures> figures;  //!< when measured
        std::optional<optics::PsfMtfCurves> curves;          //!< when computed
    };
    //! The calculation of the star in the star picture (none before the first).
    const std::optional<Calculated>& starCalculation() const { return m_starCalculation; }
    //! The last calculation with figures whose star went to the star picture:
    //! what the figures readouts show, current or not.
    const std::optional<Calculated>& figuredCalculation() const { return m_figured; }
    //! Whether the star picture still shows that calculation's star.
    bool figuresCurrent() const;
    //! The calculation whose curves the PSF/MTF page shows.
    const std::optional<Calculated>& curveCalculation() const { return m_curveCalculation; }

    //! What Hold keeps for comparison: the star picture's calculation and the
    //! PSF/MTF page's, as they were when held.
    struct Held {
        std::optional<Calculated> star;
        std::optional<Calculated> curves;
    };
    //! Keeps what is shown now until release(); a second hold replaces it.
    void hold();
    void release();
    const std::optional<Held>& held() const { return m_held; }
    //! The held star drawn at the display settings of the moment (none when
    //! nothing with a star is held).
    const imaging::PixelBuffer* heldPicture() const { return m_heldPicture ? &*m_heldPicture : nullptr; }

    //! The focal ratio of the telescope (f/N): the star picture's width at the
    //! focal plane and the MTF in line pairs per millimetre. Shows nothing
    //! again; it only tells.
    void setFocalRatio(double focalRatio);
    double focalRatio() const { return m_focalRatio; }
    //! The width of the star picture in micrometres at the focal plane, for
    //! the star on show and the zoom (0 before the first star).
    double pictureMicrometres() const;

    //! The drift of the turbulence screen that the last animation left; every
    //! calculation uses it.
    int screenDrift() const { return m_screenDrift; }
    void setScreenDrift(int drift) { m_screenDrift = drift; }

    //! What the last runs used and made, for --dump-state and --dump-grid.
    struct Trace {
        optics::StarImagePtr display;    //!< the last image a display step made
        imaging::Rgb starColour;         //!< and the colour it was drawn in
        optics::StarImagePtr intraFocal;  //!< of the last intra/extra run
        optics::StarImagePtr kernel;      //!< the star image of the last planet pass
        std::shared_ptr<const optics::ColourCells> colours;  //!< the last colour sums
        double colourScale = 1.0;         //!< of the last composite
        sim::ChannelWeights weights;      //!< of the last colour pass added
        sim::ChannelTotals planetTotals;  //!< of the last colour planet run
        float apertureInches = 0.0f;      //!< of the last calculation
        int cellCount = 0;
        optics::PhaseScreenPtr turbulence;  //!< the screens of the last calculation
        optics::PhaseScreenPtr roughness;
        double screenAmplitude = 0.0;       //!< of the last screen built
        std::uint32_t generatorState = 0;   //!< after the last screen built
    };
    const Trace& trace() const { return m_trace; }
    Trace& trace() { return m_trace; }

signals:
    //! A new picture in `place`; it is not changed afterwards.
    void pictureDrawn(app::Place place, std::shared_ptr<const imaging::PixelBuffer> picture);
    //! The width of the star and planet pictures in arcseconds.
    void scaleChanged(int arcseconds);
    void screenShown(optics::ScreenKind kind, const optics::ScreenPicture& picture);
    void apertureDrawn(const imaging::PixelBuffer& picture);
    void pupilSampled(const optics::PupilSummary& pupil);
    void wavefrontDrawn(const imaging::PixelBuffer& picture, const optics::PupilSummary& pupil);
    void curvesReady(const optics::PsfMtfCurves& curves);
    void obstructionLeftOut();
    //! The star picture shows another calculation's star (or one without
    //! figures): the readouts follow.
    void figuresChanged();
    //! The PSF/MTF page's calculation changed.
    void curveCalculationChanged();
    //! Hold or release; also a redraw of the held star at new display settings.
    void heldChanged();
    //! The focal ratio changed, or a star of another aperture went to the
    //! star picture: its width at the focal plane changed.
    void focalPlaneChanged();

private:
    void draw(Place place, imaging::PixelBuffer picture);
    void redrawGrey();
    void drawHeld();

    // What the display settings redraw.
    struct Shown {
        Place place = Place::Star;
        optics::StarImagePtr grey;
        sim::Composite composite;
    };

    imaging::TextPainter& m_text;
    char m_separator;
    imaging::DisplayCurve m_curve{};
    struct Offered {
        optics::StarImagePtr image;
        std::shared_ptr<const imaging::DisplayCurve> curve;
        imaging::StarLook look;
        imaging::PixelBuffer picture;
    };
    std::optional<Offered> m_offered;
    double m_zoom = 1.0;
    int m_brightness = 0;
    optics::LoopRunner* m_loops = nullptr;
    Shown m_shown;
    optics::StarImagePtr m_starImage;
    std::map<Place, std::shared_ptr<const imaging::PixelBuffer>> m_pictures;
    std::shared_ptr<const optics::ApertureMask> m_aperture;
    optics::PhaseScreenPtr m_shownScreens[2];
    bool m_wavefrontLoaded = false;
    int m_screenDrift = 0;
    Trace m_trace;
    // The last calculation shown, until its star goes to a picture.
    std::optional<Calculated> m_lastCalculation;
    std::optional<Calculated> m_starCalculation;
    std::optional<Calculated> m_figured;
    std::optional<Calculated> m_curveCalculation;
    std::optional<Held> m_held;
    std::optional<imaging::PixelBuffer> m_heldPicture;
    double m_focalRatio = 6.0;
};

}  // namespace app
