#include "ui/hints.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QVariant>
#include <QWidget>

namespace ui {

namespace {
const char* const kHintProperty = "quintalisHint";
const char* const kTooltipProperty = "quintalisTooltip";
const char* const kCaptionProperty = "quintalisCaption";
}  // namespace

void setHint(QWidget* control, const QString& hint, bool tooltip)
{
    control->setProperty(kHintProperty, hint);
    control->setProperty(kTooltipProperty, tooltip);
    control->setToolTip(tooltip ? shortHint(hint) : QString());
}

QString hintOf(const QWidget* control)
{
    return control->property(kHintProperty).toString();
}

bool showsTooltip(const QWidget* control)
{
    return control->property(kTooltipProperty).toBool();
}

QString longHint(const QString& hint)
{
    const int bar = hint.indexOf(QLatin1Char('|'));
    const QString text = bar < 0 ? hint : hint.mid(bar + 1);
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    // The status panel has room for one line: the lines of a hint written on
    // several follow each other there, one space apart.
    static const QRegularExpression lineBreak(QStringLiteral("([ \\t]*(\\r\\n|\\r|\\n)[ \\t]*)+"));
    return QString(text).replace(lineBreak, QStringLiteral(" "));
}

QString shortHint(const QString& hint)
{
    const int bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

void attachCaption(QWidget* control, QLabel* label)
{
    control->setProperty(kCaptionProperty, QVariant::fromValue(static_cast<QObject*>(label)));
}

QLabel* captionLabel(const QWidget* control)
{
    return qobject_cast<QLabel*>(control->property(kCaptionProperty).value<QObject*>());
}

QString captionOf(const QWidget* control)
{
    if (QLabel* label = captionLabel(control))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    return {};
}

void setVisibleWithCaption(QWidget* control, bool visible)
{
    control->setVisible(visible);
    if (QLabel* label = captionLabel(control))
        label->setVisible(visible);
}

}  // namespace ui
