#include "app/pages/double_page.h"

#include "app/pages/page_helpers.h"
#include "ui/picture_box.h"

namespace app {

DoublePage::DoublePage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Double"));
    makeLabel(this, QStringLiteral("Double Star Images"), 160, 4);
    DoubleImage = new ui::PictureBox(this, 256, 256);
    DoubleImage->setObjectName(QStringLiteral("DoubleImage"));
    DoubleImage->move(159, 25);
}

}  // namespace app
