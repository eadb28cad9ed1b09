#include "app/pages/page_helpers.h"

#include <QLabel>

namespace app {

QLabel* makeLabel(QWidget* parent, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

}  // namespace app
