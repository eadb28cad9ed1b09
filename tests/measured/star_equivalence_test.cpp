// The measured wavefront in the star calculation: Fringe terms give the same
// star as the named errors they equal, a map of a term the star of the term,
// and the program's own written wavefront read back the star it came from.
#include "measured/measured_compose.h"
#include "measured/measured_file.h"
#include "optics/star_calculator.h"
#include "support/three_threads.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace {

using measured::FringeArray;

// The largest difference between two normalised star images.
double MaxDifference(const optics::StarImage& a, const optics::StarImage& b)
{
    double worst = 0.0;
    for (std::size_t i = 0; i < a.grid.cells.size(); ++i)
        worst = std::max(worst, std::fabs(a.grid.cells[i] - b.grid.cells[i]));
    return worst;
}

class StarTest : public ::testing::Test {
protected:
    optics::StarImagePtr star(const optics::StarRequest& request)
    {
        optics::NoProgress progress;
        base::Result<optics::StarResult> result = calculator.calculate(request, progress);
        EXPECT_TRUE(result.ok()) << result.error();
        return result->image;
    }
    static optics::StarRequest base()
    {
        optics::StarRequest r;
        r.pupil.diameter = 8.0;
        r.aperture.obstructionPercent = 20.0;
        return r;
    }
    static optics::MeasuredWavefrontPtr terms(std::initializer_list<std::pair<int, double>> list,
                                              const measured::MeasuredSettings& settings = {555.0, false, false})
    {
        FringeArray t{};
        for (auto [term, value] : list)
            t[static_cast<std::size_t>(term - 1)] = value;
        return measured::ComposeMeasured(t, static_cast<const measured::MapData*>(nullptr), settings);
    }

    optics::ScreenCache screens;
    optics::StarCalculator calculator{screens};
};

struct Equivalence {
    const char* what;
    int term;
    double value;  // waves of the Fringe term
    std::function<void(optics::PupilParams&)> named;
};

// Each Fringe term of c waves is the named error that equals it; the piston
// the terms carry only shifts the phase.
const Equivalence kEquivalences[] = {
    {"defocus Z4 = Focus 2c", 4, 0.7, [](optics::PupilParams& p) { p.focus = 1.4; }},
    {"spherical Z9 = Spherical -1.5c", 9, 0.4, [](optics::PupilParams& p) { p.spherical = -0.6; }},
    {"X coma Z7 = Coma 2c at 90", 7, 0.3,
     [](optics::PupilParams& p) {
         p.coma = 0.6;
         p.comaAngle = 90.0;
     }},
    {"Y coma Z8 = Coma 2c at 180 (y up)", 8, 0.3,
     [](optics::PupilParams& p) {
         p.coma = 0.6;
         p.comaAngle = 180.0;
     }},
    {"X astigmatism Z5 = Astigmatism 2c at 0", 5, 0.25,
     [](optics::PupilParams& p) {
         p.astigmatism = 0.5;
         p.astigmatismAngle = 0.0;
     }},
    {"astigmatism Z6 = Astigmatism 2c at 45 (y up)", 6, 0.25,
     [](optics::PupilParams& p) {
         p.astigmatism = 0.5;
         p.astigmatismAngle = 45.0;
     }},
};

TEST_F(StarTest, FringeTermsGiveTheStarsOfTheNamedErrorsTheyEqual)
{
    for (const Equivalence& e : kEquivalences) {
        SCOPED_TRACE(e.what);
        optics::StarRequest named = base();
        e.named(named.pupil);
        optics::StarRequest measured = base();
        measured.measured = terms({{e.term, e.value}});
        ASSERT_NE(measured.measured, nullptr);
        EXPECT_LT(MaxDifference(*star(named), *star(measured)), 1e-6);
        // Out of focus a sign or a direction turned the wrong way shows: the
        // opposite term gives another star (in focus the two would be the
        // same star turned half round).
        named.pupil.focus += 1.0;
        measured.pupil.focus += 1.0;
        EXPECT_LT(MaxDifference(*star(named), *star(measured)), 1e-6);
        measured.measured = terms({{e.term, -e.value}});
        EXPECT_GT(MaxDifference(*star(named), *star(measured)), 1e-2);
    }
}

