// The Intra/Extra and Chromatic pages driven through their buttons.
#include "window_fixture.h"

#include "imaging/pixel_buffer.h"
#include "ui/picture_box.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <string>
#include <vector>

namespace {

//! What one calculation of a run was started with.
struct Pass {
    double waveLength;
    QString focus, spherical, aperture;
    bool transferFunction;
};

//! The window, recording each calculation and the progress texts of panel 1.
class PassRecordingForm : public app::TForm1 {
public:
    using app::TForm1::TForm1;
    bool CalcFFTS() override
    {
        auto text = [this](const char* name) { return findChild<ui::NumberEdit*>(name)->text(); };
        passes.push_back({engine().WaveLength, text("FocusSpin"), text("SphericalSpin"), text("ApertureSpin"),
                          findChild<QCheckBox*>("PSFMTFCheck")->isChecked()});
        return app::TForm1::CalcFFTS();
    }
    void setStatus(int panel, const std::string& text) override
    {
        if (panel == 1)
            progress.push_back(text);
        app::TForm1::setStatus(panel, text);
    }
    std::vector<Pass> passes;
    std::vector<std::string> progress;
};

class FocusViews : public testing_support::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        engine = optics::Engine::Create();
        recording = new PassRecordingForm(*engine, dialogs);
        form.reset(recording);
        dialogs.clearShown();
    }
    void click(const char* button) { find<QPushButton>(button)->click(); }
    QImage picture(const char* name) const { return find<ui::PictureBox>(name)->picture(); }
    static int brightest(const QImage& image, const QRect& area)
    {
        int level = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                level = std::max(level, qGray(image.pixel(x, y)));
        return level;
    }

    PassRecordingForm* recording = nullptr;
};

TEST_F(FocusViews, IntraExtraRunsInFocusThenBothSidesAndPutsTheControlsBack)
{
    struct Row {
        double focus, aperture;
        bool transferFunction;
        QString apertureText, halfAperture, intra, extra, focusAfter;
    };
    const Row rows[] = {
        {-3.0, 5.0, true, "5.00", "2.50", "-3", "3", "3.00"},
        {2.0, 3.0, false, "3.00", "2.00", "-2", "2", "2.00"},  // half of 3 is below the minimum
    };
    for (const Row& r : rows) {
        recording->passes.clear();
        recording->progress.clear();
        edit("FocusSpin")->setValue(r.focus);
        edit("ApertureSpin")->setValue(r.aperture);
        find<QCheckBox>("PSFMTFCheck")->setChecked(r.transferFunction);
        click("SpeedButton2");

        const QString& aperture = r.apertureText;
        const std::vector<std::pair<QString, QString>> expected = {
            {"0.00", r.halfAperture}, {"-" + r.focusAfter, aperture}, {r.focusAfter, aperture}};
        ASSERT_EQ(recording->passes.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(recording->passes[i].focus, expected[i].first) << i;
            EXPECT_EQ(recording->passes[i].aperture, expected[i].second) << i;
            EXPECT_FALSE(recording->passes[i].transferFunction) << i;
        }
        EXPECT_EQ(find<QLabel>("Intralabel")->text(), r.intra);
        EXPECT_EQ(find<QLabel>("ExtraLabel")->text(), r.extra);
        EXPECT_EQ(edit("FocusSpin")->text(), r.focusAfter);
        EXPECT_EQ(edit("ApertureSpin")->text(), aperture);
        EXPECT_EQ(find<QCheckBox>("PSFMTFCheck")->isChecked(), r.transferFunction);
        const std::vector<std::string> progress = {"Building focussed image", "Building Intra-focal image",
                                                   "Building In-focus image", ""};
        EXPECT_EQ(recording->progress, progress);
    }
}

TEST_F(FocusViews, IntraExtraWithoutDefocusOnlyShowsTheMessage)
{
    edit("FocusSpin")->setValue(2.0);
    click("SpeedButton2");
    const QImage before = picture("IntraExtraImage");
    recording->passes.clear();
    engine->PaintTarget = optics::PaintTarget::Chromatic;
    engine->ColourComposite = true;
    edit("FocusSpin")->setValue(0.0);
    click("SpeedButton2");

    EXPECT_TRUE(recording->passes.empty());
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Information);
    EXPECT_EQ(dialogs.shown()[0].text, "Focus-value is Zero");
    EXPECT_EQ(dialogs.shown()[0].buttons, QList<ui::MessageButton>{ui::MessageButton::Ok});
    EXPECT_EQ(picture("IntraExtraImage"), before);
    EXPECT_EQ(engine->PaintTarget, optics::PaintTarget::StarImage);
    EXPECT_FALSE(engine->ColourComposite);
}

