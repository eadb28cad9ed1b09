#include "window_fixture.h"

#include "app/pages/about_page.h"
#include "app/pages/animation_page.h"
#include "app/pages/chromatic_page.h"
#include "app/pages/startest_page.h"
#include "app/pages/turbulence_page.h"
#include "app/parameter_column.h"
#include "ui/hints.h"
#include "ui/number_edit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QEnterEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <vector>

namespace {

using testing_support::WindowTest;
using ui::NumberEdit;
using Type = NumberEdit::ValueType;

void hover(QWidget* widget)
{
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(widget, &enter);
}

void type(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.unicode(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

// The text a float editor shows for `value` with `decimals`, in the locale
// of the test run.
QString fixed(double value, int decimals)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

std::string rectText(const QRect& r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

class Parameters : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        createForm();
    }
};

// ---------------------------------------------------------------------------
// Start values, ranges, steps and hints

struct EditorRow {
    const char* name;
    Type type;
    int decimals;
    double start;
    double minimum;
    double maximum;
    double step;
    const char* hint;
    bool tooltip;
    const char* caption;  // nullptr: no caption of its own
    bool typing = true;
};

const Type F = Type::Float;
const Type I = Type::Integer;
const char* const kObstructionHint = "Enter obstruction as percentage from\r\ntotal aperture";

const std::vector<EditorRow> kEditors = {
    // aperture group
    {"ApertureSpin", F, 2, 5.0, 2.0, 25.0, 2.0, "Aperture Diameter (inches/millimeters)", false, "Aperture"},
    {"ObsSpin", F, 1, 0.0, 0.0, 95.0, 5.0, kObstructionHint, false, "Obstruction(%)"},
    {"OffsetSpin", F, 1, 0.0, 0.0, 20.0, 1.0, "Enter offset as percentage from\r\ntotal aperture", false,
     "Secondary Offset(mm)"},
    {"SpiderThickSpin", F, 2, 1.0, 0.1, 5.0, 0.1, kObstructionHint, false, "Thickness (mm)", false},
    // aberrations
    {"FocusSpin", F, 2, 0.0, -20.0, 20.0, 0.5, "= perfect focus\r\n-/+ = defocusing before/after focuspoint", false,
     "Focus"},
    {"XComaSpin", F, 2, 0.0, -10.0, 10.0, 0.1, "X-Coma ", false, "Coma"},
    {"Comaangle", I, 0, 0.0, 0.0, 359.0, 1.0, "Coma angle (degrees)", true, nullptr},
    {"XastigSpin", F, 2, 0.0, -10.0, 10.0, 0.1, "X-axis astigmatism", false, "Astigmatism"},
    {"Astigmaangle", I, 0, 0.0, 0.0, 359.0, 1.0, "Astigma angle (degrees)", true, nullptr},
    {"SphericalSpin", F, 2, 0.0, -10.0, 10.0, 0.1, "Lower spherical aberration ", false, "low(3rd)"},
    {"HSASpin", F, 2, 0.0, -10.0, 10.0, 0.1, "Higher spherical aberration", false, "high(5th)"},
    {"PinchSpin", F, 2, 0.0, -10.0, 10.0, 0.1, "Pinched Optics", false, "Pinch"},
    {"TubeSpin", F, 2, 0.0, -10.0, 10.0, 0.1, "Tube  currents", false, "Tube"},
    {"RxTuberadius", F, 1, 0.3, 0.0, 1.0, 0.1, "Radius of Tube affected by tube currents", true, nullptr},
    {"TDESpin", F, 2, 0.0, -10.0, 10.0, 0.1, "Turned Down Edge", false, "TDE"},
    {"TDEradius", I, 0, 95.0, 50.0, 100.0, 1.0, "TDE area in % of total radius ", false, "%"},
    // turbulence and roughness
    {"RMSSpin", F, 2, 0.0, 0.0, 2.0, 0.05, "Turbulence at Aperture", true, "Turbulence"},
    {"Roughspin", F, 2, 0.0, 0.0, 2.0, 0.05, "Roughness at mirror", true, "Roughness"},
    {"RandSeedSpin", I, 0, 1.0, 1.0, 10000.0, 1.0, "", false, "Random generator (Seed)"},
    // options
    {"ZoomfSpin", F, 2, 1.0, 0.1, 2.0, 0.1, "Zoom factor (0.5 -2.0)", false, "Zoom", false},
    // animation range
    {"RxSpinEdit1", F, 2, -5.0, -10.0, 10.0, 0.05, "", false, "Lowest Value in Animation"},
    {"RxSpinEdit2", F, 2, 5.0, -10.0, 10.0, 0.05, "", false, "Highest Value in Animation"},
    {"RxSpinEdit3", I, 0, 20.0, 0.0, 100.0, 1.0, "", false, "Steps/Frames"},
    // chromatic rows
    {"ChromaWave1", I, 0, 405, 380, 720, 2, "", false, nullptr},
    {"Chromawave2", I, 0, 436, 380, 720, 2, "", false, nullptr},
    {"ChromaWave3", I, 0, 486, 380, 720, 2, "", false, nullptr},
    {"ChromaWave4", I, 0, 555, 380, 720, 2, "", false, nullptr},
    {"ChromaWave5", I, 0, 589, 380, 720, 2, "", false, nullptr},
    {"ChromaWave6", I, 0, 656, 380, 720, 2, "", false, nullptr},
    {"ChromaWave7", I, 0, 707, 380, 720, 2, "", false, nullptr},
    {"ChromaFocus1", F, 2, 0, -10, 10, 0.1, "", false, nullptr},
    {"ChromaFocus2", F, 2, 0, -10, 10, 0.1, "", false, nullptr},
    {"ChromaFocus3", F, 2, 0, -10, 10, 0.1, "", false, nullptr},
    {"Chromafocus4", F, 2, 0, -10, 10, 0.1, "", false, nullptr},
    {"ChromaFocus5", F, 2, 0, -10, 10, 0.1, "", false, nullptr},
    {"Chromafocus6", F, 2, 0, -10, 10, 0.1, "", false, nullptr},
    {"Chromafocus7", F, 2, 0, -10, 10, 0.1, "", false, nullptr},
    {"ChromaLSA1", F, 2, 0, -10, 10, 0.1, "", false, nullptr},
    {"ChromaLSA2", F, 2, 0, -10, 10, 0.1, "", false, nullptr},
    {"ChromaLSA3", F, 2, 0, -10, 10, 0.1, "", false, nullptr},
    {"ChromaLSA4", F, 2, 0, -10, 10, 0.1, "", false, nullptr},
    {"ChromaLSA5", F, 2, 0, -10, 10, 0.1, "", false, nullptr},
    {"ChromaLSA6", F, 2, 0, -10, 10, 0.1, "", false, nullptr},
    {"ChromaLSA7", F, 2, 0, -10, 10, 0.1, "", false, nullptr},
    {"FocalShiftspin", F, 2, 0, -10, 10, 0.1, "", false, "additional Focal shift from 400 - 700 nm"},
};

TEST_F(Parameters, EveryEditorStartsAsTheTablesSay)
{
    for (const EditorRow& row : kEditors) {
        SCOPED_TRACE(row.name);
        auto* edit = find<NumberEdit>(row.name);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->valueType(), row.type);
        if (row.type == F) {
            EXPECT_EQ(edit->decimals(), row.decimals);
            EXPECT_EQ(edit->text(), fixed(row.start, row.decimals));
        } else {
            EXPECT_EQ(edit->text(), QString::number(qlonglong(row.start)));
        }
        EXPECT_DOUBLE_EQ(edit->value(), row.start);
        EXPECT_DOUBLE_EQ(edit->minimum(), row.minimum);
        EXPECT_DOUBLE_EQ(edit->maximum(), row.maximum);
        EXPECT_DOUBLE_EQ(edit->step(), row.step);
        EXPECT_EQ(ui::hintOf(edit), QString::fromLatin1(row.hint));
        EXPECT_EQ(ui::showsTooltip(edit), row.tooltip);
        EXPECT_EQ(edit->toolTip().isEmpty(), !row.tooltip);
        if (row.caption) {
            EXPECT_EQ(ui::captionOf(edit), QString::fromLatin1(row.caption));
        }
        EXPECT_EQ(edit->typingEnabled(), row.typing);
    }
}

struct ButtonRow {
    const char* name;
    const char* caption;
    bool checked;
    const char* hint;
    bool tooltip;
};

TEST_F(Parameters, EveryButtonAndBoxStartsAsTheTablesSay)
{
    const std::vector<ButtonRow> rows = {
        {"Inches", "Inches", true, "", false},
        {"Millimeters", "Millimeters", false, "", false},
        {"Spidercheck", "Spider", false, "", false},
        {"PSFMTFCheck", "Calculate PSF/MTF", false, "Add PSF/MTF calculation", false},
        {"Wavefront", "Display Wavefront", false, "", false},
        {"PsfMaxSet", "Set Max=1", false, "", false},
        {"Button1", "Reset Aberrations", false, "Resets All aberrations", true},
        {"CalculateButton", "Calculate", false, "Start calculations", false},
        {"CheckBox1", "", true, "", false},
        {"CheckBox2", "", true, "", false},
        {"CheckBox3", "", true, "", false},
        {"CheckBox4", "", true, "", false},
        {"CheckBox5", "", true, "", false},
        {"CheckBox6", "", true, "", false},
        {"CheckBox7", "", true, "", false},
    };
    for (const ButtonRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto* button = find<QAbstractButton>(row.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromLatin1(row.caption));
        EXPECT_EQ(button->isChecked(), row.checked);
        EXPECT_EQ(ui::hintOf(button), QString::fromLatin1(row.hint));
        EXPECT_EQ(ui::showsTooltip(button), row.tooltip);
    }
}

TEST_F(Parameters, BrightnessSliderStartsAtZero)
{
    auto* slider = find<QSlider>("Brightslide");
    EXPECT_EQ(slider->orientation(), Qt::Vertical);
    EXPECT_EQ(slider->value(), 0);
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 100);
    EXPECT_EQ(slider->singleStep(), 10);
    EXPECT_EQ(ui::hintOf(slider), "Brightness Slider");
    EXPECT_TRUE(ui::showsTooltip(slider));
    EXPECT_EQ(ui::captionOf(slider), "Brightness");
}

