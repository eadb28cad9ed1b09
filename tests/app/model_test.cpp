// The model of what is on screen, on its own: what each display setting
// redraws, where, and what a calculation's result makes it announce.
#include "app/simulation_model.h"

#include "imaging/colour.h"
#include "support/pictures.h"
#include "support/qt_helpers.h"
#include "ui/text_painter.h"

#include <QFont>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using app::Place;
using imaging::Rgb;
using testing_support::PointStar;

Rgb grey(int level)
{
    const auto l = static_cast<std::uint8_t>(level);
    return {l, l, l};
}

class Model : public ::testing::Test {
protected:
    void SetUp() override
    {
        model.startDisplay(0.5, 4.5, 1.0, 0);
        QObject::connect(&model, &app::SimulationModel::pictureDrawn,
                         [this](Place place, const std::shared_ptr<const imaging::PixelBuffer>&) { drawn.push_back(place); });
        QObject::connect(&model, &app::SimulationModel::scaleChanged,
                         [this](int arcseconds) { scales.push_back(arcseconds); });
    }

    Rgb pixel(Place place, int x, int y) const { return model.picture(place)->pixel(x, y); }

    ui::QtTextPainter painter{QFont()};
    app::SimulationModel model{painter, '.'};
    std::vector<Place> drawn;
    std::vector<int> scales;
};

TEST_F(Model, NothingIsDrawnBeforeAStarIsShown)
{
    model.startDisplay(0.3, 8.0, 2.0, 50);
    model.setBrightness(70);
    model.setDisplayCurve(0.6, 4.5);
    EXPECT_TRUE(drawn.empty());
    EXPECT_EQ(model.picture(Place::Star), nullptr);
    EXPECT_EQ(model.starImage(), nullptr);
}

// Each display setting redraws the grey star on show at once; the zoom also
// tells the new width of the pictures.
TEST_F(Model, DisplaySettingsRedrawTheGreyStar)
{
    struct Step {
        const char* what;
        std::function<void(app::SimulationModel&)> change;
        std::vector<std::pair<QPoint, int>> levels;
    };
    const Step steps[] = {
        {"shown", [](auto& m) { m.showStar(Place::Star, PointStar()); },
         {{{129, 129}, 255}, {{72, 72}, 11}, {{128, 128}, 0}}},
        {"brightness 100", [](auto& m) { m.setBrightness(100); }, {{{72, 72}, 241}, {{129, 129}, 255}}},
        {"brightness 0", [](auto& m) { m.setBrightness(0); }, {{{72, 72}, 11}}},
        // 0.01 is below the threshold 8^(-1/0.7) = 0.051 of the new toe: level 0.08.
        {"gamma 0.3, slope 8", [](auto& m) { m.setDisplayCurve(0.3, 8.0); }, {{{72, 72}, 20}, {{129, 129}, 255}}},
        // At zoom 2 the centre cell covers pixels 130 and 131 (h = 1 / 2.0001).
        {"zoom 2", [](auto& m) { m.setZoom(2.0); },
         {{{130, 131}, 255}, {{131, 130}, 255}, {{129, 130}, 0}, {{132, 130}, 0}}},
    };
    for (const Step& s : steps) {
        drawn.clear();
        s.change(model);
        EXPECT_EQ(drawn, std::vector<Place>{Place::Star}) << s.what;
        for (const auto& [at, level] : s.levels)
            EXPECT_EQ(pixel(Place::Star, at.x(), at.y()), grey(level)) << s.what << " at " << at.x() << "," << at.y();
    }
    EXPECT_EQ(scales, std::vector<int>{12});
}

// Only the star picture's image is the one the double star is composed
// from; the display settings redraw whatever was shown last.
TEST_F(Model, TheStarImageIsTheLastShownInTheStarPicture)
{
    const optics::StarImagePtr star = PointStar();
    model.showStar(Place::Planet, PointStar());
    EXPECT_EQ(model.starImage(), nullptr);
    model.showStar(Place::Star, star);
    model.showStar(Place::Planet, PointStar());
    EXPECT_EQ(model.starImage(), star);
    EXPECT_EQ(model.shownPlace(), Place::Planet);
    drawn.clear();
    model.setBrightness(30);
    model.setZoom(0.5);
    EXPECT_EQ(drawn, (std::vector<Place>{Place::Planet, Place::Planet}));
}

