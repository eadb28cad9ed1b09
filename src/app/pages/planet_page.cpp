#include "app/pages/planet_page.h"

#include "app/pages/page_helpers.h"
#include "ui/picture_box.h"

#include <QLabel>

namespace app {

PlanetPage::PlanetPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Planet"));
    Planetimage = new ui::PictureBox(this, 257, 257);
    Planetimage->setObjectName(QStringLiteral("Planetimage"));
    Planetimage->move(8, 24);
    Planetaberrate = new ui::PictureBox(this, 257, 257);
    Planetaberrate->setObjectName(QStringLiteral("Planetaberrate"));
    Planetaberrate->move(284, 24);
    planetimagesize = makeLabel(this, QString(), 8, 286);
    planetimagesize->setObjectName(QStringLiteral("planetimagesize"));
    planetimagesize->setFixedWidth(200);
    Planetlabel = makeLabel(this, QStringLiteral("Planet image (25 arcsec.)"), 284, 6);
    Planetlabel->setObjectName(QStringLiteral("Planetlabel"));
    Planetlabel->setFixedWidth(200);
}

}  // namespace app
