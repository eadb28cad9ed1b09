#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace app {

//! A plain text label at (x, y), sized to its text.
QLabel* makeLabel(QWidget* parent, const QString& text, int x, int y);

}  // namespace app
