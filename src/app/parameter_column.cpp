#include "app/parameter_column.h"

#include "app/control_names.h"
#include "app/figures_text.h"
#include "app/pages/page_helpers.h"
#include "optics/constants.h"
#include "ui/dialog_service.h"
#include "ui/hints.h"
#include "ui/number_edit.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace app {

namespace {

using ui::NumberEdit;
using Type = NumberEdit::ValueType;

// The offset that lines a label up with the text inside an editor row.
constexpr int kLabelDrop = 4;

//! A caption label beside `control`, lined up with an editor row at `rowY`.
QLabel* makeCaption(QWidget* control, const QString& text, int x, int rowY)
{
    QLabel* label = makeLabel(control->parentWidget(), text, x, rowY + kLabelDrop);
    ui::attachCaption(control, label);
    return label;
}

}  // namespace

ParameterColumn::ParameterColumn(QWidget* parent, ui::DialogService& dialogs)
    : QObject(parent), m_dialogs(dialogs), m_window(parent)
{
    auto* apertureBox = new QGroupBox(parent);
    apertureBox->setObjectName(QLatin1String(names::kApertureBox));
    apertureBox->setGeometry(559, 16, 137, 210);

    auto* options = new QFrame(parent);
    options->setObjectName(QLatin1String(names::kOptionsPanel));
    options->setFrameShape(QFrame::StyledPanel);
    options->setGeometry(559, 224, 137, 193);

    auto* aberrations = new QFrame(parent);
    aberrations->setObjectName(QLatin1String(names::kAberrationPanel));
    aberrations->setFrameShape(QFrame::StyledPanel);
    aberrations->setGeometry(0, 343, 560, 75);

    buildApertureBox(apertureBox);
    buildOptionsPanel(options);
    buildAberrationPanel(aberrations);

    connect(m_inches, &QRadioButton::toggled, this, &ParameterColumn::useInches);
    connect(m_millimetresButton, &QRadioButton::toggled, this, &ParameterColumn::useMillimetres);
    connect(m_obstruction, &NumberEdit::changed, this, &ParameterColumn::showObstructionControls);
    connect(m_spider, &QCheckBox::toggled, this, &ParameterColumn::showVaneWidth);
    connect(m_reset, &QPushButton::clicked, this, &ParameterColumn::resetAberrations);
    connect(m_calculate, &QPushButton::clicked, this, &ParameterColumn::calculateClicked);
    connect(m_zoom, &NumberEdit::changed, this, &ParameterColumn::zoomChanged);
    connect(m_live, &QCheckBox::toggled, this, &ParameterColumn::liveToggled);
    connect(m_focalRatio, &NumberEdit::changed, this, &ParameterColumn::focalRatioChanged);
    connect(m_focalRatio, &NumberEdit::changed, this, &ParameterColumn::showFocusTravel);
    connect(m_focus, &NumberEdit::changed, this, &ParameterColumn::showFocusTravel);
    connect(m_wavefront, &QCheckBox::toggled, this, &ParameterColumn::wavefrontMapToggled);
    // Every value a calculation reads.
    for (NumberEdit* edit : {m_aperture, m_obstruction, m_offset, m_vaneWidth, m_focus, m_coma, m_comaAngle,
                             m_astigmatism, m_astigmatismAngle, m_spherical, m_higherSpherical, m_pinch, m_tube,
                             m_tubeRadius, m_edge, m_edgeRadius})
        connect(edit, &NumberEdit::changed, this, &ParameterColumn::edited);
    for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{m_inches, m_spider, m_transferFunction,
                                                                          m_wavefront})
        connect(box, &QAbstractButton::toggled, this, &ParameterColumn::edited);
    showFocusTravel();
}

