#include "app/pages/animation_page.h"

#include "app/pages/page_helpers.h"
#include "ui/hints.h"
#include "ui/number_edit.h"

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

    // The range of the animated value and the number of steps between.
    auto makeRange = [this](const char* name, const ui::NumberEdit::Settings& settings, const QString& caption,
                            int y) {
        auto* edit = new ui::NumberEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setup(settings);
        edit->setGeometry(460, y, 70, 21);
        ui::attachCaption(edit, makeLabel(this, caption, 290, y + 4));
        return edit;
    };
    RxSpinEdit1 = makeRange("RxSpinEdit1", {.minimum = -10.0, .maximum = 10.0, .step = 0.05, .start = -5.0},
                            QStringLiteral("Lowest Value in Animation"), 60);
    RxSpinEdit2 = makeRange("RxSpinEdit2", {.minimum = -10.0, .maximum = 10.0, .step = 0.05, .start = 5.0},
                            QStringLiteral("Highest Value in Animation"), 90);
    RxSpinEdit3 = makeRange("RxSpinEdit3",
                            {.type = ui::NumberEdit::ValueType::Integer,
                             .minimum = 0.0,
                             .maximum = 100.0,
                             .step = 1.0,
                             .start = 20.0},
                            QStringLiteral("Steps/Frames"), 120);

    auto* objectCaption = makeLabel(this, QStringLiteral("Animated object"), 290, 170);
    Imagechoice = new QComboBox(this);
    Imagechoice->setObjectName(QStringLiteral("Imagechoice"));
    Imagechoice->addItems({QStringLiteral("Star"), QStringLiteral("Planet")});
    Imagechoice->setCurrentIndex(-1);
    Imagechoice->setGeometry(290, 186, 140, 22);
    ui::attachCaption(Imagechoice, objectCaption);
}

}  // namespace app
