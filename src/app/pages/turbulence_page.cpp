#include "app/pages/turbulence_page.h"

#include "app/pages/page_helpers.h"
#include "ui/picture_box.h"

namespace app {

TurbulencePage::TurbulencePage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Turbulence"));
    // 129 x 128 boxes; the screens are drawn 129 x 129, so their last row falls outside.
    makeLabel(this, QStringLiteral("Turbulence"), 16, 8);
    Image3 = new ui::PictureBox(this, 129, 128);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->move(16, 26);
    makeLabel(this, QStringLiteral("Roughness"), 16, 162);
    Image4 = new ui::PictureBox(this, 129, 128);
    Image4->setObjectName(QStringLiteral("Image4"));
    Image4->move(16, 180);
}

}  // namespace app