TEST_F(Parameters, PinchAndTubeCaptionsShowTheirOwnHints)
{
    QLabel* pinch = ui::captionLabel(edit("PinchSpin"));
    QLabel* tube = ui::captionLabel(edit("TubeSpin"));
    ASSERT_NE(pinch, nullptr);
    ASSERT_NE(tube, nullptr);
    EXPECT_EQ(ui::hintOf(pinch), "Pinched Optics (3-fold)");
    EXPECT_EQ(pinch->toolTip(), "Pinched Optics (3-fold)");
    EXPECT_EQ(ui::hintOf(tube), "Tube currents\r\nEffect of cooling down mirrors");
    EXPECT_TRUE(ui::showsTooltip(tube));
    hover(pinch);
    EXPECT_EQ(form->statusText(1), "Pinched Optics (3-fold)");
}

TEST_F(Parameters, FocusHintReachesTheStatusBarWithoutATooltip)
{
    hover(edit("FocusSpin"));
    EXPECT_EQ(form->statusText(1), "= perfect focus -/+ = defocusing before/after focuspoint");
    EXPECT_TRUE(edit("FocusSpin")->toolTip().isEmpty());
}

TEST_F(Parameters, TurbulencePageExplainsItsSettings)
{
    QStringList texts;
    for (QLabel* label : find<QWidget>("Turbulence")->findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("The numbers used in the generator will lead to \r\ndifferent (repeatable) patterns "
                               "of turbulence. \r\nThey will not influence the amount of turbulence."));
    EXPECT_TRUE(
        texts.contains("Turbulence and Roughness are to be entered as\r\nRMS (root-mean-square) values."));
}

