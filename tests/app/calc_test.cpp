#include "window_fixture.h"

#include "imaging/colour.h"
#include "optics/psf.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"
#include "ui/plot_view.h"

#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

//! The window with every stage text of status panel 0 recorded.
class RecordingForm : public app::TForm1 {
public:
    using app::TForm1::TForm1;
    void setStatus(int panel, const std::string& text) override
    {
        if (panel == 0)
            texts.push_back(text);
        app::TForm1::setStatus(panel, text);
    }
    std::vector<std::string> texts;
};

double CircularMtf(double nu)
{
    if (nu >= 1.0)
        return 0.0;
    return 2.0 / kPi * (std::acos(nu) - nu * std::sqrt(1.0 - nu * nu));
}

QRgb rgb(imaging::Rgb c)
{
    return qRgb(c.red, c.green, c.blue);
}

class Calc : public testing_support::WindowTest {
protected:
    RecordingForm& create()
    {
        engine = optics::Engine::Create();
        auto* f = new RecordingForm(*engine, dialogs);
        form.reset(f);
        dialogs.clearShown();
        return *f;
    }
    RecordingForm& recording() { return static_cast<RecordingForm&>(*form); }
    void calculate() { find<QPushButton>("CalculateButton")->click(); }
    QRgb aperturePixel(int x, int y) const { return find<ui::PictureBox>("Apertureimage")->picture().pixel(x, y) & 0xffffff; }
    static double labelNumber(const QLabel* label, const QString& prefix)
    {
        QString t = label->text();
        EXPECT_TRUE(t.startsWith(prefix)) << t.toStdString();
        return QLocale::system().toDouble(t.mid(prefix.size()).section(QLatin1Char(' '), 0, 0));
    }

    ui::PlotSeries* series(const char* name) const
    {
        const QString n = QString::fromLatin1(name);
        const bool psf = n.startsWith(QLatin1String("PSF"));
        ui::PlotView* plot = find<ui::PlotView>(psf ? "PSFPlot" : "MTFPlot");
        for (int i = 0;; ++i) {
            ui::PlotSeries* s = plot->series(i);
            if (!s || s->name() == n)
                return s;
        }
    }
};

TEST_F(Calc, StageTextsInOrderAndScreensOnlyWhenStale)
{
    RecordingForm& f = create();
    find<QCheckBox>("PSFMTFCheck")->setChecked(true);
    calculate();
    const std::vector<std::string> first = {"Calculating Turbulence", "Calculating Roughness", "Building aperture",
                                            "Fast Fourier Transform", "Building aberrations at wavefront",
                                            "Start Fourier Transform", "Building image", "", "Calculating PSF/MTF"};
    EXPECT_EQ(f.texts, first);
    EXPECT_EQ(f.statusText(0), "Calculating PSF/MTF");

    f.texts.clear();
    calculate();
    const std::vector<std::string> second(first.begin() + 2, first.end());
    EXPECT_EQ(f.texts, second);

    // A new seed makes both screens stale again; without PSF/MTF the image
    // step leaves the panel empty.
    f.texts.clear();
    find<QCheckBox>("PSFMTFCheck")->setChecked(false);
    edit("RandSeedSpin")->setValue(7);
    calculate();
    const std::vector<std::string> third(first.begin(), first.end() - 1);
    EXPECT_EQ(f.texts, third);
    EXPECT_EQ(f.statusText(0), "");
}

TEST_F(Calc, PageSwitchesOnlyFromAbout)
{
    create();
    ASSERT_EQ(find<QTabWidget>("Tabs")->currentIndex(), app::TForm1::AboutIndex);
    calculate();
    EXPECT_EQ(find<QTabWidget>("Tabs")->currentIndex(), app::TForm1::StartestIndex);
    find<QTabWidget>("Tabs")->setCurrentIndex(app::TForm1::PsfMtfIndex);
    engine->PaintTarget = optics::PaintTarget::Planet;
    engine->ColourComposite = true;
    calculate();
    EXPECT_EQ(find<QTabWidget>("Tabs")->currentIndex(), app::TForm1::PsfMtfIndex);
    EXPECT_EQ(engine->PaintTarget, optics::PaintTarget::StarImage);
    EXPECT_FALSE(engine->ColourComposite);
}

