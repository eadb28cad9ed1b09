// The animation: its frames, the player and its buttons, and saving.
#include "window_fixture.h"

#include "app/pages/animation_page.h"
#include "app/pages/tests_page.h"
#include "app/simulation_model.h"
#include "ui/gif_player.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImageReader>
#include <QSlider>

#include <functional>
#include <map>

namespace {

using namespace app::names;
using testing_support::GridChecksum;
using Buttons = std::map<std::string, bool>;

class Animation : public testing_support::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        animation = find<app::AnimationPage>(kAnimationPage);
        player = find<ui::GifPlayer>(kPlayer);
        // Looping (on at start) is its own test; these play once.
        find<QAbstractButton>(kAnimationLoop)->setChecked(false);
    }
    // Sets the list item, the range and the steps, then presses "Animate".
    void animate(int item, double low, double high, double steps)
    {
        find<QComboBox>(kAnimatedError)->setCurrentIndex(item);
        set(kLowest, low);
        set(kHighest, high);
        set(kSteps, steps);
        click(kAnimate);
    }
    Buttons enabled() const
    {
        Buttons out;
        for (const char* name : {kPlay, kStop, kRewind, kBack, kNext, kForward})
            out[name] = find<QAbstractButton>(name)->isEnabled();
        return out;
    }
    // Lets the player run its course a frame at a time; the number of steps.
    int playToTheEnd()
    {
        int steps = 0;
        while (player->playing() && steps < 1000) {
            player->step();
            ++steps;
        }
        return steps;
    }

    app::AnimationPage* animation = nullptr;
    ui::GifPlayer* player = nullptr;
};

// Focus from -5 to 5 in 20 steps: 21 star pictures as Calculate draws them,
// played at once. The focus editor keeps what the user typed, so a Calculate
// after the animation gives the star it gave before.
TEST_F(Animation, TheDefaultFocusAnimationPlaysAtOnceAndLeavesTheFocusAlone)
{
    edit(kFocus)->setText("1.234");
    calculate();
    const std::uint64_t before = GridChecksum(grid("StarGrid"));
    click(kAnimate);
    ASSERT_EQ(player->count(), 21);
    EXPECT_TRUE(player->playing());
    EXPECT_EQ(player->frameIndex(), 0);
    EXPECT_EQ(label(kFrameLabel), "Focus -5");
    EXPECT_EQ(page(), app::MainWindow::AnimationIndex);
    // The star page shows the last frame, as the frame was drawn.
    EXPECT_EQ(picture(kStarImage), player->frame(20));
    // The progress of the frames is over; the status bar says the run is done.
    EXPECT_EQ(window->progressText(), "");
    EXPECT_TRUE(window->stageText().startsWith("Calculated in ")) << window->stageText().toStdString();
    EXPECT_EQ(window->model().screenDrift(), 21 * 6);
    EXPECT_EQ(enabled(), (Buttons{{kPlay, false}, {kStop, true}, {kRewind, false},
                                  {kBack, false}, {kNext, true}, {kForward, true}}));
    EXPECT_EQ(edit(kFocus)->text(), "1.234");
    calculate();
    EXPECT_EQ(GridChecksum(grid("StarGrid")), before);

    const QImage second = player->frame(1);
    set(kFocus, -4.5);
    calculate();
    EXPECT_EQ(second, picture(kStarImage));
    EXPECT_NE(player->frame(10), player->frame(0));

    EXPECT_EQ(playToTheEnd(), 21);
    EXPECT_FALSE(player->playing());
    EXPECT_EQ(player->frameIndex(), 20);
    EXPECT_EQ(find<QSlider>(kSlider)->value(), 20);
    EXPECT_EQ(label(kFrameLabel), "Focus 5");
    EXPECT_EQ(enabled(), (Buttons{{kPlay, true}, {kStop, false}, {kRewind, true},
                                  {kBack, true}, {kNext, false}, {kForward, false}}));
}

