#include "ui/number_edit.h"

#include "support/qt_helpers.h"

#include <QLocale>
#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>
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

// What a typed text reads as (not clamped; text that is no number reads as
// the last value held, which every text that reads as a number sets, typed
// characters on the way included), and what leaving the editor writes: the
// value it reads as, clamped, when that differs from what it shows; the
// handler hears that write once, and text that is no number is told. Only
// the characters of a number can be typed; "." and "," are decimal
// separators in every locale, group separators are refused, and an integer
// editor keeps a typed separator until it is left. Each editor held 3 and
// was emptied before the typing.
TEST_F(NumberEditTest, TypedTextReadsAsANumberAndLeavingWritesWhatItReads)
{
    const QLocale c = QLocale::c();
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    struct Case {
        QLocale locale;
        double minimum, maximum;
        NumberEdit::ValueType type;
        const char* typed;
        const char* shown;
        double reads;
        const char* left;
        bool notANumber;
    } cases[] = {
        {c, -10, 10, F, "17.25", "17.25", 17.25, "10.00", false},
        {c, -10, 10, F, " -12.5 ", " -12.5 ", -12.5, "-10.00", false},
        {c, 2, 25, F, "-3", "-3", -3, "2.00", false},
        {c, 2, 25, F, "7.5", "7.5", 7.5, "7.5", false},
        {c, 2, 25, F, "", "", 3, "3.00", true},
        {c, -20, 20, F, "-", "-", 3, "3.00", true},
        {c, -20, 20, F, ".", ".", 3, "3.00", true},
        {c, -20, 20, F, "-.", "-.", 3, "3.00", true},
        {c, -20, 20, F, "--3", "--3", 3, "3.00", true},
        {c, -20, 20, F, "1e", "1e", 1, "1.00", true},  // "1" was held on the way
        {c, -20, 20, F, "25e", "25e", 25, "20.00", true},
        {c, -20, 20, F, "1e999", "1e999", 1e99, "20.00", true},  // beyond the doubles; "1e99" on the way
        {c, -20, 20, F, "inf", "", 3, "3.00", true},
        {c, -20, 20, F, "1x2", "12", 12, "12", false},
        {c, 0, 0, F, "-", "-", 3, "3.00", true},
        {c, 1.6, 10, I, ",", ",", 3, "3", true},
        {c, 1.6, 10, I, "7", "7", 7, "7", false},
        {c, 1, 10000, I, "3x5e", "35", 35, "35", false},
        {c, -20, 20, F, "1,5", "1,5", 1.5, "1,5", false},
        {english, -20, 20, F, "1,5", "1,5", 1.5, "1,5", false},
        {english, -20, 20, F, "1,500", "1,500", 1.5, "1,500", false},  // not a thousands group
        {english, -20, 20, F, "1,234.5", "1,234.5", 1.234, "1.23", true},
        {german, -20, 20, F, "1.5", "1.5", 1.5, "1.5", false},
        {german, 0, 2000, F, "0,7", "0,7", 0.7, "0,7", false},
        {german, 0, 2000, F, "1.500", "1.500", 1.5, "1.500", false},
        {c, -20, 20, I, "2.5", "2.5", 2, "2", false},  // halves to even
        {english, -20, 20, I, "3,5", "3,5", 4, "4", false},
        {german, -20, 20, I, "2,5", "2,5", 2, "2", false},
        {german, -20, 20, I, "-7.6", "-7.6", -8, "-8", false},
        {c, -20, 20, I, "12", "12", 12, "12", false},
    };
    for (const Case& k : cases) {
        QLocale::setDefault(k.locale);
        auto edit = makeEdit(k.minimum, k.maximum, 1, 2, k.type);
        edit->setValue(3);
        edit->setText(QString());
        Type(edit.get(), QString::fromLatin1(k.typed));
        EXPECT_EQ(text(*edit), k.shown) << k.typed;
        EXPECT_DOUBLE_EQ(edit->value(), k.reads) << k.typed;
        int changes = 0;
        QStringList told;
        QObject::connect(edit.get(), &NumberEdit::changed, [&] { ++changes; });
        QObject::connect(edit.get(), &NumberEdit::notANumber,
                         [&](const QString& typed, const QString& kept) { told << typed << kept; });
        LoseFocus(edit.get());
        EXPECT_EQ(text(*edit), k.left) << k.typed;
        EXPECT_EQ(changes, QString::fromLatin1(k.left) == k.shown ? 0 : 1) << k.typed;
        EXPECT_EQ(told, k.notANumber ? QStringList({k.shown, k.left}) : QStringList()) << k.typed;
    }
}

