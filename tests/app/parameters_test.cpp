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
        p = form->Parameters;
    }
    app::ParameterColumn* p = nullptr;
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
    EXPECT_EQ(form->Parameters->CalculateButton, find<QPushButton>("CalculateButton"));
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
    QLabel* pinch = ui::captionLabel(p->PinchSpin);
    QLabel* tube = ui::captionLabel(p->TubeSpin);
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
    hover(p->FocusSpin);
    EXPECT_EQ(form->statusText(1), "= perfect focus -/+ = defocusing before/after focuspoint");
    EXPECT_TRUE(p->FocusSpin->toolTip().isEmpty());
}

TEST_F(Parameters, TurbulencePageExplainsItsSettings)
{
    QStringList texts;
    for (QLabel* label : form->TurbulenceTab->findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("The numbers used in the generator will lead to \r\ndifferent (repeatable) patterns "
                               "of turbulence. \r\nThey will not influence the amount of turbulence."));
    EXPECT_TRUE(
        texts.contains("Turbulence and Roughness are to be entered as\r\nRMS (root-mean-square) values."));
}

TEST_F(Parameters, ChromaticArraysHoldTheNamedRows)
{
    app::ChromaticPage* page = form->ChromaticTab;
    EXPECT_EQ(page->ChromaWave[2], find<NumberEdit>("Chromawave2"));
    EXPECT_EQ(page->ChromaFocus[4], find<NumberEdit>("Chromafocus4"));
    EXPECT_EQ(page->ChromaFocus[5], find<NumberEdit>("ChromaFocus5"));
    EXPECT_EQ(page->ChromaLSA[7], find<NumberEdit>("ChromaLSA7"));
    EXPECT_EQ(page->CheckBox[3], find<QCheckBox>("CheckBox3"));
    EXPECT_EQ(page->FocalShiftspin, find<NumberEdit>("FocalShiftspin"));
    EXPECT_EQ(form->AnimationTab->RxSpinEdit3, find<NumberEdit>("RxSpinEdit3"));
}

