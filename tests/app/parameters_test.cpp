// The parameter editors: how they start, the unit switch, the obstruction's
// controls, Reset Aberrations, and that no view writes them during a run.
#include "window_fixture.h"

#include "ui/hints.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLocale>
#include <QRadioButton>
#include <QSlider>

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace app::names;
using ui::NumberEdit;
constexpr auto F = NumberEdit::ValueType::Float;
constexpr auto I = NumberEdit::ValueType::Integer;

// The text a float editor shows for `value` with `decimals`, in the locale
// of the test run.
QString fixed(double value, int decimals = 2)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

class Parameters : public testing_support::WindowTest {
protected:
    //! Every numeric editor of the aperture group, the options panel and the
    //! aberration panel.
    std::vector<NumberEdit*> columnEditors() const
    {
        std::vector<NumberEdit*> editors;
        for (const char* region : {kApertureBox, kOptionsPanel, kAberrationPanel})
            for (NumberEdit* e : find(region)->findChildren<NumberEdit*>())
                editors.push_back(e);
        return editors;
    }
};

// Start value, range and step of every editor (integer editors show no
// decimals); zoom and vane width are stepped only, never typed.
TEST_F(Parameters, EveryEditorStartsWithItsValueRangeAndStep)
{
    struct Row {
        const char* name;
        NumberEdit::ValueType type;
        int decimals;
        double start, minimum, maximum, step;
    };
    std::vector<Row> rows = {
        {kAperture, F, 2, 5, 2, 25, 2},          {kObstruction, F, 1, 0, 0, 95, 5},
        {kOffset, F, 1, 0, 0, 20, 1},            {kVaneWidth, F, 2, 1, 0.1, 5, 0.1},
        {kFocus, F, 2, 0, -20, 20, 0.5},         {kComa, F, 2, 0, -10, 10, 0.1},
        {kComaAngle, I, 0, 0, 0, 359, 1},        {kAstigmatism, F, 2, 0, -10, 10, 0.1},
        {kAstigmatismAngle, I, 0, 0, 0, 359, 1}, {kSpherical, F, 2, 0, -10, 10, 0.1},
        {kHigherSpherical, F, 2, 0, -10, 10, 0.1}, {kPinch, F, 2, 0, -10, 10, 0.1},
        {kTube, F, 2, 0, -10, 10, 0.1},          {kTubeRadius, F, 1, 0.3, 0, 1, 0.1},
        {kEdge, F, 2, 0, -10, 10, 0.1},          {kEdgeRadius, I, 0, 95, 50, 100, 1},
        {kTurbulenceAmount, F, 2, 0, 0, 2, 0.05}, {kRoughnessAmount, F, 2, 0, 0, 2, 0.05},
        {kSeed, I, 0, 1, 1, 10000, 1},           {kZoom, F, 2, 1, 0.1, 2, 0.1},
        {kLowest, F, 2, -5, -10, 10, 0.05},      {kHighest, F, 2, 5, -10, 10, 0.05},
        {kSteps, I, 0, 20, 0, 100, 1},           {kFocalShift, F, 2, 0, -10, 10, 0.1},
        {kGamma, F, 2, 0.5, 0, 0.99, 0.1},       {kSlope, F, 2, 4.5, 0.01, 100, 1},
        {kSeparation, F, 2, 1.5, 0, 20, 0.1},    {kMagnitudeDifference, F, 2, 0, 0, 12, 0.5},
        {kPositionAngle, I, 0, 0, -360, 360, 1},
    };
    const int waveLengths[] = {405, 436, 486, 555, 589, 656, 707};
    for (int k = 0; k < 7; ++k) {
        rows.push_back({kRowWavelength[k], I, 0, double(waveLengths[k]), 380, 720, 2});
        rows.push_back({kRowFocus[k], F, 2, 0, -10, 10, 0.1});
        rows.push_back({kRowSpherical[k], F, 2, 0, -10, 10, 0.1});
    }
    for (const Row& row : rows) {
        NumberEdit* e = edit(row.name);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->text(), row.type == F ? fixed(row.start, row.decimals) : QString::number(qlonglong(row.start)))
            << row.name;
        EXPECT_EQ(std::tuple(e->valueType(), e->minimum(), e->maximum(), e->step()),
                  std::tuple(row.type, row.minimum, row.maximum, row.step))
            << row.name;
        EXPECT_EQ(e->typingEnabled(), row.name != kVaneWidth) << row.name;
    }
}

