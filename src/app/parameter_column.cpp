#include "app/parameter_column.h"

#include "app/main_window.h"
#include "app/pages/animation_page.h"
#include "app/pages/chromatic_page.h"
#include "app/pages/page_helpers.h"
#include "app/pages/startest_page.h"
#include "app/pages/turbulence_page.h"
#include "ui/dialog_service.h"
#include "ui/hints.h"
#include "ui/number_edit.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

namespace app {

namespace {

using ui::NumberEdit;
using Type = NumberEdit::ValueType;

// Above this a diameter is taken to be in millimetres, below it in inches:
// apertures of 2..25 inches and 50..650 mm never meet there.
constexpr double kUnitThreshold = 21.0;
constexpr double kInchesPerMillimetre = 0.039370078740157480;
constexpr double kMillimetresPerInch = 25.4;

// Row height of an editor, and the offset that lines a label up with the
// text inside an editor of that row.
constexpr int kEditHeight = 21;
constexpr int kLabelDrop = 4;

NumberEdit* makeEditor(QWidget* parent, const char* name, const NumberEdit::Settings& settings, int x, int y,
                       int width)
{
    auto* edit = new NumberEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setup(settings);
    edit->setGeometry(x, y, width, kEditHeight);
    return edit;
}

//! A caption label beside `control`, lined up with an editor row at `rowY`.
QLabel* makeCaption(QWidget* control, const QString& text, int x, int rowY)
{
    QLabel* label = makeLabel(control->parentWidget(), text, x, rowY + kLabelDrop);
    ui::attachCaption(control, label);
    return label;
}

}  // namespace

ParameterColumn::ParameterColumn(QWidget* parent, TForm1& form)
    : QObject(parent), m_form(form)
{
    Aperturebox = new QGroupBox(parent);
    Aperturebox->setObjectName(QStringLiteral("Aperturebox"));
    Aperturebox->setGeometry(559, 16, 137, 210);

    Panel2 = new QFrame(parent);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::StyledPanel);
    Panel2->setGeometry(559, 224, 137, 193);

    Panel3 = new QFrame(parent);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameShape(QFrame::StyledPanel);
    Panel3->setGeometry(0, 343, 560, 75);

    buildApertureBox();
    buildOptionsPanel();
    buildAberrationPanel();
    connectHandlers();
}

void ParameterColumn::buildApertureBox()
{
    // The box is narrow: short captions sit beside their editor, long ones
    // above it; the editors share one right-hand column.
    QWidget* box = Aperturebox;
    constexpr int left = 8;
    constexpr int editX = 70;
    constexpr int editWidth = 60;
    constexpr int captionHeight = 14;

    Inches = new QRadioButton(QStringLiteral("Inches"), box);
    Inches->setObjectName(QStringLiteral("Inches"));
    Inches->setGeometry(left, 5, 120, 17);
    Inches->setChecked(true);
    Millimeters = new QRadioButton(QStringLiteral("Millimeters"), box);
    Millimeters->setObjectName(QStringLiteral("Millimeters"));
    Millimeters->setGeometry(left, 22, 120, 17);

    ApertureSpin = makeEditor(box, "ApertureSpin", {.minimum = 2.0, .maximum = 25.0, .step = 2.0, .start = 5.0},
                              editX, 44, editWidth);
    ui::setHint(ApertureSpin, QStringLiteral("Aperture Diameter (inches/millimeters)"), false);
    makeCaption(ApertureSpin, QStringLiteral("Aperture"), left, 44);

    auto captionAbove = [box](QWidget* control, const QString& text) {
        ui::attachCaption(control, makeLabel(box, text, left, control->y() - captionHeight));
    };

    ObsSpin = makeEditor(box, "ObsSpin", {.decimals = 1, .minimum = 0.0, .maximum = 95.0, .step = 5.0, .start = 0.0},
                         editX, 84, editWidth);
    ui::setHint(ObsSpin, QStringLiteral("Enter obstruction as percentage from\r\ntotal aperture"), false);
    captionAbove(ObsSpin, QStringLiteral("Obstruction(%)"));

    // The offset and the vane width are millimetres in either unit.
    OffsetSpin = makeEditor(box, "OffsetSpin",
                            {.decimals = 1, .minimum = 0.0, .maximum = 20.0, .step = 1.0, .start = 0.0}, editX, 122,
                            editWidth);
    ui::setHint(OffsetSpin, QStringLiteral("Enter offset as percentage from\r\ntotal aperture"), false);
    captionAbove(OffsetSpin, QStringLiteral("Secondary Offset(mm)"));

    Spidercheck = new QCheckBox(QStringLiteral("Spider"), box);
    Spidercheck->setObjectName(QStringLiteral("Spidercheck"));
    Spidercheck->setGeometry(left, 147, 110, 17);

    SpiderThickSpin = makeEditor(box, "SpiderThickSpin",
                                 {.minimum = 0.1, .maximum = 5.0, .step = 0.1, .start = 1.0}, editX, 181,
                                 editWidth);
    SpiderThickSpin->setTypingEnabled(false);
    ui::setHint(SpiderThickSpin, QStringLiteral("Enter obstruction as percentage from\r\ntotal aperture"), false);
    captionAbove(SpiderThickSpin, QStringLiteral("Thickness (mm)"));

    // Without an obstruction there is nothing to offset or to hold.
    ui::setVisibleWithCaption(OffsetSpin, false);
    Spidercheck->hide();
    ui::setVisibleWithCaption(SpiderThickSpin, false);
}

