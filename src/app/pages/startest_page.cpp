#include "app/pages/startest_page.h"

#include "app/pages/page_helpers.h"
#include "ui/hints.h"
#include "ui/picture_box.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace app {

StartestPage::StartestPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Startest"));

    auto* title = makeLabel(this, QStringLiteral("Star Test Image"), 160, 4);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->adjustSize();

    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::Panel);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setLineWidth(2);
    bevel->setGeometry(156, 22, 262, 262);

    StarImage = new ui::PictureBox(this, 256, 256);
    StarImage->setObjectName(QStringLiteral("StarImage"));
    StarImage->move(159, 25);

    StarImageLabel = makeLabel(this, QStringLiteral("Star image (25 arcseconds)"), 160, 290);
    StarImageLabel->setObjectName(QStringLiteral("StarImageLabel"));

    auto* instructions = makeLabel(this,
        QStringLiteral("Set aperture (diameter, obstruction)\r\nSet aberrations in wavelengths\r\nPress Calculate button"),
        6, 30);
    instructions->setWordWrap(true);
    instructions->setFixedWidth(146);
    instructions->setFixedHeight(instructions->heightForWidth(146));

    undersamplelabel = makeLabel(this, QStringLiteral("Warning: Undersampled"), 6, 120);
    undersamplelabel->setObjectName(QStringLiteral("undersamplelabel"));
    undersamplelabel->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    undersamplelabel->adjustSize();
    undersamplelabel->hide();

    SpeedButton1 = new QPushButton(QStringLiteral("Save "), this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setGeometry(6, 262, 75, 23);
    ui::setHint(SpeedButton1, QStringLiteral("Save Startest"), true);

    Brightslide = new QSlider(Qt::Vertical, this);
    Brightslide->setObjectName(QStringLiteral("Brightslide"));
    Brightslide->setRange(0, 100);
    Brightslide->setSingleStep(10);
    Brightslide->setPageStep(10);
    Brightslide->setTickPosition(QSlider::TicksRight);
    Brightslide->setTickInterval(10);
    Brightslide->setValue(0);
    Brightslide->setGeometry(460, 40, 30, 230);
    ui::setHint(Brightslide, QStringLiteral("Brightness Slider"), true);
    auto* brightness = makeLabel(this, QStringLiteral("Brightness"), 446, 20);
    ui::attachCaption(Brightslide, brightness);

    Starimage1 = new QWidget(this);
    Starimage1->setObjectName(QStringLiteral("Starimage1"));
    Starimage1->setGeometry(0, 0, 17, 17);
    Starimage1->hide();
}

}  // namespace app
