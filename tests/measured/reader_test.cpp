// The readers of Zernike lists, tables, listings and wavefront maps: what
// they make of each format, the order conversions, and the refusals of
// damaged and hostile files.
#include "measured/measured_compose.h"
#include "measured/measured_file.h"
#include "measured/zip_reader.h"
#include "measured_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <cstdlib>
#include <limits>
#include <map>
#include <sstream>

namespace {

using namespace testing_support;
using measured::TermOrder;

base::Result<measured::MeasuredFile> Decode(const std::string& bytes, const std::string& name)
{
    return measured::DecodeMeasuredFile(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                                        name);
}

std::vector<double> Disc(int side, double value)
{
    const double r = (side - 1) / 2.0;
    std::vector<double> v(static_cast<std::size_t>(side) * side);
    for (int row = 0; row < side; ++row)
        for (int c = 0; c < side; ++c) {
            const double dx = c - r, dy = row - r;
            v[static_cast<std::size_t>(row) * side + c] =
                dx * dx + dy * dy <= r * r ? value : std::numeric_limits<double>::quiet_NaN();
        }
    return v;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---- Term orders ------------------------------------------------------------------

struct OrderCase {
    TermOrder order;
    int index;
    int n, m;
};

TEST(TermOrders, NollAndAnsiIndexesNameTheirTerms)
{
    const OrderCase cases[] = {
        {TermOrder::Noll, 1, 0, 0},    {TermOrder::Noll, 2, 1, 1},     {TermOrder::Noll, 3, 1, -1},
        {TermOrder::Noll, 4, 2, 0},    {TermOrder::Noll, 5, 2, -2},    {TermOrder::Noll, 6, 2, 2},
        {TermOrder::Noll, 7, 3, -1},   {TermOrder::Noll, 8, 3, 1},     {TermOrder::Noll, 9, 3, -3},
        {TermOrder::Noll, 10, 3, 3},   {TermOrder::Noll, 11, 4, 0},    {TermOrder::Noll, 22, 6, 0},
        {TermOrder::Ansi, 0, 0, 0},    {TermOrder::Ansi, 1, 1, -1},    {TermOrder::Ansi, 2, 1, 1},
        {TermOrder::Ansi, 3, 2, -2},   {TermOrder::Ansi, 4, 2, 0},     {TermOrder::Ansi, 5, 2, 2},
        {TermOrder::Ansi, 12, 4, 0},   {TermOrder::Ansi, 24, 6, 0},    {TermOrder::Fringe, 9, 4, 0},
        {TermOrder::Fringe, 10, 3, 3}, {TermOrder::Fringe, 36, 10, 0}, {TermOrder::Fringe, 37, 12, 0},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.order)) + " index " + std::to_string(c.index));
        const optics::ZernikeOrder o = measured::OrderOf(c.order, c.index);
        EXPECT_EQ(o.n, c.n);
        EXPECT_EQ(o.m, c.m);
    }
}

TEST(TermOrders, FringeTermsAreTheirPolynomials)
{
    const double x = 0.3, y = -0.55;
    const double r2 = x * x + y * y;
    const double t = std::atan2(y, x);
    const double r = std::sqrt(r2);
    const std::pair<int, double> cases[] = {
        {1, 1.0},
        {2, x},
        {3, y},
        {4, 2 * r2 - 1},
        {5, r2 * std::cos(2 * t)},
        {6, r2 * std::sin(2 * t)},
        {7, (3 * r2 - 2) * x},
        {8, (3 * r2 - 2) * y},
        {9, 6 * r2 * r2 - 6 * r2 + 1},
        {10, r2 * r * std::cos(3 * t)},
        {16, 20 * r2 * r2 * r2 - 30 * r2 * r2 + 12 * r2 - 1},
        {37,
         924 * std::pow(r, 12) - 2772 * std::pow(r, 10) + 3150 * std::pow(r, 8) - 1680 * std::pow(r, 6)
             + 420 * std::pow(r, 4) - 42 * r2 + 1},
    };
    for (auto [term, value] : cases)
        EXPECT_NEAR(optics::FringeValue(term, x, y), value, 1e-12) << "Z" << term;
}

