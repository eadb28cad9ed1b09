// Saving the pages' pictures and loading a wavefront picture.
#include "window_fixture.h"

#include "app/simulation_model.h"
#include "imaging/bmp_file.h"
#include "support/pictures.h"

#include <QCheckBox>
#include <QImage>

#include <cstdlib>

namespace {

using namespace app::names;
using testing_support::ReadBytes;

class PictureFiles : public testing_support::WindowTest {
protected:
    void calculateWithWavefront()
    {
        find<QCheckBox>(kWavefront)->setChecked(true);
        set(kFocus, 1.5);
        calculate();
    }
};

// Every Save button writes the picture its view shows, whole. The file type
// picked decides the format, never the name's extension; the wavefront
// picture is always JPEG. JPEG comes back within its tolerance, BMP exactly.
TEST_F(PictureFiles, EverySaveButtonWritesTheTypePickedNotTheExtension)
{
    loadPlanet(writeDisc("disc.png", {60, 60}, QColor(200, 120, 60), 30));
    calculateWithWavefront();
    struct Case {
        const char* calculate;  // or nothing: the star and wavefront are drawn
        const char* save;
        const char* picture;
        int type;
        const char* file;
        bool jpeg;
    } cases[] = {
        {nullptr, kSaveStar, kStarImage, 1, "star.bmp", true},
        {nullptr, kSaveStar, kStarImage, 2, "star.jpg", false},
        {nullptr, kSaveWavefront, kWavefrontPicture, 2, "wave.bmp", true},
        {kCalculateIntraExtra, kSaveIntraExtra, kIntraExtraImage, 2, "intra.bmp", false},
        {kConvoluteColour, kSavePlanet, kPlanetAberrated, 2, "planet.bmp", false},
        {kCalculateDouble, kSaveDouble, kDoubleImage, 1, "double.jpg", true},
        {kCalculateChromatic, kSaveChromatic, kChromaticImage, 2, "chroma.bmp", false},
    };
    for (const Case& c : cases) {
        if (c.calculate)
            click(c.calculate);
        dialogs.queueFile({path(c.file), c.type});
        click(c.save);
        EXPECT_EQ(messages(), QStringList()) << c.save;
        dialogs.clearShown();
        const QByteArray data = ReadBytes(path(c.file));
        EXPECT_EQ(data.startsWith("\xFF\xD8\xFF"), c.jpeg) << c.file;
        EXPECT_EQ(data.startsWith("BM"), !c.jpeg) << c.file;
        const QImage original = picture(c.picture).convertToFormat(QImage::Format_RGB888);
        const QImage back = QImage::fromData(data).convertToFormat(QImage::Format_RGB888);
        ASSERT_EQ(back.size(), original.size()) << c.file;
        long long sum = 0;
        for (int y = 0; y < back.height(); ++y)
            for (int i = 0; i < back.width() * 3; ++i)
                sum += std::abs(back.constScanLine(y)[i] - original.constScanLine(y)[i]);
        const double mean = static_cast<double>(sum) / (back.width() * back.height() * 3);
        EXPECT_LE(mean, c.jpeg ? 3.0 : 0.0) << c.file;
    }
    EXPECT_EQ(dialogs.fileDialogs()[1].filters, (QStringList{"Jpeg-Bitmap (*.jpg *.jpeg)", "BMP-Bitmap (*.bmp)"}));
    EXPECT_EQ(dialogs.fileDialogs()[1].defaultSuffix, "jpg");
}

TEST_F(PictureFiles, FailedSavesSayWhyAndLeaveFilesAlone)
{
    testing_support::WriteBytes(path("keep.jpg"), "an earlier picture");
    // Nothing drawn yet: no dialog, no file.
    click(kSaveStar);
    click(kSaveWavefront);
    EXPECT_EQ(messages(), (QStringList{"Nothing to save yet", "Nothing to save yet"}));
    EXPECT_TRUE(dialogs.fileDialogs().empty());

    // A folder that does not exist: a message naming the file and the reason.
    calculateWithWavefront();
    dialogs.clearShown();
    const QString missing = path("no such folder/star.jpg");
    dialogs.queueFile({missing, 1});
    click(kSaveStar);
    EXPECT_EQ(messages(), QStringList{"cannot write " + missing + ": the folder does not exist"});
    EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Error);
    EXPECT_FALSE(QFile::exists(missing));

    // Cancelled: nothing said, nothing written.
    dialogs.clearShown();
    click(kSaveWavefront);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(ReadBytes(path("keep.jpg")), "an earlier picture");
    EXPECT_EQ(QDir(workDir.path()).entryList(QDir::Files), QStringList{"keep.jpg"});
}

// A loaded picture takes the map's place, marked as loaded, while the
// readouts go on following the computed wavefront; Clear, or ticking "Display
// Wavefront" again, brings the computed map back. A picture that cannot be
// read, or a cancelled load, changes nothing.
TEST_F(PictureFiles, LoadingAWavefrontPicture)
{
    ASSERT_TRUE(imaging::WriteBmp(testing_support::Filled(40, 30, {200, 20, 10}), path("red.jpg").toStdString()));
    testing_support::WriteBytes(path("garbage.bmp"), "BM not really a bitmap");

    dialogs.queueFile({path("garbage.bmp"), 2});
    click(kLoadWavefront);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith("cannot read " + path("garbage.bmp") + ": the file is damaged"))
        << dialogs.shown()[0].text.toStdString();
    click(kLoadWavefront);  // cancelled
    EXPECT_FALSE(window->model().wavefrontLoaded());
    EXPECT_FALSE(find<ui::PictureBox>(kWavefrontPicture)->drawn());
    EXPECT_FALSE(find<QAbstractButton>(kClearWavefront)->isEnabled());

    calculateWithWavefront();
    const QImage computed = picture(kWavefrontPicture);
    const QString rms = label(kRms);
    dialogs.queueFile({path("red.jpg"), 1});  // a bitmap whatever the name
    click(kLoadWavefront);
    EXPECT_TRUE(window->model().wavefrontLoaded());
    ASSERT_EQ(picture(kWavefrontPicture).size(), QSize(40, 30));
    EXPECT_EQ(picture(kWavefrontPicture).pixel(5, 5), qRgb(200, 20, 10));
    EXPECT_TRUE(label(kWavefrontTitle).startsWith("Loaded")) << label(kWavefrontTitle).toStdString();

    // A calculation keeps the loaded picture and updates the readouts.
    set(kFocus, 2);
    calculate();
    EXPECT_EQ(picture(kWavefrontPicture).size(), QSize(40, 30));
    EXPECT_NE(label(kRms), rms);

    // Clear shows the last computed map; so does ticking the box again.
    click(kClearWavefront);
    EXPECT_FALSE(window->model().wavefrontLoaded());
    EXPECT_EQ(picture(kWavefrontPicture).size(), computed.size());
    EXPECT_EQ(label(kWavefrontTitle), "Pupil Phase Function");
    const QImage refocused = picture(kWavefrontPicture);
    EXPECT_NE(refocused, computed);
    dialogs.queueFile({path("red.jpg"), 1});
    click(kLoadWavefront);
    find<QAbstractButton>(kWavefront)->click();
    find<QAbstractButton>(kWavefront)->click();
    EXPECT_FALSE(window->model().wavefrontLoaded());
    EXPECT_EQ(picture(kWavefrontPicture), refocused);
}

}  // namespace
