// The Measured page through the window: a Zernike list or map loaded as a
// user would, its PV and RMS, the views that change with it, bad files that
// change nothing, and the wavefront page writing the wavefront back out.
#include "window_fixture.h"

#include "app/pages/measured_page.h"
#include "measured/measured_compose.h"
#include "measured/measured_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <vector>

namespace {

using namespace app::names;

// Copies of grids kept by a test live on the heap: a grid is 2 MB, and a
// few of them overflow the stack of an instrumented build.
using Cells = std::vector<double>;

Cells Copy(const optics::Grid& grid) { return Cells(grid.cells.begin(), grid.cells.end()); }

double MaxDifference(const Cells& a, const Cells& b)
{
    double worst = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::fabs(a[i] - b[i]));
    return worst;
}

class MeasuredPageTest : public testing_support::WindowTest {
protected:
    QString write(const char* name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path(name);
    }
    void load(const QString& file)
    {
        dialogs.queueFile({file, 1});
        click(kMeasuredLoad);
    }
    QCheckBox* check(const char* name) const { return find<QCheckBox>(name); }
    Cells starGrid()
    {
        calculate();
        window->waitForRuns();
        return Copy(grid("StarGrid"));
    }
    //! Term `t` in waves at the page's wavelength, as calculations take it
    //! (the editor shows it rounded).
    double term(int t) const
    {
        const optics::MeasuredWavefrontPtr& w = window->findChild<app::MeasuredPage*>()->composed();
        const double wave = edit(kMeasuredWavelength)->value();
        const double sides = find<QCheckBox>(kMeasuredSurface)->isChecked() ? 2.0 : 1.0;
        return w ? w->terms()[static_cast<std::size_t>(t - 1)] * 555.0 / wave / sides : 0.0;
    }
    QString shown(int t) const { return edit((std::string(kMeasuredTermPrefix) + std::to_string(t)).c_str())->text(); }
};