TEST(TermOrders, ListsBecomeFringeTermsInTheirOrderAndNormalisation)
{
    measured::ZernikeSet list;
    list.rows.push_back({"list", {0.5, 0.1, 0.2, 0.3, 0.4, 0.0, 0.6, 0.0, 0.0, 0.0, 0.7}});
    // Fringe, piston first: as they stand.
    measured::FringeTerms f = measured::ToFringe(list, 0, TermOrder::Fringe, false);
    EXPECT_DOUBLE_EQ(f.terms[3], 0.3);
    EXPECT_DOUBLE_EQ(f.terms[10], 0.7);
    // Noll, normalised: 4 is defocus (sqrt 3), 5 the 45 degree astigmatism
    // (sqrt 6), 7 Y coma (sqrt 8), 11 spherical (sqrt 5).
    f = measured::ToFringe(list, 0, TermOrder::Noll, true);
    EXPECT_DOUBLE_EQ(f.terms[3], 0.3 * std::sqrt(3.0));
    EXPECT_DOUBLE_EQ(f.terms[5], 0.4 * std::sqrt(6.0));
    EXPECT_DOUBLE_EQ(f.terms[7], 0.6 * std::sqrt(8.0));
    EXPECT_DOUBLE_EQ(f.terms[8], 0.7 * std::sqrt(5.0));
    // ANSI from 0: 3 is the 45 degree astigmatism, 4 defocus.
    f = measured::ToFringe(list, 0, TermOrder::Ansi, false);
    EXPECT_DOUBLE_EQ(f.terms[5], 0.3);
    EXPECT_DOUBLE_EQ(f.terms[3], 0.4);
    // Terms past the Fringe set are counted, not used.
    measured::ZernikeSet longList;
    longList.rows.push_back({"long", std::vector<double>(40, 0.01)});
    EXPECT_EQ(measured::ToFringe(longList, 0, TermOrder::Fringe, false).ignored, 3);
    // Noll 22 is 6th-order spherical (Fringe 16); of Noll 1..40 the orders
    // with n + |m| above 10 have no Fringe term: 27, 28 (6, 6), 33..36 (7, 5
    // and 7, 7) and 40 (8, 4).
    EXPECT_EQ(measured::ToFringe(longList, 0, TermOrder::Noll, false).ignored, 7);
}

TEST(TermOrders, TheFitFindsTheTermsOfAWavefront)
{
    std::vector<double> xs, ys, ws;
    for (int i = -30; i <= 30; ++i)
        for (int j = -30; j <= 30; ++j) {
            const double x = i / 30.0, y = j / 30.0;
            if (x * x + y * y > 1.0 || x * x + y * y < 0.09)  // with an obstruction
                continue;
            xs.push_back(x);
            ys.push_back(y);
            ws.push_back(0.2 * optics::FringeValue(4, x, y) - 0.1 * optics::FringeValue(8, x, y)
                         + 0.05 * optics::FringeValue(25, x, y) + 0.01 * std::sin(9 * x));
        }
    const base::Result<measured::FringeFit> fit = measured::FitFringe(xs, ys, ws);
    ASSERT_TRUE(fit.ok()) << fit.error();
    EXPECT_NEAR(fit->terms[3], 0.2, 2e-3);
    EXPECT_NEAR(fit->terms[7], -0.1, 2e-3);
    EXPECT_NEAR(fit->terms[24], 0.05, 2e-3);
    // sin 9x is no sum of the 37 terms: some of it is left out.
    EXPECT_GT(fit->residualRms, 1e-4);
    EXPECT_LT(fit->residualRms, 0.01);
    EXPECT_FALSE(measured::FitFringe({0.0}, {0.0}, {1.0}).ok());
}

// ---- Formats --------------------------------------------------------------------

TEST(Formats, APlainListIsOneCoefficientALine)
{
    const base::Result<measured::MeasuredFile> f = Decode("# mirror 1\n0\r\n0.1\n-0.2\n\n 0.35 \n+1e-2\n", "m.zrn");
    ASSERT_TRUE(f.ok()) << f.error();
    EXPECT_EQ(f->format, "Zernike list");
    ASSERT_TRUE(f->zernikes);
    EXPECT_EQ(f->zernikes->rows[0].values, (std::vector<double>{0, 0.1, -0.2, 0.35, 0.01}));
    EXPECT_FALSE(f->map);
}

