// The Intra/Extra and Chromatic pages driven through their buttons.
#include "window_fixture.h"

#include "imaging/pixel_buffer.h"
#include "ui/picture_box.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <tuple>

namespace {

//! The window, recording what each calculation starts from ("wavelength
//! focus spherical aperture", and " psf" when PSF/MTF is ticked) and the
//! progress texts of status panel 1.
class Recording : public app::TForm1 {
public:
    using app::TForm1::TForm1;
    bool CalcFFTS() override
    {
        auto text = [this](const char* name) { return findChild<ui::NumberEdit*>(name)->text(); };
        passes << QStringLiteral("%1 %2 %3 %4%5")
                      .arg(engine().WaveLength)
                      .arg(text("FocusSpin"), text("SphericalSpin"), text("ApertureSpin"),
                           findChild<QCheckBox*>("PSFMTFCheck")->isChecked() ? " psf" : "");
        return app::TForm1::CalcFFTS();
    }
    void setStatus(int panel, const std::string& text) override
    {
        if (panel == 1)
            progress << QString::fromStdString(text);
        app::TForm1::setStatus(panel, text);
    }
    QStringList passes, progress;
};

class FocusViews : public testing_support::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        engine = optics::Engine::Create();
        recording = new Recording(*engine, dialogs);
        form.reset(recording);
        dialogs.clearShown();
    }
    void click(const char* button)
    {
        recording->passes.clear();
        find<QPushButton>(button)->click();
    }
    QImage picture(const char* name) const { return find<ui::PictureBox>(name)->picture(); }
    static int brightest(const QImage& image, const QRect& area)
    {
        int level = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                level = std::max(level, qGray(image.pixel(x, y)));
        return level;
    }

    Recording* recording = nullptr;
};

// Without defocus only the message shows; the picture and labels stay.
TEST_F(FocusViews, IntraExtraRunsInFocusThenBothSidesAndPutsTheControlsBack)
{
    struct Row {
        double focus, aperture;
        bool psf;
        QStringList passes, after;  // labels, then FocusSpin and ApertureSpin
    };
    const Row rows[] = {
        {-3, 5, true, {"555 0.00 0.00 2.50", "555 -3.00 0.00 5.00", "555 3.00 0.00 5.00"}, {"-3", "3", "3.00", "5.00"}},
        // Half of 3 inches is below the editor's minimum.
        {2, 3, false, {"555 0.00 0.00 2.00", "555 -2.00 0.00 3.00", "555 2.00 0.00 3.00"}, {"-2", "2", "2.00", "3.00"}},
        {0, 4, true, {}, {"-2", "2", "0.00", "4.00"}},
    };
    for (const Row& r : rows) {
        recording->progress.clear();
        dialogs.clearShown();
        engine->PaintTarget = optics::PaintTarget::Chromatic;
        engine->ColourComposite = true;
        edit("FocusSpin")->setValue(r.focus);
        edit("ApertureSpin")->setValue(r.aperture);
        find<QCheckBox>("PSFMTFCheck")->setChecked(r.psf);
        const QImage before = picture("IntraExtraImage");
        click("SpeedButton2");
        EXPECT_EQ(recording->passes, r.passes);
        EXPECT_EQ(QStringList({find<QLabel>("Intralabel")->text(), find<QLabel>("ExtraLabel")->text(),
                               edit("FocusSpin")->text(), edit("ApertureSpin")->text()}),
                  r.after);
        EXPECT_EQ(find<QCheckBox>("PSFMTFCheck")->isChecked(), r.psf);
        EXPECT_EQ(std::pair(engine->PaintTarget, engine->ColourComposite),
                  std::pair(optics::PaintTarget::StarImage, false));
        if (!r.passes.isEmpty()) {
            EXPECT_EQ(recording->progress, QStringList({"Building focussed image", "Building Intra-focal image",
                                                        "Building In-focus image", ""}));
            continue;
        }
        EXPECT_TRUE(recording->progress.isEmpty());
        EXPECT_EQ(picture("IntraExtraImage"), before);
        ASSERT_EQ(dialogs.shown().size(), 1u);
        const auto& shown = dialogs.shown()[0];
        EXPECT_EQ(std::tuple(shown.kind, shown.text, shown.buttons),
                  std::tuple(ui::MessageKind::Information, QString("Focus-value is Zero"),
                             QList{ui::MessageButton::Ok}));
    }
}