// Every control of a region lies inside it, and no two overlap.
TEST_F(Parameters, RegionsHoldTheirControlsWithoutOverlap)
{
    for (QWidget* region : {static_cast<QWidget*>(find<QWidget>("Aperturebox")), static_cast<QWidget*>(find<QWidget>("Panel2")),
                            static_cast<QWidget*>(find<QWidget>("Panel3"))}) {
        SCOPED_TRACE(region->objectName().toStdString());
        const QList<QWidget*> children = region->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        EXPECT_GE(children.size(), 6);
        for (QWidget* child : children) {
            EXPECT_TRUE(region->rect().contains(child->geometry()))
                << child->objectName().toStdString() << ui::captionOf(child).toStdString();
        }
        for (int a = 0; a < children.size(); ++a)
            for (int b = a + 1; b < children.size(); ++b)
                EXPECT_FALSE(children[a]->geometry().intersects(children[b]->geometry()))
                    << ui::captionOf(children[a]).toStdString() << children[a]->objectName().toStdString() << " / "
                    << ui::captionOf(children[b]).toStdString() << children[b]->objectName().toStdString()
                    << " " << rectText(children[a]->geometry()) << " " << rectText(children[b]->geometry());
    }
}

// ---------------------------------------------------------------------------
// Unit switch

