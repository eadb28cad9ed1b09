// FITS and CSV exports through the Save buttons: the data behind the
// picture, the right way up, on the right scale, with the settings that made
// it in the header; the curves as plotted.
#include "window_fixture.h"

#include "app/pages/intra_extra_page.h"
#include "app/pages/planet_page.h"
#include "app/pages/psf_mtf_page.h"
#include "app/science_exports.h"
#include "app/simulation_model.h"
#include "optics/figures.h"
#include "support/fits_reader.h"

#include <QCheckBox>
#include <QJsonObject>

#include <cmath>
#include <map>
#include <sstream>

namespace {

using namespace app::names;
using testing_support::Hdu;
using testing_support::ReadBytes;

class Exports : public testing_support::WindowTest {
protected:
    // Saves through `button` into `name` (the type picked by the name).
    std::vector<Hdu> saveFits(const char* button, const char* name)
    {
        dialogs.queueFile({path(name), 0});
        click(button);
        EXPECT_EQ(messages(), QStringList());
        const QByteArray bytes = ReadBytes(path(name));
        return testing_support::ReadFits(bytes.toStdString());
    }
    double card(const Hdu& hdu, const char* key) const { return std::stod(hdu.cards.at(key)); }
    // FITS pixel (x, row), both from 1, row 1 at the bottom.
    static float pixel(const Hdu& hdu, int x, int row, int plane = 0)
    {
        return hdu.pixels[static_cast<std::size_t>(plane) * 512 * 512 + static_cast<std::size_t>(row - 1) * 512
                          + static_cast<std::size_t>(x - 1)];
    }
    // Rows of a CSV file, split at commas (the header as text).
    std::vector<std::vector<std::string>> csv(const char* name) const
    {
        std::vector<std::vector<std::string>> rows;
        std::istringstream in(ReadBytes(path(name)).toStdString());
        for (std::string line; std::getline(in, line);) {
            rows.emplace_back();
            std::istringstream cells(line);
            for (std::string cell; std::getline(cells, cell, ',');)
                rows.back().push_back(cell);
        }
        return rows;
    }
};

// Coma makes the star lopsided along x: the file keeps left and right, top
// and bottom, and the values of the grid.
TEST_F(Exports, TheStarImageIsTheGridTheRightWayUpWithItsSettings)
{
    set(kAperture, 8);
    set(kComa, 0.6);
    set(kSpherical, 0.25);
    calculate();
    const std::vector<Hdu> fits = saveFits(kSaveStar, "star.fits");
    ASSERT_EQ(fits.size(), 1u);
    const Hdu& star = fits[0];
    EXPECT_EQ(star.cards.at("BITPIX"), "-32");
    EXPECT_EQ(star.cards.at("NAXIS1"), "512");
    EXPECT_NEAR(card(star, "PIXSCALE"), 0.10035, 1e-5);
    EXPECT_NEAR(card(star, "APTDIA"), 203.2, 1e-9);
    EXPECT_EQ(card(star, "COMA"), 0.6);
    EXPECT_EQ(card(star, "SPHER3"), 0.25);
    EXPECT_EQ(card(star, "WAVELEN"), 555.0);
    EXPECT_EQ(star.cards.at("MEASURED"), "F");
    const optics::Grid& grid = window->model().starImage()->grid;
    for (const auto& [i, j] : {std::pair{257, 257}, {250, 257}, {264, 257}, {257, 240}, {300, 200}, {1, 512}})
        EXPECT_EQ(pixel(star, i, 513 - j), static_cast<float>(grid(i, j))) << i << "," << j;
    EXPECT_NE(pixel(star, 250, 256), pixel(star, 264, 256));  // coma: left is not right

    // Saved after the editors changed, the header keeps the calculation's.
    set(kComa, 0.0);
    const Hdu again = saveFits(kSaveStar, "again.fits")[0];
    EXPECT_EQ(card(again, "COMA"), 0.6);
}

// Spherical aberration makes the two sides of focus differ: both on one
// scale, the brighter peak 1, each with its defocus.
TEST_F(Exports, TheIntraExtraPairKeepsTheRatioOfItsPeaks)
{
    set(kFocus, 3);
    set(kSpherical, 0.5);
    set(kFocalRatio, 5);
    click(kCalculateIntraExtra);
    const std::vector<Hdu> fits = saveFits(kSaveIntraExtra, "pair.fts");
    ASSERT_EQ(fits.size(), 2u);
    EXPECT_EQ(fits[0].cards.at("EXTNAME"), "INTRA");
    EXPECT_EQ(fits[1].cards.at("EXTNAME"), "EXTRA");
    EXPECT_EQ(card(fits[0], "DEFOCUS"), -3.0);
    EXPECT_EQ(card(fits[1], "DEFOCUS"), 3.0);
    EXPECT_EQ(card(fits[0], "FOCRATIO"), 5.0);
    // 8 N^2 lambda W: 8 x 25 x 0.555 um x 3 = 0.333 mm, inside focus negative.
    EXPECT_NEAR(card(fits[0], "FOCTRAVL"), -0.333, 1e-9);
    EXPECT_NEAR(card(fits[1], "FOCTRAVL"), 0.333, 1e-9);
    const auto& pair = find<app::IntraExtraPage>(kIntraExtraPage)->focalPair();
    const double intraPeak = pair.intra->peak + 0.00001;
    const double extraPeak = pair.extra->peak + 0.00001;
    ASSERT_GT(std::abs(intraPeak / extraPeak - 1.0), 0.05);
    const float intraMax = *std::max_element(fits[0].pixels.begin(), fits[0].pixels.end());
    const float extraMax = *std::max_element(fits[1].pixels.begin(), fits[1].pixels.end());
    EXPECT_NEAR(std::max(intraMax, extraMax), 1.0, 1e-6);
    EXPECT_NEAR(intraMax / extraMax, intraPeak / extraPeak, 1e-5);
}

// The colour planet as three planes, each on the composite's scale.
TEST_F(Exports, TheColourPlanetHasThreePlanes)
{
    loadPlanet(writeDisc("disc.png", {80, 80}, QColor(220, 120, 40), 30));
    click(kConvoluteColour);
    const std::vector<Hdu> fits = saveFits(kSavePlanet, "planet.fit");
    ASSERT_EQ(fits.size(), 1u);
    EXPECT_EQ(fits[0].cards.at("NAXIS3"), "3");
    EXPECT_EQ(card(fits[0], "PIXSCALE"), 0.1);
    EXPECT_EQ(card(fits[0], "WAVERED"), 645.0);
    const sim::Composite& colour = find<app::PlanetPage>(kPlanetPage)->colourResult();
    const optics::RgbCell& centre = (*colour.cells)(257, 257);
    EXPECT_EQ(pixel(fits[0], 257, 256, 0), static_cast<float>(centre.red * colour.scale));
    EXPECT_EQ(pixel(fits[0], 257, 256, 2), static_cast<float>(centre.blue * colour.scale));
    EXPECT_GT(pixel(fits[0], 257, 256, 0), pixel(fits[0], 257, 256, 2));  // an orange disc
}

// The cards of the settings: the seeing only when the turbulence was set
// from it, the aperture in millimetres whatever unit the editor holds.
TEST_F(Exports, TheHeaderNamesTheSettings)
{
    struct Case {
        QJsonObject controls;
        double aperture;
        bool seeing;
    } cases[] = {
        {{{kAperture, 8}, {kSeeing, 1.5}, {kFocalRatio, 4.5}}, 203.2, true},
        {{{kAperture, 200}, {kMillimeters, true}, {kSeeing, 0}, {kFocalRatio, 4.5}}, 200.0, false},
    };
    for (const Case& c : cases) {
        std::map<std::string, imaging::FitsCard> cards;
        for (const imaging::FitsCard& card : app::SettingsCards(QJsonObject{{"controls", c.controls}}))
            cards[card.keyword] = card;
        EXPECT_NEAR(std::get<double>(cards.at("APTDIA").value), c.aperture, 1e-9);
        EXPECT_EQ(std::get<double>(cards.at("FOCRATIO").value), 4.5);
        EXPECT_EQ(cards.count("SEEING"), c.seeing ? 1u : 0u);
    }
    EXPECT_EQ(app::SettingsCards({}).size(), 1u);  // the program alone
}

// FITS is offered where data stand behind the picture, and only there.
TEST_F(Exports, FitsIsOfferedFourthWhereThereIsDataBehindThePicture)
{
    calculate();
    click(kCalculateDouble);
    dialogs.queueFile({path("star"), 4});
    click(kSaveStar);
    EXPECT_TRUE(ReadBytes(path("star.fits")).startsWith("SIMPLE  ="));
    dialogs.queueFile({path("double.fits"), 0});
    click(kSaveDouble);
    EXPECT_TRUE(ReadBytes(path("double.fits.png")).startsWith("\x89PNG"));
    ASSERT_EQ(dialogs.fileDialogs().size(), 2u);
    EXPECT_EQ(dialogs.fileDialogs()[0].filters.size(), 4);
    EXPECT_EQ(dialogs.fileDialogs()[1].filters.size(), 3);
    EXPECT_EQ(messages(), QStringList());
}

TEST_F(Exports, TheCurvesAreSavedAsPlottedWithTheirUnits)
{
    click(kSaveCurves);
    EXPECT_EQ(messages(), QStringList{"Nothing to save yet: tick Calculate PSF/MTF and press Calculate"});
    dialogs.clearShown();
    find<QCheckBox>(kTransferFunction)->setChecked(true);
    set(kAperture, 8);
    set(kObstruction, 30);
    set(kSpherical, 0.3);
    calculate();
    dialogs.queueFile({path("psf"), 1});
    click(kSaveCurves);
    dialogs.queueFile({path("mtf.csv"), 2});
    click(kSaveCurves);
    dialogs.queueFile({path("energy.csv"), 3});
    click(kSaveCurves);
    EXPECT_EQ(messages(), QStringList());
    ASSERT_EQ(dialogs.fileDialogs().size(), 3u);
    EXPECT_EQ(dialogs.fileDialogs()[0].filters.size(), 3);
    const app::PsfMtfPage& page = *find<app::PsfMtfPage>(kPsfMtfPage);
    const optics::PsfMtfCurves& curves = *page.curves();

    const auto psf = csv("psf.csv");
    ASSERT_EQ(psf.size(), 1u + curves.psfX.size());
    EXPECT_EQ(psf[0][0], "offset (arcsec)");
    for (std::size_t n : {0u, 100u, 137u})
        EXPECT_EQ(std::stod(psf[n + 1][1]), curves.psfX[n].y) << n;

    const auto mtf = csv("mtf.csv");
    ASSERT_EQ(mtf.size(), 1u + curves.mtfX.size());
    EXPECT_EQ(mtf[0].size(), 5u);
    EXPECT_EQ(mtf[0][1], "frequency (cycles per arcsec)");
    EXPECT_EQ(std::stod(mtf[1][4]), 1.0);
    for (std::size_t i : {1u, 40u, 90u}) {
        EXPECT_EQ(std::stod(mtf[i + 1][0]), curves.mtfX[i].x);
        EXPECT_EQ(std::stod(mtf[i + 1][3]), curves.mtfY[i].y);
        EXPECT_NEAR(std::stod(mtf[i + 1][1]), i / (512 * app::kCellArcseconds), 1e-12);
        // The frequencies the plot shows in cycles per arcsecond.
        EXPECT_NEAR(std::stod(mtf[i + 1][1]),
                    curves.mtfX[i].x * optics::CutoffCyclesPerArcsec(curves.apertureInches, curves.waveLength),
                    0.01 * std::stod(mtf[i + 1][1]));
    }

    // The encircled energy as plotted, beside the perfect telescope's.
    const optics::StarFigures& figures = *page.figures();
    const auto energy = csv("energy.csv");
    ASSERT_EQ(energy.size(), 1u + figures.energy().size());
    EXPECT_EQ(energy[0], (std::vector<std::string>{"radius (arcsec)", "encircled energy (fraction of the star's light)",
                                                   "encircled energy of a perfect telescope (fraction of its light)"}));
    for (std::size_t n : {std::size_t{0}, std::size_t{10}, std::size_t{60}, figures.energy().size() - 1}) {
        EXPECT_EQ(std::stod(energy[n + 1][0]), figures.energy()[n].x) << n;
        EXPECT_EQ(std::stod(energy[n + 1][1]), figures.energy()[n].y) << n;
        EXPECT_EQ(std::stod(energy[n + 1][2]), figures.perfect->energy[n].y) << n;
    }
    // Spherical aberration spreads the light beyond the perfect star's core.
    EXPECT_LT(std::stod(energy[11][1]), std::stod(energy[11][2]) - 0.05);
    // The perfect aperture between two points of its table.
    const app::CurveTable table = app::MtfTable(curves);
    const double f = table.rows[40][0];
    std::size_t k = 0;
    while (curves.perfect[k + 1].x <= f)
        ++k;
    const double expected = curves.perfect[k].y + (f - curves.perfect[k].x) /
                                                      (curves.perfect[k + 1].x - curves.perfect[k].x) *
                                                      (curves.perfect[k + 1].y - curves.perfect[k].y);
    EXPECT_NEAR(table.rows[40][4], expected, 1e-12);
}

}  // namespace
