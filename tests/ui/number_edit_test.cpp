#include "ui/number_edit.h"

#include "support/qt_helpers.h"

#include <QLocale>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace {

using testing_support::LoseFocus;
using testing_support::PressKey;
using testing_support::Type;
using ui::NumberEdit;
constexpr auto F = NumberEdit::ValueType::Float;
constexpr auto I = NumberEdit::ValueType::Integer;

std::unique_ptr<NumberEdit> makeEdit(double minimum, double maximum, double step, int decimals = 2,
                                     NumberEdit::ValueType type = F)
{
    auto edit = std::make_unique<NumberEdit>();
    edit->setValueType(type);
    edit->setDecimals(decimals);
    edit->setRange(minimum, maximum);
    edit->setStep(step);
    return edit;
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

// A written value is clamped (when the limits differ), formatted with the
// editor's decimals (integers rounded, halves to even) and read back; held()
// gives that value without writing.
TEST_F(NumberEditTest, WritesAreClampedAndFormattedAndHeldGivesWhatIsRead)
{
    struct Case {
        double minimum, maximum;
        int decimals;
        NumberEdit::ValueType type;
        double written;
        const char* text;
        double reads;
    } cases[] = {
        {-20, 20, 2, F, 5, "5.00", 5},
        {-20, 20, 2, F, 1.0 / 3.0, "0.33", 0.33},
        {-20, 20, 2, F, -0.001, "0.00", 0},  // no "-0.00"
        {0, 95, 1, F, 33.36, "33.4", 33.4},
        {0, 359, 2, I, 12.6, "13", 13},
        {0, 359, 2, I, 2.5, "2", 2},
        {0, 359, 2, I, 3.5, "4", 4},
        {2, 25, 2, F, 25.59, "25.00", 25},
        {2, 25, 2, F, 1.97, "2.00", 2},
        {2, 25, 2, F, 2.5 * 0.5, "2.00", 2},  // half of a small aperture
        {50, 100, 2, I, 0, "50", 50},
        {0, 0, 2, F, 123456.789, "123456.79", 123456.79},  // both limits 0: no limit
        {0, 0, 2, F, -42, "-42.00", -42},
        {5, 5, 2, F, 7, "7.00", 7},  // only differing limits make a range
    };
    for (const Case& c : cases) {
        auto edit = makeEdit(c.minimum, c.maximum, 1, c.decimals, c.type);
        const double held = edit->held(c.written);
        edit->setValue(c.written);
        EXPECT_EQ(text(*edit), c.text) << c.written;
        EXPECT_DOUBLE_EQ(edit->value(), c.reads) << c.written;
        EXPECT_EQ(held, edit->value()) << c.written;
        LoseFocus(edit.get());
        EXPECT_EQ(text(*edit), c.text) << c.written;
    }
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
    LoseFocus(edit.get());
    EXPECT_EQ(text(*edit), "25.00");

    edit->setText("-3");
    LoseFocus(edit.get());
    EXPECT_EQ(text(*edit), "2.00");

    // Text inside the range stays as typed.
    edit->setText("7.5");
    LoseFocus(edit.get());
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
    Type(edit.get(), "-0.3");
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
    Type(edit.get(), "1x2");
    EXPECT_EQ(text(*edit), "12");
    auto counter = makeEdit(1, 10000, 1, 2, NumberEdit::ValueType::Integer);
    Type(counter.get(), "3x5e");
    EXPECT_EQ(text(*counter), "35");
}

// Whatever the locale, "." and "," are decimal separators of a typed number;
// an integer editor keeps the separator while typing and shows the rounded
// whole number (halves to even) once it is left.
TEST_F(NumberEditTest, TypedSeparatorsNeverChangeTheMagnitude)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
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
        Type(edit.get(), QString::fromLatin1(c.typed));
        EXPECT_EQ(text(*edit), c.typed) << c.typed;
        EXPECT_DOUBLE_EQ(edit->value(), c.reads) << c.typed;
        LoseFocus(edit.get());
        EXPECT_EQ(text(*edit), c.left) << c.typed;
    }
}

// Text that reads as the minimum is replaced by that minimum when the editor
// is left, so the box shows what a calculation uses; the handler hears it.
TEST_F(NumberEditTest, LeavingUnparsableTextWritesTheValueItReadsAs)
{
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
        LoseFocus(edit.get());
        EXPECT_EQ(text(*edit), c.left) << c.text;
        EXPECT_EQ(edit->value(), reads) << c.text;
        EXPECT_EQ(changes, 1) << c.text;
    }
}

TEST_F(NumberEditTest, ArrowKeysStepAndClamp)
{
    auto edit = makeEdit(0.1, 2.0, 0.1);
    edit->setValue(1.0);
    PressKey(edit.get(), Qt::Key_Up);
    EXPECT_EQ(text(*edit), "1.10");
    PressKey(edit.get(), Qt::Key_Down);
    PressKey(edit.get(), Qt::Key_Down);
    EXPECT_EQ(text(*edit), "0.90");
    edit->setValue(1.95);
    PressKey(edit.get(), Qt::Key_Up);
    EXPECT_EQ(text(*edit), "2.00");
    PressKey(edit.get(), Qt::Key_Up);
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
    Type(zoom.get(), "5");
    PressKey(zoom.get(), Qt::Key_Backspace);
    EXPECT_EQ(text(*zoom), "1.00");
    EXPECT_EQ(changes, 0);
    PressKey(zoom.get(), Qt::Key_Up);
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
    Type(edit.get(), "0,7");
    EXPECT_EQ(text(*edit), "0,7");
    EXPECT_DOUBLE_EQ(edit->value(), 0.7);
}

}  // namespace
