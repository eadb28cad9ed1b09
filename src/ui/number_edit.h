#pragma once

#include <QAbstractSpinBox>
#include <QLocale>

#include <optional>

namespace ui {

//! The numeric spin editor used for every numeric control.
//!
//! The value is held as text. Writing a value (setValue, the up/down buttons,
//! the arrow keys) clamps it to [minimum, maximum] when the two limits differ
//! (both 0 means no limit), or wraps it round by whole periods for an editor
//! with a period (an angle), and formats it with the editor's decimals
//! (integers as plain integers). Reading parses the text without clamping.
//! Text that does not read as a number (empty, "-", "1e", "inf", "nan", a
//! number beyond the range of doubles) reads as the last value the editor
//! held: the value of the last text that did read as one. On losing the
//! focus the text is replaced by the value it reads as when that differs
//! from what it shows: text that is no number by the last value held (and
//! notANumber() tells what was typed and what was kept), a fraction in an
//! integer editor by its rounded value, an out-of-range value by the clamped
//! one. Every text change emits changed(), so handlers also see typed
//! intermediate values. Numbers are shown with the decimal separator of the
//! system locale; a typed "." or "," is read as the decimal separator as
//! well (group separators are refused).
//!
//! Changing the type, decimals or limits never rewrites the text: a value is
//! only formatted and clamped when it is written.
class NumberEdit : public QAbstractSpinBox {
    Q_OBJECT

public:
    enum class ValueType { Float, Integer };

    //! Everything that makes an editor one particular control, in one place:
    //! `edit->setup({.decimals = 1, .minimum = 0, .maximum = 95, .step = 5})`.
    struct Settings {
        ValueType type = ValueType::Float;
        int decimals = 2;
        double minimum = 0.0;
        double maximum = 0.0;
        double step = 1.0;
        double start = 0.0;  //!< written (clamped and formatted) last
        //! For angles: values beyond the limits wrap round by whole periods
        //! (360: -360 .. 360 steps on from 360 to 1) instead of stopping
        //! there. 0: no wrapping.
        double period = 0.0;
    };

    explicit NumberEdit(QWidget* parent = nullptr);

    //! Sets type, decimals, limits and step, then writes the start value.
    void setup(const Settings& settings);

    ValueType valueType() const { return m_type; }
    void setValueType(ValueType type) { m_type = type; }
    int decimals() const { return m_decimals; }
    //! Decimals used when a float value is written (0..15).
    void setDecimals(int decimals);
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
    double period() const { return m_period; }
    void setPeriod(double period) { m_period = period; }

    //! The value read from the text (not clamped); the last value held while
    //! the text is no number.
    double value() const;
    //! Writes a value: clamped (when the limits differ) or wrapped, and
    //! formatted. A value that is not finite is no number: the last value
    //! held is written.
    void setValue(double value);
    //! The value `value` would be written as, before formatting.
    double clamped(double value) const;
    //! The text setValue would write for `value`.
    QString format(double value) const;
    //! The value the editor would read after setValue(value): clamped,
    //! formatted with its decimals and read back. Views that compute with a
    //! value instead of writing it apply this, so they compute with exactly
    //! what the editor would have held.
    double held(double value) const;
    //! Replaces the text as it stands, neither formatted nor clamped (as if
    //! typed); text() gives it back.
    void setText(const QString& text);

    //! "Editor disabled": typing is refused, the buttons and arrow keys still
    //! step.
    void setTypingEnabled(bool enabled);
    bool typingEnabled() const { return m_typingEnabled; }

    void stepBy(int steps) override;
    //! Lets through only text made of the characters of a number (digits,
    //! signs, "." and "," and, for float editors, an exponent), so letters
    //! cannot be typed; any such text stands, complete or not.
    QValidator::State validate(QString& input, int& pos) const override;

signals:
    //! Emitted on every change of the text.
    void changed();
    //! The editor was left with text that is no number (`typed`); it shows
    //! the last value it held again, written as `kept`.
    void notANumber(const QString& typed, const QString& kept);
    //! Enter or Return was pressed in the editor.
    void entered();

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool hasLimits() const { return m_minimum != m_maximum; }
    bool parse(const QString& text, double& number) const;
    //! The text as a value (integers rounded), or nothing.
    bool read(const QString& text, double& number) const;
    void textEdited();

    ValueType m_type = ValueType::Float;
    int m_decimals = 2;
    double m_minimum = 0.0;
    double m_maximum = 0.0;
    double m_step = 1.0;
    double m_period = 0.0;
    double m_held = 0.0;  // the value of the last text that read as a number
    bool m_typingEnabled = true;
    //! The last text value() read and what it read as: the calculations read
    //! every editor each time they start, mostly unchanged.
    struct LastRead {
        QString text;
        bool ok = false;
        double number = 0.0;
    };
    mutable std::optional<LastRead> m_lastRead;
    QLocale m_locale;
    QLocale m_cLocale = QLocale::c();
};

}  // namespace ui