// Every control of a region lies inside it, and no two overlap.
TEST_F(Parameters, RegionsHoldTheirControlsWithoutOverlap)
{
    for (const char* name : {kApertureBox, kOptionsPanel, kAberrationPanel}) {
        QWidget* region = find(name);
        const QList<QWidget*> children = region->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        EXPECT_GE(children.size(), 6);
        const auto describe = [](const QWidget* w) {
            const QRect g = w->geometry();
            return QStringLiteral("%1%2 (%3,%4 %5x%6)")
                .arg(ui::captionOf(w), w->objectName())
                .arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height())
                .toStdString();
        };
        for (QWidget* child : children)
            EXPECT_TRUE(region->rect().contains(child->geometry())) << name << ": " << describe(child);
        for (int a = 0; a < children.size(); ++a)
            for (int b = a + 1; b < children.size(); ++b)
                EXPECT_FALSE(children[a]->geometry().intersects(children[b]->geometry()))
                    << name << ": " << describe(children[a]) << " / " << describe(children[b]);
    }
}

// The diameter is converted whenever the unit changes, clamped into the new
// range, and never when the chosen unit is chosen again.
TEST_F(Parameters, TheDiameterIsConvertedExactlyWhenTheUnitChanges)
{
    struct Step {
        double typed;  // written before the click; 0 for none
        const char* unit;
        double shown;
        double minimum, maximum, step;
    } steps[] = {
        {0, kMillimeters, 127.0, 50, 650, 25},
        {0, kInches, 5.0, 2, 25, 4},
        {23, kMillimeters, 584.2, 50, 650, 25},
        {0, kMillimeters, 584.2, 50, 650, 25},
        {60, kInches, 2.36, 2, 25, 4},
        {0, kInches, 2.36, 2, 25, 4},
        {0, kMillimeters, 59.94, 50, 650, 25},
        {650, kInches, 25.0, 2, 25, 4},  // 25.59 clamped
        {0, kMillimeters, 635.0, 50, 650, 25},
        {50, kInches, 2.0, 2, 25, 4},  // 1.97 clamped
    };
    NumberEdit* aperture = edit(kAperture);
    for (const Step& s : steps) {
        if (s.typed != 0)
            aperture->setValue(s.typed);
        click(s.unit);
        EXPECT_EQ(aperture->text(), fixed(s.shown)) << s.typed << " " << s.unit;
        EXPECT_EQ(std::tuple(aperture->minimum(), aperture->maximum(), aperture->step()),
                  std::tuple(s.minimum, s.maximum, s.step));
    }
}

// Offset and spider show only with an obstruction, as soon as one is typed;
// the vane width only with the spider. The offset keeps its value hidden.
TEST_F(Parameters, TheObstructionShowsItsOffsetAndSpider)
{
    const auto shown = [this] {
        std::string flags;
        const QWidget* controls[] = {edit(kOffset), ui::captionLabel(edit(kOffset)), find(kSpider), edit(kVaneWidth),
                                     ui::captionLabel(edit(kVaneWidth))};
        for (const QWidget* w : controls)
            flags += w->isHidden() ? '-' : '+';
        return flags;
    };
    EXPECT_EQ(shown(), "-----");
    EXPECT_FALSE(ui::captionLabel(edit(kObstruction))->isHidden());
    set(kObstruction, 20.0);
    EXPECT_EQ(shown(), "+++--");
    click(kSpider);
    EXPECT_EQ(shown(), "+++++");
    set(kOffset, 3.0);
    set(kObstruction, 0.0);
    EXPECT_EQ(shown(), "-----");
    EXPECT_FALSE(find<QCheckBox>(kSpider)->isChecked());
    EXPECT_EQ(edit(kOffset)->text(), fixed(3.0, 1));
    edit(kObstruction)->setText("2");
    EXPECT_EQ(shown(), "+++--");
    edit(kObstruction)->setText("");  // reads as the last value held, 2
    EXPECT_EQ(shown(), "+++--");
    edit(kObstruction)->setText("0");
    EXPECT_EQ(shown(), "-----");
}

