// Settings files: saved and opened again they restore every control; a
// damaged file changes nothing; a newer or odd one loads what it can and
// says what it left out; a saved PNG carries the settings that made it.
#include "window_fixture.h"

#include "app/picture_settings.h"
#include "app/settings_file.h"
#include "app/settings_menu.h"

#include <QBuffer>
#include <QComboBox>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSlider>

#include <QCheckBox>

#include <functional>

namespace {

using namespace app::names;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

QString assign(const char* name, const QString& value)
{
    return QLatin1String(name) + QLatin1Char('=') + value;
}

// A JSON value as compact text, for readable comparisons.
std::string text(const QJsonValue& value)
{
    return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString();
}

class Settings : public testing_support::WindowTest {
protected:
    // Runs a batch line on the window; true when every action did what it
    // was asked.
    bool batch(const QStringList& actions)
    {
        app::BatchDriver driver(*window, dialogs);
        const bool done = bool(driver.run(actions));
        failures = driver.failures();
        return done;
    }
    // --dump-controls as a JSON object.
    QJsonObject dumpControls()
    {
        EXPECT_TRUE(batch({"--dump-controls", path("controls.json")}));
        return QJsonDocument::fromJson(ReadBytes(path("controls.json"))).object()["controls"].toObject();
    }
    QJsonObject document() const { return window->settings().document(); }
    app::SettingsMenu& menu() const { return window->settingsMenu(); }

    QStringList failures;
};

// Away from the start values in every kind of control, including one whose
// handler converts another (the unit) and ones that show or hide others.
const QStringList kChanged = {
    "--check", kMillimeters, "--set", assign(kAperture, "300"), "--set", assign(kObstruction, "30"),
    "--set", assign(kOffset, "4.5"), "--check", kSpider, "--set", assign(kVaneWidth, "2.5"),
    "--set", assign(kZoom, "1.6"), "--check", kTransferFunction, "--check", kWavefront,
    "--set", assign(kFocus, "-2.5"), "--set", assign(kComa, "0.3"), "--set", assign(kComaAngle, "40"),
    "--set", assign(kSpherical, "0.25"), "--set", assign(kEdgeRadius, "80"), "--set", assign(kTube, "0.1"),
    "--set", assign(kBrightness, "12"), "--set", assign(kTurbulenceAmount, "0.2"), "--set", assign(kSeed, "7"),
    "--set", assign(kSeparation, "2.2"), "--set", assign(kPositionAngle, "135"), "--select", assign(kAnimatedError, "3"),
    "--select", assign(kAnimatedObject, "1"), "--set", assign(kSteps, "12"), "--uncheck", kAnimationLoop,
    "--uncheck", kRowIncluded[2], "--set", assign(kRowWavelength[4], "600"), "--set", assign(kFocalShift, "1.5"),
    "--set", assign(kGamma, "0.7"), "--check", kPsfMaxOne, "--set", assign(kFocalRatio, "8.5"),
    "--set", assign(kSeeing, "1.5"), "--select", assign(kCurveChoice, "3"), "--check", kShowHeld,
    "--set", assign(kRonchiLines, "10.5"), "--set", assign(kKnifeOffset, "-0.25"),
    "--set", assign(kFringeDefocus, "1.5"), "--set", assign(kFringesPerWave, "2"), "--check", kLive,
};

TEST_F(Settings, SavedAndOpenedAgainEveryControlIsAsItWas)
{
    ASSERT_TRUE(batch(kChanged + QStringList{"--save-settings", path("scope.quintalis")}))
        << failures.join(QLatin1Char(10)).toStdString();
    const QJsonObject before = dumpControls();
    createWindow();
    EXPECT_NE(dumpControls(), before);
    ASSERT_TRUE(batch({"--load-settings", path("scope.quintalis")}))
        << failures.join(QLatin1Char(10)).toStdString();
    // Every control as it was; an editor shows its value in its own format
    // ("300.00" where "300" was typed), and the status bar the time of the
    // calculation Live made.
    QJsonObject after = dumpControls();
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (it.key() == kStatusPanel0)
            continue;
        QJsonObject was = it.value().toObject();
        QJsonObject is = after.value(it.key()).toObject();
        if (was["kind"] == "number") {
            EXPECT_EQ(is["text"], edit(it.key().toLatin1().constData())->format(was["value"].toDouble()));
            was.remove("text");
            is.remove("text");
        }
        EXPECT_EQ(text(is), text(was)) << it.key().toStdString();
    }
    EXPECT_EQ(after.keys(), before.keys());