void ParameterColumn::buildApertureBox(QGroupBox* box)
{
    // The box is narrow: short captions sit beside their editor, long ones
    // above it; the editors share one right-hand column.
    constexpr int left = 8;
    constexpr int editX = 70;
    constexpr int editWidth = 60;
    constexpr int captionHeight = 14;

    m_inches = new QRadioButton(QStringLiteral("Inches"), box);
    m_inches->setObjectName(QLatin1String(names::kInches));
    m_inches->setGeometry(left, 5, 120, 17);
    m_inches->setChecked(true);
    m_millimetresButton = new QRadioButton(QStringLiteral("Millimeters"), box);
    m_millimetresButton->setObjectName(QLatin1String(names::kMillimeters));
    m_millimetresButton->setGeometry(left, 22, 120, 17);

    m_aperture = makeEditor(box, QLatin1String(names::kAperture), {.minimum = 2.0, .maximum = 25.0, .step = 2.0, .start = 5.0},
                              editX, 44, editWidth);
    ui::setHint(m_aperture, QStringLiteral("Aperture Diameter (inches/millimeters)"), false);
    makeCaption(m_aperture, QStringLiteral("Aperture"), left, 44);

    auto captionAbove = [box](QWidget* control, const QString& text) {
        ui::attachCaption(control, makeLabel(box, text, left, control->y() - captionHeight));
    };

    m_obstruction = makeEditor(box, QLatin1String(names::kObstruction), {.decimals = 1, .minimum = 0.0, .maximum = 95.0, .step = 5.0, .start = 0.0},
                         editX, 84, editWidth);
    ui::setHint(m_obstruction, QStringLiteral("Enter obstruction as percentage from\r\ntotal aperture"), false);
    captionAbove(m_obstruction, QStringLiteral("Obstruction(%)"));

    // The offset and the vane width are millimetres in either unit.
    m_offset = makeEditor(box, QLatin1String(names::kOffset),
                            {.decimals = 1, .minimum = 0.0, .maximum = 20.0, .step = 1.0, .start = 0.0}, editX, 122,
                            editWidth);
    ui::setHint(m_offset, QStringLiteral("Enter offset as percentage from\r\ntotal aperture"), false);
    captionAbove(m_offset, QStringLiteral("Secondary Offset(mm)"));

    m_spider = new QCheckBox(QStringLiteral("Spider"), box);
    m_spider->setObjectName(QLatin1String(names::kSpider));
    m_spider->setGeometry(left, 147, 110, 17);

    m_vaneWidth = makeEditor(box, QLatin1String(names::kVaneWidth),
                                 {.minimum = 0.1, .maximum = 5.0, .step = 0.1, .start = 1.0}, editX, 181,
                                 editWidth);
    m_vaneWidth->setTypingEnabled(false);
    ui::setHint(m_vaneWidth, QStringLiteral("Enter obstruction as percentage from\r\ntotal aperture"), false);
    captionAbove(m_vaneWidth, QStringLiteral("Thickness (mm)"));

    // Without an obstruction there is nothing to offset or to hold.
    ui::setVisibleWithCaption(m_offset, false);
    m_spider->hide();
    ui::setVisibleWithCaption(m_vaneWidth, false);
}