// A negative screen amplitude is meant as its size.
TEST_F(Parameters, NegativeScreenAmplitudesAreWrittenBackPositive)
{
    edit(kTurbulenceAmount)->setText({});
    testing_support::Type(edit(kTurbulenceAmount), "-0.3");
    EXPECT_EQ(edit(kTurbulenceAmount)->text(), fixed(0.3));
    edit(kRoughnessAmount)->setText("-1.25");
    EXPECT_EQ(edit(kRoughnessAmount)->text(), fixed(1.25));
}

// "Reset Aberrations" asks first. Cancelled, it changes nothing; confirmed,
// it zeroes the aberrations of every page in this order and leaves the
// telescope, the angles and the other settings alone.
TEST_F(Parameters, ResetAberrationsZeroesEveryAberrationInOrderOnlyWhenConfirmed)
{
    std::vector<const char*> zeroed = {kFocus, kComa, kAstigmatism, kSpherical, kHigherSpherical, kTube, kPinch, kEdge};
    for (const auto* rows : {kRowFocus, kRowSpherical})
        zeroed.insert(zeroed.end(), rows, rows + 7);
    zeroed.insert(zeroed.end(), {kFocalShift, kTurbulenceAmount, kRoughnessAmount});
    double v = 1.0;
    for (const char* name : zeroed)
        set(name, v += 0.1);
    set(kEdgeRadius, 80);
    find<QSlider>(kBrightness)->setValue(40);
    const std::vector<std::pair<const char*, double>> kept = {
        {kAperture, 12}, {kObstruction, 20}, {kOffset, 2}, {kVaneWidth, 2}, {kComaAngle, 45}, {kAstigmatismAngle, 90},
        {kTubeRadius, 0.5}, {kZoom, 1.5}, {kSeed, 7}, {kGamma, 0.7}, {kRowWavelength[2], 500}, {kLowest, -3}};
    for (const auto& [name, value] : kept)
        set(name, value);
    find<QAbstractButton>(kTransferFunction)->setChecked(true);
    find<QAbstractButton>(kRowIncluded[1])->setChecked(false);
    QStringList before;
    for (NumberEdit* e : window->findChildren<NumberEdit*>())
        before << e->objectName() + "=" + e->text();

    dialogs.queueAnswer(ui::MessageButton::Cancel);
    click(kResetAberrations);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, ui::MessageKind::Warning);
    EXPECT_EQ(dialogs.shown()[0].text, "Setting all values to defaults ");
    EXPECT_EQ(dialogs.shown()[0].buttons, (QList<ui::MessageButton>{ui::MessageButton::Ok, ui::MessageButton::Cancel}));
    QStringList after;
    for (NumberEdit* e : window->findChildren<NumberEdit*>())
        after << e->objectName() + "=" + e->text();
    EXPECT_EQ(after, before);
    EXPECT_EQ(find<QSlider>(kBrightness)->value(), 40);

    QStringList order;
    for (NumberEdit* e : window->findChildren<NumberEdit*>())
        QObject::connect(e, &NumberEdit::changed, [&order, e] { order << e->objectName(); });
    QObject::connect(find<QSlider>(kBrightness), &QSlider::valueChanged, [&order] { order << kBrightness; });
    dialogs.queueAnswer(ui::MessageButton::Ok);
    click(kResetAberrations);
    QStringList expected;
    for (const char* name : zeroed) {
        expected << name;
        if (name == kEdge)
            expected << kEdgeRadius << kBrightness;
    }
    EXPECT_EQ(order, expected);
    for (const char* name : zeroed)
        EXPECT_EQ(edit(name)->text(), fixed(0.0)) << name;
    EXPECT_EQ(edit(kEdgeRadius)->text(), "95");  // the start value, as the confirmation says
    EXPECT_EQ(find<QSlider>(kBrightness)->value(), 0);
    for (const auto& [name, value] : kept)
        EXPECT_DOUBLE_EQ(edit(name)->value(), value) << name;
    EXPECT_TRUE(find<QAbstractButton>(kTransferFunction)->isChecked());
    EXPECT_FALSE(find<QAbstractButton>(kRowIncluded[1])->isChecked());
}