// A colour pass shows in its colour at the zoom but without brightness; a
// composite is redrawn by the zoom alone, at its own scale.
TEST_F(Model, ColourPicturesKeepTheirColoursThroughTheDisplaySettings)
{
    model.setBrightness(100);
    model.showColourPass(Place::Chromatic, PointStar(), 656.0);
    const Rgb red = imaging::WavelengthToRgb(656.0);
    EXPECT_EQ(pixel(Place::Chromatic, 129, 129), red);
    EXPECT_LT(pixel(Place::Chromatic, 72, 72).red, red.red / 10);  // 0.045 of it, not lifted

    auto cells = std::make_shared<optics::ColourCells>();
    (*cells)(129 + 10, 129 + 20) = {1.0f, 0.5f, 0.25f};
    const sim::Composite composite{cells, 200.0};
    model.showComposite(Place::Chromatic, composite);
    const imaging::PixelBuffer shown = *model.picture(Place::Chromatic);
    EXPECT_EQ(shown, imaging::DrawComposite(*cells, 200.0));
    EXPECT_EQ(shown.pixel(10, 20), (Rgb{200, 100, 50}));
    EXPECT_TRUE(model.showsComposite());

    drawn.clear();
    model.setBrightness(0);
    model.setDisplayCurve(0.8, 4.5);
    EXPECT_TRUE(drawn.empty());
    EXPECT_EQ(*model.picture(Place::Chromatic), shown);
    model.setZoom(1.5);
    EXPECT_EQ(drawn, std::vector<Place>{Place::Chromatic});
    EXPECT_EQ(*model.picture(Place::Chromatic), imaging::DrawComposite(*cells, 200.0, 1.5));
    EXPECT_EQ(model.trace().colourScale, 200.0);
}

// What a calculation made is announced once: screens and the aperture only
// when they change, the wavefront only when asked for and no picture was
// loaded in its place, the curves only with the transfer function.
TEST_F(Model, ACalculationAnnouncesOnlyWhatIsNew)
{
    std::vector<std::string> heard;
    using M = app::SimulationModel;
    QObject::connect(&model, &M::screenShown, [&](optics::ScreenKind kind, const optics::ScreenPicture&) {
        heard.push_back(kind == optics::ScreenKind::Turbulence ? "turbulence" : "roughness");
    });
    QObject::connect(&model, &M::apertureDrawn, [&] { heard.push_back("aperture"); });
    QObject::connect(&model, &M::pupilSampled, [&] { heard.push_back("pupil"); });
    QObject::connect(&model, &M::wavefrontDrawn, [&] { heard.push_back("wavefront"); });
    QObject::connect(&model, &M::curvesReady, [&] { heard.push_back("curves"); });
    QObject::connect(&model, &M::obstructionLeftOut, [&] { heard.push_back("no obstruction"); });

    optics::ScreenCache screens;
    optics::StarCalculator calculator(screens);
    optics::NoProgress quiet;
    struct Row {
        const char* what;
        std::function<void(optics::StarRequest&)> change;
        bool loaded;
        std::vector<std::string> heard;
    };
    const Row rows[] = {
        {"first", [](auto&) {}, false, {"turbulence", "roughness", "aperture", "pupil"}},
        {"again", [](auto&) {}, false, {"pupil"}},
        {"wavefront and curves", [](auto& r) { r.wavefrontMap = r.transferFunction = true; }, false,
         {"pupil", "wavefront", "curves"}},
        // The page decides what a loaded picture hides; the model announces the map.
        {"loaded picture", [](auto& r) { r.wavefrontMap = true; }, true, {"pupil", "wavefront"}},
        {"obstruction", [](auto& r) { r.aperture.obstructionPercent = 30; }, false, {"aperture", "pupil"}},
        {"too large", [](auto& r) { r.aperture.obstructionPercent = 95; }, false,
         {"no obstruction", "aperture", "pupil"}},
        {"new seed", [](auto& r) { r.screenSeed = 5; }, false, {"turbulence", "roughness", "pupil"}},
        {"turbulence", [](auto& r) { r.screenSeed = 5, r.pupil.turbulence = 0.2; }, false, {"turbulence", "pupil"}},
    };
    for (const Row& r : rows) {
        optics::StarRequest request;
        r.change(request);
        model.setWavefrontLoaded(r.loaded);
        heard.clear();
        model.showCalculation(calculator.calculate(request, quiet).value());
        EXPECT_EQ(heard, r.heard) << r.what;
    }
    EXPECT_EQ(model.trace().screenAmplitude, 0.2);
    EXPECT_FLOAT_EQ(model.trace().apertureInches, 5.0f);
}

}  // namespace
