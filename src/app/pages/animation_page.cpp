#include "app/pages/animation_page.h"

#include "app/pages/page_helpers.h"
#include "ui/hints.h"

#include <QComboBox>
#include <QLabel>

namespace app {

AnimationPage::AnimationPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Animation"));

    auto* aberrationCaption = makeLabel(this, QStringLiteral("Aberration to animate"), 290, 8);
    AniAberchoice = new QComboBox(this);
    AniAberchoice->setObjectName(QStringLiteral("AniAberchoice"));
    AniAberchoice->addItems({QStringLiteral("Focus"), QStringLiteral("ComaX"), QStringLiteral("ComaY"),
                             QStringLiteral("Astigmatism X"), QStringLiteral("Astigmatism Y"),
                             QStringLiteral("Spherical Low"), QStringLiteral("Spherical High"),
                             QStringLiteral("Tube"), QStringLiteral("Pinch"), QStringLiteral("TDE"),
                             QStringLiteral("Turbulence")});
    AniAberchoice->setCurrentIndex(-1);
    AniAberchoice->setGeometry(290, 24, 140, 22);
    ui::attachCaption(AniAberchoice, aberrationCaption);

    auto* objectCaption = makeLabel(this, QStringLiteral("Animated object"), 290, 170);
    Imagechoice = new QComboBox(this);
    Imagechoice->setObjectName(QStringLiteral("Imagechoice"));
    Imagechoice->addItems({QStringLiteral("Star"), QStringLiteral("Planet")});
    Imagechoice->setCurrentIndex(-1);
    Imagechoice->setGeometry(290, 186, 140, 22);
    ui::attachCaption(Imagechoice, objectCaption);
}

}  // namespace app