void ParameterColumn::buildOptionsPanel(QFrame* panel)
{
    constexpr int left = 8;

    m_zoom = makeEditor(panel, QLatin1String(names::kZoom), {.minimum = 0.1, .maximum = 2.0, .step = 0.1, .start = 1.0},
                        70, 8, 60);
    ui::setHint(m_zoom, QStringLiteral("Zoom factor (0.1 - 2.0)"), false);
    makeCaption(m_zoom, QStringLiteral("Zoom"), left, 8);

    m_focalRatio = makeEditor(panel, QLatin1String(names::kFocalRatio),
                              {.decimals = 1, .minimum = 2.0, .maximum = 30.0, .step = 0.5, .start = 6.0}, 84, 33, 46);
    ui::setHint(m_focalRatio,
                QStringLiteral("Focal ratio (f/2 .. f/30)|Focal ratio f/N of the telescope: gives the defocus as "
                               "focuser travel and the star in micrometres at the focal plane"),
                true);
    makeCaption(m_focalRatio, QStringLiteral("Focal ratio f/"), left, 33);

    m_transferFunction = new QCheckBox(QStringLiteral("Calculate PSF/MTF"), panel);
    m_transferFunction->setObjectName(QLatin1String(names::kTransferFunction));
    m_transferFunction->setGeometry(left, 59, 125, 18);
    ui::setHint(m_transferFunction, QStringLiteral("Add PSF/MTF calculation"), false);

    m_wavefront = new QCheckBox(QStringLiteral("Display Wavefront"), panel);
    m_wavefront->setObjectName(QLatin1String(names::kWavefront));
    m_wavefront->setGeometry(left, 78, 125, 18);

    m_live = new QCheckBox(QStringLiteral("Live"), panel);
    m_live->setObjectName(QLatin1String(names::kLive));
    m_live->setGeometry(left, 128, 121, 18);
    ui::setHint(m_live, QStringLiteral("Live|Calculate the star again whenever a value changes"), true);

    m_reset = new QPushButton(QStringLiteral("Reset Aberrations"), panel);
    m_reset->setObjectName(QLatin1String(names::kResetAberrations));
    m_reset->setGeometry(left, 100, 121, 25);
    ui::setHint(m_reset, QStringLiteral("Resets All aberrations"), true);

    m_calculate = new QPushButton(QStringLiteral("Calculate"), panel);
    m_calculate->setObjectName(QLatin1String(names::kCalculate));
    m_calculate->setGeometry(16, 153, 105, 30);
    ui::setHint(m_calculate, QStringLiteral("Start calculations"), false);
}