TEST_F(Parameters, FiveInchesBecome127MillimetresAndBack)
{
    find<QRadioButton>("Millimeters")->click();
    EXPECT_EQ(edit("ApertureSpin")->text(), fixed(127.0, 2));
    EXPECT_EQ(edit("ApertureSpin")->minimum(), 50.0);
    EXPECT_EQ(edit("ApertureSpin")->maximum(), 650.0);
    EXPECT_EQ(edit("ApertureSpin")->step(), 25.0);

    find<QRadioButton>("Inches")->click();
    EXPECT_EQ(edit("ApertureSpin")->text(), fixed(5.0, 2));
    EXPECT_EQ(edit("ApertureSpin")->minimum(), 2.0);
    EXPECT_EQ(edit("ApertureSpin")->maximum(), 25.0);
    EXPECT_EQ(edit("ApertureSpin")->step(), 4.0);
}

TEST_F(Parameters, ConvertedDiametersAreClampedToTheInchRange)
{
    find<QRadioButton>("Millimeters")->click();
    edit("ApertureSpin")->setValue(650.0);
    find<QRadioButton>("Inches")->click();
    EXPECT_EQ(edit("ApertureSpin")->text(), fixed(25.0, 2));  // 25.59 clamped

    find<QRadioButton>("Millimeters")->click();
    edit("ApertureSpin")->setValue(50.0);
    find<QRadioButton>("Inches")->click();
    EXPECT_EQ(edit("ApertureSpin")->text(), fixed(2.0, 2));  // 1.97 clamped
}

// The diameter is converted whenever the unit changes, also from 21 inches
// up, and never when the chosen unit is chosen again (regression, issue 14).
TEST_F(Parameters, DiameterIsConvertedExactlyWhenTheUnitChanges)
{
    ui::NumberEdit* aperture = edit("ApertureSpin");
    aperture->setValue(23.0);
    find<QRadioButton>("Millimeters")->click();
    EXPECT_EQ(aperture->text(), fixed(584.2, 2));
    EXPECT_EQ(aperture->minimum(), 50.0);
    EXPECT_EQ(aperture->maximum(), 650.0);
    find<QRadioButton>("Millimeters")->click();
    EXPECT_EQ(aperture->text(), fixed(584.2, 2));

    aperture->setValue(60.0);
    find<QRadioButton>("Inches")->click();
    EXPECT_EQ(aperture->text(), fixed(2.36, 2));
    find<QRadioButton>("Inches")->click();
    EXPECT_EQ(aperture->text(), fixed(2.36, 2));
}