TEST(Formats, ATableNamesItsTermsInItsHeader)
{
    // As a statistics table of an interferogram program: named columns and
    // numbered ones counted from piston 0, more values than headings.
    std::string text = "mirror,'wavefront RMS',,Piston,XTile,Ytilt,Defocus,XAstig,Yastig,Z6,Z7,Spherical,Z9,Z10 \n";
    text += "a.wft,0.05,,0,0.1,0.2,0.3,0.4,0.5,0.6,0.7,0.8,0.9,1.0,1.1,1.2\n";
    text += "b.wft,0.04,,0,0.1,0.2,-0.3,0.4,0.5,0.6,0.7,-0.8,0.9,1.0,1.1,1.2\n";
    const base::Result<measured::MeasuredFile> f = Decode(text, "stats.csv");
    ASSERT_TRUE(f.ok()) << f.error();
    EXPECT_EQ(f->format, "Zernike table");
    ASSERT_EQ(f->zernikes->rows.size(), 2u);
    EXPECT_EQ(f->zernikes->rows[1].name, "b.wft");
    const measured::FringeArray t = measured::ToFringe(*f->zernikes, 1, TermOrder::Noll, false).terms;
    EXPECT_DOUBLE_EQ(t[3], -0.3);  // Defocus, whatever the list order says
    EXPECT_DOUBLE_EQ(t[6], 0.6);  // "Z6" counted from piston 0: X coma
    EXPECT_DOUBLE_EQ(t[8], -0.8);  // Spherical
    EXPECT_DOUBLE_EQ(t[11], 1.1);  // past the headings, in Fringe order
    EXPECT_EQ(f->notes.size(), 1u);

    // Our own table counts from 1.
    measured::FringeArray terms{};
    terms[8] = 0.125;
    const base::Result<measured::MeasuredFile> own = Decode(measured::ZernikeTableText(terms, 0.01, "x"), "own.csv");
    ASSERT_TRUE(own.ok()) << own.error();
    EXPECT_DOUBLE_EQ(measured::ToFringe(*own->zernikes, 0, TermOrder::Fringe, false).terms[8], 0.125);
}

TEST(Formats, AListingSaysItsOrderNormalisationAndWavelength)
{
    const std::string listing = "Listing of Zernike Standard Coefficient Data\n\nFile : mirror.zmx\n"
                                "Wavelength                   :     0.6328 \xC2\xB5m\n"
                                "Peak to Valley (to chief)    :     0.41 waves\n"
                                "Z   1      0.10000000 :   1\n"
                                "Z   4      0.20000000 :   3^(1/2) (2p^2 - 1)\n"
                                "Z   7     -0.05000000 :   8^(1/2) (3p^3 - 2p) * SIN (A)\n"
                                "Z  11      0.03000000 :   5^(1/2) (6p^4 - 6p^2 + 1)\n";
    for (const std::string& bytes : {listing, Utf16(listing)}) {
        const base::Result<measured::MeasuredFile> f = Decode(bytes, "zernike.txt");
        ASSERT_TRUE(f.ok()) << f.error();
        EXPECT_EQ(f->format, "Zernike listing");
        ASSERT_TRUE(f->waveLength);
        EXPECT_NEAR(*f->waveLength, 632.8, 1e-9);
        const measured::FringeArray t = measured::ToFringe(*f->zernikes, 0, TermOrder::Fringe, false).terms;
        EXPECT_DOUBLE_EQ(t[3], 0.2 * std::sqrt(3.0));
        EXPECT_DOUBLE_EQ(t[7], -0.05 * std::sqrt(8.0));
        EXPECT_DOUBLE_EQ(t[8], 0.03 * std::sqrt(5.0));
    }
    // The Fringe listing is not normalised.
    const base::Result<measured::MeasuredFile> fringe =
        Decode("Listing of Zernike Fringe Coefficient Data\nWavelength : 550 nm\nZ 9 0.25 : 6p^4\n", "f.txt");
    ASSERT_TRUE(fringe.ok()) << fringe.error();
    EXPECT_DOUBLE_EQ(*fringe->waveLength, 550.0);
    EXPECT_DOUBLE_EQ(measured::ToFringe(*fringe->zernikes, 0, TermOrder::Noll, true).terms[8], 0.25);
}