TEST_F(StarTest, MeasuredTermsAreConvertedToTheCalculationsWavelengthAsTheNamedErrors)
{
    for (double waveLength : {450.0, 656.0}) {
        SCOPED_TRACE(waveLength);
        optics::StarRequest named = base();
        named.waveLength = waveLength;
        named.pupil.focus = 1.0;
        optics::StarRequest measured = base();
        measured.waveLength = waveLength;
        measured.measured = terms({{4, 0.5}});
        EXPECT_LT(MaxDifference(*star(named), *star(measured)), 1e-6);
    }
}

TEST_F(StarTest, SettingsScaleTheTermsAndRemovePistonTiltAndDefocus)
{
    optics::StarRequest named = base();
    named.pupil.focus = 1.0;
    named.pupil.spherical = -0.6;
    // 0.25 waves of surface at 555 nm is half a wave of wavefront; at
    // 1110 nm of wavelength the same numbers are twice as much.
    optics::StarRequest measured = base();
    measured.measured = terms({{4, 0.25}, {9, 0.2}}, {555.0, true, false});
    EXPECT_LT(MaxDifference(*star(named), *star(measured)), 1e-6);
    measured.measured = terms({{4, 0.125}, {9, 0.1}}, {1110.0, true, false});
    EXPECT_LT(MaxDifference(*star(named), *star(measured)), 1e-6);
    // Tilt and piston never reach the pupil; defocus only when kept.
    measured.measured = terms({{1, 3.0}, {2, 0.5}, {3, -0.5}, {4, 0.5}, {9, 0.4}}, {555.0, false, false});
    EXPECT_LT(MaxDifference(*star(named), *star(measured)), 1e-6);
    measured.measured = terms({{4, 5.0}, {9, 0.4}}, {555.0, false, true});
    named.pupil.focus = 0.0;
    EXPECT_LT(MaxDifference(*star(named), *star(measured)), 1e-6);
    EXPECT_EQ(terms({{1, 1.0}, {2, 1.0}, {3, 1.0}}), nullptr);
}

// A .wft map of `w` (waves at 555 nm) sampled on `side` samples a side.
std::string WftOf(int side, const std::function<double(double, double)>& w)
{
    const double r = (side - 1) / 2.0;
    std::string text = std::to_string(side) + "\n" + std::to_string(side) + "\n";
    for (int row = side - 1; row >= 0; --row)  // bottom row first
        for (int column = 0; column < side; ++column) {
            const double x = (column - r) / r;
            const double y = (r - row) / r;
            text += std::to_string(x * x + y * y <= 1.0 ? w(x, y) : 0.0) + "\n";
        }
    const std::string c = std::to_string(r);
    text += "outside ellipse " + c + " " + c + " " + c + " " + c + "\nDIAM 200\nROC 2000\nLambda 555\n";
    return text;
}

TEST_F(StarTest, AWftMapOfDefocusGivesTheFocusStarWithinInterpolation)
{
    const std::string text = WftOf(301, [](double x, double y) { return 0.75 * (2 * (x * x + y * y) - 1); });
    const base::Result<measured::MeasuredFile> file = measured::DecodeWftMap(text, "defocus.wft");
    ASSERT_TRUE(file.ok()) << file.error();
    optics::StarRequest measured = base();
    measured.measured = measured::ComposeMeasured(FringeArray{}, &*file->map, {555.0, false, false});
    optics::StarRequest named = base();
    named.pupil.focus = 1.5;
    const double mapped = MaxDifference(*star(named), *star(measured));
    EXPECT_LT(mapped, 2e-3);
    // Half a wave more defocus is a different star by far.
    named.pupil.focus = 2.0;
    EXPECT_GT(MaxDifference(*star(named), *star(measured)), 20 * mapped);
}

