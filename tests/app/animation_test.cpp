#include "window_fixture.h"

#include "app/pages/animation_page.h"
#include "ui/gif_player.h"
#include "ui/picture_box.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QSlider>
#include <QTabWidget>

#include <functional>
#include <map>

namespace {

using Buttons = std::map<std::string, bool>;

class Animation : public testing_support::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        createForm();
        dialogs.clearShown();
        page = find<app::AnimationPage>("Animation");
        player = find<ui::GifPlayer>("Image");
    }

    // Sets the list item, the range and the steps, then presses "Animate".
    void animate(int item, double low, double high, double steps)
    {
        find<QComboBox>("AniAberchoice")->setCurrentIndex(item);
        edit("RxSpinEdit1")->setValue(low);
        edit("RxSpinEdit2")->setValue(high);
        edit("RxSpinEdit3")->setValue(steps);
        find<QAbstractButton>("BitBtn1")->click();
    }
    QString label() const { return find<QLabel>("Framelabel")->text(); }
    Buttons enabled() const
    {
        Buttons out;
        for (const char* name : {"PlayBtn", "StopBtn", "RewindBtn", "BackBtn", "NextBtn", "ForwardBtn"})
            out[name] = find<QAbstractButton>(name)->isEnabled();
        return out;
    }
    // Lets the player run its course, a frame at a time; the number of steps.
    int playToTheEnd()
    {
        int steps = 0;
        while (player->playing() && steps < 1000) {
            player->step();
            ++steps;
        }
        return steps;
    }

    app::AnimationPage* page = nullptr;
    ui::GifPlayer* player = nullptr;
};

TEST_F(Animation, TheDefaultFocusAnimationPlaysAtOnceAndStopsOnItsLastFrame)
{
    find<QAbstractButton>("BitBtn1")->click();
    ASSERT_EQ(player->count(), 21);
    EXPECT_TRUE(player->playing());
    EXPECT_EQ(player->frameIndex(), 0);
    EXPECT_EQ(label(), "Focus -5");
    EXPECT_EQ(find<QTabWidget>("Tabs")->currentIndex(), 4);
    EXPECT_EQ(form->statusText(1), "Animating Focus 5");
    EXPECT_EQ(edit("FocusSpin")->value(), 5.0);  // the driven control keeps the last value
    EXPECT_EQ(engine->TurbulenceShift, 21 * 6);
    EXPECT_EQ(enabled(), (Buttons{{"PlayBtn", false}, {"StopBtn", true}, {"RewindBtn", false},
                                  {"BackBtn", false}, {"NextBtn", true}, {"ForwardBtn", true}}));

    // The second frame is the star at focus -4.5, as Calculate draws it.
    const QImage second = player->frame(1);
    edit("FocusSpin")->setValue(-4.5);
    find<QAbstractButton>("CalculateButton")->click();
    EXPECT_EQ(second, find<ui::PictureBox>("StarImage")->picture());
    EXPECT_NE(player->frame(10), player->frame(0));

    EXPECT_EQ(playToTheEnd(), 21);
    EXPECT_FALSE(player->playing());
    EXPECT_EQ(player->frameIndex(), 20);
    EXPECT_EQ(find<QSlider>("Slider")->value(), 20);
    EXPECT_EQ(label(), "Focus 5");
    EXPECT_EQ(enabled(), (Buttons{{"PlayBtn", true}, {"StopBtn", false}, {"RewindBtn", true},
                                  {"BackBtn", true}, {"NextBtn", false}, {"ForwardBtn", false}}));
}

TEST_F(Animation, OneStepGivesTwoFramesAndTheButtonsStayWithinThem)
{
    animate(0, -5.0, 5.0, 1.0);
    ASSERT_EQ(player->count(), 2);
    EXPECT_TRUE(player->playing());
    EXPECT_EQ(find<QSlider>("Slider")->maximum(), 1);
    EXPECT_EQ(playToTheEnd(), 2);
    EXPECT_EQ(player->frameIndex(), 1);

    // The handlers are called directly: the buttons are disabled where they
    // would have nowhere to go.
    auto* p = page;
    struct Step {
        std::function<void()> press;
        int frame;
        const char* label;
    };
    const Step steps[] = {
        {[p] { p->NextBtnClick(); }, 1, "Focus 5"},  // the last frame stays
        {[p] { p->BackBtnClick(); }, 0, "Focus -5"},
        {[p] { p->BackBtnClick(); }, 0, "Focus -5"},  // so does the first
        {[p] { p->ForwardBtnClick(); }, 1, "Focus 5"},
        {[p] { p->RewindBtnClick(); }, 0, "Focus -5"},
    };
    for (const Step& s : steps) {
        s.press();
        EXPECT_EQ(player->frameIndex(), s.frame);
        EXPECT_EQ(find<QSlider>("Slider")->value(), s.frame);
        EXPECT_EQ(label(), s.label);
    }
    find<QSlider>("Slider")->setValue(1);
    EXPECT_EQ(player->frameIndex(), 1);

    // Play from the last frame starts again from the first.
    page->PlayBtnClick();
    EXPECT_EQ(player->frameIndex(), 0);
    EXPECT_TRUE(player->playing());
    page->StopBtnClick();
    EXPECT_FALSE(player->playing());
}