// Before any animation nothing can play; with Loop ticked (as at start) the
// player goes round, and the saved file carries the loop and the 50 ms delay.
TEST_F(Animation, NothingPlaysBeforeAnAnimationAndLoopGoesRound)
{
    createWindow();
    animation = find<app::AnimationPage>(kAnimationPage);
    player = find<ui::GifPlayer>(kPlayer);
    EXPECT_TRUE(find<QAbstractButton>(kAnimationLoop)->isChecked());
    EXPECT_EQ(enabled(), (Buttons{{kPlay, false}, {kStop, false}, {kRewind, false},
                                  {kBack, false}, {kNext, false}, {kForward, false}}));
    EXPECT_EQ(label(kFrameLabel).trimmed(), "");
    animate(0, -5.0, 5.0, 2.0);
    ASSERT_EQ(player->count(), 3);
    for (int n = 0; n < 7; ++n)
        player->step();
    EXPECT_TRUE(player->playing());
    EXPECT_EQ(player->frameIndex(), 1);
    EXPECT_EQ(label(kFrameLabel), "Focus 0");
    // The label keeps the values the frames were made with.
    set(kSteps, 0);
    player->step();
    EXPECT_EQ(label(kFrameLabel), "Focus 5");

    const QString file = path("loop.gif");
    dialogs.queueFile({file, 1});
    click(kSaveAnimation);
    QImageReader reader(file);
    EXPECT_EQ(reader.imageCount(), 3);
    EXPECT_EQ(reader.loopCount(), -1);
    reader.read();
    EXPECT_EQ(reader.nextImageDelay(), 50);
}

// The player's handlers are called directly: the buttons are disabled where
// they would have nowhere to go.
TEST_F(Animation, OneStepGivesTwoFramesAndThePlayerStaysWithinThem)
{
    animate(0, -5.0, 5.0, 1.0);
    ASSERT_EQ(player->count(), 2);
    EXPECT_EQ(find<QSlider>(kSlider)->maximum(), 1);
    EXPECT_EQ(playToTheEnd(), 2);
    EXPECT_EQ(player->frameIndex(), 1);
    // Plain functions rather than pointers to members: GCC's alignment check
    // misreads a call through one (a false "misaligned address").
    using Press = void (*)(app::AnimationPage&);
    const Press forward = [](app::AnimationPage& a) { a.stepForward(); };
    const Press back = [](app::AnimationPage& a) { a.stepBack(); };
    struct Step {
        Press press;
        int frame;
        const char* label;
    } steps[] = {
        {forward, 1, "Focus 5"},  // the last frame stays
        {back, 0, "Focus -5"},
        {back, 0, "Focus -5"},  // so does the first
        {[](app::AnimationPage& a) { a.goToEnd(); }, 1, "Focus 5"},
        {[](app::AnimationPage& a) { a.rewind(); }, 0, "Focus -5"},
    };
    for (const Step& s : steps) {
        s.press(*animation);
        EXPECT_EQ(player->frameIndex(), s.frame);
        EXPECT_EQ(find<QSlider>(kSlider)->value(), s.frame);
        EXPECT_EQ(label(kFrameLabel), s.label);
    }
    find<QSlider>(kSlider)->setValue(1);
    EXPECT_EQ(player->frameIndex(), 1);
    // Play from the last frame starts again from the first.
    animation->play();
    EXPECT_EQ(player->frameIndex(), 0);
    EXPECT_TRUE(player->playing());
    animation->stop();
    EXPECT_FALSE(player->playing());
}

TEST_F(Animation, StepsZeroIsRefusedBeforeAnythingChanges)
{
    animate(0, -1.0, 1.0, 1.0);
    ASSERT_EQ(player->count(), 2);
    animation->stop();
    find<QTabWidget>(kTabs)->setCurrentIndex(6);
    set(kZoom, 1.5);
    const int drift = window->model().screenDrift();
    window->stages.clear();

    animate(5, -2.0, 2.0, 0.0);
    EXPECT_EQ(messages(), QStringList{"Steps/Frames must be at least 1"});
    EXPECT_EQ(player->count(), 2);
    EXPECT_EQ(window->model().screenDrift(), drift);
    EXPECT_EQ(page(), 6);
    EXPECT_EQ(edit(kZoom)->value(), 1.5);
    EXPECT_TRUE(window->stages.empty());
    // The label keeps the values the animation on show was made with.
    animation->goToEnd();
    EXPECT_EQ(label(kFrameLabel), "Focus 1");
}

// An animation whose frames cannot be calculated changes nothing, as a
// planet or double star that is refused.
TEST_F(Animation, ARefusedAnimationLeavesTheZoomAndThePage)
{
    set(kZoom, 1.5);
    edit(kAperture)->setText("90");
    click(kAnimate);
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(edit(kZoom)->value(), 1.5);
    EXPECT_EQ(page(), app::MainWindow::AboutIndex);
}

