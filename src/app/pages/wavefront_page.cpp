#include "app/pages/wavefront_page.h"

#include "app/pages/page_helpers.h"
#include "ui/picture_box.h"

#include <QLabel>
#include <QPushButton>

namespace app {

WavefrontPage::WavefrontPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("WavefrontPage"));
    makeLabel(this, QStringLiteral("Aperture Image"), 8, 4);
    Apertureimage = new ui::PictureBox(this, 256, 256);
    Apertureimage->setObjectName(QStringLiteral("Apertureimage"));
    Apertureimage->move(8, 20);
    makeLabel(this, QStringLiteral("Pupil Phase Function"), 284, 4);
    Aberimage = new ui::PictureBox(this, 256, 256);
    Aberimage->setObjectName(QStringLiteral("Aberimage"));
    Aberimage->move(284, 20);

    auto label = [this](const char* name, int x, int y) {
        QLabel* l = makeLabel(this, QString(), x, y);
        l->setObjectName(QString::fromLatin1(name));
        l->setFixedWidth(150);
        return l;
    };
    WavefrontLabel = label("WavefrontLabel", 8, 280);
    Wavelabl = label("Wavelabl", 8, 298);
    RMSLabel = label("RMSLabel", 160, 280);
    RMSlabl = label("RMSlabl", 160, 298);

    SaveWavefrontImage = new QPushButton(QStringLiteral("Save Image"), this);
    SaveWavefrontImage->setObjectName(QStringLiteral("SaveWavefrontImage"));
    SaveWavefrontImage->setGeometry(380, 284, 75, 25);
    LoadAber = new QPushButton(QStringLiteral("Load Image"), this);
    LoadAber->setObjectName(QStringLiteral("LoadAber"));
    LoadAber->setGeometry(464, 284, 75, 25);
}

}  // namespace app