// The views compute with what the editors hold and leave them as the user
// typed them. The only writes: the zoom goes to 1 for a planet, an animation
// and a double star after another view's picture.
TEST_F(Parameters, NoViewWritesTheParameterEditorsDuringARun)
{
    loadPlanet(writeDisc("disc.png", {40, 40}, QColor(200, 150, 100)));
    // Texts no editor would write itself.
    const std::pair<const char*, const char*> typed[] = {
        {kAperture, "6.125"}, {kFocus, "1.234"}, {kSpherical, ".1"}, {kComa, "0.05"}, {kComaAngle, "30"},
        {kObstruction, "20"}};
    for (const auto& [name, text] : typed)
        edit(name)->setText(QString::fromLatin1(text));
    find<QAbstractButton>(kTransferFunction)->setChecked(true);
    set(kSteps, 1);
    QStringList written;
    for (NumberEdit* e : columnEditors())
        QObject::connect(e, &NumberEdit::changed, [&written, e] { written << e->objectName(); });
    for (const char* region : {kApertureBox, kOptionsPanel})
        for (QAbstractButton* b : find(region)->findChildren<QAbstractButton*>())
            QObject::connect(b, &QAbstractButton::toggled, [&written, b] { written << b->objectName(); });
    const auto texts = [this] {
        QStringList now;
        for (NumberEdit* e : columnEditors())
            now << e->objectName() + "=" + e->text();
        return now;
    };
    QStringList expected = texts();
    const qsizetype zoomAt = expected.indexOf(QStringLiteral("%1=%2").arg(QLatin1String(kZoom), fixed(1.0)));
    ASSERT_GE(zoomAt, 0);

    struct Row {
        const char* button;
        bool zoomOne;
    } rows[] = {
        {kCalculate, false},
        {kCalculateDouble, false},
        {kCalculateIntraExtra, false},
        {kCalculateChromatic, false},
        {kCalculateDouble, true},  // after the white-light star
        {kConvoluteGrey, true},
        {kConvoluteColour, true},
        {kDawes, true},  // after the colour planet
        {kAnimate, true},
        {kAnimatedObject, true},  // a planet animation
    };
    for (const Row& r : rows) {
        set(kZoom, 1.5);
        written.clear();
        window->stages.clear();
        if (r.button == kAnimatedObject) {
            find<QComboBox>(kAnimatedObject)->setCurrentIndex(1);
            click(kAnimate);
        } else {
            click(r.button);
        }
        EXPECT_FALSE(window->stages.empty()) << r.button;
        EXPECT_EQ(written, r.zoomOne ? QStringList{kZoom} : QStringList()) << r.button;
        expected[zoomAt] = QStringLiteral("%1=%2").arg(QLatin1String(kZoom), fixed(r.zoomOne ? 1.0 : 1.5));
        EXPECT_EQ(texts(), expected) << r.button;
    }
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_TRUE(find<QAbstractButton>(kTransferFunction)->isChecked());
}

}  // namespace