// "ComaY" and "Astigmatism Y" are coma and astigmatism at the set angle plus
// 90 degrees; the angle's editor is not touched.
TEST_F(Animation, TheYItemsTurnTheAngleBy90Degrees)
{
    struct Case {
        int yItem, xItem;
        const char* angle;
        double set, turned;
    } cases[] = {{2, 1, kComaAngle, 30.0, 120.0}, {4, 3, kAstigmatismAngle, 300.0, 30.0}};
    set(kFocus, 0.7);  // out of focus astigmatism along one axis differs from the other
    for (const Case& c : cases) {
        set(c.angle, c.set);
        animate(c.yItem, 0.5, 1.0, 1.0);
        ASSERT_EQ(player->count(), 2);
        const QImage yFrame = player->frame(1);
        EXPECT_EQ(edit(c.angle)->value(), c.set);
        set(c.angle, c.turned);
        animate(c.xItem, 0.5, 1.0, 1.0);
        EXPECT_EQ(player->frame(1), yFrame) << c.angle;
        set(c.angle, c.set);
        animate(c.xItem, 0.5, 1.0, 1.0);
        EXPECT_NE(player->frame(1), yFrame) << c.angle;
    }
}

TEST_F(Animation, PlanetFramesAreColourPlanetRuns)
{
    loadPlanet(writeDisc("planet.png", {80, 80}, QColor(220, 120, 40)));

    find<QComboBox>(kAnimatedObject)->setCurrentIndex(1);
    animate(5, 0.0, 2.0, 1.0);
    ASSERT_EQ(player->count(), 2);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(player->frame(1), picture(kPlanetAberrated));
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
    EXPECT_TRUE(window->model().showsComposite());
    EXPECT_EQ(window->model().shownPlace(), app::Place::Planet);
    EXPECT_EQ(page(), app::MainWindow::AnimationIndex);
}

// The comparison picture is read once, when the last frame is on show: one
// that cannot be read gives one message, not one a frame.
TEST_F(Animation, AComparisonPictureThatCannotBeReadIsToldOnce)
{
    loadPlanet(writeDisc("planet.png", {80, 80}, QColor(220, 120, 40)));
    testing_support::WriteBytes(path("other.jpg"), "not a picture");
    dialogs.queueFile({path("other.jpg"), 1});
    find<QComboBox>(kCompareBox)->setCurrentIndex(1);
    find<QComboBox>(kAnimatedObject)->setCurrentIndex(1);
    animate(5, 0.0, 2.0, 4.0);
    EXPECT_EQ(player->count(), 5);
    EXPECT_EQ(messages(), QStringList{"cannot read " + path("other.jpg")
                                      + ": it is not a picture this program reads (JPEG, BMP, PNG or TIFF)"});
    EXPECT_EQ(picture(kPlanetImage).size(), QSize(80, 80));
}

TEST_F(Animation, SaveWritesEveryFrameOrSaysThereIsNothingToSave)
{
    dialogs.queueFile({path("focus"), 1});  // the extension is added
    click(kSaveAnimation);
    EXPECT_EQ(messages(), QStringList{"Nothing to save yet: press Animate to make an animation first."});
    EXPECT_TRUE(dialogs.fileDialogs().empty());
    EXPECT_FALSE(QFile::exists(path("focus.gif")));

    animate(0, -2.0, 2.0, 4.0);
    click(kSaveAnimation);
    ASSERT_EQ(dialogs.fileDialogs().size(), 1u);
    EXPECT_EQ(dialogs.fileDialogs()[0].filters, QStringList{"Animated GIF (*.gif)"});
    EXPECT_EQ(dialogs.fileDialogs()[0].defaultSuffix, "gif");
    EXPECT_FALSE(QFile::exists(path("focus")));
    QImageReader reader(path("focus.gif"));  // the toolkit's own reader
    EXPECT_EQ(reader.format(), "gif");
    EXPECT_EQ(reader.imageCount(), 5);
    EXPECT_EQ(reader.loopCount(), 0);
}