TEST(Formats, AWftMapComesBottomRowFirstWithItsOutline)
{
    // 4 x 3 samples: the first line of values is the bottom row.
    const std::string text = "4\n3\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n"
                             "outside ellipse 1.5 1 1.4 1.4\nobstruction ellipse 1.5 1 0 0\nDIAM 150\nROC 1200\n"
                             "Lambda 632.8\n";
    const base::Result<measured::MeasuredFile> f = Decode(text, "m.wft");
    ASSERT_TRUE(f.ok()) << f.error();
    const optics::WavefrontSamples& s = *f->map->samples;
    EXPECT_EQ(s.width, 4);
    EXPECT_EQ(s.height, 3);
    EXPECT_DOUBLE_EQ(s.sample(1, 2), 2.0);  // bottom row
    EXPECT_DOUBLE_EQ(s.sample(2, 0), 11.0);  // top row
    EXPECT_TRUE(std::isnan(s.sample(0, 0)));  // outside the outline
    EXPECT_DOUBLE_EQ(s.centreX, 1.5);
    EXPECT_DOUBLE_EQ(s.radius, 1.4);
    EXPECT_DOUBLE_EQ(*f->waveLength, 632.8);
    // Up is up: the top of the pupil reads the top row.
    EXPECT_NEAR(s.at(0.0, 1.0 / 1.4), (10.0 + 11.0) / 2, 1e-9);
    EXPECT_NEAR(s.at(0.0, -1.0 / 1.4), (2.0 + 3.0) / 2, 1e-9);
}

TEST(Formats, NpzAndFitsMapsHaveTheirPupilWhereTheirValuesAre)
{
    std::vector<double> values = Disc(9, 0.25);
    values[4 * 9 + 4] = 0.5;  // the centre
    values[0 * 9 + 4] = 1.0;  // bottom row (first row of the array)
    const std::string npy = Npy({9, 9}, values);
    for (bool deflate : {false, true}) {
        const std::string npz = Zip({{"wavelength.npy", Npy({}, {6.328e-7})}, {"wf.npy", npy, deflate}});
        const base::Result<measured::MeasuredFile> f = Decode(npz, "m.npz");
        ASSERT_TRUE(f.ok()) << f.error();
        const optics::WavefrontSamples& s = *f->map->samples;
        EXPECT_EQ(s.width, 9);
        EXPECT_DOUBLE_EQ(s.centreX, 4.0);
        EXPECT_DOUBLE_EQ(s.radius, 4.0);
        EXPECT_DOUBLE_EQ(s.at(0.0, 0.0), 0.5);
        EXPECT_DOUBLE_EQ(s.at(0.0, -1.0), 1.0);
        EXPECT_NEAR(*f->waveLength, 632.8, 1e-9);
        EXPECT_EQ(f->map->unit, measured::MapData::Unit::Waves);
    }
    const std::string fits = Fits({9, 9}, values, {"BUNIT   = 'nm      '", "WAVELEN =            6.328E-07"});
    const base::Result<measured::MeasuredFile> f = Decode(fits, "m.fits");
    ASSERT_TRUE(f.ok()) << f.error();
    EXPECT_EQ(f->map->unit, measured::MapData::Unit::Nanometres);
    EXPECT_DOUBLE_EQ(f->map->samples->at(0.0, -1.0), 1.0);
    EXPECT_NEAR(*f->waveLength, 632.8, 1e-9);
    // Metres become nanometres; without a unit the values are waves.
    EXPECT_DOUBLE_EQ(Decode(Fits({9, 9}, values, {"BUNIT   = 'm       '"}), "m.fits")->map->samples->at(0, 0), 0.5e9);
    const base::Result<measured::MeasuredFile> bare = Decode(Fits({9, 9}, values), "m.fits");
    EXPECT_EQ(bare->map->unit, measured::MapData::Unit::Waves);
    EXPECT_EQ(bare->notes.size(), 1u);
}

