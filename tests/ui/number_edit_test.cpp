#include "ui/number_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Failure messages show QStrings as text.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

using ui::NumberEdit;

std::unique_ptr<NumberEdit> makeEdit(double minimum, double maximum, double step, int decimals = 2,
                                     NumberEdit::ValueType type = NumberEdit::ValueType::Float)
{
    auto edit = std::make_unique<NumberEdit>();
    edit->setValueType(type);
    edit->setDecimals(decimals);
    edit->setRange(minimum, maximum);
    edit->setStep(step);
    return edit;
}

void pressKey(QWidget* widget, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

void type(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        pressKey(widget, c.unicode() >= 'a' && c.unicode() <= 'z' ? c.toUpper().unicode() : c.unicode(), QString(c));
}

void loseFocus(QWidget* widget)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &out);
}

QString text(const NumberEdit& edit)
{
    return edit.text();
}

// The tests below run in the C locale unless they switch it themselves.
class NumberEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = QLocale();
        QLocale::setDefault(QLocale::c());
    }
    void TearDown() override { QLocale::setDefault(saved); }
    QLocale saved;
};

TEST_F(NumberEditTest, WritesWithItsDecimals)
{
    auto edit = makeEdit(-20, 20, 0.5);
    edit->setValue(5);
    EXPECT_EQ(text(*edit), "5.00");
    edit->setValue(1.0 / 3.0);
    EXPECT_EQ(text(*edit), "0.33");
    edit->setValue(-0.001);
    EXPECT_EQ(text(*edit), "0.00");  // no "-0.00"

    auto obstruction = makeEdit(0, 95, 5, 1);
    obstruction->setValue(33.36);
    EXPECT_EQ(text(*obstruction), "33.4");
}

TEST_F(NumberEditTest, IntegerEditorWritesRoundedIntegers)
{
    auto edit = makeEdit(0, 359, 1, 2, NumberEdit::ValueType::Integer);
    edit->setValue(12.6);
    EXPECT_EQ(text(*edit), "13");
    edit->setValue(2.5);  // halves go to the even neighbour
    EXPECT_EQ(text(*edit), "2");
    edit->setValue(3.5);
    EXPECT_EQ(text(*edit), "4");
}

TEST_F(NumberEditTest, WritesAreClampedToTheRange)
{
    auto edit = makeEdit(2, 25, 2);
    edit->setValue(25.59);
    EXPECT_EQ(text(*edit), "25.00");
    edit->setValue(1.97);
    EXPECT_EQ(text(*edit), "2.00");
    auto radius = makeEdit(50, 100, 1, 2, NumberEdit::ValueType::Integer);
    radius->setValue(0);
    EXPECT_EQ(text(*radius), "50");
    EXPECT_EQ(radius->value(), 50);
}

TEST_F(NumberEditTest, BothLimitsZeroMeansNoLimit)
{
    auto edit = makeEdit(0, 0, 1);
    edit->setValue(123456.789);
    EXPECT_EQ(text(*edit), "123456.79");
    edit->setValue(-42);
    EXPECT_EQ(text(*edit), "-42.00");
    loseFocus(edit.get());
    EXPECT_EQ(text(*edit), "-42.00");

    // Equal limits other than 0 do not limit either: only differing limits
    // make a range.
    auto fixed = makeEdit(5, 5, 1);
    fixed->setValue(7);
    EXPECT_EQ(text(*fixed), "7.00");
}

TEST_F(NumberEditTest, ReadingParsesWithoutClamping)
{
    auto edit = makeEdit(-10, 10, 0.1);
    edit->setText("17.25");
    EXPECT_DOUBLE_EQ(edit->value(), 17.25);
    edit->setText(" -12.5 ");
    EXPECT_DOUBLE_EQ(edit->value(), -12.5);
}

TEST_F(NumberEditTest, UnparsableTextReadsAsTheMinimum)
{
    auto focus = makeEdit(-20, 20, 0.5);
    for (const char* bad : {"", "-", ".", "-.", "1e", "inf", "nan"}) {
        focus->setText(QString::fromLatin1(bad));
        EXPECT_EQ(focus->value(), -20.0) << bad;
    }
    // An integer editor reads its minimum rounded.
    auto counter = makeEdit(1.6, 10, 1, 2, NumberEdit::ValueType::Integer);
    counter->setText("");
    EXPECT_EQ(counter->value(), 2.0);
    counter->setText("7");
    EXPECT_EQ(counter->value(), 7.0);
}

