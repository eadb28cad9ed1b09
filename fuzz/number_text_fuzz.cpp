// Text typed into a numeric editor. The first two bytes choose the editor's
// settings and the locale, the rest is the text (UTF-8). Whatever is typed,
// the editor must read a finite number, write and re-read it stably, and
// keep it within its limits once it has been written or left; text that is
// no number goes back to the last value held, and says so. Every value goes
// through the arithmetic of the double star's companion too (under the
// float-cast-overflow sanitizer).
#include "simulations/double_star.h"
#include "ui/number_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLocale>

#include <cmath>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

struct Limits {
    double minimum;
    double maximum;
};

// The kinds of range the program's controls have, and a few it must survive.
constexpr Limits kLimits[] = {
    {0.0, 0.0},  // no limit
    {0.0, 0.99}, {0.01, 100.0}, {1.0, 2000.0}, {-360.0, 360.0},  // an angle that goes round
    {-1e300, 1e300}, {0.0, 1e18}, {5.0, 1.0},  // minimum above maximum
};

const char* const kLocales[] = {"C", "en_US", "de_DE", "fr_FR", "ar_EG", "hi_IN", "fa_IR", "sv_SE"};

// Stops the run, naming the broken rule and the editor's text.
void check(bool ok, const char* rule, const ui::NumberEdit& edit)
{
    if (ok)
        return;
    std::fprintf(stderr, "broken: %s; text \"%s\", minimum %g, maximum %g, locale %s\n", rule,
                 edit.text().toUtf8().constData(), edit.minimum(), edit.maximum(),
                 QLocale().name().toUtf8().constData());
    std::abort();
}

// Within the limits, give or take the rounding to the editor's decimals (a
// minimum of 0.01 is written as "0" with none).
bool within(const ui::NumberEdit& edit, double v)
{
    if (edit.minimum() >= edit.maximum())
        return true;
    const double rounding = edit.valueType() == ui::NumberEdit::ValueType::Integer
                                ? 0.5
                                : 0.5 * std::pow(10.0, -edit.decimals()) * (1 + 1e-9);
    return v >= edit.minimum() - rounding && v <= edit.maximum() + rounding;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint8_t settings = data[0];
    QLocale::setDefault(QLocale(QString::fromLatin1(kLocales[data[1] % std::size(kLocales)])));
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(size - 2));

    ui::NumberEdit edit;
    const bool integer = settings & 1;
    edit.setValueType(integer ? ui::NumberEdit::ValueType::Integer : ui::NumberEdit::ValueType::Float);
    edit.setDecimals((settings >> 1) & 15);
    const Limits& limits = kLimits[(settings >> 5) % std::size(kLimits)];
    // Integer editors have whole limits.
    edit.setRange(integer ? std::nearbyint(limits.minimum) : limits.minimum,
                  integer ? std::nearbyint(limits.maximum) : limits.maximum);
    if (limits.minimum == -360.0)
        edit.setPeriod(360.0);

    QString typed = text;
    int position = static_cast<int>(typed.size());
    edit.validate(typed, position);

    // Typed text is read as it stands.
    edit.setText(text);
    const double read = edit.value();
    check(std::isfinite(read), "typed text reads as a finite number", edit);
    check(!integer || read == std::nearbyint(read), "an integer editor reads whole numbers", edit);

    // Writing clamps; writing what was read back changes nothing (unless the
    // limits are upside down, where every write flips between them).
    edit.setValue(read);
    const QString written = edit.text();
    const double reread = edit.value();
    check(std::isfinite(reread) && within(edit, reread), "a written value is within the limits", edit);
    edit.setValue(reread);
    check(edit.text() == written || edit.minimum() > edit.maximum(),
          "writing the value read back keeps the text", edit);

    // Leaving the editor with the typed text puts it within the limits; text
    // that is no number goes back to the value held before, and is told.
    edit.setText(text);
    const double held = edit.value();
    int told = 0;
    QObject::connect(&edit, &ui::NumberEdit::notANumber, [&](const QString& shown, const QString& kept) {
        ++told;
        check(shown == text && kept == edit.text(), "the notice names the text typed and the value kept", edit);
    });
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &leave);
    check(within(edit, edit.value()), "leaving the editor puts the value within the limits", edit);
    check(told == 0 || edit.value() == edit.held(held), "text that is no number keeps the last value held", edit);

    edit.stepBy(1);
    check(std::isfinite(edit.value()) && within(edit, edit.value()), "a step stays within the limits", edit);
    const sim::CompanionOffset offset = sim::CompanionOffsetOf(read, read);
    check(std::abs(offset.dx) <= 1024 && std::abs(offset.dy) <= 1024, "the companion stays near", edit);
    return 0;
}