void ParameterColumn::buildAberrationPanel(QFrame* panel)
{
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
    m_focus = makeEditor(panel, QLatin1String(names::kFocus), {.minimum = -20.0, .maximum = 20.0, .step = 0.5, .start = 0.0}, x,
                           row1, width);
    ui::setHint(m_focus, QStringLiteral("= perfect focus\r\n-/+ = defocusing before/after focuspoint"), false);
    caption(m_focus, QStringLiteral("Focus"));
    // Under the focus editor: its defocus as focuser travel at the focal ratio.
    m_focusTravel = makeLabel(panel, QString(), x, row2 + kLabelDrop);
    m_focusTravel->setObjectName(QLatin1String(names::kFocusTravel));
    m_focusTravel->setFixedWidth(width);
    ui::setHint(m_focusTravel,
                QStringLiteral("Focuser travel|The defocus as focuser travel at the focal ratio f/N: "
                               "8 N\u00b2 \u03bb W for W waves, \u03bb = 555 nm"),
                true);

    x += width + 8;
    m_coma = makeEditor(panel, QLatin1String(names::kComa), waves, x, row1, width);
    ui::setHint(m_coma, QStringLiteral("X-Coma "), false);
    caption(m_coma, QStringLiteral("Coma"));
    m_comaAngle = makeEditor(panel, QLatin1String(names::kComaAngle), degrees, x, row2, width);
    ui::setHint(m_comaAngle, QStringLiteral("Coma angle (degrees)"), true);

    x += width + 8;
    m_astigmatism = makeEditor(panel, QLatin1String(names::kAstigmatism), waves, x, row1, width);
    ui::setHint(m_astigmatism, QStringLiteral("X-axis astigmatism"), false);
    caption(m_astigmatism, QStringLiteral("Astigmatism"));
    m_astigmatismAngle = makeEditor(panel, QLatin1String(names::kAstigmatismAngle), degrees, x, row2, width);
    ui::setHint(m_astigmatismAngle, QStringLiteral("Astigma angle (degrees)"), true);

    // Spherical aberration: one heading, the two orders labelled beside their editors.
    x += width + 18;
    header(QStringLiteral("Spherical"), x);
    constexpr int orderLabelWidth = 56;
    m_spherical = makeEditor(panel, QLatin1String(names::kSpherical), waves, x + orderLabelWidth, row1, width);
    ui::setHint(m_spherical, QStringLiteral("Lower spherical aberration "), false);
    makeCaption(m_spherical, QStringLiteral("low(3rd)"), x, row1);
    m_higherSpherical = makeEditor(panel, QLatin1String(names::kHigherSpherical), waves, x + orderLabelWidth, row2, width);
    ui::setHint(m_higherSpherical, QStringLiteral("Higher spherical aberration"), false);
    makeCaption(m_higherSpherical, QStringLiteral("high(5th)"), x, row2);

    x += orderLabelWidth + width + 12;
    m_pinch = makeEditor(panel, QLatin1String(names::kPinch), waves, x, row1, width);
    ui::setHint(m_pinch, QStringLiteral("Pinched Optics"), false);
    ui::setHint(caption(m_pinch, QStringLiteral("Pinch")), QStringLiteral("Pinched Optics (3-fold)"), true);

    x += width + 8;
    m_tube = makeEditor(panel, QLatin1String(names::kTube), waves, x, row1, width);
    ui::setHint(m_tube, QStringLiteral("Tube  currents"), false);
    ui::setHint(caption(m_tube, QStringLiteral("Tube")),
                QStringLiteral("Tube currents\r\nEffect of cooling down mirrors"), true);
    m_tubeRadius = makeEditor(panel, QLatin1String(names::kTubeRadius),
                              {.decimals = 1, .minimum = 0.0, .maximum = 1.0, .step = 0.1, .start = 0.3}, x, row2,
                              width);
    ui::setHint(m_tubeRadius, QStringLiteral("Radius of Tube affected by tube currents"), true);

    x += width + 8;
    m_edge = makeEditor(panel, QLatin1String(names::kEdge), waves, x, row1, width);
    ui::setHint(m_edge, QStringLiteral("Turned Down Edge"), false);
    caption(m_edge, QStringLiteral("TDE"));
    m_edgeRadius = makeEditor(panel, QLatin1String(names::kEdgeRadius),
                           {.type = Type::Integer, .minimum = 50.0, .maximum = 100.0, .step = 1.0, .start = 95.0}, x,
                           row2, width);
    ui::setHint(m_edgeRadius, QStringLiteral("TDE area in % of total radius "), false);
    makeCaption(m_edgeRadius, QStringLiteral("%"), x + width + 4, row2);
}

void ParameterColumn::read(optics::StarRequest& request) const
{
    optics::PupilParams& pupil = request.pupil;
    pupil.millimeters = m_millimetresButton->isChecked();
    pupil.diameter = m_aperture->value();
    pupil.focus = m_focus->value();
    pupil.coma = m_coma->value();
    pupil.comaAngle = m_comaAngle->value();
    pupil.astigmatism = m_astigmatism->value();
    pupil.astigmatismAngle = m_astigmatismAngle->value();
    pupil.spherical = m_spherical->value();
    pupil.higherSpherical = m_higherSpherical->value();
    pupil.pinch = m_pinch->value();
    pupil.tube = m_tube->value();
    pupil.tubeRadius = m_tubeRadius->value();
    pupil.edge = m_edge->value();
    pupil.edgeRadius = m_edgeRadius->value();
    request.aperture.obstructionPercent = m_obstruction->value();
    request.aperture.offsetMm = m_offset->value();
    request.aperture.spider = m_spider->isChecked();
    request.aperture.vaneWidthMm = m_vaneWidth->value();
    request.transferFunction = m_transferFunction->isChecked();
    request.wavefrontMap = m_wavefront->isChecked();
}