TEST_F(Animation, StepsZeroIsRefusedBeforeAnythingChanges)
{
    animate(0, -1.0, 1.0, 1.0);
    ASSERT_EQ(player->count(), 2);
    page->StopBtnClick();
    find<QTabWidget>("Tabs")->setCurrentIndex(6);
    const int shift = engine->TurbulenceShift;

    animate(5, -2.0, 2.0, 0.0);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Steps/Frames must be at least 1");
    EXPECT_EQ(player->count(), 2);
    EXPECT_EQ(engine->TurbulenceShift, shift);
    EXPECT_EQ(find<QTabWidget>("Tabs")->currentIndex(), 6);
    EXPECT_EQ(edit("SphericalSpin")->value(), 0.0);
    EXPECT_EQ(edit("FocusSpin")->value(), 1.0);
    // With no step to compute a value from, the label gives the frame number.
    page->ForwardBtnClick();
    EXPECT_EQ(label(), "2");
}

// "ComaY" and "Astigmatism Y" are coma and astigmatism at the set angle plus
// 90 degrees; the angle is put back afterwards.
TEST_F(Animation, YItemsTurnTheAngleBy90DegreesForTheRun)
{
    struct Case {
        int yItem;
        int xItem;
        const char* angle;
        double set;
        double turned;
    };
    const Case cases[] = {{2, 1, "Comaangle", 30.0, 120.0}, {4, 3, "Astigmaangle", 300.0, 30.0}};
    // Out of focus, astigmatism along one axis looks different from along the other.
    edit("FocusSpin")->setValue(0.7);
    for (const Case& c : cases) {
        edit(c.angle)->setValue(c.set);
        animate(c.yItem, 0.5, 1.0, 1.0);
        ASSERT_EQ(player->count(), 2);
        const QImage yFrame = player->frame(1);
        EXPECT_EQ(edit(c.angle)->value(), c.set);

        edit(c.angle)->setValue(c.turned);
        animate(c.xItem, 0.5, 1.0, 1.0);
        EXPECT_EQ(player->frame(1), yFrame) << c.angle;
        edit(c.angle)->setValue(c.set);
        animate(c.xItem, 0.5, 1.0, 1.0);
        EXPECT_NE(player->frame(1), yFrame) << c.angle;
    }
}

TEST_F(Animation, PlanetFramesAreColourPlanetRuns)
{
    QImage disc(80, 80, QImage::Format_RGB32);
    disc.fill(Qt::black);
    for (int y = 20; y < 60; ++y)
        for (int x = 20; x < 60; ++x)
            disc.setPixel(x, y, qRgb(220, 120, 40));
    const QString file = QDir(workDir.path()).filePath("planet.png");
    ASSERT_TRUE(disc.save(file, "png"));
    dialogs.queueFile({file, 1});
    find<QAbstractButton>("BitBtn4")->click();

    find<QComboBox>("Imagechoice")->setCurrentIndex(1);
    animate(5, 0.0, 2.0, 1.0);
    ASSERT_EQ(player->count(), 2);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(player->frame(1), find<ui::PictureBox>("Planetaberrate")->picture());
    EXPECT_EQ(player->frame(0).size(), QSize(257, 257));
    EXPECT_NE(player->frame(0), player->frame(1));
    // In colour: where it is brightest the planet is orange, as drawn.
    const QImage first = player->frame(0);
    QRgb brightest = 0;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x)
            if (qRed(first.pixel(x, y)) > qRed(brightest))
                brightest = first.pixel(x, y);
    EXPECT_GT(qRed(brightest), 150);
    EXPECT_GT(qGreen(brightest), qBlue(brightest) + 30);
    EXPECT_GT(qRed(brightest), qGreen(brightest) + 30);
    EXPECT_TRUE(engine->ColourComposite);
    EXPECT_EQ(engine->PaintTarget, optics::PaintTarget::Planet);
    EXPECT_EQ(find<QTabWidget>("Tabs")->currentIndex(), 4);
}

TEST_F(Animation, SaveWritesEveryFrameOrSaysThereIsNothingToSave)
{
    const QString path = QDir(workDir.path()).filePath("focus.gif");
    dialogs.queueFile({path, 1});
    find<QAbstractButton>("BitBtn5")->click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Nothing to save yet: press Animate to make an animation first.");
    EXPECT_TRUE(dialogs.fileDialogs().empty());
    EXPECT_FALSE(QFile::exists(path));

    animate(0, -2.0, 2.0, 4.0);
    find<QAbstractButton>("BitBtn5")->click();
    ASSERT_EQ(dialogs.fileDialogs().size(), 1u);
    EXPECT_EQ(dialogs.fileDialogs()[0].filters, QStringList{"Animated GIF (*.gif)"});
    EXPECT_EQ(dialogs.fileDialogs()[0].defaultSuffix, "gif");
    // Read by the toolkit's own GIF reader.
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), "gif");
    EXPECT_EQ(reader.imageCount(), 5);
    EXPECT_EQ(reader.loopCount(), 0);
}

}  // namespace