// Spherical aberration makes one side brighter; the other is drawn again on
// its scale, so only the brighter side reaches full white.
TEST_F(FocusViews, TheDimmerOutOfFocusImageIsRedrawnOnTheBrighterScale)
{
    const QRect intra(0, 0, 200, 200);
    const QRect extra(304, 0, 200, 200);
    for (const double spherical : {0.2, -0.2}) {
        edit("ApertureSpin")->setValue(8.0);
        edit("ObsSpin")->setValue(25.0);
        edit("FocusSpin")->setValue(3.0);
        edit("SphericalSpin")->setValue(spherical);
        click("SpeedButton2");
        const bool intraDimmer = engine->IntraPeak < engine->PeakIntensity;
        EXPECT_EQ(intraDimmer, spherical > 0.0);
        const QRect dimmer = intraDimmer ? intra : extra;
        const QImage assembled = picture("IntraExtraImage");
        EXPECT_EQ(brightest(assembled, intraDimmer ? extra : intra), 255) << spherical;
        EXPECT_LT(brightest(assembled, dimmer), 255) << spherical;
        const QImage balanced = ui::imageView(*form->starBuffer()).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(assembled.copy(dimmer), balanced.copy(28, 28, 200, 200)) << spherical;
    }
}

TEST_F(FocusViews, ChromaticPassesTakeEachRowAndTheUsersValuesComeBack)
{
    edit("FocusSpin")->setValue(1.5);
    edit("SphericalSpin")->setValue(0.25);
    edit("FocalShiftspin")->setValue(1.0);
    edit("ChromaLSA2")->setValue(0.3);
    click("CalculateChromatic");

    const double waves[] = {405, 436, 486, 555, 589, 656, 707};
    const char* focus[] = {"-0.50", "-0.40", "-0.23", "0.00", "0.11", "0.34", "0.51"};
    ASSERT_EQ(recording->passes.size(), 7u);
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(recording->passes[k].waveLength, waves[k]);
        EXPECT_EQ(recording->passes[k].focus, focus[k]) << k;
        EXPECT_EQ(recording->passes[k].spherical, k == 1 ? "0.30" : "0.00") << k;
    }
    EXPECT_EQ(edit("FocusSpin")->text(), "1.50");
    EXPECT_EQ(edit("SphericalSpin")->text(), "0.25");
    EXPECT_EQ(engine->WaveLength, 555.0);
    EXPECT_FALSE(engine->ColourPass);
    EXPECT_TRUE(engine->ColourComposite);
    EXPECT_EQ(engine->PaintTarget, optics::PaintTarget::Chromatic);
}

TEST_F(FocusViews, ChromaticCentrePixelFollowsTheTickedRows)
{
    struct Row {
        std::vector<int> unticked;
        QRgb centre;
        size_t passes;
    };
    const Row rows[] = {
        {{}, qRgb(233, 221, 255), 7},  // blue sum largest: scaled to 255
        {{1, 2, 3, 5, 6, 7}, qRgb(65, 128, 1), 1},  // sums below 1 stay unstretched
        {{1, 2, 3, 4, 5, 6, 7}, qRgb(0, 0, 0), 0},
    };
    for (const Row& r : rows) {
        recording->passes.clear();
        for (int k = 1; k <= 7; ++k) {
            const std::string box = "CheckBox" + std::to_string(k);
            find<QCheckBox>(box.c_str())->setChecked(std::find(r.unticked.begin(), r.unticked.end(), k)
                                                     == r.unticked.end());
        }
        click("CalculateChromatic");
        const QImage chroma = picture("chroma");
        const QRgb centre = chroma.pixel(128, 128);
        EXPECT_NEAR(qRed(centre), qRed(r.centre), 1) << r.passes;
        EXPECT_NEAR(qGreen(centre), qGreen(r.centre), 1) << r.passes;
        EXPECT_NEAR(qBlue(centre), qBlue(r.centre), 1) << r.passes;
        EXPECT_EQ(recording->passes.size(), r.passes);
    }
    EXPECT_EQ(brightest(picture("chroma"), QRect(0, 0, 256, 256)), 0);
}

}  // namespace