TEST_F(MeasuredPageTest, AListFromAnInterferogramProgramLoadsAndChangesTheStar)
{
    // Fringe, piston first, waves of 555 nm: defocus 0.2 and spherical 0.1.
    load(write("mirror.zrn", "0.5\n0.3\n-0.2\n0.2\n0\n0\n0\n0\n0.1\n"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join(" | ").toStdString();
    EXPECT_EQ(label(kMeasuredFile), "mirror.zrn: Zernike list");
    set(kMeasuredWavelength, 555);
    EXPECT_DOUBLE_EQ(term(9), 0.1);
    // PV and RMS of the wavefront used, piston and tilt gone.
    auto* page = window->findChild<app::MeasuredPage*>();
    ASSERT_NE(page->composed(), nullptr);
    EXPECT_EQ(label(kMeasuredPV),
              QStringLiteral("PV: %1 waves at 555 nm").arg(page->composed()->peakToValley(), 0, 'f', 3));
    EXPECT_GT(page->composed()->peakToValley(), 0.3);
    EXPECT_EQ(label(kMeasuredRMS), QStringLiteral("RMS: %1 waves at 555 nm").arg(page->composed()->rms(), 0, 'f', 3));

    // Off by default: the star is the perfect one until it is switched on.
    const Cells perfect = starGrid();
    EXPECT_EQ(page->measured(), nullptr);
    check(kMeasuredOn)->click();
    const Cells mirror = starGrid();
    EXPECT_GT(MaxDifference(perfect, mirror), 0.05);
    // It is the star of the named errors it equals.
    check(kMeasuredOn)->click();
    set(kFocus, 0.4);
    set(kSpherical, -0.15);
    EXPECT_LT(MaxDifference(starGrid(), mirror), 1e-6);

    // The intra/extra pair sees it too.
    set(kFocus, 3);
    set(kSpherical, 0);
    click(kCalculateIntraExtra);
    window->waitForRuns();
    const Cells plainIntra = Copy(grid("IntraGrid"));
    check(kMeasuredOn)->click();
    click(kCalculateIntraExtra);
    window->waitForRuns();
    EXPECT_GT(MaxDifference(plainIntra, Copy(grid("IntraGrid"))), 1e-3);
}

TEST_F(MeasuredPageTest, OrderNormalisationSurfaceAndRowChangeWhatIsUsed)
{
    load(write("noll.txt", "0\n0\n0\n0.1\n0.2\n"));
    EXPECT_DOUBLE_EQ(term(4), 0.1);
    EXPECT_EQ(shown(4), "0.1000");
    EXPECT_DOUBLE_EQ(term(5), 0.2);
    find<QComboBox>(kMeasuredOrdering)->setCurrentIndex(1);  // Noll: 5 is the 45 degree astigmatism
    EXPECT_DOUBLE_EQ(term(4), 0.1);
    EXPECT_DOUBLE_EQ(term(5), 0.0);
    EXPECT_DOUBLE_EQ(term(6), 0.2);
    check(kMeasuredNormalised)->click();
    // Shown to four decimals, used as they are.
    EXPECT_DOUBLE_EQ(term(4), 0.1 * std::sqrt(3.0));
    EXPECT_EQ(shown(4), "0.1732");
    auto* page = window->findChild<app::MeasuredPage*>();
    const double rms = page->composed()->rms();
    check(kMeasuredSurface)->click();
    EXPECT_NEAR(page->composed()->rms(), 2 * rms, 1e-12);
    check(kMeasuredRemoveDefocus)->click();
    EXPECT_EQ(page->composed()->terms()[3], 0.0);
    check(kMeasuredSurface)->click();
    check(kMeasuredRemoveDefocus)->click();

    // A table: the last row unless another is chosen.
    load(write("stats.csv", "name,Z1,Z2,Z3,Z4\nfirst,0,0,0,0.1\nsecond,0,0,0,0.3\n"));
    auto* rows = find<QComboBox>(kMeasuredRow);
    EXPECT_EQ(rows->count(), 2);
    EXPECT_EQ(rows->currentText(), "second");
    EXPECT_NEAR(term(4), 0.3 * std::sqrt(3.0), 1e-12);  // still normalised, as the box says
    rows->setCurrentIndex(0);
    EXPECT_NEAR(term(4), 0.1 * std::sqrt(3.0), 1e-12);
}

TEST_F(MeasuredPageTest, ABadFileIsRefusedAndChangesNothing)
{
    load(write("good.zrn", "0\n0\n0\n0.25\n"));
    check(kMeasuredOn)->click();
    auto* page = window->findChild<app::MeasuredPage*>();
    const optics::MeasuredWavefrontPtr before = page->measured();
    struct Bad {
        const char* name;
        QByteArray bytes;
        const char* says;
    } bad[] = {
        {"letters.zrn", "one\ntwo\n", "is not a number"},
        {"nan.zrn", "0.1\nnan\n", "not a finite number"},
        {"huge.wft", "9000\n9000\n0\n", "maps of up to 4096 samples a side"},
        {"fake.npz", "not a zip", "not a NumPy .npz archive"},
        {"fake.fits", QByteArray(3000, 'x'), "it is not a FITS file"},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.name);
        dialogs.clearShown();
        load(write(b.name, b.bytes));
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Error);
        EXPECT_TRUE(dialogs.shown()[0].text.startsWith("cannot read " + path(b.name) + ": "));
        EXPECT_TRUE(dialogs.shown()[0].text.contains(b.says)) << dialogs.shown()[0].text.toStdString();
        EXPECT_EQ(label(kMeasuredFile), "good.zrn: Zernike list");
        EXPECT_EQ(page->measured(), before);
    }
}

TEST_F(MeasuredPageTest, TermsTypedByHandAreUsedAndLongListsSayWhatWasLeftOut)
{
    set(std::string(std::string(kMeasuredTermPrefix) + "7").c_str(), 0.3);
    auto* page = window->findChild<app::MeasuredPage*>();
    ASSERT_NE(page->composed(), nullptr);
    EXPECT_NEAR(page->composed()->terms()[6], 0.3 * 550.0 / 555.0, 1e-12);
    // Tilt typed in is shown but never used.
    set(std::string(std::string(kMeasuredTermPrefix) + "2").c_str(), 5.0);
    EXPECT_EQ(page->composed()->terms()[1], 0.0);

    QByteArray list;
    for (int i = 0; i < 40; ++i)
        list += "0.01\n";
    load(write("long.zrn", list));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Information);
    EXPECT_EQ(dialogs.shown()[0].text, "3 terms beyond the 37 Fringe terms were ignored.");
}