TEST_F(NumberEditTest, LimitsChangeWithoutTouchingTheText)
{
    auto edit = makeEdit(2, 25, 2);
    edit->setValue(5);
    edit->setRange(50, 650);
    EXPECT_EQ(text(*edit), "5.00");
    EXPECT_EQ(edit->value(), 5.0);
}

TEST_F(NumberEditTest, FocusLossReplacesOutOfRangeTextByTheClampedValue)
{
    auto edit = makeEdit(2, 25, 2);
    edit->setText("30");
    EXPECT_EQ(edit->value(), 30.0);  // used as typed until the focus goes
    loseFocus(edit.get());
    EXPECT_EQ(text(*edit), "25.00");

    edit->setText("-3");
    loseFocus(edit.get());
    EXPECT_EQ(text(*edit), "2.00");

    // Text inside the range stays as typed.
    edit->setText("7.5");
    loseFocus(edit.get());
    EXPECT_EQ(text(*edit), "7.5");
}

TEST_F(NumberEditTest, EveryTypedCharacterReachesTheHandler)
{
    auto edit = makeEdit(0, 2, 0.05);
    QStringList seen;
    QList<double> values;
    QObject::connect(edit.get(), &NumberEdit::changed, [&] {
        seen << text(*edit);
        values << edit->value();
    });
    type(edit.get(), "-0.3");
    EXPECT_EQ(seen, QStringList({"-", "-0", "-0.", "-0.3"}));
    ASSERT_EQ(values.size(), 4);
    EXPECT_DOUBLE_EQ(values[3], -0.3);  // the intermediate value is not clamped
}

TEST_F(NumberEditTest, WritingEmitsOncePerChangeOfText)
{
    auto edit = makeEdit(-10, 10, 0.1);
    int changes = 0;
    QObject::connect(edit.get(), &NumberEdit::changed, [&] { ++changes; });
    edit->setValue(1);
    EXPECT_EQ(changes, 1);
    edit->setValue(1.001);  // same text "1.00"
    EXPECT_EQ(changes, 1);
    edit->setValue(2);
    EXPECT_EQ(changes, 2);
}

TEST_F(NumberEditTest, LettersCannotBeTyped)
{
    auto edit = makeEdit(-10, 10, 0.1);
    type(edit.get(), "1x2");
    EXPECT_EQ(text(*edit), "12");
    auto counter = makeEdit(1, 10000, 1, 2, NumberEdit::ValueType::Integer);
    type(counter.get(), "3x5e");
    EXPECT_EQ(text(*counter), "35");
}

// Whatever the locale, "." and "," are decimal separators of a typed number;
// an integer editor keeps the separator while typing and shows the rounded
// whole number (halves to even) once it is left.
TEST_F(NumberEditTest, TypedSeparatorsNeverChangeTheMagnitude)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    const auto F = NumberEdit::ValueType::Float;
    const auto I = NumberEdit::ValueType::Integer;
    struct Case {
        QLocale locale;
        NumberEdit::ValueType type;
        const char* typed;
        double reads;
        const char* left;  // the text after leaving the editor
    } cases[] = {
        {QLocale::c(), F, "1,5", 1.5, "1,5"},
        {english, F, "1,5", 1.5, "1,5"},
        {english, F, "1,500", 1.5, "1,500"},     // not a thousands group
        {english, F, "1,234.5", -20, "-20.00"},  // group separators stay refused
        {german, F, "1.5", 1.5, "1.5"},
        {QLocale::c(), I, "2.5", 2, "2"},
        {english, I, "3,5", 4, "4"},
        {german, I, "2,5", 2, "2"},
        {german, I, "-7.6", -8, "-8"},
        {QLocale::c(), I, "12", 12, "12"},
    };
    for (const Case& c : cases) {
        QLocale::setDefault(c.locale);
        auto edit = makeEdit(-20, 20, 1, 2, c.type);
        type(edit.get(), QString::fromLatin1(c.typed));
        EXPECT_EQ(text(*edit), c.typed) << c.typed;
        EXPECT_DOUBLE_EQ(edit->value(), c.reads) << c.typed;
        loseFocus(edit.get());
        EXPECT_EQ(text(*edit), c.left) << c.typed;
    }
}