    // A readable, versioned file that names every control of a value.
    const QJsonObject saved = QJsonDocument::fromJson(ReadBytes(path("scope.quintalis"))).object();
    EXPECT_EQ(saved["format"].toString(), "Quintalis settings");
    EXPECT_EQ(saved["version"].toInt(), 1);
    const QJsonObject controls = saved["controls"].toObject();
    EXPECT_EQ(controls[kAperture].toDouble(), 300.0);
    EXPECT_EQ(controls[kMillimeters].toBool(), true);
    EXPECT_EQ(controls[kAnimatedError].toInt(), 3);
    EXPECT_EQ(controls[kBrightness].toInt(), 12);
    // The seeing and the turbulence amount it wrote, both kept.
    EXPECT_EQ(controls[kSeeing].toDouble(), 1.5);
    EXPECT_NE(controls[kTurbulenceAmount].toDouble(), 0.2);
    EXPECT_EQ(controls[kFocalRatio].toDouble(), 8.5);
    EXPECT_EQ(controls[kCurveChoice].toInt(), 3);
    EXPECT_EQ(controls[kKnifeOffset].toDouble(), -0.25);
    EXPECT_FALSE(controls.contains(kSlider));      // where the player stands
    EXPECT_FALSE(controls.contains(kCompareBox));  // asks for a file
    EXPECT_FALSE(controls.contains(kCalculate));
    EXPECT_EQ(window->settings().names().last(), kLive);
    EXPECT_EQ(menu().recentFiles(), QStringList{path("scope.quintalis")});
}

// The controls read again show every change made since, the drawing
// controls alone as well as all of them.
TEST_F(Settings, ReadAgainTheControlsShowEveryChange)
{
    const app::WindowSettings& settings = window->settings();
    const QStringList drawing = app::PictureSettings::drawingControls();
    const QJsonObject start = settings.controls();
    EXPECT_EQ(settings.controls(), start);
    const std::pair<QStringList, std::function<bool(const QJsonObject&)>> changes[] = {
        {{"--set", assign(kFocus, "0.5")}, [](const QJsonObject& c) { return c[kFocus].toDouble() == 0.5; }},
        {{"--set", assign(kFocus, "0")}, [](const QJsonObject& c) { return c[kFocus].toDouble() == 0.0; }},
        {{"--check", kSpider}, [](const QJsonObject& c) { return c[kSpider].toBool(); }},
        {{"--select", assign(kCurveChoice, "2")}, [](const QJsonObject& c) { return c[kCurveChoice].toInt() == 2; }},
        {{"--set", assign(kZoom, "1.7")}, [](const QJsonObject& c) { return c[kZoom].toDouble() == 1.7; }},
        {{"--set", assign(kZoom, "1")}, [](const QJsonObject& c) { return c[kZoom].toDouble() == 1.0; }},
    };
    for (const auto& [actions, holds] : changes) {
        const QJsonObject before = settings.controls(drawing);
        ASSERT_TRUE(batch(actions)) << failures.join(QLatin1Char(10)).toStdString();
        EXPECT_TRUE(holds(settings.controls())) << actions.join(' ').toStdString();
        if (drawing.contains(actions[1].section(QLatin1Char('='), 0, 0)))
            EXPECT_TRUE(holds(settings.controls(drawing))) << actions.join(' ').toStdString();
        else
            EXPECT_EQ(settings.controls(drawing), before) << actions.join(' ').toStdString();
    }
    EXPECT_NE(settings.controls(), start);
}