// The offsets of the Tests page's pictures, after the errors in the list:
// every frame is that page's picture at the frame's offset, bit for bit (a
// white-light picture as its palette keeps it), and the editors keep what
// they hold.
TEST_F(Animation, OffsetFramesAreTheTestsPagesPictures)
{
    set(kAperture, 8.0);
    set(kSpherical, 0.4);
    struct Case {
        const char* name;
        int item;
        const char* offset;
        const char* picture;
        double low, high, steps;
        bool white;
    };
    const Case cases[] = {
        {"grating", 11, kRonchiOffset, kRonchiImage, -8.0, 8.0, 4.0, false},
        {"grating in white light", 11, kRonchiOffset, kRonchiImage, 3.0, -3.0, 2.0, true},
        {"knife", 12, kKnifeOffset, kKnifeImage, -0.3, 0.3, 3.0, false},
    };
    auto* tests = window->findChild<app::TestsPage*>();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        find<QCheckBox>(kRonchiWhite)->setChecked(c.white);
        const QString typed = edit(c.offset)->text();
        animate(c.item, c.low, c.high, c.steps);
        EXPECT_EQ(messages(), QStringList());
        EXPECT_EQ(edit(c.offset)->text(), typed);
        EXPECT_EQ(page(), app::MainWindow::AnimationIndex);
        const imaging::AnimatedGif& gif = animation->animation();
        ASSERT_EQ(gif.count(), static_cast<int>(c.steps) + 1);
        for (int i = 0; i < gif.count(); ++i) {
            set(c.offset, c.low + (c.high - c.low) / c.steps * i);
            tests->bringUpToDate();
            const QImage shown = picture(c.picture).convertToFormat(QImage::Format_RGB888);
            imaging::PixelBuffer drawn(shown.width(), shown.height());
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x) {
                    const QRgb p = shown.pixel(x, y);
                    drawn.setPixel(x, y, {static_cast<std::uint8_t>(qRed(p)), static_cast<std::uint8_t>(qGreen(p)),
                                          static_cast<std::uint8_t>(qBlue(p))});
                }
            const imaging::PalettePicture kept = imaging::ReduceToPalette(drawn);
            const imaging::PalettePicture& frame = gif.frame(i);
            ASSERT_EQ(frame.width, 257);
            ASSERT_EQ(frame.height, 257);
            int differ = 0;
            for (int y = 0; y < 257; ++y)
                for (int x = 0; x < 257; ++x) {
                    const imaging::Rgb a = frame.pixel(x, y);
                    const imaging::Rgb b = c.white ? kept.pixel(x, y) : drawn.pixel(x, y);
                    differ += !(a == b);
                }
            EXPECT_EQ(differ, 0) << "frame " << i;
        }
        EXPECT_EQ(label(kFrameLabel).toStdString().rfind(c.item == 11 ? "Ronchi Offset " : "Knife Offset ", 0), 0u);
        // Star or planet means nothing for these pictures.
        EXPECT_FALSE(find<QComboBox>(kAnimatedObject)->isEnabled());
        set(c.offset, typed.toDouble());
    }
    find<QComboBox>(kAnimatedError)->setCurrentIndex(0);
    EXPECT_TRUE(find<QComboBox>(kAnimatedObject)->isEnabled());
}

// A knife range beyond the largest offset that fits is refused before
// anything runs, with the Tests page's sentence; nothing changes.
TEST_F(Animation, AKnifeRangeBeyondTheFieldIsRefusedAndChangesNothing)
{
    set(kAperture, 4.0);
    set(kFocalRatio, 4.0);
    animate(0, -1.0, 1.0, 2.0);
    const std::uint64_t frames = animation->animation().count();
    const std::uint64_t star = GridChecksum(grid("StarGrid"));
    find<QTabWidget>(kTabs)->setCurrentIndex(app::MainWindow::AnimationIndex);
    struct Case {
        double low, high;
        const char* offset;
    };
    for (const Case c : {Case{-1.0, 1.0, "-1.00"}, Case{0.0, 0.3, "0.30"}, Case{-0.26, 0.0, "-0.26"}}) {
        dialogs.clearShown();
        animate(12, c.low, c.high, 2.0);
        ASSERT_EQ(messages().size(), 1) << c.offset;
        EXPECT_EQ(messages()[0].toStdString(),
                  "A knife edge " + std::string(c.offset)
                      + " mm from focus spreads the light beyond the picture's field at this aperture and focal "
                        "ratio: the largest offset is 0.25 mm either side of focus.");
        EXPECT_EQ(animation->animation().count(), static_cast<int>(frames));
        EXPECT_EQ(GridChecksum(grid("StarGrid")), star);
        EXPECT_EQ(page(), app::MainWindow::AnimationIndex);
        EXPECT_EQ(edit(kKnifeOffset)->text(), "0.000");
    }
    // Within the field it runs.
    dialogs.clearShown();
    animate(12, -0.25, 0.25, 2.0);
    EXPECT_EQ(messages(), QStringList());
    EXPECT_EQ(animation->animation().count(), 3);
}

}  // namespace