TEST_F(Parameters, UnparsableTextReadsAsTheMinimum)
{
    edit("FocusSpin")->setText({});
    EXPECT_EQ(edit("FocusSpin")->value(), -20.0);
    edit("ApertureSpin")->setText({});
    EXPECT_EQ(edit("ApertureSpin")->value(), 2.0);
}

// ---------------------------------------------------------------------------
// Obstruction, offset and spider

TEST_F(Parameters, HiddenAtStartIncludingCaptions)
{
    EXPECT_TRUE(edit("OffsetSpin")->isHidden());
    EXPECT_TRUE(ui::captionLabel(edit("OffsetSpin"))->isHidden());
    EXPECT_TRUE(find<QCheckBox>("Spidercheck")->isHidden());
    EXPECT_TRUE(edit("SpiderThickSpin")->isHidden());
    EXPECT_TRUE(ui::captionLabel(edit("SpiderThickSpin"))->isHidden());
    EXPECT_FALSE(edit("ObsSpin")->isHidden());
    EXPECT_FALSE(ui::captionLabel(edit("ObsSpin"))->isHidden());
}

TEST_F(Parameters, ObstructionShowsAndHidesOffsetAndSpider)
{
    edit("ObsSpin")->setValue(20.0);
    EXPECT_FALSE(edit("OffsetSpin")->isHidden());
    EXPECT_FALSE(ui::captionLabel(edit("OffsetSpin"))->isHidden());
    EXPECT_FALSE(find<QCheckBox>("Spidercheck")->isHidden());
    EXPECT_TRUE(edit("SpiderThickSpin")->isHidden());

    find<QCheckBox>("Spidercheck")->click();
    EXPECT_FALSE(edit("SpiderThickSpin")->isHidden());
    EXPECT_FALSE(ui::captionLabel(edit("SpiderThickSpin"))->isHidden());
    edit("OffsetSpin")->setValue(3.0);

    edit("ObsSpin")->setValue(0.0);
    EXPECT_TRUE(edit("OffsetSpin")->isHidden());
    EXPECT_TRUE(ui::captionLabel(edit("OffsetSpin"))->isHidden());
    EXPECT_TRUE(find<QCheckBox>("Spidercheck")->isHidden());
    EXPECT_FALSE(find<QCheckBox>("Spidercheck")->isChecked());
    EXPECT_TRUE(edit("SpiderThickSpin")->isHidden());
    EXPECT_TRUE(ui::captionLabel(edit("SpiderThickSpin"))->isHidden());
    EXPECT_EQ(edit("OffsetSpin")->text(), fixed(3.0, 1));  // the offset keeps its value
}

TEST_F(Parameters, TypedObstructionTakesEffectWhileTyping)
{
    edit("ObsSpin")->setText("2");
    EXPECT_FALSE(find<QCheckBox>("Spidercheck")->isHidden());
    edit("ObsSpin")->setText("");  // reads as the minimum, 0
    EXPECT_TRUE(find<QCheckBox>("Spidercheck")->isHidden());
}

// ---------------------------------------------------------------------------
// Ready flags of the screens

class ReadyFlags : public Parameters {
protected:
    void markReady()
    {
        engine->TurbulenceReady = true;
        engine->RoughnessReady = true;
    }
};

TEST_F(ReadyFlags, SeedChangeMarksBothScreens)
{
    markReady();
    edit("RandSeedSpin")->setValue(7);
    EXPECT_FALSE(engine->TurbulenceReady);
    EXPECT_FALSE(engine->RoughnessReady);
}

TEST_F(ReadyFlags, TurbulenceAmountMarksOnlyTheTurbulenceScreen)
{
    markReady();
    edit("RMSSpin")->setValue(0.5);
    EXPECT_FALSE(engine->TurbulenceReady);
    EXPECT_TRUE(engine->RoughnessReady);
}