TEST(Formats, ContentDecidesBeforeTheName)
{
    EXPECT_EQ(Decode(Fits({9, 9}, Disc(9, 0.1)), "looks.zrn")->format, "FITS map");
    EXPECT_EQ(Decode(Zip({{"wf.npy", Npy({9, 9}, Disc(9, 0.1))}}), "looks.txt")->format, "NumPy map (.npz)");
    EXPECT_EQ(Decode("3\n3\n0\n0\n0\n0\n1\n0\n0\n0\n0\noutside ellipse 1 1 1 1\n", "map.txt")->format,
              "wavefront map (.wft)");
    EXPECT_EQ(Decode("3\n3\n0\n", "list.txt")->format, "Zernike list");
}

// ---- Refusals -------------------------------------------------------------------

struct Refusal {
    const char* what;
    std::string name;
    std::string bytes;
    const char* says;
};

std::string BigWftHeader()
{
    return "5000\n5000\n" + std::string(100, '0');
}

TEST(Refusals, BadFilesAreRefusedWithASentence)
{
    const std::string npy = Npy({9, 9}, Disc(9, 0.1));
    std::string corrupt = Zip({{"wf.npy", npy, true}});
    corrupt[60] = static_cast<char>(corrupt[60] ^ 0x55);
    const std::vector<Refusal> refusals = {
        {"empty", "e.zrn", "", "it is empty"},
        {"NaN in a list", "n.zrn", "0.1\nnan\n", "not a finite number"},
        {"infinity in a list", "n.zrn", "0.1\n-inf\n", "not a finite number"},
        {"a list of letters", "l.zrn", "abc\ndef\n", "line 1 (\"abc\") is not a number"},
        {"letters in a table", "t.csv", "name,Z1,Z2\nx,0.1,zz\n", "column 3 (\"zz\") is not a number"},
        {"a table naming no terms", "t.csv", "name,colour\nx,red\n", "names no Zernike terms"},
        {"a term listed twice", "z.txt", "Zernike Standard Coefficient\nZ 4 0.1\nZ 4 0.2\n", "listed twice"},
        {"annular coefficients", "z.txt", "Zernike Annular Coefficient\nZ 4 0.1\n", "annular"},
        {"a negative map size", "m.wft", "-5\n10\n1\n", "its map is -5 x 10 samples"},
        {"a zero map size", "m.wft", "0\n0\n", "its map is 0 x 0 samples"},
        {"a map too large", "m.wft", BigWftHeader(), "maps of up to 4096 samples a side"},
        {"NaN in a map", "m.wft", "2\n2\n0\nnan\n0\n0\n", "sample 2 is not a finite number"},
        {"letters in a map", "m.wft", "2\n2\n0\nx\n0\n0\n", "sample 2 (\"x\") is not a number"},
        {"a map cut short", "m.wft", "3\n3\n0\n0\n0\n0\n0\n0\n0\n0\n", "file ends before"},
        {"a map without a radius", "m.wft", "2\n2\n0\n0\n0\n0\noutside ellipse 1 1 0 0\n", "no radius"},
        {"a .npz that is not a zip", "m.npz", "0.1\n0.2\n", "not a NumPy .npz archive (it is not a zip file)"},
        {"a zip bomb", "b.npz", Zip({{"wf.npy", std::string(1000, '\0'), true, 3ull << 30}}),
         "claims 3072 MB unpacked"},
        {"a member that unpacks to more", "u.npz", Zip({{"wf.npy", npy, true, 100}}), "unpacks to more than it claims"},
        {"a damaged member", "d.npz", corrupt, "damaged"},
        {"an archive without wf", "w.npz", Zip({{"map.npy", npy}}), "no array named wf"},
        {"an archive without a table of contents", "t.npz", std::string("PK\x03\x04", 4) + std::string(40, 'x'),
         "table of contents is missing"},
        {"a wf of one dimension", "o.npz", Zip({{"wf.npy", Npy({9}, std::vector<double>(9, 0.0))}}),
         "not two-dimensional"},
        {"a wf too large", "l.npz", Zip({{"wf.npy", Npy({5000, 2}, {})}}), "5000 samples long"},
        {"a wf cut short", "s.npz", Zip({{"wf.npy", Npy({9, 9}, {1.0, 2.0})}}), "fewer values than its shape"},
        {"a wf of strings", "s.npz", Zip({{"wf.npy", Npy({2, 2}, {}, "<U8")}}), "values of type"},
        {"a wf with infinity", "i.npz", Zip({{"wf.npy", Npy({2, 2}, {0, 1, HUGE_VAL, 0})}}), "infinite value"},
        {"a wf of NaN only", "n.npz", Zip({{"wf.npy", Npy({2, 2}, {kNaN, kNaN, kNaN, kNaN})}}), "every value is NaN"},
        {"a FITS file without an axis", "a.fits", Fits({}, {}), "an axis is missing"},
        {"a FITS file with a zero axis", "z.fits", Fits({0, 9}, {}), "zero axis"},
        {"a FITS image too large", "b.fits", Fits({5000, 5000}, {}), "maps of up to 4096"},
        {"a FITS cube", "c.fits", Fits({3, 3, 2}, std::vector<double>(18, 0.0)), "holds 2 images"},
        {"a FITS unit unknown", "u.fits", Fits({9, 9}, Disc(9, 0.1), {"BUNIT   = 'furlong '"}), "\"furlong\" (BUNIT)"},
        {"a FITS file cut short", "s.fits", Fits({9, 9}, Disc(9, 0.1)).substr(0, 2000), "at least 2880 bytes"},
        {"FITS data missing", "d.fits", Fits({9, 9}, Disc(9, 0.1)).substr(0, 2880), "damaged"},
        {"binary garbage", "g.dat", std::string("\x01\x02\x00\x05garbage", 11), "neither a Zernike list"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.what);
        const base::Result<measured::MeasuredFile> f = Decode(r.bytes, r.name);
        ASSERT_FALSE(f.ok());
        EXPECT_EQ(f.error().rfind("cannot read " + r.name + ": ", 0), 0u) << f.error();
        EXPECT_NE(f.error().find(r.says), std::string::npos) << f.error();
        EXPECT_EQ(f.error().find('\n'), std::string::npos) << f.error();
    }
}