void ParameterColumn::buildOptionsPanel()
{
    QWidget* panel = Panel2;
    constexpr int left = 8;

    ZoomfSpin = makeEditor(panel, "ZoomfSpin", {.minimum = 0.1, .maximum = 2.0, .step = 0.1, .start = 1.0}, 70, 10,
                           60);
    ZoomfSpin->setTypingEnabled(false);
    ui::setHint(ZoomfSpin, QStringLiteral("Zoom factor (0.5 -2.0)"), false);
    makeCaption(ZoomfSpin, QStringLiteral("Zoom"), left, 10);

    PSFMTFCheck = new QCheckBox(QStringLiteral("Calculate PSF/MTF"), panel);
    PSFMTFCheck->setObjectName(QStringLiteral("PSFMTFCheck"));
    PSFMTFCheck->setGeometry(left, 40, 125, 18);
    ui::setHint(PSFMTFCheck, QStringLiteral("Add PSF/MTF calculation"), false);

    Wavefront = new QCheckBox(QStringLiteral("Display Wavefront"), panel);
    Wavefront->setObjectName(QStringLiteral("Wavefront"));
    Wavefront->setGeometry(left, 60, 125, 18);

    Button1 = new QPushButton(QStringLiteral("Reset Aberrations"), panel);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(left, 92, 121, 26);
    ui::setHint(Button1, QStringLiteral("Resets All aberrations"), true);

    // Its click belongs to the calculation driver, which connects it.
    CalculateButton = new QPushButton(QStringLiteral("Calculate"), panel);
    CalculateButton->setObjectName(QStringLiteral("CalculateButton"));
    CalculateButton->setGeometry(16, 150, 105, 30);
    ui::setHint(CalculateButton, QStringLiteral("Start calculations"), false);
}

