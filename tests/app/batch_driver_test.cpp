// The batch driver: command lines checked whole before anything runs, the
// actions, and what it writes out.
#include "window_fixture.h"

#include "app/batch_driver.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSlider>

#include <cstring>
#include <utility>
#include <vector>

namespace {

using namespace app::names;

// NAME=VALUE as the command line takes it.
QString assign(const char* name, const QString& value)
{
    return QLatin1String(name) + QLatin1Char('=') + value;
}

class Batch : public testing_support::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        driver = std::make_unique<app::BatchDriver>(*window, dialogs);
    }
    void TearDown() override
    {
        driver.reset();
        WindowTest::TearDown();
    }
    QJsonObject readJson(const char* name) const
    {
        return QJsonDocument::fromJson(testing_support::ReadBytes(path(name))).object();
    }
    // The data of an .npy file as doubles, after checking its header.
    std::vector<double> readNpy(const char* name, const char* shape) const
    {
        const QByteArray bytes = testing_support::ReadBytes(path(name));
        EXPECT_TRUE(bytes.startsWith(QByteArray("\x93NUMPY\x01\x00", 8)));
        const int headerLength = static_cast<unsigned char>(bytes[8]) | (static_cast<unsigned char>(bytes[9]) << 8);
        const int start = 10 + headerLength;
        EXPECT_EQ(start % 64, 0);
        EXPECT_TRUE(bytes.mid(10, headerLength).contains(QByteArray("'shape': ") + shape)) << name;
        std::vector<double> values(static_cast<std::size_t>(bytes.size() - start) / sizeof(double));
        std::memcpy(values.data(), bytes.constData() + start, values.size() * sizeof(double));
        return values;
    }

    std::unique_ptr<app::BatchDriver> driver;
};

// Exit 1 means nothing ran: a bad action anywhere on the line, even the last,
// leaves the earlier ones undone and their files unwritten.
TEST_F(Batch, BadCommandLinesAreRefusedBeforeAnythingRuns)
{
    const QStringList bad[] = {
        {"--frobnicate", "x"},
        {"--click"},
        {"--click", "CalculateButon"},
        {"--set", assign(kFocus, "")},
        {"--set", assign(kFocus, "abc")},
        {"--set", assign(kFocus, "inf")},
        {"--set", assign(kFocus, "-inf")},
        {"--set", assign(kFocus, "nan")},
        {"--set", assign(kFocus, "1e999")},
        {"--set", assign(kTabs, "3")},
        {"--set", kGamma},
        {"--set", assign(kBrightness, "1.5")},
        {"--check", kTabs},
        {"--uncheck", kInches},
        {"--select", assign(kTabs, "42")},
        {"--select", assign(kAnimatedError, "x")},
        {"--answer", "Maybe"},
        {"--filter", "0"},
        {"--dump-grid", "NoGrid=x.npy"},
        {"--dump-state", "/no/such/folder/state.json"},
        {"--save-picture", assign(kStarImage, workDir.path())},
    };
    const QString written = path("written.json");
    for (const QStringList& tail : bad) {
        SCOPED_TRACE(tail.join(' ').toStdString());
        const QStringList line = QStringList{"--set", assign(kGamma, "0.3"), "--dump-state", written} + tail;
        EXPECT_FALSE(driver->run(line));
        EXPECT_EQ(edit(kGamma)->text(), "0.50");
        EXPECT_FALSE(QFile::exists(written));
    }
}