TEST(Refusals, FilesThatAreNoFilesAreNotOpened)
{
    EXPECT_NE(measured::ReadMeasuredFile("/").error().find("it is a folder"), std::string::npos);
    EXPECT_NE(measured::ReadMeasuredFile("/no/such/file.zrn").error().find("cannot read /no/such/file.zrn"),
              std::string::npos);
}

// ---- The sample files ---------------------------------------------------------------

// The samples under tests/data are what these makers write; with
// QUINTALIS_WRITE_SAMPLES set they are written anew.
optics::PupilPhase SamplePupilPhase()
{
    optics::PupilPhase p;
    p.N = 12;
    p.diameterMm = 200.0;
    p.waves.assign(static_cast<std::size_t>(p.side()) * p.side(), 0.0);
    p.open.assign(p.waves.size(), 0);
    for (int u = -p.N; u <= p.N; ++u)
        for (int v = -p.N; v <= p.N; ++v) {
            const double x = static_cast<double>(u) / p.N, y = -static_cast<double>(v) / p.N;
            if (x * x + y * y > 1.0)
                continue;
            p.open[p.index(u, v)] = 1;
            p.waves[p.index(u, v)] = 0.1 * optics::FringeValue(9, x, y) + 0.05 * optics::FringeValue(5, x, y)
                - 0.03 * optics::FringeValue(8, x, y);
        }
    return p;
}

