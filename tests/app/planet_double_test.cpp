#include "window_fixture.h"

#include "app/pages/planet_page.h"
#include "imaging/jpeg_file.h"
#include "ui/picture_box.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>

namespace {

class PlanetAndDouble : public testing_support::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        createForm();
        dialogs.clearShown();  // no mars.jpg here
    }

    // A disc of `colour` on black, saved losslessly.
    QString writeDisc(const char* name, QSize size, QColor colour, int radius = 20)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(QPoint(size.width() / 2, size.height() / 2), radius, radius);
        painter.end();
        const QString path = QDir(workDir.path()).filePath(QString::fromLatin1(name));
        EXPECT_TRUE(image.save(path, "png"));
        return path;
    }

    void load(const QString& path)
    {
        dialogs.queueFile({path, 1});
        find<QPushButton>("BitBtn4")->click();
    }

    app::PlanetPage* planet() const { return find<app::PlanetPage>("Planet"); }
    QSize shownOriginal() const { return find<ui::PictureBox>("Planetimage")->picture().size(); }
};

TEST_F(PlanetAndDouble, LoadTakesJpegByContentWarnsAboutLargePicturesAndKeepsAllOnFailure)
{
    imaging::PixelBuffer jpeg(300, 200);
    const QString capitals = QDir(workDir.path()).filePath("saturn.JPG");
    ASSERT_EQ(imaging::WriteJpeg(jpeg, capitals.toStdString()), "");
    load(capitals);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(planet()->planetFileName(), capitals);
    EXPECT_EQ(find<QLabel>("planetimagesize")->text(), "30arcseconds wide");

    const QString large = writeDisc("large.png", {600, 300}, Qt::white);
    load(large);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Image to large (>512 pixels)");
    EXPECT_EQ(dialogs.shown()[0].buttons, QList<ui::MessageButton>{ui::MessageButton::Yes});
    EXPECT_EQ(planet()->planetFileName(), large);
    EXPECT_EQ(find<QLabel>("planetimagesize")->text(), "60arcseconds wide");

    dialogs.clearShown();
    const QString notes = QDir(workDir.path()).filePath("notes.jpg");
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("seeing 3/10, transparency good\n");
    file.close();
    load(notes);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Error);
    EXPECT_TRUE(dialogs.shown()[0].text.contains(notes));
    EXPECT_EQ(planet()->planetFileName(), large);
    EXPECT_EQ(shownOriginal(), QSize(600, 300));
}

TEST_F(PlanetAndDouble, ColourRunOnAPerfectTelescopeKeepsEachChannelsTotal)
{
    load(writeDisc("disc.png", {120, 90}, QColor(200, 120, 60)));
    engine->ColourScale = 3.0;  // as a chromatic run before it may leave it
    find<QPushButton>("ConvoluteInColor")->click();
    // Its cells hold 0..255: a zoom redraws them unscaled.
    EXPECT_EQ(engine->ColourScale, 1.0);
    double sums[3] = {};
    for (int i = 1; i <= 512; ++i) {
        for (int j = 1; j <= 512; ++j) {
            const optics::RgbCell& c = engine->ColourGrid(i, j);
            sums[0] += c.red, sums[1] += c.green, sums[2] += c.blue;
        }
    }
    EXPECT_NEAR(sums[0] / engine->PlanetSumRed, 1.0, 1e-4);
    EXPECT_NEAR(sums[1] / engine->PlanetSumGreen, 1.0, 1e-4);
    EXPECT_NEAR(sums[2] / engine->PlanetSumBlue, 1.0, 1e-4);
    EXPECT_TRUE(engine->ColourComposite);
    EXPECT_FALSE(engine->ColourPass);
    EXPECT_EQ(engine->WaveLength, 555.0);
    EXPECT_EQ(engine->PaintTarget, optics::PaintTarget::Planet);
    // Blurred, so a little of the middle's light is in the wings; the colour
    // stays.
    const QColor centre = find<ui::PictureBox>("Planetaberrate")->picture().pixelColor(128, 128);
    EXPECT_GT(centre.red(), 170);
    EXPECT_NEAR(centre.greenF() / centre.redF(), 0.6, 0.02);
    EXPECT_NEAR(centre.blueF() / centre.redF(), 0.3, 0.02);
}