TEST_F(StarTest, NoMeasuredWavefrontLeavesTheStarAsItWas)
{
    optics::StarRequest request = base();
    request.pupil.focus = 0.5;
    const optics::StarImagePtr before = star(request);
    request.measured = nullptr;
    EXPECT_EQ(MaxDifference(*before, *star(request)), 0.0);
}

using testing_support::ThreeThreads;

TEST_F(StarTest, RowsOnSeveralThreadsGiveTheSameBits)
{
    const std::string text = WftOf(121, [](double x, double y) { return 0.3 * x * y * y - 0.2 * x * x; });
    const base::Result<measured::MeasuredFile> file = measured::DecodeWftMap(text, "m.wft");
    ASSERT_TRUE(file.ok()) << file.error();
    FringeArray t{};
    t[6] = 0.2;
    t[15] = -0.1;
    optics::StarRequest request = base();
    request.measured = measured::ComposeMeasured(t, &*file->map, {632.8, true, false});
    const optics::StarImagePtr sequential = star(request);
    ThreeThreads threads;
    calculator.setLoops(&threads);
    EXPECT_EQ(MaxDifference(*sequential, *star(request)), 0.0);
    calculator.setLoops(nullptr);
}

// The program's wavefront, written and read back as the other programs'
// files are.
struct RoundTrip {
    const char* what;
    bool map;
    bool fits;
    bool table;
};

TEST_F(StarTest, WrittenListsAndMapsReadBackGiveTheSameStar)
{
    optics::StarRequest original = base();
    original.pupil.focus = 0.4;
    original.pupil.coma = 0.3;
    original.pupil.comaAngle = 30.0;
    original.pupil.astigmatism = 0.2;
    original.pupil.astigmatismAngle = 70.0;
    original.pupil.spherical = 0.25;
    const optics::StarImagePtr wanted = star(original);
    for (const RoundTrip& trip :
         {RoundTrip{"Zernike list", false, false, false}, RoundTrip{"Zernike table", false, false, true},
          RoundTrip{".wft map", true, false, false}, RoundTrip{"FITS map", true, true, false}}) {
        SCOPED_TRACE(trip.what);
        optics::StarRequest sampled = original;
        if (trip.map)
            sampled.aperture = {};
        const base::Result<optics::PupilPhase> pupil = optics::SamplePupil(sampled, screens);
        ASSERT_TRUE(pupil.ok()) << pupil.error();
        std::string bytes;
        double residual = 0.0;
        if (!trip.map) {
            const base::Result<measured::FringeFit> fit = measured::FitFringe(*pupil);
            ASSERT_TRUE(fit.ok()) << fit.error();
            residual = fit->residualRms;
            bytes = trip.table ? measured::ZernikeTableText(fit->terms, residual, "round trip")
                               : measured::ZernikeListText(fit->terms);
        } else if (trip.fits) {
            const base::Result<std::string> fits = measured::FitsBytes(*pupil, pupil->diameterMm);
            ASSERT_TRUE(fits.ok()) << fits.error();
            bytes = *fits;
        } else {
            bytes = measured::WftText(*pupil, pupil->diameterMm);
        }
        const std::string name =
            trip.map ? (trip.fits ? "back.fits" : "back.wft") : (trip.table ? "back.csv" : "back.zrn");
        const base::Result<measured::MeasuredFile> file = measured::DecodeMeasuredFile(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), name);
        ASSERT_TRUE(file.ok()) << file.error();
        FringeArray t{};
        if (file->zernikes)
            t = measured::ToFringe(*file->zernikes, file->zernikes->rows.size() - 1, measured::TermOrder::Fringe, false)
                    .terms;
        optics::StarRequest back = base();
        back.measured = measured::ComposeMeasured(t, file->map ? &*file->map : nullptr, {555.0, false, false});
        // Only the angles the named terms are built with (single precision)
        // keep the fit from being exact.
        EXPECT_LT(residual, 1e-6);
        EXPECT_LT(MaxDifference(*wanted, *star(back)), 1e-6);
    }
}

}  // namespace