void ParameterColumn::buildAberrationPanel()
{
    QWidget* panel = Panel3;
    // A caption row over two editor rows.
    constexpr int captionY = 4;
    constexpr int row1 = 20;
    constexpr int row2 = 46;
    constexpr int width = 58;
    const NumberEdit::Settings waves{.minimum = -10.0, .maximum = 10.0, .step = 0.1, .start = 0.0};
    const NumberEdit::Settings degrees{
        .type = Type::Integer, .minimum = 0.0, .maximum = 359.0, .step = 1.0, .start = 0.0};

    auto header = [panel](const QString& text, int x) { return makeLabel(panel, text, x, captionY); };
    auto caption = [](QWidget* control, const QString& text) {
        QLabel* label = makeLabel(control->parentWidget(), text, control->x(), captionY);
        ui::attachCaption(control, label);
        return label;
    };

    int x = 8;
    FocusSpin = makeEditor(panel, "FocusSpin", {.minimum = -20.0, .maximum = 20.0, .step = 0.5, .start = 0.0}, x,
                           row1, width);
    ui::setHint(FocusSpin, QStringLiteral("= perfect focus\r\n-/+ = defocusing before/after focuspoint"), false);
    caption(FocusSpin, QStringLiteral("Focus"));

    x += width + 8;
    XComaSpin = makeEditor(panel, "XComaSpin", waves, x, row1, width);
    ui::setHint(XComaSpin, QStringLiteral("X-Coma "), false);
    caption(XComaSpin, QStringLiteral("Coma"));
    Comaangle = makeEditor(panel, "Comaangle", degrees, x, row2, width);
    ui::setHint(Comaangle, QStringLiteral("Coma angle (degrees)"), true);

    x += width + 8;
    XastigSpin = makeEditor(panel, "XastigSpin", waves, x, row1, width);
    ui::setHint(XastigSpin, QStringLiteral("X-axis astigmatism"), false);
    caption(XastigSpin, QStringLiteral("Astigmatism"));
    Astigmaangle = makeEditor(panel, "Astigmaangle", degrees, x, row2, width);
    ui::setHint(Astigmaangle, QStringLiteral("Astigma angle (degrees)"), true);

    // Spherical aberration: one heading, the two orders labelled beside their editors.
    x += width + 18;
    header(QStringLiteral("Spherical"), x);
    constexpr int orderLabelWidth = 56;
    SphericalSpin = makeEditor(panel, "SphericalSpin", waves, x + orderLabelWidth, row1, width);
    ui::setHint(SphericalSpin, QStringLiteral("Lower spherical aberration "), false);
    makeCaption(SphericalSpin, QStringLiteral("low(3rd)"), x, row1);
    HSASpin = makeEditor(panel, "HSASpin", waves, x + orderLabelWidth, row2, width);
    ui::setHint(HSASpin, QStringLiteral("Higher spherical aberration"), false);
    makeCaption(HSASpin, QStringLiteral("high(5th)"), x, row2);

    x += orderLabelWidth + width + 12;
    PinchSpin = makeEditor(panel, "PinchSpin", waves, x, row1, width);
    ui::setHint(PinchSpin, QStringLiteral("Pinched Optics"), false);
    ui::setHint(caption(PinchSpin, QStringLiteral("Pinch")), QStringLiteral("Pinched Optics (3-fold)"), true);

    x += width + 8;
    TubeSpin = makeEditor(panel, "TubeSpin", waves, x, row1, width);
    ui::setHint(TubeSpin, QStringLiteral("Tube  currents"), false);
    ui::setHint(caption(TubeSpin, QStringLiteral("Tube")),
                QStringLiteral("Tube currents\r\nEffect of cooling down mirrors"), true);
    RxTuberadius = makeEditor(panel, "RxTuberadius",
                              {.decimals = 1, .minimum = 0.0, .maximum = 1.0, .step = 0.1, .start = 0.3}, x, row2,
                              width);
    ui::setHint(RxTuberadius, QStringLiteral("Radius of Tube affected by tube currents"), true);

    x += width + 8;
    TDESpin = makeEditor(panel, "TDESpin", waves, x, row1, width);
    ui::setHint(TDESpin, QStringLiteral("Turned Down Edge"), false);
    caption(TDESpin, QStringLiteral("TDE"));
    TDEradius = makeEditor(panel, "TDEradius",
                           {.type = Type::Integer, .minimum = 50.0, .maximum = 100.0, .step = 1.0, .start = 95.0}, x,
                           row2, width);
    ui::setHint(TDEradius, QStringLiteral("TDE area in % of total radius "), false);
    makeCaption(TDEradius, QStringLiteral("%"), x + width + 4, row2);
}