TEST_F(ReadyFlags, RoughnessAndAnimationRangeMarkOnlyTheRoughnessScreen)
{
    for (NumberEdit* edit : {this->edit("Roughspin"), this->edit("RxSpinEdit1"), this->edit("RxSpinEdit2"),
                             this->edit("RxSpinEdit3")}) {
        SCOPED_TRACE(edit->objectName().toStdString());
        markReady();
        edit->stepBy(1);
        EXPECT_TRUE(engine->TurbulenceReady);
        EXPECT_FALSE(engine->RoughnessReady);
    }
}

TEST_F(ReadyFlags, OpticalParametersMarkNeither)
{
    markReady();
    edit("FocusSpin")->setValue(1.5);
    edit("ObsSpin")->setValue(25.0);
    edit("ApertureSpin")->setValue(8.0);
    find<QRadioButton>("Millimeters")->click();
    EXPECT_TRUE(engine->TurbulenceReady);
    EXPECT_TRUE(engine->RoughnessReady);
}

TEST_F(ReadyFlags, NegativeAmountsAreWrittenBackPositive)
{
    edit("RMSSpin")->setText({});
    type(edit("RMSSpin"), "-0.3");
    EXPECT_EQ(edit("RMSSpin")->text(), fixed(0.3, 2));
    edit("Roughspin")->setText("-1.25");
    EXPECT_EQ(edit("Roughspin")->text(), fixed(1.25, 2));
}

// ---------------------------------------------------------------------------
// Reset Aberrations

class Reset : public Parameters {
protected:
    //! Gives every control the reset touches a non-zero value.
    void disturb()
    {
        double v = 1.0;
        for (NumberEdit* e : resetEditors())
            e->setValue(v += 0.1);
        edit("TDEradius")->setValue(80);
        find<QSlider>("Brightslide")->setValue(40);
    }

    //! The float editors the reset writes 0 to, in its order.
    std::vector<NumberEdit*> resetEditors() const
    {
        std::vector<NumberEdit*> editors = {edit("FocusSpin"),  edit("XComaSpin"), edit("XastigSpin"), edit("SphericalSpin"),
                                            edit("HSASpin"),    edit("TubeSpin"),  edit("PinchSpin"),  edit("TDESpin")};
        for (const char* name : {"ChromaFocus1", "ChromaFocus2", "ChromaFocus3", "Chromafocus4", "ChromaFocus5",
                                 "Chromafocus6", "Chromafocus7", "ChromaLSA1", "ChromaLSA2", "ChromaLSA3",
                                 "ChromaLSA4", "ChromaLSA5", "ChromaLSA6", "ChromaLSA7", "FocalShiftspin"})
            editors.push_back(edit(name));
        editors.push_back(edit("RMSSpin"));
        editors.push_back(edit("Roughspin"));
        return editors;
    }
};

TEST_F(Reset, AsksForConfirmationAndCancelChangesNothing)
{
    disturb();
    std::vector<QString> before;
    for (NumberEdit* e : resetEditors())
        before.push_back(e->text());
    engine->TurbulenceReady = true;
    engine->RoughnessReady = true;
    dialogs.clearShown();
    dialogs.queueAnswer(ui::MessageButton::Cancel);

    find<QPushButton>("Button1")->click();

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Warning);
    EXPECT_EQ(dialogs.shown()[0].text, "Setting all values to defaults ");
    EXPECT_EQ(dialogs.shown()[0].buttons,
              (QList<ui::MessageButton>{ui::MessageButton::Ok, ui::MessageButton::Cancel}));
    const std::vector<NumberEdit*> editors = resetEditors();
    for (size_t i = 0; i < editors.size(); ++i)
        EXPECT_EQ(editors[i]->text(), before[i]) << editors[i]->objectName().toStdString();
    EXPECT_EQ(edit("TDEradius")->text(), "80");
    EXPECT_EQ(find<QSlider>("Brightslide")->value(), 40);
    EXPECT_TRUE(engine->TurbulenceReady);
    EXPECT_TRUE(engine->RoughnessReady);
}