// Every control of a region lies inside it, and no two overlap.
TEST_F(Parameters, RegionsHoldTheirControlsWithoutOverlap)
{
    for (QWidget* region : {static_cast<QWidget*>(p->Aperturebox), static_cast<QWidget*>(p->Panel2),
                            static_cast<QWidget*>(p->Panel3)}) {
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
    p->Millimeters->click();
    EXPECT_EQ(p->ApertureSpin->text(), fixed(127.0, 2));
    EXPECT_EQ(p->ApertureSpin->minimum(), 50.0);
    EXPECT_EQ(p->ApertureSpin->maximum(), 650.0);
    EXPECT_EQ(p->ApertureSpin->step(), 25.0);

    p->Inches->click();
    EXPECT_EQ(p->ApertureSpin->text(), fixed(5.0, 2));
    EXPECT_EQ(p->ApertureSpin->minimum(), 2.0);
    EXPECT_EQ(p->ApertureSpin->maximum(), 25.0);
    EXPECT_EQ(p->ApertureSpin->step(), 4.0);
}

TEST_F(Parameters, ConvertedDiametersAreClampedToTheInchRange)
{
    p->Millimeters->click();
    p->ApertureSpin->setValue(650.0);
    p->Inches->click();
    EXPECT_EQ(p->ApertureSpin->text(), fixed(25.0, 2));  // 25.59 clamped

    p->Millimeters->click();
    p->ApertureSpin->setValue(50.0);
    p->Inches->click();
    EXPECT_EQ(p->ApertureSpin->text(), fixed(2.0, 2));  // 1.97 clamped
}

TEST_F(Parameters, DiameterAboveThresholdIsNotConvertedToMillimetres)
{
    p->ApertureSpin->setValue(23.0);
    p->Millimeters->click();
    EXPECT_TRUE(p->Millimeters->isChecked());
    EXPECT_EQ(p->ApertureSpin->text(), fixed(23.0, 2));
    EXPECT_EQ(p->ApertureSpin->minimum(), 2.0);
    EXPECT_EQ(p->ApertureSpin->maximum(), 25.0);
    EXPECT_EQ(p->ApertureSpin->step(), 2.0);
}

TEST_F(Parameters, UnparsableTextReadsAsTheMinimum)
{
    p->FocusSpin->setText({});
    EXPECT_EQ(p->FocusSpin->value(), -20.0);
    p->ApertureSpin->setText({});
    EXPECT_EQ(p->ApertureSpin->value(), 2.0);
}

// ---------------------------------------------------------------------------
// Obstruction, offset and spider

TEST_F(Parameters, HiddenAtStartIncludingCaptions)
{
    EXPECT_TRUE(p->OffsetSpin->isHidden());
    EXPECT_TRUE(ui::captionLabel(p->OffsetSpin)->isHidden());
    EXPECT_TRUE(p->Spidercheck->isHidden());
    EXPECT_TRUE(p->SpiderThickSpin->isHidden());
    EXPECT_TRUE(ui::captionLabel(p->SpiderThickSpin)->isHidden());
    EXPECT_FALSE(p->ObsSpin->isHidden());
    EXPECT_FALSE(ui::captionLabel(p->ObsSpin)->isHidden());
}

TEST_F(Parameters, ObstructionShowsAndHidesOffsetAndSpider)
{
    p->ObsSpin->setValue(20.0);
    EXPECT_FALSE(p->OffsetSpin->isHidden());
    EXPECT_FALSE(ui::captionLabel(p->OffsetSpin)->isHidden());
    EXPECT_FALSE(p->Spidercheck->isHidden());
    EXPECT_TRUE(p->SpiderThickSpin->isHidden());

    p->Spidercheck->click();
    EXPECT_FALSE(p->SpiderThickSpin->isHidden());
    EXPECT_FALSE(ui::captionLabel(p->SpiderThickSpin)->isHidden());
    p->OffsetSpin->setValue(3.0);

    p->ObsSpin->setValue(0.0);
    EXPECT_TRUE(p->OffsetSpin->isHidden());
    EXPECT_TRUE(ui::captionLabel(p->OffsetSpin)->isHidden());
    EXPECT_TRUE(p->Spidercheck->isHidden());
    EXPECT_FALSE(p->Spidercheck->isChecked());
    EXPECT_TRUE(p->SpiderThickSpin->isHidden());
    EXPECT_TRUE(ui::captionLabel(p->SpiderThickSpin)->isHidden());
    EXPECT_EQ(p->OffsetSpin->text(), fixed(3.0, 1));  // the offset keeps its value
}

TEST_F(Parameters, TypedObstructionTakesEffectWhileTyping)
{
    p->ObsSpin->setText("2");
    EXPECT_FALSE(p->Spidercheck->isHidden());
    p->ObsSpin->setText("");  // reads as the minimum, 0
    EXPECT_TRUE(p->Spidercheck->isHidden());
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
    form->TurbulenceTab->RandSeedSpin->setValue(7);
    EXPECT_FALSE(engine->TurbulenceReady);
    EXPECT_FALSE(engine->RoughnessReady);
}

TEST_F(ReadyFlags, TurbulenceAmountMarksOnlyTheTurbulenceScreen)
{
    markReady();
    form->TurbulenceTab->RMSSpin->setValue(0.5);
    EXPECT_FALSE(engine->TurbulenceReady);
    EXPECT_TRUE(engine->RoughnessReady);
}

TEST_F(ReadyFlags, RoughnessAndAnimationRangeMarkOnlyTheRoughnessScreen)
{
    app::AnimationPage* animation = form->AnimationTab;
    for (NumberEdit* edit : {form->TurbulenceTab->Roughspin, animation->RxSpinEdit1, animation->RxSpinEdit2,
                             animation->RxSpinEdit3}) {
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
    p->FocusSpin->setValue(1.5);
    p->ObsSpin->setValue(25.0);
    p->ApertureSpin->setValue(8.0);
    p->Millimeters->click();
    EXPECT_TRUE(engine->TurbulenceReady);
    EXPECT_TRUE(engine->RoughnessReady);
}

TEST_F(ReadyFlags, NegativeAmountsAreWrittenBackPositive)
{
    form->TurbulenceTab->RMSSpin->setText({});
    type(form->TurbulenceTab->RMSSpin, "-0.3");
    EXPECT_EQ(form->TurbulenceTab->RMSSpin->text(), fixed(0.3, 2));
    form->TurbulenceTab->Roughspin->setText("-1.25");
    EXPECT_EQ(form->TurbulenceTab->Roughspin->text(), fixed(1.25, 2));
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
        p->TDEradius->setValue(80);
        form->StartestTab->Brightslide->setValue(40);
    }

    //! The float editors the reset writes 0 to, in its order.
    std::vector<NumberEdit*> resetEditors() const
    {
        std::vector<NumberEdit*> editors = {p->FocusSpin,  p->XComaSpin, p->XastigSpin, p->SphericalSpin,
                                            p->HSASpin,    p->TubeSpin,  p->PinchSpin,  p->TDESpin};
        app::ChromaticPage* chromatic = form->ChromaticTab;
        for (int k = 1; k <= 7; ++k)
            editors.push_back(chromatic->ChromaFocus[k]);
        for (int k = 1; k <= 7; ++k)
            editors.push_back(chromatic->ChromaLSA[k]);
        editors.push_back(chromatic->FocalShiftspin);
        editors.push_back(form->TurbulenceTab->RMSSpin);
        editors.push_back(form->TurbulenceTab->Roughspin);
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

    p->Button1->click();

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Warning);
    EXPECT_EQ(dialogs.shown()[0].text, "Setting all values to defaults ");
    EXPECT_EQ(dialogs.shown()[0].buttons,
              (QList<ui::MessageButton>{ui::MessageButton::Ok, ui::MessageButton::Cancel}));
    const std::vector<NumberEdit*> editors = resetEditors();
    for (size_t i = 0; i < editors.size(); ++i)
        EXPECT_EQ(editors[i]->text(), before[i]) << editors[i]->objectName().toStdString();
    EXPECT_EQ(p->TDEradius->text(), "80");
    EXPECT_EQ(form->StartestTab->Brightslide->value(), 40);
    EXPECT_TRUE(engine->TurbulenceReady);
    EXPECT_TRUE(engine->RoughnessReady);
}

TEST_F(Reset, OkZeroesTheAberrationsInOrderAndLeavesTheRestAlone)
{
    disturb();
    // Controls the reset must leave as they are.
    p->Millimeters->click();
    p->ApertureSpin->setValue(200.0);
    p->ObsSpin->setValue(20.0);
    p->OffsetSpin->setValue(2.0);
    p->Spidercheck->setChecked(true);
    p->SpiderThickSpin->setValue(2.0);
    p->Comaangle->setValue(45);
    p->Astigmaangle->setValue(90);
    p->RxTuberadius->setValue(0.5);
    p->ZoomfSpin->setValue(1.5);
    p->PSFMTFCheck->setChecked(true);
    form->TurbulenceTab->RandSeedSpin->setValue(7);
    form->AboutTab->GammaSpin->setValue(0.7);
    form->ChromaticTab->ChromaWave[3]->setValue(500);
    form->ChromaticTab->CheckBox[2]->setChecked(false);
    form->AnimationTab->RxSpinEdit1->setValue(-3.0);
    engine->TurbulenceReady = true;
    engine->RoughnessReady = true;

    QStringList order;
    for (NumberEdit* e : resetEditors())
        QObject::connect(e, &NumberEdit::changed, [&order, e] { order << e->objectName(); });
    QObject::connect(p->TDEradius, &NumberEdit::changed, [&order] { order << "TDEradius"; });
    QObject::connect(form->StartestTab->Brightslide, &QSlider::valueChanged, [&order] { order << "Brightslide"; });
    dialogs.queueAnswer(ui::MessageButton::Ok);

    p->Button1->click();

    QStringList expected = {"FocusSpin", "XComaSpin", "XastigSpin", "SphericalSpin", "HSASpin",
                            "TubeSpin",  "PinchSpin", "TDESpin",    "TDEradius",     "Brightslide"};
    for (const char* name : {"ChromaFocus1", "ChromaFocus2", "ChromaFocus3", "Chromafocus4", "ChromaFocus5",
                             "Chromafocus6", "Chromafocus7", "ChromaLSA1", "ChromaLSA2", "ChromaLSA3", "ChromaLSA4",
                             "ChromaLSA5", "ChromaLSA6", "ChromaLSA7", "FocalShiftspin", "RMSSpin", "Roughspin"})
        expected << name;
    EXPECT_EQ(order, expected);

    for (NumberEdit* e : resetEditors())
        EXPECT_EQ(e->text(), fixed(0.0, 2)) << e->objectName().toStdString();
    EXPECT_EQ(p->TDEradius->text(), "50");
    EXPECT_EQ(form->StartestTab->Brightslide->value(), 0);
    EXPECT_FALSE(engine->TurbulenceReady);
    EXPECT_FALSE(engine->RoughnessReady);

    EXPECT_TRUE(p->Millimeters->isChecked());
    EXPECT_EQ(p->ApertureSpin->text(), fixed(200.0, 2));
    EXPECT_EQ(p->ObsSpin->text(), fixed(20.0, 1));
    EXPECT_EQ(p->OffsetSpin->text(), fixed(2.0, 1));
    EXPECT_TRUE(p->Spidercheck->isChecked());
    EXPECT_EQ(p->SpiderThickSpin->text(), fixed(2.0, 2));
    EXPECT_EQ(p->Comaangle->text(), "45");
    EXPECT_EQ(p->Astigmaangle->text(), "90");
    EXPECT_EQ(p->RxTuberadius->text(), fixed(0.5, 1));
    EXPECT_EQ(p->ZoomfSpin->text(), fixed(1.5, 2));
    EXPECT_TRUE(p->PSFMTFCheck->isChecked());
    EXPECT_EQ(form->TurbulenceTab->RandSeedSpin->text(), "7");
    EXPECT_EQ(form->AboutTab->GammaSpin->text(), fixed(0.7, 2));
    EXPECT_EQ(form->ChromaticTab->ChromaWave[3]->text(), "500");
    EXPECT_FALSE(form->ChromaticTab->CheckBox[2]->isChecked());
    EXPECT_EQ(form->AnimationTab->RxSpinEdit1->text(), fixed(-3.0, 2));
}

}  // namespace
