#include "app/pages/double_page.h"

#include "app/pages/page_helpers.h"
#include "ui/picture_box.h"

namespace app {

DoublePage::DoublePage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Double"));
    makeLabel(this, QStringLiteral("Double Star Images"), 160, 4);
    m_picture = new ui::PictureBox(this, 256, 256);
    m_picture->setObjectName(QStringLiteral("DoubleImage"));
    m_picture->move(159, 25);
}

}  // namespace app