// Spherical aberration makes one side brighter; the other is drawn again on
// its scale, so only the brighter side reaches full white.
TEST_F(FocusViews, TheDimmerOutOfFocusImageIsRedrawnOnTheBrighterScale)
{
    const QRect intra(0, 0, 200, 200), extra(304, 0, 200, 200);
    for (const double spherical : {0.2, -0.2}) {
        edit("ApertureSpin")->setValue(8.0);
        edit("ObsSpin")->setValue(25.0);
        edit("FocusSpin")->setValue(3.0);
        edit("SphericalSpin")->setValue(spherical);
        click("SpeedButton2");
        const bool intraDimmer = engine->IntraPeak < engine->PeakIntensity;
        EXPECT_EQ(intraDimmer, spherical > 0.0);
        const QImage assembled = picture("IntraExtraImage");
        EXPECT_EQ(brightest(assembled, intraDimmer ? extra : intra), 255) << spherical;
        EXPECT_LT(brightest(assembled, intraDimmer ? intra : extra), 255) << spherical;
        const QImage balanced = ui::imageView(*form->starBuffer()).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(assembled.copy(intraDimmer ? intra : extra), balanced.copy(28, 28, 200, 200)) << spherical;
    }
}

TEST_F(FocusViews, ChromaticPassesTakeEachRowAndTheUsersValuesComeBack)
{
    edit("FocusSpin")->setValue(1.5);
    edit("SphericalSpin")->setValue(0.25);
    edit("FocalShiftspin")->setValue(1.0);
    edit("ChromaLSA2")->setValue(0.3);
    click("CalculateChromatic");
    EXPECT_EQ(recording->passes, QStringList({"405 -0.50 0.00 5.00", "436 -0.40 0.30 5.00", "486 -0.23 0.00 5.00",
                                              "555 0.00 0.00 5.00", "589 0.11 0.00 5.00", "656 0.34 0.00 5.00",
                                              "707 0.51 0.00 5.00"}));
    EXPECT_EQ(QStringList({edit("FocusSpin")->text(), edit("SphericalSpin")->text()}), QStringList({"1.50", "0.25"}));
    EXPECT_EQ(std::tuple(engine->WaveLength, engine->ColourPass, engine->ColourComposite, engine->PaintTarget),
              std::tuple(555.0, false, true, optics::PaintTarget::Chromatic));
}

TEST_F(FocusViews, ChromaticCentrePixelFollowsTheTickedRows)
{
    struct Row {
        QString ticked;  // rows 1..7
        QRgb centre;
    };
    const Row rows[] = {
        {"1234567", qRgb(233, 221, 255)},  // the blue sum is the largest and becomes 255
        {"4", qRgb(65, 128, 1)},           // sums below 1 are not stretched
        {"", qRgb(0, 0, 0)},
    };
    for (const Row& r : rows) {
        for (int k = 1; k <= 7; ++k)
            find<QCheckBox>(("CheckBox" + std::to_string(k)).c_str())
                ->setChecked(r.ticked.contains(QString::number(k)));
        click("CalculateChromatic");
        const QRgb centre = picture("chroma").pixel(128, 128);
        using Channel = int (*)(QRgb);
        for (const Channel channel : std::array<Channel, 3>{qRed, qGreen, qBlue})
            EXPECT_NEAR(channel(centre), channel(r.centre), 1) << r.ticked.toStdString();
        EXPECT_EQ(recording->passes.size(), r.ticked.size());
    }
    EXPECT_EQ(brightest(picture("chroma"), QRect(0, 0, 256, 256)), 0);
}

}  // namespace