TEST_F(Calc, PerfectFiveInchPsfAndMtfPlots)
{
    create();
    find<QCheckBox>("PSFMTFCheck")->setChecked(true);
    calculate();
    ASSERT_EQ(series("PSFXLine")->count(), 201);
    ASSERT_EQ(series("PSFYLine")->count(), 201);
    ASSERT_EQ(series("MTFperfect")->count(), 101);
    ASSERT_EQ(series("MTFXLine")->count(), 256);
    ASSERT_EQ(series("MTFYline")->count(), 256);

    const double scale = optics::PsfScale(*engine);
    EXPECT_NEAR(scale, 1.0, 0.01);
    EXPECT_DOUBLE_EQ(find<ui::PlotView>("PSFPlot")->leftMaximum(), scale);
    EXPECT_DOUBLE_EQ(series("PSFXLine")->x(0), -10.0);
    EXPECT_DOUBLE_EQ(series("PSFXLine")->x(200), 10.0);
    EXPECT_NEAR(series("PSFXLine")->y(100), 1.0, 0.01);
    for (int i = 1; i <= 100; ++i) {
        EXPECT_LT(series("PSFXLine")->y(100 + i), series("PSFXLine")->y(100));
        EXPECT_NEAR(series("PSFXLine")->y(100 + i), series("PSFXLine")->y(100 - i), 1e-5);
        EXPECT_NEAR(series("PSFYLine")->y(100 + i), series("PSFXLine")->y(100 + i), 1e-5);
    }
    EXPECT_EQ(series("MTFXLine")->y(0), 1.0);
    EXPECT_EQ(series("MTFYline")->y(0), 1.0);
    for (int i = 0; i < 256; ++i) {
        const double x = series("MTFXLine")->x(i);
        EXPECT_NEAR(series("MTFXLine")->y(i), CircularMtf(x), 0.02) << "x " << x;
        EXPECT_NEAR(series("MTFYline")->y(i), CircularMtf(x), 0.02) << "x " << x;
    }
    // The reference table follows the same curve.
    for (int i = 0; i <= 100; ++i)
        EXPECT_NEAR(series("MTFperfect")->y(i), CircularMtf(series("MTFperfect")->x(i)), 0.02) << i;
    EXPECT_DOUBLE_EQ(series("MTFperfect")->x(96), 1.0);

    EXPECT_EQ(series("PSFXLine")->colour(), QColor(Qt::green));
    EXPECT_EQ(series("PSFYLine")->colour(), QColor(Qt::red));
    EXPECT_EQ(series("MTFperfect")->colour(), QColor(Qt::black));
}

TEST_F(Calc, ObstructionLowersThePsfScale)
{
    create();
    edit("ApertureSpin")->setValue(8.0);
    edit("ObsSpin")->setValue(30.0);
    find<QCheckBox>("PSFMTFCheck")->setChecked(true);
    calculate();
    const double expected = std::pow(1.0 - 0.3 * 0.3, 2);  // 0.828
    EXPECT_NEAR(find<ui::PlotView>("PSFPlot")->leftMaximum(), expected, 0.01 * expected);
    EXPECT_NEAR(series("PSFXLine")->y(100), expected, 0.01 * expected);

    find<QCheckBox>("PsfMaxSet")->setChecked(true);
    calculate();
    EXPECT_EQ(find<ui::PlotView>("PSFPlot")->leftMaximum(), 1.0);
    EXPECT_NEAR(series("PSFXLine")->y(100), expected, 0.01 * expected);
}

