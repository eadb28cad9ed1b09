#include "app/pages/page_helpers.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>

namespace app {

char decimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.size() == 1 && point.at(0).unicode() < 128 ? static_cast<char>(point.at(0).unicode()) : '.';
}

QLabel* makeLabel(QWidget* parent, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

ui::NumberEdit* makeEditor(QWidget* parent, const QString& name, const ui::NumberEdit::Settings& settings, int x,
                           int y, int width)
{
    auto* edit = new ui::NumberEdit(parent);
    edit->setObjectName(name);
    edit->setup(settings);
    edit->setGeometry(x, y, width, kEditorHeight);
    return edit;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

}  // namespace app
