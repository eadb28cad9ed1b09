#include "window_fixture.h"

#include "app/pages/about_page.h"
#include "app/pages/planet_page.h"
#include "imaging/jpeg_file.h"
#include "imaging/pixel_buffer.h"
#include "ui/picture_box.h"

#include <QApplication>
#include <QEnterEvent>
#include <QGroupBox>
#include <QLabel>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>

namespace {

using testing_support::WindowTest;

void writePlanet(const QString& path, int width)
{
    imaging::PixelBuffer picture(width, 40);
    ASSERT_EQ(imaging::WriteJpeg(picture, path.toStdString()), "");
}

void hover(QWidget* widget)
{
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(widget, &enter);
}

using MainWindow = WindowTest;

TEST_F(MainWindow, HasTitleSizeAndTheTenPagesInOrder)
{
    app::TForm1& f = createForm();
    EXPECT_EQ(f.objectName(), "Form1");
    EXPECT_EQ(f.windowTitle(), "Quintalis");
    EXPECT_EQ(f.size(), QSize(697, 434));
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(f.windowFlags() & Qt::WindowMinimizeButtonHint);

    auto* tabs = find<QTabWidget>("Tabs");
    const QStringList captions = {"Startest", "Intra/Extra", "Planet", "Double", "Animation",
                                  "PSF/MTF", "Turbulence", "Wavefront", "Chromatic", "About"};
    ASSERT_EQ(tabs->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i)
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    EXPECT_EQ(tabs->currentIndex(), 9);
    EXPECT_EQ(tabs->geometry(), QRect(0, -1, 561, 345));
    // All ten captions stay in view.
    EXPECT_LE(tabs->tabBar()->tabRect(9).right(), tabs->width());
    EXPECT_EQ(find<QWidget>("Aperturebox")->geometry(), QRect(559, 16, 137, 210));
    EXPECT_EQ(find<QWidget>("Panel2")->geometry(), QRect(559, 224, 137, 193));
    EXPECT_EQ(find<QWidget>("Panel3")->geometry(), QRect(0, 343, 560, 75));
    auto* status = find<QStatusBar>("Status");
    EXPECT_EQ(status->geometry(), QRect(0, 415, 697, 19));
    EXPECT_FALSE(status->isSizeGripEnabled());
    EXPECT_EQ(find<QLabel>("StatusPanel0")->width(), 250);
    EXPECT_EQ(find<QLabel>("StatusPanel1")->width(), 350);
}

TEST_F(MainWindow, StartUpStateIsSet)
{
    app::TForm1& f = createForm();
    EXPECT_EQ(engine->BitReverse[1], 256);
    EXPECT_EQ(engine->BitReverse[255], 510);
    EXPECT_EQ(engine->PaintTarget, optics::PaintTarget::StarImage);
    EXPECT_EQ(engine->WaveLength, 555.0);
    EXPECT_EQ(engine->FftSign, 1.0);
    EXPECT_EQ(engine->StarRed, 179);
    EXPECT_EQ(engine->StarGreen, 255);
    EXPECT_EQ(engine->StarBlue, 0);
    EXPECT_FALSE(engine->TurbulenceReady);
    EXPECT_FALSE(engine->RoughnessReady);
    EXPECT_FALSE(engine->FirstGammaChange);
    ASSERT_NE(f.starBuffer(), nullptr);
    ASSERT_NE(f.doubleStarBuffer(), nullptr);
    EXPECT_EQ(f.starBuffer()->width(), 256);
    EXPECT_EQ(f.starBuffer()->height(), 256);
    EXPECT_EQ(find<app::PlanetPage>("Planet")->planetFileName(), "mars.jpg");
}

TEST_F(MainWindow, ClosingFreesTheBuffers)
{
    app::TForm1& f = createForm();
    f.close();
    EXPECT_EQ(f.starBuffer(), nullptr);
    EXPECT_EQ(f.doubleStarBuffer(), nullptr);
    f.Starimage1Paint();  // must not touch a freed buffer
}

TEST_F(MainWindow, MissingPlanetPictureIsReportedAndStartUpCompletes)
{
    createForm();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const auto& message = dialogs.shown()[0];
    EXPECT_EQ(message.kind, ui::MessageKind::Error);
    EXPECT_EQ(message.text,
              "mars.jpg file missing, please put this file with the Quintalis in the same directory !!!!!");
    EXPECT_EQ(message.buttons, QList<ui::MessageButton>{ui::MessageButton::Yes});
    // The steps after the message still ran.
    EXPECT_EQ(engine->StarRed, 179);
    EXPECT_FALSE(engine->FirstGammaChange);
    EXPECT_EQ(find<QLabel>("planetimagesize")->text(), "0arcseconds wide");
}

TEST_F(MainWindow, PlanetPictureWidthGivesTheCaptionByIntegerDivision)
{
    for (int width : {300, 309}) {
        writePlanet(QDir(workDir.path()).filePath("mars.jpg"), width);
        createForm();
        EXPECT_TRUE(dialogs.shown().empty());
        EXPECT_EQ(find<QLabel>("planetimagesize")->text(), "30arcseconds wide") << width;
        EXPECT_EQ(find<ui::PictureBox>("Planetimage")->picture().width(), width);
        EXPECT_EQ(find<app::PlanetPage>("Planet")->planetBitmap().format(), QImage::Format_RGB888);
        form.reset();
    }
}

TEST_F(MainWindow, HintsReachStatusPanelOne)
{
    app::TForm1& f = createForm();
    hover(find<QWidget>("SpeedButton1"));
    EXPECT_EQ(f.statusText(1), "Save Startest");
    hover(find<QWidget>("Brightslide"));
    EXPECT_EQ(f.statusText(1), "Brightness Slider");
}

TEST_F(MainWindow, AboutClicksRevealSpecialsForGood)
{
    createForm();
    auto* specials = find<QGroupBox>("Specials");
    EXPECT_TRUE(specials->isHidden());
    auto* about = find<app::AboutPage>("About");
    about->Image5Click();
    about->Image5Click();
    EXPECT_FALSE(specials->isHidden());
    about->SecretPanel1Click();
    EXPECT_FALSE(specials->isHidden());
}

TEST_F(MainWindow, HiddenAtStart)
{
    createForm();
    EXPECT_TRUE(find<QWidget>("undersamplelabel")->isHidden());
    EXPECT_TRUE(find<QWidget>("Specials")->isHidden());
}

}  // namespace