TEST_F(Calc, PlotsKeepTheirCurvesWithoutPsfMtf)
{
    create();
    find<QCheckBox>("PSFMTFCheck")->setChecked(true);
    calculate();
    const double peak = series("PSFXLine")->y(100);
    find<QCheckBox>("PSFMTFCheck")->setChecked(false);
    edit("FocusSpin")->setValue(1.0);
    edit("ObsSpin")->setValue(20.0);
    calculate();
    EXPECT_EQ(series("PSFXLine")->y(100), peak);
    EXPECT_EQ(series("PSFXLine")->count(), 201);
    // Without the transfer-function step the mask is still in OtfImag.
    EXPECT_EQ(engine->OtfImag(257, 257), 0.0);
    EXPECT_EQ(engine->OtfImag(257 + 28, 257), 1.0);
}

TEST_F(Calc, ResolutionLabelAndUndersamplingWarning)
{
    RecordingForm& f = create();
    calculate();
    EXPECT_EQ(find<QLabel>("RxLabel1")->text(),
              QStringLiteral("Max. resolution (x) = ") + QLocale::system().toString(0.89, 'g', 15) + "arcsec.");
    EXPECT_FALSE(find<QLabel>("undersamplelabel")->isVisibleTo(&f));
    edit("FocusSpin")->setValue(4.0);
    calculate();
    EXPECT_TRUE(find<QLabel>("undersamplelabel")->isVisibleTo(&f));
    edit("FocusSpin")->setValue(-1.5);
    calculate();
    EXPECT_FALSE(find<QLabel>("undersamplelabel")->isVisibleTo(&f));
    find<QRadioButton>("Millimeters")->click();  // 127 mm
    edit("ApertureSpin")->setValue(200.0);
    calculate();
    EXPECT_EQ(find<QLabel>("RxLabel1")->text(),
              QStringLiteral("Max. resolution (x) = ") + QLocale::system().toString(0.57, 'g', 15) + "arcsec.");
}

TEST_F(Calc, OffsetObstructionInTheAperturePicture)
{
    create();
    edit("ApertureSpin")->setValue(8.0);
    edit("ObsSpin")->setValue(25.0);
    edit("OffsetSpin")->setValue(10.0);
    calculate();
    EXPECT_FLOAT_EQ(engine->ApertureInches, 8.0f);
    EXPECT_EQ(engine->AperturePictureRadius, 128);
    EXPECT_EQ(aperturePixel(82, 128), 0xffffffu);
    EXPECT_EQ(aperturePixel(83, 128), 0u);
    EXPECT_EQ(aperturePixel(146, 128), 0u);
    EXPECT_EQ(aperturePixel(147, 128), 0xffffffu);
    EXPECT_EQ(aperturePixel(115, 95), 0xffffffu);
    EXPECT_EQ(aperturePixel(115, 96), 0u);
    EXPECT_EQ(aperturePixel(0, 0), 0u);
    // The pupil itself has the shifted hole: cells left of the centre are
    // blocked further out than cells to the right.
    EXPECT_EQ(engine->OtfImag(257 - 15, 257), 0.0);
    EXPECT_EQ(engine->OtfImag(257 + 15, 257), 1.0);
}

TEST_F(Calc, SpiderVanesInMillimetreMode)
{
    create();
    find<QRadioButton>("Millimeters")->click();
    edit("ApertureSpin")->setValue(200.0);
    edit("ObsSpin")->setValue(20.0);
    find<QCheckBox>("Spidercheck")->setChecked(true);
    edit("SpiderThickSpin")->setValue(2.0);
    calculate();
    EXPECT_FLOAT_EQ(engine->ApertureInches, 7.8740157f);
    EXPECT_EQ(aperturePixel(126, 20), 0xffffffu);
    EXPECT_EQ(aperturePixel(127, 20), 0u);
    EXPECT_EQ(aperturePixel(129, 20), 0u);
    EXPECT_EQ(aperturePixel(130, 20), 0xffffffu);
    EXPECT_EQ(aperturePixel(20, 129), 0u);
    EXPECT_EQ(aperturePixel(20, 130), 0xffffffu);
}

