#pragma once

#include <QAbstractSpinBox>
#include <QLocale>

namespace ui {

//! The numeric spin editor used for every numeric control.
//!
//! The value is held as text. Writing a value (setValue, the up/down buttons,
//! the arrow keys) formats it with the editor's decimals (integers as plain
//! integers) and clamps it to [minimum, maximum] unless both limits are 0.
//! Reading parses the text without clamping; text that does not parse reads
//! as the minimum (rounded for integer editors). On losing the focus an
//! out-of-range text is replaced by the clamped value. Every text change emits
//! changed(), so handlers also see typed intermediate values. Numbers use the
//! decimal separator of the system locale.
class NumberEdit : public QAbstractSpinBox {
    Q_OBJECT

public:
    enum class ValueType { Float, Integer };

    explicit NumberEdit(QWidget* parent = nullptr);

    ValueType valueType() const { return m_type; }
    void setValueType(ValueType type) { m_type = type; }
    int decimals() const { return m_decimals; }
    void setDecimals(int decimals) { m_decimals = decimals; }
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    void setMinimum(double minimum) { m_minimum = minimum; }
    void setMaximum(double maximum) { m_maximum = maximum; }
    void setRange(double minimum, double maximum)
    {
        m_minimum = minimum;
        m_maximum = maximum;
    }
    double step() const { return m_step; }
    void setStep(double step) { m_step = step; }

    //! The value read from the text (not clamped).
    double value() const;
    //! Writes a value: clamped (unless both limits are 0) and formatted.
    void setValue(double value);
    //! The value `value` would be written as, before formatting.
    double clamped(double value) const;
    //! The text setValue would write for `value`.
    QString format(double value) const;

    //! "Editor disabled": typing is refused, the buttons and arrow keys still
    //! step.
    void setTypingEnabled(bool enabled);
    bool typingEnabled() const { return m_typingEnabled; }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

signals:
    //! Emitted on every change of the text.
    void changed();

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool hasLimits() const { return !(m_minimum == 0.0 && m_maximum == 0.0); }

    ValueType m_type = ValueType::Float;
    int m_decimals = 2;
    double m_minimum = 0.0;
    double m_maximum = 0.0;
    double m_step = 1.0;
    bool m_typingEnabled = true;
    QLocale m_locale;
};

}  // namespace ui