// A line that runs goes on to its end, but every action that did not do what
// it was asked is named: errors, refusals, a dialog with no file for it, a
// failed write. Questions and notes are no failures.
TEST_F(Batch, ActionsThatWentWrongAreNamedAndTheRestStillRun)
{
    struct Case {
        QStringList actions;
        QStringList failures;
    } cases[] = {
        {{"--click", kCalculateIntraExtra}, {"--click SpeedButton2 (action 1): Focus-value is Zero"}},
        {{"--click", kCalculate, "--click", kConvoluteGrey},  // no mars.jpg here
         {"--click Convolute (action 2): cannot read mars.jpg: it does not exist"}},
        {{"--click", kSaveStar, "--click", kSaveAnimation},
         {"--click SpeedButton1 (action 1): Nothing to save yet",
          "--click BitBtn5 (action 2): Nothing to save yet: press Animate to make an animation first."}},
        {{"--click", kCalculate, "--click", kSaveStar},
         {"--click SpeedButton1 (action 2): a file dialog came up and no --file was given for it"}},
        {{"--dump-state", "/dev/full"},
         {"--dump-state /dev/full (action 1): cannot write /dev/full: no space left on the device"}},
        {{"--set", assign(kFocus, "1"), "--click", kCalculateIntraExtra}, {}},
        {{"--answer", "Cancel", "--click", kResetAberrations, "--file", path("big.png"), "--click", kLoadPlanet}, {}},
    };
    writeDisc("big.png", {600, 300}, Qt::white);  // a note that only its middle is used
    for (const Case& c : cases) {
        SCOPED_TRACE(c.actions.join(' ').toStdString());
        createWindow();
        driver = std::make_unique<app::BatchDriver>(*window, dialogs);
        const QString after = path("after.json");
        QFile::remove(after);
        const base::Status done = driver->run(c.actions + QStringList{"--dump-state", after});
        EXPECT_EQ(bool(done), c.failures.isEmpty());
        EXPECT_EQ(driver->failures(), c.failures);
        EXPECT_TRUE(QFile::exists(after));
    }
}

// A click on the About picture or on the credits reveals the special settings.
TEST_F(Batch, SetTypesIntoEditorsMovesSlidersAndClicksPictures)
{
    EXPECT_TRUE(driver->run({"--click", kCredits}));
    EXPECT_FALSE(find(kSpecials)->isHidden());
    createWindow();
    driver = std::make_unique<app::BatchDriver>(*window, dialogs);
    EXPECT_TRUE(driver->run({"--set", assign(kSlope, "250"), "--set", assign(kBrightness, "30"), "--check", kPsfMaxOne,
                 "--select", assign(kTabs, "5"), "--click", kAboutPicture}));
    EXPECT_EQ(edit(kSlope)->text(), "100.00");  // leaving the editor clamps the typed value
    EXPECT_EQ(find<QSlider>(kBrightness)->value(), 30);
    EXPECT_TRUE(find<QAbstractButton>(kPsfMaxOne)->isChecked());
    EXPECT_EQ(page(), 5);
    EXPECT_FALSE(find(kSpecials)->isHidden());
    EXPECT_TRUE(driver->run({"--uncheck", kPsfMaxOne}));
    EXPECT_FALSE(find<QAbstractButton>(kPsfMaxOne)->isChecked());
}