void ParameterColumn::connectHandlers()
{
    connect(Inches, &QRadioButton::toggled, this, &ParameterColumn::InchesClick);
    connect(Millimeters, &QRadioButton::toggled, this, &ParameterColumn::MillimetersClick);
    connect(ObsSpin, &NumberEdit::changed, this, &ParameterColumn::ObsSpinChange);
    connect(Spidercheck, &QCheckBox::toggled, this, &ParameterColumn::SpidercheckClick);
    connect(Button1, &QPushButton::clicked, this, &ParameterColumn::Button1Click);

    // The screen settings live on the Turbulence and Animation pages; their
    // handlers are the window's. Editing the animation range also marks the
    // roughness screen for rebuilding.
    TurbulencePage* turbulence = m_form.TurbulenceTab;
    connect(turbulence->RMSSpin, &NumberEdit::changed, &m_form, &TForm1::RMSSpinChange);
    connect(turbulence->Roughspin, &NumberEdit::changed, &m_form, &TForm1::Roughchange);
    connect(turbulence->RandSeedSpin, &NumberEdit::changed, &m_form, &TForm1::RandSeedSpinChange);
    AnimationPage* animation = m_form.AnimationTab;
    for (NumberEdit* range : {animation->RxSpinEdit1, animation->RxSpinEdit2, animation->RxSpinEdit3})
        connect(range, &NumberEdit::changed, &m_form, &TForm1::Roughchange);
}

void ParameterColumn::InchesClick()
{
    if (!Inches->isChecked() || ApertureSpin->value() <= kUnitThreshold)
        return;
    // The limits change first; reading does not clamp, so the conversion
    // starts from the millimetre value.
    ApertureSpin->setRange(2.0, 25.0);
    ApertureSpin->setStep(4.0);
    ApertureSpin->setValue(ApertureSpin->value() * kInchesPerMillimetre);
}

void ParameterColumn::MillimetersClick()
{
    if (!Millimeters->isChecked() || ApertureSpin->value() >= kUnitThreshold)
        return;
    ApertureSpin->setRange(50.0, 650.0);
    ApertureSpin->setStep(25.0);
    ApertureSpin->setValue(ApertureSpin->value() * kMillimetresPerInch);
}

void ParameterColumn::ObsSpinChange()
{
    if (ObsSpin->value() != 0.0) {
        ui::setVisibleWithCaption(OffsetSpin, true);
        Spidercheck->show();
        return;
    }
    // The offset keeps its value; it only stops showing.
    ui::setVisibleWithCaption(OffsetSpin, false);
    Spidercheck->setChecked(false);
    Spidercheck->hide();
    ui::setVisibleWithCaption(SpiderThickSpin, false);
}

void ParameterColumn::SpidercheckClick()
{
    ui::setVisibleWithCaption(SpiderThickSpin, Spidercheck->isChecked());
}

void ParameterColumn::Button1Click()
{
    const ui::MessageButton answer =
        m_form.dialogs().showMessage(&m_form, ui::MessageKind::Warning, QStringLiteral("Setting all values to defaults "),
                                     {ui::MessageButton::Ok, ui::MessageButton::Cancel});
    if (answer != ui::MessageButton::Ok)
        return;

    for (NumberEdit* amount : {FocusSpin, XComaSpin, XastigSpin, SphericalSpin, HSASpin, TubeSpin, PinchSpin, TDESpin})
        amount->setValue(0.0);
    // Clamped to the minimum: the edge radius ends at 50, not at its start value.
    TDEradius->setValue(0.0);
    m_form.StartestTab->Brightslide->setValue(0);

    ChromaticPage* chromatic = m_form.ChromaticTab;
    for (int k = 1; k <= 7; ++k)
        chromatic->ChromaFocus[k]->setValue(0.0);
    for (int k = 1; k <= 7; ++k)
        chromatic->ChromaLSA[k]->setValue(0.0);
    chromatic->FocalShiftspin->setValue(0.0);

    // Their change handlers mark the screens for rebuilding.
    m_form.TurbulenceTab->RMSSpin->setValue(0.0);
    m_form.TurbulenceTab->Roughspin->setValue(0.0);
}

}  // namespace app