TEST_F(Reset, OkZeroesTheAberrationsInOrderAndLeavesTheRestAlone)
{
    disturb();
    // Controls the reset must leave as they are.
    find<QRadioButton>("Millimeters")->click();
    edit("ApertureSpin")->setValue(200.0);
    edit("ObsSpin")->setValue(20.0);
    edit("OffsetSpin")->setValue(2.0);
    find<QCheckBox>("Spidercheck")->setChecked(true);
    edit("SpiderThickSpin")->setValue(2.0);
    edit("Comaangle")->setValue(45);
    edit("Astigmaangle")->setValue(90);
    edit("RxTuberadius")->setValue(0.5);
    edit("ZoomfSpin")->setValue(1.5);
    find<QCheckBox>("PSFMTFCheck")->setChecked(true);
    edit("RandSeedSpin")->setValue(7);
    edit("GammaSpin")->setValue(0.7);
    edit("ChromaWave3")->setValue(500);
    find<QCheckBox>("CheckBox2")->setChecked(false);
    edit("RxSpinEdit1")->setValue(-3.0);
    engine->TurbulenceReady = true;
    engine->RoughnessReady = true;

    QStringList order;
    for (NumberEdit* e : resetEditors())
        QObject::connect(e, &NumberEdit::changed, [&order, e] { order << e->objectName(); });
    QObject::connect(edit("TDEradius"), &NumberEdit::changed, [&order] { order << "TDEradius"; });
    QObject::connect(find<QSlider>("Brightslide"), &QSlider::valueChanged, [&order] { order << "Brightslide"; });
    dialogs.queueAnswer(ui::MessageButton::Ok);

    find<QPushButton>("Button1")->click();

    QStringList expected = {"FocusSpin", "XComaSpin", "XastigSpin", "SphericalSpin", "HSASpin",
                            "TubeSpin",  "PinchSpin", "TDESpin",    "TDEradius",     "Brightslide"};
    for (const char* name : {"ChromaFocus1", "ChromaFocus2", "ChromaFocus3", "Chromafocus4", "ChromaFocus5",
                             "Chromafocus6", "Chromafocus7", "ChromaLSA1", "ChromaLSA2", "ChromaLSA3", "ChromaLSA4",
                             "ChromaLSA5", "ChromaLSA6", "ChromaLSA7", "FocalShiftspin", "RMSSpin", "Roughspin"})
        expected << name;
    EXPECT_EQ(order, expected);

    for (NumberEdit* e : resetEditors())
        EXPECT_EQ(e->text(), fixed(0.0, 2)) << e->objectName().toStdString();
    EXPECT_EQ(edit("TDEradius")->text(), "50");
    EXPECT_EQ(find<QSlider>("Brightslide")->value(), 0);
    EXPECT_FALSE(engine->TurbulenceReady);
    EXPECT_FALSE(engine->RoughnessReady);

    EXPECT_TRUE(find<QRadioButton>("Millimeters")->isChecked());
    EXPECT_EQ(edit("ApertureSpin")->text(), fixed(200.0, 2));
    EXPECT_EQ(edit("ObsSpin")->text(), fixed(20.0, 1));
    EXPECT_EQ(edit("OffsetSpin")->text(), fixed(2.0, 1));
    EXPECT_TRUE(find<QCheckBox>("Spidercheck")->isChecked());
    EXPECT_EQ(edit("SpiderThickSpin")->text(), fixed(2.0, 2));
    EXPECT_EQ(edit("Comaangle")->text(), "45");
    EXPECT_EQ(edit("Astigmaangle")->text(), "90");
    EXPECT_EQ(edit("RxTuberadius")->text(), fixed(0.5, 1));
    EXPECT_EQ(edit("ZoomfSpin")->text(), fixed(1.5, 2));
    EXPECT_TRUE(find<QCheckBox>("PSFMTFCheck")->isChecked());
    EXPECT_EQ(edit("RandSeedSpin")->text(), "7");
    EXPECT_EQ(edit("GammaSpin")->text(), fixed(0.7, 2));
    EXPECT_EQ(edit("ChromaWave3")->text(), "500");
    EXPECT_FALSE(find<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_EQ(edit("RxSpinEdit1")->text(), fixed(-3.0, 2));
}

}  // namespace