TEST_F(Batch, DumpsControlsAndState)
{
    EXPECT_TRUE(driver->run({"--dump-controls", path("controls.json"), "--dump-state", path("state.json")}));
    const QJsonObject controls = readJson("controls.json")["controls"].toObject();
    const QJsonObject gamma = controls[kGamma].toObject();
    EXPECT_EQ(gamma["kind"].toString(), "number");
    EXPECT_EQ(gamma["caption"].toString(), "Gamma");
    EXPECT_DOUBLE_EQ(gamma["value"].toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(gamma["max"].toDouble(), 0.99);
    EXPECT_FALSE(controls[kSpecials].toObject()["visible"].toBool());
    EXPECT_TRUE(controls[kStarImage].toObject()["visible"].toBool());
    EXPECT_FALSE(controls.contains("ScrollLeftButton"));

    const QJsonObject state = readJson("state.json");
    EXPECT_DOUBLE_EQ(state["engine"].toObject()["WaveLength"].toDouble(), 555.0);
    EXPECT_EQ(state["engine"].toObject()["StarRed"].toInt(), 179);  // the colour of 555 nm until a star is drawn
    EXPECT_EQ(state["labels"].toObject()[kStarImageLabel].toString(), "Star image (25 arcseconds)");
    EXPECT_EQ(state["page"].toInt(), 9);
}

TEST_F(Batch, AnimationIsMadeAndDumped)
{
    EXPECT_TRUE(driver->run({"--set", assign(kSteps, "3"), "--click", kAnimate, "--dump-state", path("state.json")}));
    const QJsonObject state = readJson("state.json");
    EXPECT_EQ(state["engine"].toObject()["TurbulenceShift"].toInt(), 4 * 43);
    // The player runs on its own between actions: where it stands varies.
    const QJsonObject animation = state["animation"].toObject();
    EXPECT_EQ(animation["frames"].toInt(), 4);
    EXPECT_LT(animation["frameIndex"].toInt(), 4);
    EXPECT_TRUE(animation["playing"].isBool());
    const QJsonObject buttons = animation["buttonsEnabled"].toObject();
    EXPECT_EQ(buttons.keys(), (QStringList{kBack, kForward, kNext, kPlay, kRewind, kStop}));
    EXPECT_EQ(buttons[kStop].toBool(), animation["playing"].toBool());
}

// StarBuffer is the picture the display drew last: here the white-light star.
TEST_F(Batch, ReachesTheIntraExtraAndChromaticPages)
{
    EXPECT_TRUE(driver->run({"--set", assign(kFocus, "2"), "--click", kCalculateIntraExtra, "--click", kCalculateChromatic,
                 "--save-picture", assign(kIntraExtraImage, path("intra.png")), "--save-picture",
                 assign(kChromaticImage, path("chroma.png")), "--save-picture", assign(kStarBuffer, path("star.png")),
                 "--dump-state", path("state.json")}));
    EXPECT_EQ(QImage(path("intra.png")).size(), QSize(505, 201));
    EXPECT_EQ(QImage(path("chroma.png")).size(), QSize(257, 257));
    EXPECT_EQ(QImage(path("star.png")).convertToFormat(QImage::Format_RGB32),
              picture(kChromaticImage).copy(0, 0, 256, 256).convertToFormat(QImage::Format_RGB32));
    const QJsonObject state = readJson("state.json");
    EXPECT_EQ(state["labels"].toObject()[kIntraLabel].toString(), "-2 (\u22120.32 mm)");
    EXPECT_EQ(state["labels"].toObject()[kExtraLabel].toString(), "2 (0.32 mm)");
    // The default rows: the blue sum at the centre, about 1.18, becomes 255.
    EXPECT_NEAR(state["engine"].toObject()["ColourScale"].toDouble(), 255 / 1.178, 0.2);
    EXPECT_GT(state["engine"].toObject()["IntraPeak"].toDouble(), 0.0);
    EXPECT_TRUE(state["engine"].toObject()["ColourComposite"].toBool());
}

// The data area row by row, the second index fastest; colours last.
TEST_F(Batch, GridsAreWrittenAsNpy)
{
    EXPECT_TRUE(driver->run({"--click", kCalculateChromatic, "--dump-grid", "StarGrid=" + path("star.npy"), "--dump-grid",
                 "ColourGrid=" + path("colour.npy")}));
    const optics::Grid& star = grid("StarGrid");
    const std::vector<double> stars = readNpy("star.npy", "(512, 512)");
    ASSERT_EQ(stars.size(), 512u * 512u);
    const std::pair<int, int> starCells[] = {{1, 1}, {257, 257}, {257, 258}, {300, 200}, {512, 512}};
    for (const auto& [i, j] : starCells)
        EXPECT_EQ(stars[static_cast<std::size_t>((i - 1) * 512 + (j - 1))], star(i, j)) << i << "," << j;

    const optics::ColourCells& colours = app::NamedColourGrid(*window);
    const std::vector<double> cells = readNpy("colour.npy", "(512, 512, 3)");
    ASSERT_EQ(cells.size(), 512u * 512u * 3u);
    const std::pair<int, int> colourCells[] = {{257, 257}, {257, 258}, {300, 200}};
    for (const auto& [i, j] : colourCells) {
        const std::size_t at = static_cast<std::size_t>((i - 1) * 512 + (j - 1)) * 3;
        EXPECT_EQ(cells[at], colours(i, j).red);
        EXPECT_EQ(cells[at + 1], colours(i, j).green);
        EXPECT_EQ(cells[at + 2], colours(i, j).blue);
        EXPECT_GT(cells[at + 2], 0.0);
    }
}

TEST_F(Batch, AnswersGoToTheNextMessageBox)
{
    EXPECT_TRUE(driver->run({"--answer", "Cancel", "--file", "/tmp/x.jpg", "--filter", "2"}));
    EXPECT_EQ(dialogs.showMessage(nullptr, ui::MessageKind::Warning, "q",
                                  {ui::MessageButton::Ok, ui::MessageButton::Cancel}),
              ui::MessageButton::Cancel);
    const auto file = dialogs.saveFile(nullptr, "t", {});
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->path, "/tmp/x.jpg");
    EXPECT_EQ(file->filterIndex, 2);
}

}  // namespace
