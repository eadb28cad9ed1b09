#include "ui/number_edit.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

// Beyond this an integer no longer fits the text of a 64-bit integer.
constexpr double kLargestInteger = 9.0e18;

}  // namespace

NumberEdit::NumberEdit(QWidget* parent)
    : QAbstractSpinBox(parent)
{
    // Group separators are neither written nor accepted: "1.500" must not
    // read as 1500 where "." groups thousands.
    m_locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    m_cLocale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    setAccelerated(false);
    connect(lineEdit(), &QLineEdit::textChanged, this, &NumberEdit::textEdited);
}

void NumberEdit::textEdited()
{
    double v = 0.0;
    if (read(lineEdit()->text(), v))
        m_held = v;
    emit changed();
}

void NumberEdit::setup(const Settings& settings)
{
    m_type = settings.type;
    m_lastRead.reset();
    setDecimals(settings.decimals);
    setRange(settings.minimum, settings.maximum);
    m_step = settings.step;
    m_period = settings.period;
    setValue(settings.start);
}

void NumberEdit::setDecimals(int decimals)
{
    m_decimals = std::clamp(decimals, 0, 15);
}

namespace {

// The number as plain characters: some locales write a negative number with
// a direction mark and a minus sign of their own (U+2212), which their own
// reading does not take back.
QString plainNumber(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0x200E || u == 0x200F || u == 0x061C || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069))
            continue;
        plain.append(u == 0x2212 ? QChar(u'-') : c);
    }
    return plain;
}

}  // namespace

bool NumberEdit::parse(const QString& written, double& number) const
{
    const QString text = plainNumber(written);
    bool ok = false;
    number = m_locale.toDouble(text, &ok);
    if (!ok)
        number = m_cLocale.toDouble(text, &ok);
    // A comma is a decimal separator too, whatever the locale says; as group
    // separators are refused, "1,500" is one and a half, never 1500.
    if (!ok && text.contains(QLatin1Char(',')))
        number = m_cLocale.toDouble(QString(text).replace(QLatin1Char(','), QLatin1Char('.')), &ok);
    return ok && std::isfinite(number);
}

bool NumberEdit::read(const QString& text, double& number) const
{
    if (!parse(text.trimmed(), number))
        return false;
    if (m_type == ValueType::Integer)
        number = std::nearbyint(number);
    return true;
}

double NumberEdit::value() const
{
    const QString text = lineEdit()->text();
    if (!m_lastRead || m_lastRead->text != text) {
        double v = 0.0;
        const bool ok = read(text, v);
        m_lastRead = LastRead{text, ok, v};
    }
    return m_lastRead->ok ? m_lastRead->number : m_held;
}

double NumberEdit::clamped(double value) const
{
    if (!std::isfinite(value))
        value = m_held;
    if (m_period > 0.0 && hasLimits() && (value < m_minimum || value > m_maximum)) {
        // Whole turns off, towards the range; the remainder is exact.
        value = std::fmod(value, m_period);
        if (value < m_minimum)
            value += m_period;
        else if (value > m_maximum)
            value -= m_period;
    }
    if (hasLimits()) {
        // Written out rather than std::clamp, which has no answer for
        // minimum > maximum.
        if (value < m_minimum)
            value = m_minimum;
        else if (value > m_maximum)
            value = m_maximum;
    }
    return value;
}

QString NumberEdit::format(double value) const
{
    value = clamped(value);
    if (m_type == ValueType::Integer) {
        value = std::clamp(std::nearbyint(value), -kLargestInteger, kLargestInteger);
        return m_locale.toString(static_cast<qlonglong>(value));
    }
    QString text = m_locale.toString(value, 'f', m_decimals);
    // A value that rounds to zero is written without a minus sign.
    double written = 0.0;
    if (text.startsWith(m_locale.negativeSign()) && parse(text, written) && written == 0.0)
        text.remove(0, m_locale.negativeSign().size());
    return text;
}

double NumberEdit::held(double value) const
{
    double v = 0.0;
    return read(format(value), v) ? v : m_held;
}

void NumberEdit::setValue(double value)
{
    const QString text = format(value);
    if (lineEdit()->text() != text)
        lineEdit()->setText(text);
}

void NumberEdit::setText(const QString& text)
{
    lineEdit()->setText(text);
}

void NumberEdit::setTypingEnabled(bool enabled)
{
    m_typingEnabled = enabled;
    lineEdit()->setReadOnly(!enabled);
}

void NumberEdit::stepBy(int steps)
{
    setValue(value() + steps * m_step);
}

QValidator::State NumberEdit::validate(QString& input, int&) const
{
    const bool isFloat = m_type == ValueType::Float;
    const QString decimalPoint = m_locale.decimalPoint();
    for (const QChar c : input) {
        if (c.isDigit() || c.isSpace() || c == QLatin1Char('-') || c == QLatin1Char('+'))
            continue;
        if (m_locale.negativeSign().contains(c) || m_locale.positiveSign().contains(c))
            continue;
        // Integer editors keep a typed separator too: dropping it would turn
        // "2.5" into 25. The value reads rounded and is written so on leaving.
        if (c == QLatin1Char('.') || c == QLatin1Char(',') || decimalPoint.contains(c))
            continue;
        if (isFloat && (c == QLatin1Char('e') || c == QLatin1Char('E')))
            continue;
        return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled NumberEdit::stepEnabled() const
{
    // Typing may be switched off; the buttons keep working unless the whole
    // control is read-only or disabled.
    if (isReadOnly() || !isEnabled())
        return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

void NumberEdit::keyPressEvent(QKeyEvent* event)
{
    QAbstractSpinBox::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        emit entered();
}

void NumberEdit::focusOutEvent(QFocusEvent* event)
{
    // The box is left showing the value a calculation reads: text that is no
    // number goes back to the last value held, a fraction in an integer
    // editor becomes its rounded value, and a value outside the range the
    // clamped one. Any other text stays as typed.
    const QString text = lineEdit()->text();
    double typed = 0.0;
    if (!parse(text.trimmed(), typed)) {
        setValue(m_held);
        emit notANumber(text, lineEdit()->text());
    } else if (const double v = value(); v != typed || clamped(v) != v) {
        setValue(v);
    }
    QAbstractSpinBox::focusOutEvent(event);
}

}  // namespace ui