// Whatever is wrong with the whole file, nothing changes and the message
// says why.
TEST_F(Settings, ADamagedFileChangesNothing)
{
    const QByteArray good = app::SettingsBytes(document());
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* why;
    } cases[] = {
        {"cut.quintalis", good.left(good.size() / 2), "the file is damaged ("},
        {"list.quintalis", "[1, 2, 3]", "it is not a Quintalis settings file"},
        {"other.quintalis", R"({"format": "something else", "version": 1, "controls": {}})",
         "it is not a Quintalis settings file"},
        {"noversion.quintalis", R"({"format": "Quintalis settings", "controls": {"FocusSpin": 3}})",
         "it has no settings version"},
        {"nocontrols.quintalis", R"({"format": "Quintalis settings", "version": 1, "controls": [3]})",
         "it has no controls"},
        {"empty.quintalis", "", "it is empty"},
        {"plain.png", {}, "the picture carries no Quintalis settings"},
    };
    writeDisc("plain.png", {20, 20}, Qt::white);
    ASSERT_TRUE(batch({"--set", assign(kFocus, "1.5")}));
    const QJsonObject before = dumpControls();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!QByteArray(c.name).endsWith(".png"))
            WriteBytes(path(c.name), c.bytes);
        dialogs.clearShown();
        EXPECT_FALSE(menu().openSettingsFile(path(c.name)));
        ASSERT_EQ(messages().size(), 1);
        EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Error);
        EXPECT_TRUE(messages()[0].startsWith("cannot read " + path(c.name) + ": ")) << messages()[0].toStdString();
        EXPECT_TRUE(messages()[0].contains(c.why)) << messages()[0].toStdString();
        EXPECT_EQ(dumpControls(), before);
    }
    EXPECT_TRUE(menu().recentFiles().isEmpty());
    EXPECT_FALSE(batch({"--load-settings", path("list.quintalis")}));
    EXPECT_EQ(failures.size(), 1);
}

// A file from a newer version, or one edited by hand: what fits is taken,
// each thing left out or adjusted is named, and the batch counts it.
TEST_F(Settings, WhatCannotBeTakenIsNamedAndTheRestLoads)
{
    QJsonObject file = document();
    file["version"] = 4;
    file["telescopeName"] = "Dob";
    QJsonObject controls = file["controls"].toObject();
    controls[kFocus] = 3.5;
    controls[kComa] = "lots";
    controls[kObstruction] = 130;
    controls[kSpider] = 1;
    controls[kAnimatedError] = 42;
    controls[kBrightness] = 3.5;
    controls["WarpDriveSpin"] = 9;
    file["controls"] = controls;
    QJsonObject measured = file["measuredWavefront"].toObject();
    measured["terms"] = QJsonArray{0.1, 0.2};
    file["measuredWavefront"] = measured;
    WriteBytes(path("newer.quintalis"), app::SettingsBytes(file));

    EXPECT_TRUE(menu().openSettingsFile(path("newer.quintalis")));
    EXPECT_EQ(edit(kFocus)->value(), 3.5);
    EXPECT_EQ(edit(kObstruction)->value(), 95.0);
    EXPECT_EQ(edit(kComa)->value(), 0.0);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Warning);
    const QString text = messages()[0];
    for (const char* note :
         {"newer.quintalis was opened; these values were left as they were or adjusted:",
          "the file comes from a newer Quintalis (settings version 4); this version (settings version 1) took what "
          "it knows",
          "\"WarpDriveSpin\" is no control of this version and was left out", "XComaSpin takes a number, not \"lots\"",
          "ObsSpin 130 is outside its range 0 to 95 and was set to 95", "Spidercheck takes true or false, not 1",
          "Brightslide takes a whole number, not 3.5",
          "\"telescopeName\" is not known to this version and was left out",
          "the measured wavefront was left as it was: it does not hold 37 terms"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(note))) << note << "\n" << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("AniAberchoice has no item 42 (it has %1, from 0)")
                                  .arg(find<QComboBox>(kAnimatedError)->count())));

    EXPECT_FALSE(batch({"--load-settings", path("newer.quintalis"), "--dump-state", path("state.json")}));
    EXPECT_EQ(failures.size(), 1);
    EXPECT_TRUE(QFile::exists(path("state.json")));
}

