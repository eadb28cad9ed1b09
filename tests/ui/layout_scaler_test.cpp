// The layout scales as a whole and comes back exactly at scale 1.
#include "ui/layout_scaler.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QLabel>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>

namespace {

struct Place {
    QRect geometry;
    int fontPixels;
    friend bool operator==(const Place&, const Place&) = default;
};

std::map<QString, Place> placesOf(QWidget* root)
{
    std::map<QString, Place> places;
    for (QWidget* w : root->findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            places[w->objectName()] = {w->geometry(), w->font().pixelSize()};
    return places;
}

TEST(LayoutScaler, ScalesPlacesFontsAndPicturesAndComesBackExactly)
{
    QWidget root;
    QFont font = root.font();
    font.setPixelSize(11);
    root.setFont(font);
    root.setFixedSize(200, 100);
    auto* label = new QLabel(QStringLiteral("Aperture"), &root);
    label->setObjectName(QStringLiteral("caption"));
    label->setGeometry(8, 5, 60, 14);
    auto* edit = new ui::NumberEdit(&root);
    edit->setObjectName(QStringLiteral("editor"));
    edit->setGeometry(70, 4, 60, 21);
    auto* box = new ui::PictureBox(&root, 4, 4);
    box->setObjectName(QStringLiteral("picture"));
    box->move(140, 40);
    QImage checker(4, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            checker.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    box->setPicture(checker);

    const std::map<QString, Place> one = placesOf(&root);
    ui::LayoutScaler scaler(&root);
    scaler.apply(2.0);
    EXPECT_EQ(root.size(), QSize(400, 200));
    EXPECT_EQ(label->geometry(), QRect(16, 10, 120, 28));
    EXPECT_EQ(label->font().pixelSize(), 22);
    EXPECT_EQ(box->size(), QSize(8, 8));
    // Whole scales enlarge pixel for pixel: no blur between the squares.
    const QImage drawn = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(drawn.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(drawn.pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(drawn.pixel(2, 1), qRgb(255, 255, 255));
    EXPECT_EQ(drawn.pixel(3, 0), qRgb(255, 255, 255));
    // Texts never outgrow their scaled box.
    scaler.apply(1.5);
    EXPECT_EQ(label->font().pixelSize(), 16);
    scaler.apply(1.0);
    EXPECT_EQ(placesOf(&root), one);
    EXPECT_EQ(root.size(), QSize(200, 100));
}

}  // namespace