TEST_F(MeasuredPageTest, TheWavefrontPageWritesListsAndMapsThatReadBackTheSameStar)
{
    set(kAperture, 8);
    set(kObstruction, 20);
    set(kFocus, 0.5);
    set(kSpherical, 0.3);
    set(kComa, 0.2);
    const Cells wanted = starGrid();
    struct Save {
        const char* button;
        const char* file;
        int filter;
    } saves[] = {
        {kSaveZernike, "mine.zrn", 1},
        {kSaveZernike, "mine.csv", 2},
        {kSaveMap, "mine.wft", 1},
        {kSaveMap, "mine.fits", 2},
    };
    for (const Save& s : saves) {
        SCOPED_TRACE(s.file);
        dialogs.clearShown();
        dialogs.queueFile({path(s.file), s.filter});
        click(s.button);
        if (std::string(s.button) == kSaveZernike) {
            ASSERT_EQ(dialogs.shown().size(), 1u);
            EXPECT_TRUE(dialogs.shown()[0].text.contains("the fit leaves out"))
                << dialogs.shown()[0].text.toStdString();
        } else {
            EXPECT_TRUE(dialogs.shown().empty());
        }
        const base::Result<measured::MeasuredFile> back = measured::ReadMeasuredFile(path(s.file).toStdString());
        ASSERT_TRUE(back.ok()) << back.error();

        // Read back through the page, without the named errors.
        set(kFocus, 0);
        set(kSpherical, 0);
        set(kComa, 0);
        load(path(s.file));
        set(kMeasuredWavelength, 555);
        if (!check(kMeasuredOn)->isChecked())
            check(kMeasuredOn)->click();
        EXPECT_LT(MaxDifference(starGrid(), wanted), 1e-5);
        check(kMeasuredOn)->click();
        click(kMeasuredClear);
        set(kFocus, 0.5);
        set(kSpherical, 0.3);
        set(kComa, 0.2);
    }
}

TEST_F(MeasuredPageTest, AWavelengthTheEditorCannotHoldConvertsTheValues)
{
    // 0.5 waves of 1600 nm in the middle of a 3 x 3 map: 800 nm, 1.441 waves
    // of 555 nm, whatever the editor can show.
    load(write("ir.wft", "3\n3\n0\n0\n0\n0\n0.5\n0\n0\n0\n0\noutside ellipse 1 1 1 1\nLambda 1600\n"));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text,
              "The file is in waves of 1600 nm; its values were converted to waves of 1100 nm.");
    EXPECT_EQ(edit(kMeasuredWavelength)->value(), 1100.0);
    auto* page = window->findChild<app::MeasuredPage*>();
    ASSERT_NE(page->composed(), nullptr);
    const optics::WavefrontSamples* map = page->composed()->map();
    ASSERT_NE(map, nullptr);
    // Piston and tilt removed: the middle stands 800 nm above the mean of the
    // ring around it.
    EXPECT_NEAR(map->sample(1, 1) - map->sample(0, 1), 800.0 / 555.0, 1e-9);

    dialogs.clearShown();
    load(write("ir.zrn", "0\n0\n0\n0.5\n"));
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_NEAR(page->composed()->terms()[3], 0.5 * 1100.0 / 555.0, 1e-12);
}

TEST_F(MeasuredPageTest, TheBatchDriverLoadsSwitchesOnAndReportsTheMeasuredWavefront)
{
    const QString list = write("batch.zrn", "0\n0\n0\n0\n0\n0\n0.2\n");
    app::BatchDriver driver(*window, dialogs);
    const base::Status ran =
        driver.run({"--file", list, "--click", kMeasuredLoad, "--check", kMeasuredOn, "--set", "MeasuredWavelength=555",
                    "--select", "MeasuredOrdering=0", "--set", "MeasuredZ9=0.05", "--dump-state", path("state.json")});
    ASSERT_TRUE(ran.ok()) << ran.error();
    QFile file(path("state.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject measured = QJsonDocument::fromJson(file.readAll()).object()["measured"].toObject();
    EXPECT_TRUE(measured["on"].toBool());
    EXPECT_TRUE(measured["inUse"].toBool());
    EXPECT_EQ(measured["file"].toString(), "batch.zrn");
    EXPECT_GT(measured["PV"].toDouble(), 0.0);
    EXPECT_GT(measured["PV"].toDouble(), measured["RMS"].toDouble());
    const QJsonObject terms = measured["terms"].toObject();
    EXPECT_EQ(terms.keys(), QStringList({"Z7", "Z9"}));
    EXPECT_DOUBLE_EQ(terms["Z7"].toDouble(), 0.2);
    EXPECT_DOUBLE_EQ(terms["Z9"].toDouble(), 0.05);
}

}  // namespace