NumberEdit* ParameterColumn::editor(sim::Setting setting) const
{
    switch (setting) {
    case sim::Setting::Aperture: return m_aperture;
    case sim::Setting::Focus: return m_focus;
    case sim::Setting::Coma: return m_coma;
    case sim::Setting::ComaAngle: return m_comaAngle;
    case sim::Setting::Astigmatism: return m_astigmatism;
    case sim::Setting::AstigmatismAngle: return m_astigmatismAngle;
    case sim::Setting::Spherical: return m_spherical;
    case sim::Setting::HigherSpherical: return m_higherSpherical;
    case sim::Setting::Pinch: return m_pinch;
    case sim::Setting::Tube: return m_tube;
    case sim::Setting::Edge: return m_edge;
    }
    return m_focus;
}

double ParameterColumn::held(sim::Setting setting, double value) const
{
    return editor(setting)->held(value);
}

QString ParameterColumn::diameterText() const
{
    return m_aperture->text();
}

double ParameterColumn::obstruction() const
{
    return m_obstruction->value();
}

double ParameterColumn::zoom() const
{
    // Typed text is drawn at the zoom it will be held at.
    return m_zoom->clamped(m_zoom->value());
}

double ParameterColumn::focalRatio() const
{
    return m_focalRatio->value();
}

float ParameterColumn::apertureInches() const
{
    return optics::ApertureInchesOf(m_aperture->value(), m_millimetresButton->isChecked());
}

void ParameterColumn::showFocusTravel()
{
    m_focusTravel->setText(TravelText(optics::FocusTravelMm(m_focus->value(), m_focalRatio->value())));
}

bool ParameterColumn::live() const
{
    return m_live->isChecked();
}

void ParameterColumn::setLive(bool live)
{
    m_live->setChecked(live);
}

void ParameterColumn::showZoomOne()
{
    m_zoom->setValue(1.0);
}

void ParameterColumn::resetObstruction()
{
    m_obstruction->setValue(0.0);
}

void ParameterColumn::useInches()
{
    if (m_inches->isChecked() && m_millimetres)
        convertDiameter(false);
}

void ParameterColumn::useMillimetres()
{
    if (m_millimetresButton->isChecked() && !m_millimetres)
        convertDiameter(true);
}

void ParameterColumn::convertDiameter(bool toMillimetres)
{
    m_millimetres = toMillimetres;
    // The limits change first; reading does not clamp, so the conversion
    // starts from the value in the old unit.
    if (toMillimetres) {
        m_aperture->setRange(50.0, 650.0);
        m_aperture->setStep(25.0);
        m_aperture->setValue(m_aperture->value() * optics::kMillimetresPerInch);
    } else {
        m_aperture->setRange(2.0, 25.0);
        m_aperture->setStep(4.0);
        m_aperture->setValue(m_aperture->value() * optics::kInchesPerMillimetre);
    }
}

void ParameterColumn::showObstructionControls()
{
    if (m_obstruction->value() != 0.0) {
        ui::setVisibleWithCaption(m_offset, true);
        m_spider->show();
        return;
    }
    // The offset keeps its value; it only stops showing.
    ui::setVisibleWithCaption(m_offset, false);
    m_spider->setChecked(false);
    m_spider->hide();
    ui::setVisibleWithCaption(m_vaneWidth, false);
}

void ParameterColumn::showVaneWidth()
{
    ui::setVisibleWithCaption(m_vaneWidth, m_spider->isChecked());
}

void ParameterColumn::resetAberrations()
{
    const ui::MessageButton answer =
        m_dialogs.showMessage(m_window->window(), ui::MessageKind::Warning, QStringLiteral("Setting all values to defaults "),
                              {ui::MessageButton::Ok, ui::MessageButton::Cancel});
    if (answer != ui::MessageButton::Ok)
        return;
    for (NumberEdit* amount : {m_focus, m_coma, m_astigmatism, m_spherical, m_higherSpherical, m_tube, m_pinch, m_edge})
        amount->setValue(0.0);
    // The edge zone back to its start value, as the confirmation says.
    m_edgeRadius->setValue(95.0);
    emit resetConfirmed();
}

}  // namespace app
