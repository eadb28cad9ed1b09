#include "window_fixture.h"

#include "app/batch_driver.h"
#include "ui/number_edit.h"

#include <QAbstractButton>
#include <QFile>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSlider>
#include <QTabWidget>

#include <cstring>

namespace {

using testing_support::WindowTest;

class Batch : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        createForm();
        dialogs.clearShown();
        driver = std::make_unique<app::BatchDriver>(*form, dialogs);
    }
    void TearDown() override
    {
        driver.reset();
        WindowTest::TearDown();
    }

    QString path(const char* name) const { return QDir(workDir.path()).filePath(QString::fromLatin1(name)); }

    QJsonObject readJson(const char* name) const
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(file.readAll()).object();
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
        {"--set", "FocusSpin="},
        {"--set", "FocusSpin=abc"},
        {"--set", "Tabs=3"},
        {"--set", "GammaSpin"},
        {"--set", "Brightslide=1.5"},
        {"--check", "Tabs"},
        {"--uncheck", "Inches"},
        {"--select", "Tabs=42"},
        {"--select", "AniAberchoice=x"},
        {"--answer", "Maybe"},
        {"--filter", "0"},
        {"--dump-grid", "NoGrid=x.npy"},
        {"--dump-state", "/no/such/folder/state.json"},
        {"--save-picture", "StarImage=" + workDir.path()},
    };
    const QString written = path("written.json");
    for (const QStringList& tail : bad) {
        SCOPED_TRACE(tail.join(' ').toStdString());
        const QStringList line = QStringList{"--set", "GammaSpin=0.3", "--dump-state", written} + tail;
        EXPECT_THROW(driver->run(line), app::BatchError);
        EXPECT_EQ(edit("GammaSpin")->text(), "0.50");
        EXPECT_FALSE(QFile::exists(written));
    }
}

TEST_F(Batch, ColourGridIsWrittenWithTheChannelsLast)
{
    engine->ColourGrid(1, 1) = {1.0f, 2.0f, 3.0f};
    engine->ColourGrid(1, 2) = {4.0f, 5.0f, 6.0f};
    driver->run({"--dump-grid", QString("ColourGrid=%1").arg(path("colour.npy"))});
    QFile file(path("colour.npy"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const int headerLength = static_cast<unsigned char>(bytes[8]) | (static_cast<unsigned char>(bytes[9]) << 8);
    EXPECT_TRUE(bytes.mid(10, headerLength).contains("'shape': (512, 512, 3)"));
    ASSERT_EQ(bytes.size(), 10 + headerLength + 512 * 512 * 3 * 8);
    double first[6];
    std::memcpy(first, bytes.constData() + 10 + headerLength, sizeof first);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(first[k], k + 1.0);
}

TEST_F(Batch, SetsTypesIntoEditorsAndMovesSliders)
{
    driver->run({"--set", "SlopeSpin=250", "--set", "Brightslide=30", "--check", "PsfMaxSet", "--select", "Tabs=5"});
    // Leaving the editor clamps the typed value to its range.
    EXPECT_EQ(edit("SlopeSpin")->text(), "100.00");
    EXPECT_EQ(find<QSlider>("Brightslide")->value(), 30);
    EXPECT_TRUE(find<QAbstractButton>("PsfMaxSet")->isChecked());
    EXPECT_EQ(find<QTabWidget>("Tabs")->currentIndex(), 5);
    driver->run({"--uncheck", "PsfMaxSet"});
    EXPECT_FALSE(find<QAbstractButton>("PsfMaxSet")->isChecked());
}

TEST_F(Batch, ClickOnAPictureRunsItsHandler)
{
    driver->run({"--click", "Image5"});
    EXPECT_FALSE(find<QGroupBox>("Specials")->isHidden());
}

TEST_F(Batch, DumpsControlsAndState)
{
    driver->run({"--dump-controls", path("controls.json").toStdString().c_str(), "--dump-state",
                 path("state.json").toStdString().c_str()});
    const QJsonObject controls = readJson("controls.json")["controls"].toObject();
    const QJsonObject gamma = controls["GammaSpin"].toObject();
    EXPECT_EQ(gamma["kind"].toString(), "number");
    EXPECT_EQ(gamma["caption"].toString(), "Gamma");
    EXPECT_DOUBLE_EQ(gamma["value"].toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(gamma["max"].toDouble(), 0.99);
    EXPECT_FALSE(controls["Specials"].toObject()["visible"].toBool());
    EXPECT_TRUE(controls["StarImage"].toObject()["visible"].toBool());
    EXPECT_FALSE(controls.contains("ScrollLeftButton"));

    const QJsonObject state = readJson("state.json");
    EXPECT_DOUBLE_EQ(state["engine"].toObject()["WaveLength"].toDouble(), 555.0);
    EXPECT_EQ(state["labels"].toObject()["StarImageLabel"].toString(), "Star image (25 arcseconds)");
    EXPECT_EQ(state["page"].toInt(), 9);
}

TEST_F(Batch, GridsAreWrittenAsNpy)
{
    engine->StarGrid(1, 1) = 1.5;     // first element of the file
    engine->StarGrid(1, 2) = 2.5;     // second: the second index runs fastest
    engine->StarGrid(512, 512) = -4;  // last
    engine->StarGrid(0, 0) = 99;      // outside the data area: not written
    driver->run({"--dump-grid", QString("StarGrid=%1").arg(path("star.npy")).toStdString().c_str()});
    QFile file(path("star.npy"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.startsWith(QByteArray("\x93NUMPY\x01\x00", 8)));
    const int headerLength = static_cast<unsigned char>(bytes[8]) | (static_cast<unsigned char>(bytes[9]) << 8);
    const int dataStart = 10 + headerLength;
    EXPECT_EQ(dataStart % 64, 0);
    EXPECT_TRUE(bytes.mid(10, headerLength).contains("'shape': (512, 512)"));
    ASSERT_EQ(bytes.size(), dataStart + 512 * 512 * 8);
    double first[2];
    double last;
    std::memcpy(first, bytes.constData() + dataStart, sizeof first);
    std::memcpy(&last, bytes.constData() + bytes.size() - 8, sizeof last);
    EXPECT_EQ(first[0], 1.5);
    EXPECT_EQ(first[1], 2.5);
    EXPECT_EQ(last, -4.0);
}

TEST_F(Batch, AnswersGoToTheNextMessageBox)
{
    driver->run({"--answer", "Cancel", "--file", "/tmp/x.jpg", "--filter", "2"});
    EXPECT_EQ(dialogs.showMessage(nullptr, ui::MessageKind::Warning, "q", {ui::MessageButton::Ok,
                                                                           ui::MessageButton::Cancel}),
              ui::MessageButton::Cancel);
    const auto file = dialogs.saveFile(nullptr, "t", {});
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->path, "/tmp/x.jpg");
    EXPECT_EQ(file->filterIndex, 2);
}

}  // namespace
