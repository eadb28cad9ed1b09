#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace ui {

//! Gives a control its hint. The long form (the text after a "|", or the whole
//! hint) goes to status panel 1 whenever the mouse enters the control; the
//! short form is also shown as a tooltip when `tooltip` is true.
void setHint(QWidget* control, const QString& hint, bool tooltip);
//! The hint given with setHint, or an empty string.
QString hintOf(const QWidget* control);
//! Whether the control shows its hint as a tooltip.
bool showsTooltip(const QWidget* control);
//! The text after the first "|" of a hint, or the whole hint, as one line:
//! a line break and the blanks around it become a single space.
QString longHint(const QString& hint);
//! The text before the first "|" of a hint, or the whole hint.
QString shortHint(const QString& hint);

//! Records `label` as the caption beside `control` (for controls whose caption
//! is a separate label). Visibility of the two is kept together by
//! setVisibleWithCaption.
void attachCaption(QWidget* control, QLabel* label);
QLabel* captionLabel(const QWidget* control);
//! The caption of a control: its attached label's text, or its own text for
//! buttons, check boxes and group boxes.
QString captionOf(const QWidget* control);
void setVisibleWithCaption(QWidget* control, bool visible);

}  // namespace ui