// The settings a PNG carries are those of the calculation that made the
// picture, with the zoom it was drawn at; the picture opens as a settings file.
TEST_F(Settings, ASavedPngCarriesTheSettingsThatMadeIt)
{
    ASSERT_TRUE(batch({"--set", assign(kAperture, "10"), "--set", assign(kFocus, "2"), "--click", kCalculate,
                       "--set", assign(kFocus, "4"), "--set", assign(kZoom, "1.5"), "--file", path("star"), "--click",
                       kSaveStar}))
        << failures.join(QLatin1Char(10)).toStdString();
    const QByteArray png = ReadBytes(path("star.png"));  // PNG offered, its extension added
    ASSERT_TRUE(png.startsWith("\x89PNG"));
    QBuffer buffer;
    buffer.setData(png);
    QImageReader reader(&buffer, "png");
    EXPECT_EQ(reader.text("Software"), "Quintalis " QUINTALIS_VERSION);
    const QJsonObject saved = QJsonDocument::fromJson(reader.text(app::kPngSettingsKey).toUtf8()).object();
    const QJsonObject controls = saved["controls"].toObject();
    EXPECT_EQ(controls[kAperture].toDouble(), 10.0);
    EXPECT_EQ(controls[kFocus].toDouble(), 2.0);  // the calculation's, not the editor's of now
    EXPECT_EQ(controls[kZoom].toDouble(), 1.5);   // drawn again at the new zoom

    createWindow();
    EXPECT_TRUE(menu().openSettingsFile(path("star.png")));
    EXPECT_EQ(messages(), QStringList());
    EXPECT_EQ(edit(kFocus)->value(), 2.0);
    EXPECT_EQ(edit(kAperture)->value(), 10.0);
}

TEST_F(Settings, TheRecentListKeepsTheLastEightOnceEach)
{
    for (const char* name : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "b"})
        ASSERT_TRUE(menu().save(path(name)));
    const QStringList recent = menu().recentFiles();
    EXPECT_EQ(recent.size(), app::SettingsMenu::kRecentFiles);
    EXPECT_EQ(recent.first(), path("b"));
    EXPECT_EQ(recent[1], path("i"));
    EXPECT_FALSE(recent.contains(path("a")));
    EXPECT_EQ(recent.count(path("b")), 1);
}

// The measured wavefront is kept by value: the list's chosen row, the map,
// the terms as calculated; the file it came from is not needed again.
TEST_F(Settings, TheMeasuredWavefrontIsKeptByValue)
{
    struct Case {
        const char* file;
        std::function<void()> adjust;  // what a user changes once the file is in
    } cases[] = {
        {"measured_sample.csv",
         [this] {
             find<QComboBox>(kMeasuredRow)->setCurrentIndex(0);
             find<QCheckBox>(kMeasuredNormalised)->setChecked(true);
         }},
        {"measured_sample.wft",
         [this] {
             find<QCheckBox>(kMeasuredSurface)->setChecked(true);
             edit("MeasuredZ9")->setValue(0.0125);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        createWindow();
        const QString copy = path(c.file);
        QFile::remove(copy);
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUINTALIS_SOURCE_DIR "/tests/data/") + c.file, copy));
        ASSERT_TRUE(batch({"--file", copy, "--click", kMeasuredLoad})) << failures.join(QLatin1Char(10)).toStdString();
        c.adjust();
        ASSERT_TRUE(batch({"--check", kMeasuredOn, "--click", kCalculate, "--save-settings", path("measured.quintalis")}))
            << failures.join(QLatin1Char(10)).toStdString();
        const optics::Grid star = grid("StarGrid");
        const QJsonObject before = dumpControls();
        QFile::remove(copy);

        createWindow();
        ASSERT_TRUE(batch({"--load-settings", path("measured.quintalis"), "--click", kCalculate}))
            << failures.join(QLatin1Char(10)).toStdString();
        EXPECT_TRUE(star.cells == grid("StarGrid").cells);
        const QJsonObject after = dumpControls();
        for (const QString& name : before.keys()) {
            if (name.startsWith("Measured")) {
                EXPECT_EQ(text(after.value(name)), text(before.value(name))) << name.toStdString();
            }
        }
    }
}

// The menu button is for people; the batch says what to use instead.
TEST_F(Settings, TheBatchRefusesToOpenTheMenu)
{
    app::BatchDriver driver(*window, dialogs);
    const base::Result<std::vector<app::BatchAction>> checked = driver.check({"--click", kFileButton});
    ASSERT_FALSE(checked);
    EXPECT_EQ(checked.error(), "FileButton opens a menu; use --load-settings or --save-settings");
    EXPECT_FALSE(driver.check({"--save-settings", path("no folder/x.quintalis")}));
}

}  // namespace