// Text put in as it stands (as the batch driver does), and values that are
// no number, read and write as the last value held; held() says what a
// write would leave, so views computing with it compute with that.
TEST_F(NumberEditTest, WhatIsNoNumberReadsAndWritesAsTheLastValueHeld)
{
    auto focus = makeEdit(-20, 20, 0.5);
    focus->setValue(-3.25);
    for (const char* bad : {"inf", "-inf", "nan", "1e999", "", "e"}) {
        focus->setText(QString::fromLatin1(bad));
        EXPECT_EQ(focus->value(), -3.25) << bad;
        focus->stepBy(1);
        EXPECT_EQ(text(*focus), "-2.75") << bad;
        focus->setValue(-3.25);
    }
    const double notANumber = std::nan("");
    for (double bad : {notANumber, HUGE_VAL, -HUGE_VAL}) {
        EXPECT_EQ(focus->held(bad), -3.25) << bad;
        focus->setValue(bad);
        EXPECT_EQ(text(*focus), "-3.25") << bad;
    }
    EXPECT_EQ(focus->held(1.0 / 3.0), 0.33);
    EXPECT_EQ(focus->held(99), 20.0);
}

// An angle editor goes round: values beyond a turn either way (written,
// stepped or typed and left) come back by whole turns, exactly.
TEST_F(NumberEditTest, AnAngleEditorGoesRound)
{
    auto angle = makeEdit(-360, 360, 1, 0, I);
    angle->setPeriod(360);
    struct Row {
        double written;
        const char* text;
    } rows[] = {
        {359, "359"}, {360, "360"}, {361, "1"}, {-361, "-1"}, {725, "5"}, {-720, "0"}, {1e308, "296"},
        {-1e308, "-296"}, {1e18, "280"},
    };
    for (const Row& r : rows) {
        angle->setValue(r.written);
        EXPECT_EQ(text(*angle), r.text) << r.written;
        EXPECT_EQ(angle->held(r.written), angle->value()) << r.written;
    }
    angle->setValue(360);
    angle->stepBy(1);
    EXPECT_EQ(text(*angle), "1");
    angle->setValue(-360);
    angle->stepBy(-1);
    EXPECT_EQ(text(*angle), "-1");
    angle->setText(QStringLiteral("100000000000000000000000000000000000"));
    LoseFocus(angle.get());
    EXPECT_EQ(text(*angle), "312");  // 1e35 less whole turns
}

TEST_F(NumberEditTest, LimitsChangeWithoutTouchingTheText)
{
    auto edit = makeEdit(2, 25, 2);
    edit->setValue(5);
    edit->setRange(50, 650);
    EXPECT_EQ(text(*edit), "5.00");
    EXPECT_EQ(edit->value(), 5.0);
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

TEST_F(NumberEditTest, WritesWithTheDecimalSeparatorOfTheLocaleAndNoGroups)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto edit = makeEdit(0, 2000, 0.1);
    edit->setValue(1.5);
    EXPECT_EQ(text(*edit), "1,50");
    edit->setValue(1234.5);
    EXPECT_EQ(text(*edit), "1234,50");
    EXPECT_DOUBLE_EQ(edit->value(), 1234.5);
}

}  // namespace
