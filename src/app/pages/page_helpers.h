#pragma once

#include "ui/number_edit.h"

#include <QString>

class QLabel;
class QPushButton;
class QRect;
class QWidget;

namespace app {

//! Height of a numeric editor row, in pixels.
inline constexpr int kEditorHeight = 21;

//! The decimal separator of the system locale when it is one ASCII
//! character, else '.'; the core formats numbers with it.
char decimalSeparator();

//! A plain text label at (x, y), sized to its text.
QLabel* makeLabel(QWidget* parent, const QString& text, int x, int y);

//! A numeric editor named `name` at (x, y), `width` wide and one row high,
//! set up with `settings`.
ui::NumberEdit* makeEditor(QWidget* parent, const QString& name, const ui::NumberEdit::Settings& settings, int x,
                           int y, int width);

//! A push button named `name` with `caption` at the given geometry.
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry);

}  // namespace app