std::vector<std::pair<std::string, std::string>> Samples()
{
    measured::FringeArray terms{};
    terms[3] = 0.12;
    terms[4] = 0.05;
    terms[6] = -0.03;
    terms[8] = 0.1;
    terms[15] = -0.02;
    const optics::PupilPhase pupil = SamplePupilPhase();
    std::vector<double> npzValues(static_cast<std::size_t>(pupil.side()) * pupil.side(), kNaN);
    for (int v = pupil.N; v >= -pupil.N; --v)
        for (int u = -pupil.N; u <= pupil.N; ++u)
            if (pupil.open[pupil.index(u, v)])
                npzValues[static_cast<std::size_t>(pupil.N - v) * pupil.side() + (u + pupil.N)] =
                    pupil.waves[pupil.index(u, v)] * 555.0 / 632.8;
    std::string table = "mirror,'wavefront RMS',,Piston,XTile,Ytilt,Defocus,XAstig,Yastig,Z6,Z7,Spherical,Z9,Z10 \n";
    table += "night1.wft,0.031,,0,0.02,-0.01,0.15,0.05,0.01,-0.03,0.0,0.1,0.0,0.0\n";
    table += "night2.wft,0.029,,0,0.01,0.02,0.11,0.04,0.02,-0.02,0.01,0.09,0.0,0.0\n";
    const std::string listing = "Listing of Zernike Standard Coefficient Data\n\nFile : mirror.zmx\n"
                                "Title: 200 mm f/6\nDate : 1/1/2026\n\n"
                                "Using Zernike Standard polynomials.\n\n"
                                "Surface                      : Image\n"
                                "Wavelength                   : 0.6328 \xC2\xB5m\n"
                                "Peak to Valley (to chief)    :     0.31 waves\n"
                                "RMS (to centroid)            :     0.06 waves\n\n"
                                "Z   1      0.01000000 :   1\n"
                                "Z   2      0.00000000 :   4^(1/2) (p) * COS (A)\n"
                                "Z   3      0.00000000 :   4^(1/2) (p) * SIN (A)\n"
                                "Z   4      0.05000000 :   3^(1/2) (2p^2 - 1)\n"
                                "Z   5      0.00000000 :   6^(1/2) (p^2) * SIN (2A)\n"
                                "Z   6      0.02000000 :   6^(1/2) (p^2) * COS (2A)\n"
                                "Z   7      0.00000000 :   8^(1/2) (3p^3 - 2p) * SIN (A)\n"
                                "Z   8     -0.01000000 :   8^(1/2) (3p^3 - 2p) * COS (A)\n"
                                "Z   9      0.00000000 :   8^(1/2) (p^3) * SIN (3A)\n"
                                "Z  10      0.00000000 :   8^(1/2) (p^3) * COS (3A)\n"
                                "Z  11      0.04000000 :   5^(1/2) (6p^4 - 6p^2 + 1)\n";
    return {
        {"measured_sample.zrn", measured::ZernikeListText(terms)},
        {"measured_sample.csv", table},
        {"measured_sample_listing.txt", Utf16(listing)},
        {"measured_sample.wft", measured::WftText(pupil, pupil.diameterMm)},
        {"measured_sample.npz",
         Zip({{"wf.npy", Npy({pupil.side(), pupil.side()}, npzValues), true}, {"wavelength.npy", Npy({}, {632.8})}})},
        {"measured_sample.fits", *measured::FitsBytes(pupil, pupil.diameterMm)},
    };
}

TEST(Samples, TheSampleFilesAreWhatTheMakersWriteAndReadAsTheirFormat)
{
    const std::string folder = std::string(QUINTALIS_SOURCE_DIR) + "/tests/data/";
    const bool write = std::getenv("QUINTALIS_WRITE_SAMPLES") != nullptr;
    const std::map<std::string, std::string> formats = {
        {"measured_sample.zrn", "Zernike list"},
        {"measured_sample.csv", "Zernike table"},
        {"measured_sample_listing.txt", "Zernike listing"},
        {"measured_sample.wft", "wavefront map (.wft)"},
        {"measured_sample.npz", "NumPy map (.npz)"},
        {"measured_sample.fits", "FITS map"},
    };
    // Each map sample holds the same wavefront: spherical, astigmatism and
    // coma, read back at one point.
    const double wanted = 0.1 * optics::FringeValue(9, 0.5, 0.25) + 0.05 * optics::FringeValue(5, 0.5, 0.25)
        - 0.03 * optics::FringeValue(8, 0.5, 0.25);
    for (const auto& [name, bytes] : Samples()) {
        SCOPED_TRACE(name);
        if (write)
            std::ofstream(folder + name, std::ios::binary) << bytes;
        std::ifstream in(folder + name, std::ios::binary);
        std::stringstream stored;
        stored << in.rdbuf();
        EXPECT_TRUE(stored.str() == bytes) << "tests/data/" << name << " differs from what the test writes";
        const base::Result<measured::MeasuredFile> f = measured::ReadMeasuredFile(folder + name);
        ASSERT_TRUE(f.ok()) << f.error();
        EXPECT_EQ(f->format, formats.at(name));
        if (f->map) {
            const double scale = f->waveLength ? *f->waveLength / 555.0 : 1.0;
            EXPECT_NEAR(f->map->samples->at(0.5, 0.25) * scale, wanted, 0.02);
        }
    }
}

}  // namespace
