#include "app/pages/psf_mtf_page.h"

#include "app/pages/page_helpers.h"

#include <QCheckBox>
#include <QLabel>

namespace app {

PsfMtfPage::PsfMtfPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PSFMTF"));
    PsfMaxSet = new QCheckBox(QStringLiteral("Set Max=1"), this);
    PsfMaxSet->setObjectName(QStringLiteral("PsfMaxSet"));
    PsfMaxSet->setGeometry(8, 296, 90, 18);
    RxLabel1 = makeLabel(this, QStringLiteral("Max. resolution:"), 290, 298);
    RxLabel1->setObjectName(QStringLiteral("RxLabel1"));
    RxLabel1->setFixedWidth(250);
}

}  // namespace app