TEST_F(Calc, TooLargeObstructionIsResetThroughTheEditor)
{
    create();
    edit("ObsSpin")->setValue(90.0);
    calculate();
    EXPECT_EQ(edit("ObsSpin")->value(), 90.0);
    EXPECT_EQ(aperturePixel(128, 128), 0u);

    find<QCheckBox>("Spidercheck")->setChecked(true);
    edit("ObsSpin")->setValue(95.0);
    ASSERT_TRUE(edit("OffsetSpin")->isVisibleTo(form.get()));
    calculate();
    EXPECT_EQ(edit("ObsSpin")->value(), 0.0);
    EXPECT_FALSE(edit("OffsetSpin")->isVisibleTo(form.get()));
    EXPECT_FALSE(find<QCheckBox>("Spidercheck")->isChecked());
    EXPECT_EQ(aperturePixel(128, 128), 0xffffffu);
    EXPECT_EQ(aperturePixel(128, 20), 0xffffffu);
    EXPECT_EQ(engine->OtfImag(257, 257), 1.0);
}

TEST_F(Calc, WavefrontPictureAndLabels)
{
    create();
    find<QCheckBox>("Wavefront")->setChecked(true);
    calculate();
        EXPECT_EQ(find<ui::PictureBox>("Aberimage")->picture().pixel(128, 128) & 0xffffff, rgb(imaging::WavelengthToRgb(528)) & 0xffffff);
    EXPECT_EQ(labelNumber(find<QLabel>("RMSLabel"), "RMS: "), 0.0);
    EXPECT_EQ(find<QLabel>("RMSlabl")->text(), "");
    EXPECT_EQ(find<QLabel>("Wavelabl")->text(), "");
    const QString zero = QLocale::system().toString(0.0, 'f', 3);
    EXPECT_EQ(find<QLabel>("WavefrontLabel")->text(), "PV: lo " + zero + " hi " + zero);

    edit("SphericalSpin")->setValue(1.0);
    calculate();
    EXPECT_NEAR(labelNumber(find<QLabel>("RMSLabel"), "RMS: "), 0.298, 0.003);
    EXPECT_NEAR(labelNumber(find<QLabel>("RMSlabl"), "1/"), 1 / 0.298, 0.04);
    EXPECT_TRUE(find<QLabel>("RMSlabl")->text().endsWith(" wave"));
    EXPECT_TRUE(find<QLabel>("WavefrontLabel")->text().startsWith("PV: lo -"));
    EXPECT_TRUE(find<QLabel>("Wavelabl")->text().startsWith("1/"));
}

TEST_F(Calc, LoadedWavefrontPictureIsLeftAlone)
{
    create();
    find<QCheckBox>("Wavefront")->setChecked(true);
    engine->WavefrontImageLoaded = true;
    find<QLabel>("RMSLabel")->setText("kept");
    edit("SphericalSpin")->setValue(1.0);
    calculate();
    EXPECT_EQ(find<QLabel>("RMSLabel")->text(), "kept");
    EXPECT_EQ(find<ui::PictureBox>("Aberimage")->picture().pixel(128, 128) & 0xffffff, 0u);
}

TEST_F(Calc, ApertureOfZeroIsRefusedWithAMessage)
{
    RecordingForm& f = create();
    edit("ApertureSpin")->setText("0");
    ASSERT_EQ(edit("ApertureSpin")->value(), 0.0);
    calculate();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Error);
    EXPECT_TRUE(dialogs.shown()[0].text.contains("greater than 0"));
    EXPECT_TRUE(f.texts.empty());
    EXPECT_EQ(find<QTabWidget>("Tabs")->currentIndex(), app::TForm1::AboutIndex);
    EXPECT_FALSE(engine->TurbulenceReady);
    EXPECT_EQ(engine->ApertureInches, 0.0f);

    dialogs.clearShown();
    edit("ApertureSpin")->setText("-3");
    f.CalcFFTS();  // the other views call the driver directly
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(f.texts.empty());
}

TEST_F(Calc, ApertureTooLargeForTheGridIsRefused)
{
    RecordingForm& f = create();
    edit("ApertureSpin")->setText("90");  // typed, not yet clamped
    calculate();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(f.texts.empty());
}

}  // namespace
