#include "app/pages/intra_extra_page.h"

#include "ui/picture_box.h"

namespace app {

IntraExtraPage::IntraExtraPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("IntraExtra"));
    IntraExtraImage = new ui::PictureBox(this, 505, 201);
    IntraExtraImage->setObjectName(QStringLiteral("IntraExtraImage"));
    IntraExtraImage->move(24, 40);
}

}  // namespace app
