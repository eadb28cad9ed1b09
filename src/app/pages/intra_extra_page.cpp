#include "app/pages/intra_extra_page.h"

#include "ui/picture_box.h"

namespace app {

IntraExtraPage::IntraExtraPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("IntraExtra"));
    m_picture = new ui::PictureBox(this, 505, 201);
    m_picture->setObjectName(QStringLiteral("IntraExtraImage"));
    m_picture->move(24, 40);
}

}  // namespace app
