#include "window_fixture.h"

#include "imaging/bmp_file.h"
#include "ui/picture_box.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>

#include <cstdlib>

namespace {

class PictureFiles : public testing_support::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        createForm();
        dialogs.clearShown();
    }

    QString path(const char* name) const { return QDir(workDir.path()).filePath(QString::fromLatin1(name)); }
    void click(const char* name) { find<QAbstractButton>(name)->click(); }
    void calculateWithWavefront()
    {
        find<QCheckBox>("Wavefront")->setChecked(true);
        edit("FocusSpin")->setValue(1.5);
        click("CalculateButton");
    }
    QByteArray bytes(const QString& file) const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// Every Save button writes the picture its view shows, whole. The file type
// picked decides the format, never the name's extension; the wavefront
// picture is always JPEG. JPEG comes back within its tolerance, BMP exactly.
TEST_F(PictureFiles, EverySaveButtonWritesTheTypePickedNotTheExtension)
{
    QImage disc(60, 60, QImage::Format_RGB32);
    disc.fill(qRgb(200, 120, 60));
    ASSERT_TRUE(disc.save(path("disc.png"), "png"));
    dialogs.queueFile({path("disc.png"), 1});
    click("BitBtn4");  // the planet picture
    calculateWithWavefront();
    struct Case {
        const char* calculate;  // or nothing: the star and wavefront are drawn
        const char* save;
        const char* picture;
        int type;
        const char* file;
        bool jpeg;
    };
    const Case cases[] = {
        {nullptr, "SpeedButton1", "StarImage", 1, "star.bmp", true},
        {nullptr, "SpeedButton1", "StarImage", 2, "star.jpg", false},
        {nullptr, "SaveWavefrontImage", "Aberimage", 2, "wave.bmp", true},
        {"SpeedButton2", "BitBtn2", "IntraExtraImage", 2, "intra.bmp", false},
        {"ConvoluteInColor", "BitBtn3", "Planetaberrate", 2, "planet.bmp", false},
        {"BitBtn6", "DoubleSaveButton", "DoubleImage", 1, "double.jpg", true},
        {"CalculateChromatic", "SaveChromaticImage", "chroma", 2, "chroma.bmp", false},
    };
    for (const Case& c : cases) {
        if (c.calculate)
            click(c.calculate);
        dialogs.queueFile({path(c.file), c.type});
        click(c.save);
        for (const auto& shown : dialogs.shown())
            ADD_FAILURE() << c.save << ": " << shown.text.toStdString();
        dialogs.clearShown();
        const QByteArray data = bytes(path(c.file));
        EXPECT_EQ(data.startsWith("\xFF\xD8\xFF"), c.jpeg) << c.file;
        EXPECT_EQ(data.startsWith("BM"), !c.jpeg) << c.file;
        const QImage original = find<ui::PictureBox>(c.picture)->picture().convertToFormat(QImage::Format_RGB888);
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
    QFile existing(path("keep.jpg"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("an earlier picture");
    existing.close();

    // Nothing drawn yet: no dialog, no file.
    click("SpeedButton1");
    click("SaveWavefrontImage");
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].text, "Nothing to save yet");
    EXPECT_EQ(dialogs.shown()[1].text, "Nothing to save yet");
    EXPECT_TRUE(dialogs.fileDialogs().empty());

    // A folder that does not exist: a message naming the file and the reason.
    calculateWithWavefront();
    dialogs.clearShown();
    const QString missing = path("no such folder/star.jpg");
    dialogs.queueFile({missing, 1});
    click("SpeedButton1");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "cannot write " + missing + ": the folder does not exist");
    EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Error);
    EXPECT_FALSE(QFile::exists(missing));

    // Cancelled: nothing said, nothing written.
    dialogs.clearShown();
    click("SaveWavefrontImage");
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(bytes(path("keep.jpg")), "an earlier picture");
    EXPECT_EQ(QDir(workDir.path()).entryList(QDir::Files), QStringList{"keep.jpg"});
}

// A loaded picture, or a cancelled load, stops the computed wavefront map for
// good; a picture that cannot be read changes nothing.
TEST_F(PictureFiles, LoadingAWavefrontPicture)
{
    imaging::PixelBuffer red(40, 30);
    red.brushColour = {200, 20, 10};
    red.fillRect(0, 0, 40, 30);
    ASSERT_EQ(imaging::WriteBmp(red, path("red.jpg").toStdString()), "");  // BMP whatever the name
    QFile garbage(path("garbage.bmp"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("BM not really a bitmap");
    garbage.close();

    auto* aberimage = find<ui::PictureBox>("Aberimage");
    dialogs.queueFile({path("garbage.bmp"), 2});
    click("LoadAber");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith("cannot read " + path("garbage.bmp") + ": the file is damaged"))
        << dialogs.shown()[0].text.toStdString();
    EXPECT_FALSE(engine->WavefrontImageLoaded);
    EXPECT_FALSE(aberimage->drawn());

    dialogs.queueFile({path("red.jpg"), 1});
    click("LoadAber");
    EXPECT_TRUE(engine->WavefrontImageLoaded);
    ASSERT_EQ(aberimage->picture().size(), QSize(40, 30));
    EXPECT_EQ(aberimage->picture().pixel(5, 5), qRgb(200, 20, 10));
    calculateWithWavefront();
    EXPECT_EQ(aberimage->picture().size(), QSize(40, 30));
    EXPECT_EQ(find<QLabel>("RMSLabel")->text(), "");

    // In a window that never loaded one, cancelling is enough.
    form.reset();
    createForm();
    click("LoadAber");
    EXPECT_TRUE(engine->WavefrontImageLoaded);
    calculateWithWavefront();
    EXPECT_FALSE(find<ui::PictureBox>("Aberimage")->drawn());
}

}  // namespace