// Text that reads as the minimum is replaced by that minimum when the editor
// is left, so the box shows what a calculation uses; the handler hears it.
TEST_F(NumberEditTest, LeavingUnparsableTextWritesTheValueItReadsAs)
{
    const auto F = NumberEdit::ValueType::Float;
    const auto I = NumberEdit::ValueType::Integer;
    struct Case {
        double minimum;
        double maximum;
        NumberEdit::ValueType type;
        const char* text;
        const char* left;
    } cases[] = {
        {-20, 20, F, "", "-20.00"},  {-20, 20, F, "-", "-20.00"}, {-20, 20, F, ".", "-20.00"},
        {-20, 20, F, "--3", "-20.00"}, {-20, 20, F, "1e", "-20.00"}, {2, 25, F, "", "2.00"},
        {1.6, 10, I, ",", "2"},       {0, 0, F, "-", "0.00"},
    };
    for (const Case& c : cases) {
        auto edit = makeEdit(c.minimum, c.maximum, 1, 2, c.type);
        edit->setText(QString::fromLatin1(c.text));
        const double reads = edit->value();
        int changes = 0;
        QObject::connect(edit.get(), &NumberEdit::changed, [&] { ++changes; });
        loseFocus(edit.get());
        EXPECT_EQ(text(*edit), c.left) << c.text;
        EXPECT_EQ(edit->value(), reads) << c.text;
        EXPECT_EQ(changes, 1) << c.text;
    }
}

TEST_F(NumberEditTest, ArrowKeysStepAndClamp)
{
    auto edit = makeEdit(0.1, 2.0, 0.1);
    edit->setValue(1.0);
    pressKey(edit.get(), Qt::Key_Up);
    EXPECT_EQ(text(*edit), "1.10");
    pressKey(edit.get(), Qt::Key_Down);
    pressKey(edit.get(), Qt::Key_Down);
    EXPECT_EQ(text(*edit), "0.90");
    edit->setValue(1.95);
    pressKey(edit.get(), Qt::Key_Up);
    EXPECT_EQ(text(*edit), "2.00");
    pressKey(edit.get(), Qt::Key_Up);
    EXPECT_EQ(text(*edit), "2.00");
}

TEST_F(NumberEditTest, SteppingFromUnparsableTextStartsAtTheMinimum)
{
    auto edit = makeEdit(-20, 20, 0.5);
    edit->setText("");
    edit->stepBy(1);
    EXPECT_EQ(text(*edit), "-19.50");
}

TEST_F(NumberEditTest, EditorDisabledRefusesTypingButStillSteps)
{
    auto zoom = makeEdit(0.1, 2.0, 0.1);
    zoom->setTypingEnabled(false);
    zoom->setValue(1.0);
    int changes = 0;
    QObject::connect(zoom.get(), &NumberEdit::changed, [&] { ++changes; });
    type(zoom.get(), "5");
    pressKey(zoom.get(), Qt::Key_Backspace);
    EXPECT_EQ(text(*zoom), "1.00");
    EXPECT_EQ(changes, 0);
    pressKey(zoom.get(), Qt::Key_Up);
    EXPECT_EQ(text(*zoom), "1.10");
    zoom->stepBy(-3);
    EXPECT_EQ(text(*zoom), "0.80");
    EXPECT_EQ(changes, 2);
}

// Locales that write a minus with a direction mark read their own negative
// numbers back (they read as the minimum before).
TEST_F(NumberEditTest, NegativeValuesReadBackInEveryLocale)
{
    for (const char* name : {"fa_IR", "ar_EG", "he_IL", "de_DE", "C"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        auto edit = makeEdit(-20, 20, 0.5);
        edit->setValue(-12.25);
        EXPECT_DOUBLE_EQ(edit->value(), -12.25) << name << " " << text(*edit).toStdString();
    }
}

TEST_F(NumberEditTest, UsesTheDecimalSeparatorOfTheLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto edit = makeEdit(0, 2000, 0.1);
    edit->setValue(1.5);
    EXPECT_EQ(text(*edit), "1,50");
    edit->setValue(1234.5);
    EXPECT_EQ(text(*edit), "1234,50");  // no group separator
    edit->setText("2,25");
    EXPECT_DOUBLE_EQ(edit->value(), 2.25);
    edit->setText("2.25");  // a point is understood as well
    EXPECT_DOUBLE_EQ(edit->value(), 2.25);
    edit->setText("1.500");  // not a thousands group
    EXPECT_DOUBLE_EQ(edit->value(), 1.5);
    edit->setText({});
    type(edit.get(), "0,7");
    EXPECT_EQ(text(*edit), "0,7");
    EXPECT_DOUBLE_EQ(edit->value(), 0.7);
}

}  // namespace
