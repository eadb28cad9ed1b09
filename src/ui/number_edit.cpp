#include "ui/number_edit.h"

#include <QLineEdit>

#include <algorithm>
#include <cmath>

namespace ui {

NumberEdit::NumberEdit(QWidget* parent)
    : QAbstractSpinBox(parent)
{
    m_locale.setNumberOptions(QLocale::OmitGroupSeparator);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    setAccelerated(false);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { emit changed(); });
}

double NumberEdit::value() const
{
    const QString text = lineEdit()->text().trimmed();
    bool ok = false;
    double v = m_locale.toDouble(text, &ok);
    if (!ok)
        v = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(v))
        v = m_minimum;
    if (m_type == ValueType::Integer)
        v = std::nearbyint(v);
    return v;
}

double NumberEdit::clamped(double value) const
{
    if (!std::isfinite(value))
        value = m_minimum;
    if (hasLimits())
        value = std::clamp(value, m_minimum, m_maximum);
    return value;
}

QString NumberEdit::format(double value) const
{
    value = clamped(value);
    if (m_type == ValueType::Integer)
        return m_locale.toString(static_cast<qlonglong>(std::nearbyint(value)));
    QString text = m_locale.toString(value, 'f', m_decimals);
    // A value that rounds to zero is written without a minus sign.
    bool ok = false;
    if (text.startsWith(m_locale.negativeSign()) && m_locale.toDouble(text, &ok) == 0.0 && ok)
        text.remove(0, m_locale.negativeSign().size());
    return text;
}

void NumberEdit::setValue(double value)
{
    const QString text = format(value);
    if (lineEdit()->text() != text)
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

QValidator::State NumberEdit::validate(QString&, int&) const
{
    // Any text may stand while typing; it is interpreted when read.
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled NumberEdit::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

void NumberEdit::focusOutEvent(QFocusEvent* event)
{
    const double v = value();
    if (hasLimits() && (v < m_minimum || v > m_maximum))
        setValue(v);
    QAbstractSpinBox::focusOutEvent(event);
}

}  // namespace ui
