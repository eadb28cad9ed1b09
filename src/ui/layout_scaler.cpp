#include "ui/layout_scaler.h"

#include <QApplication>

#include <cmath>

namespace ui {

namespace {

int scaled(int value, double scale)
{
    return static_cast<int>(std::lround(value * scale));
}

QSize scaled(QSize size, double scale)
{
    // The largest sizes stay as large as they are ("no limit").
    auto one = [scale](int v) { return v >= QWIDGETSIZE_MAX ? QWIDGETSIZE_MAX : scaled(v, scale); };
    return {one(size.width()), one(size.height())};
}

}  // namespace

LayoutScaler::LayoutScaler(QWidget* root) : m_baseSize(root->size())
{
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        Item item;
        item.widget = w;
        item.geometry = w->geometry();
        // The parts of a control (an editor's text field and arrows, a list's
        // button, the tab bar of the pages) are placed by the control.
        const QWidget* parent = w->parentWidget();
        item.placed = w == root
                      || !(w->objectName().startsWith(QLatin1String("qt_"))
                           || (parent && (parent->inherits("QAbstractSpinBox") || parent->inherits("QComboBox"))));
        item.minimum = w->minimumSize();
        item.maximum = w->maximumSize();
        // Every widget's font as it resolved, set explicitly at each scale:
        // inheritance does not reach through widgets that a style sheet
        // styles.
        item.ownFont = true;
        item.font = w->font();
        item.pixelSize = item.font.pixelSize();
        item.pointSize = item.font.pointSizeF();
        m_items.push_back(item);
    }
}

void LayoutScaler::apply(double scale)
{
    m_scale = scale;
    for (const Item& item : m_items) {
        QWidget* w = item.widget;
        if (!w)
            continue;
        if (item.ownFont) {
            QFont font = item.font;
            // Rounded down, so that a text never outgrows its scaled box.
            if (item.pixelSize > 0)
                font.setPixelSize(std::max(1, static_cast<int>(std::floor(item.pixelSize * scale + 1e-9))));
            else if (item.pointSize > 0)
                font.setPointSizeF(item.pointSize * scale);
            w->setFont(font);
        }
        if (auto* content = dynamic_cast<Scalable*>(w))
            content->setScale(scale);
        if (!item.placed)
            continue;
        w->setMinimumSize(scaled(item.minimum, scale));
        w->setMaximumSize(scaled(item.maximum, scale));
        const QRect& g = item.geometry;
        w->setGeometry(scaled(g.x(), scale), scaled(g.y(), scale), scaled(g.width(), scale), scaled(g.height(), scale));
    }
}

}  // namespace ui