TEST_F(PlanetAndDouble, PictureWithoutBlueStaysFiniteAndALargeOneIsCroppedToItsMiddle)
{
    load(writeDisc("noblue.png", {600, 520}, QColor(180, 90, 0), 100));
    dialogs.clearShown();
    find<QPushButton>("ConvoluteInColor")->click();
    EXPECT_TRUE(dialogs.shown().empty());
    for (int i = 1; i <= 512; ++i) {
        for (int j = 1; j <= 512; ++j) {
            const optics::RgbCell& c = engine->ColourGrid(i, j);
            ASSERT_TRUE(std::isfinite(c.red) && std::isfinite(c.green)) << i << ", " << j;
            ASSERT_EQ(c.blue, 0.0f) << i << ", " << j;
        }
    }
    EXPECT_EQ(engine->PlanetSumBlue, 0.0);
    EXPECT_EQ(form->statusText(1), "Only the central 512 x 512 pixels of the 600 x 520 picture were used");
    const QColor centre = find<ui::PictureBox>("Planetaberrate")->picture().pixelColor(128, 128);
    EXPECT_GT(centre.red(), 170);
    EXPECT_EQ(centre.blue(), 0);
}

TEST_F(PlanetAndDouble, ComparisonPictureReplacesTheOriginalOnlyAfterAColourRun)
{
    load(writeDisc("disc.png", {120, 90}, Qt::white));
    dialogs.queueFile({writeDisc("other.png", {40, 40}, Qt::red, 10), 1});
    find<QComboBox>("CompareBox")->setCurrentIndex(1);
    find<QPushButton>("Convolute")->click();
    EXPECT_EQ(shownOriginal(), QSize(120, 90));
    EXPECT_EQ(engine->PaintTarget, optics::PaintTarget::Planet);
    EXPECT_FALSE(engine->ColourComposite);
    find<QPushButton>("ConvoluteInColor")->click();
    EXPECT_EQ(shownOriginal(), QSize(40, 40));
    find<QPushButton>("Convolute")->click();
    EXPECT_EQ(shownOriginal(), QSize(120, 90));
    // The run reads the file as it is now.
    writeDisc("disc.png", {100, 80}, Qt::white);
    find<QPushButton>("Convolute")->click();
    EXPECT_EQ(planet()->planetBitmap().size(), QSize(100, 80));

    // Cancelled: no comparison picture.
    find<QComboBox>("CompareBox")->setCurrentIndex(0);
    find<QComboBox>("CompareBox")->setCurrentIndex(1);
    EXPECT_EQ(planet()->compareFileName(), QString());
}

TEST_F(PlanetAndDouble, SeparationAfterAPlanetRunDoublesThePlanetWithoutACalculation)
{
    load(writeDisc("disc.png", {120, 90}, Qt::white, 15));
    find<QPushButton>("Convolute")->click();
    const double centre = engine->StarGrid(257, 257);
    edit("RxPaSpin")->setValue(90);
    edit("RxDistance")->setValue(8.0);  // the copy 80 cells to the right
    const QImage& picture = find<ui::PictureBox>("DoubleImage")->picture();
    EXPECT_GT(qGray(picture.pixel(128, 128)), 200);
    EXPECT_GT(qGray(picture.pixel(208, 128)), 200);
    EXPECT_LT(qGray(picture.pixel(168, 128)), 30);
    EXPECT_EQ(engine->PaintTarget, optics::PaintTarget::Planet);
    EXPECT_EQ(engine->StarGrid(257, 257), centre);

    // Calculate goes back to a plain star at the reference wavelength.
    find<QPushButton>("BitBtn6")->click();
    EXPECT_EQ(engine->PaintTarget, optics::PaintTarget::StarImage);
    EXPECT_EQ(engine->WaveLength, 555.0);
    EXPECT_GT(engine->StarGrid(257, 257), 0.99);
}

TEST_F(PlanetAndDouble, DawesAndRayleighSetTheSeparationForTheAperture)
{
    struct Row {
        const char* button;
        bool millimetres;
        double aperture;
        double separation;
    } rows[] = {
        {"Dawes", true, 100.0, 1.17},
        {"Raleigh", true, 100.0, 1.40},
        {"Dawes", false, 8.0, 0.58},
        {"Raleigh", false, 8.0, 0.69},
    };
    for (const Row& r : rows) {
        find<QRadioButton>(r.millimetres ? "Millimeters" : "Inches")->click();
        edit("ApertureSpin")->setValue(r.aperture);
        find<QPushButton>(r.button)->click();
        EXPECT_DOUBLE_EQ(edit("RxDistance")->value(), r.separation) << r.button << " " << r.aperture;
        EXPECT_EQ(engine->PaintTarget, optics::PaintTarget::StarImage);
    }
}

}  // namespace
