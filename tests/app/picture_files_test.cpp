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

// Every Save button writes the picture its view shows, whole. A name ending in
// a picture extension decides the format; any other name gets the extension of
// the type picked. JPEG comes back within its tolerance, BMP and PNG exactly.
TEST_F(PictureFiles, EverySaveWritesWhatItsNameSays)
{
    loadPlanet(writeDisc("disc.png", {60, 60}, QColor(200, 120, 60), 30));
    calculateWithWavefront();
    enum Kind { Jpeg, Bmp, Png };
    struct Case {
        const char* calculate;  // or nothing: the star and wavefront are drawn
        const char* save;
        const char* picture;
        int type;
        const char* typed;
        const char* written;
        Kind kind;
    } cases[] = {
        {nullptr, kSaveStar, kStarImage, 1, "star.bmp", "star.bmp", Bmp},  // the name wins over the type
        {nullptr, kSaveStar, kStarImage, 2, "star.JPEG", "star.JPEG", Jpeg},
        {nullptr, kSaveStar, kStarImage, 2, "star", "star.bmp", Bmp},  // no extension: the type's is added
        {nullptr, kSaveStar, kStarImage, 3, "star.v2", "star.v2.png", Png},
        {nullptr, kSaveWavefront, kWavefrontPicture, 2, "wave", "wave.bmp", Bmp},
        {kCalculateIntraExtra, kSaveIntraExtra, kIntraExtraImage, 1, "intra.png", "intra.png", Png},
        {kConvoluteColour, kSavePlanet, kPlanetAberrated, 2, "planet.bmp", "planet.bmp", Bmp},
        {kCalculateDouble, kSaveDouble, kDoubleImage, 1, "double", "double.jpg", Jpeg},
        {kCalculateChromatic, kSaveChromatic, kChromaticImage, 2, "chroma.bmp", "chroma.bmp", Bmp},
        {nullptr, kSaveRonchi, kRonchiImage, 3, "ronchi", "ronchi.png", Png},
        {nullptr, kSaveKnife, kKnifeImage, 1, "knife.jpg", "knife.jpg", Jpeg},
        {nullptr, kSaveFringes, kFringeImage, 2, "fringes", "fringes.bmp", Bmp},
    };
    for (const Case& c : cases) {
        if (c.calculate)
            click(c.calculate);
        dialogs.queueFile({path(c.typed), c.type});
        click(c.save);
        EXPECT_EQ(messages(), QStringList()) << c.save;
        dialogs.clearShown();
        const QByteArray data = ReadBytes(path(c.written));
        EXPECT_EQ(data.startsWith("\xFF\xD8\xFF"), c.kind == Jpeg) << c.written;
        EXPECT_EQ(data.startsWith("BM"), c.kind == Bmp) << c.written;
        EXPECT_EQ(data.startsWith("\x89PNG"), c.kind == Png) << c.written;
        const QImage original = picture(c.picture).convertToFormat(QImage::Format_RGB888);
        const QImage back = QImage::fromData(data).convertToFormat(QImage::Format_RGB888);
        ASSERT_EQ(back.size(), original.size()) << c.written;
        long long sum = 0;
        for (int y = 0; y < back.height(); ++y)
            for (int i = 0; i < back.width() * 3; ++i)
                sum += std::abs(back.constScanLine(y)[i] - original.constScanLine(y)[i]);
        const double mean = static_cast<double>(sum) / (back.width() * back.height() * 3);
        EXPECT_LE(mean, c.kind == Jpeg ? 3.0 : 0.0) << c.written;
    }
    // Nothing but the files named above.
    QStringList files = QDir(workDir.path()).entryList({"star*", "wave*"}, QDir::Files);
    files.sort();
    EXPECT_EQ(files, (QStringList{"star.JPEG", "star.bmp", "star.v2.png", "wave.bmp"}));
    // The planet's open dialog first, then the four star saves.
    const auto& wavefront = dialogs.fileDialogs()[5];
    EXPECT_EQ(wavefront.filters, (QStringList{"Jpeg-Bitmap (*.jpg *.jpeg)", "BMP-Bitmap (*.bmp)", "PNG-Bitmap (*.png)"}));
    EXPECT_EQ(wavefront.defaultSuffix, "png");  // new saves are lossless
    EXPECT_EQ(wavefront.selectedFilter, 3);
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
