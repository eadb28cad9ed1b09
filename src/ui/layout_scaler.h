#pragma once

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <vector>

namespace ui {

//! Something that draws its own content and follows the scale of the layout
//! it is in (pictures, the player, plots).
class Scalable {
public:
    virtual ~Scalable() = default;
    //! The layout is drawn `scale` times its size.
    virtual void setScale(double scale) = 0;
};

//! Scales a fixed layout as a whole: every widget's place and size, its
//! fixed sizes and its own font, and the content of Scalable widgets. The
//! layout as it was built is scale 1, and scale 1 gives it back exactly.
class LayoutScaler {
public:
    //! Records `root` and everything in it as scale 1.
    explicit LayoutScaler(QWidget* root);

    void apply(double scale);
    double scale() const { return m_scale; }
    //! The size of the root at scale 1.
    QSize baseSize() const { return m_baseSize; }

private:
    struct Item {
        QPointer<QWidget> widget;
        QRect geometry;
        QSize minimum;
        QSize maximum;
        bool ownFont = false;
        bool placed = true;  // false for the inner parts of a control, which it places itself
        QFont font;
        double pointSize = 0.0;  // of an own font given in points
        int pixelSize = 0;       // of an own font given in pixels
    };

    std::vector<Item> m_items;
    QSize m_baseSize;
    double m_scale = 1.0;
};

}  // namespace ui
