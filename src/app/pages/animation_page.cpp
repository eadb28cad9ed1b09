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
    m_aberration = new QComboBox(this);
    m_aberration->setObjectName(QStringLiteral("AniAberchoice"));
    m_aberration->addItems({QStringLiteral("Focus"), QStringLiteral("ComaX"), QStringLiteral("ComaY"),
                            QStringLiteral("Astigmatism X"), QStringLiteral("Astigmatism Y"),
                            QStringLiteral("Spherical Low"), QStringLiteral("Spherical High"),
                            QStringLiteral("Tube"), QStringLiteral("Pinch"), QStringLiteral("TDE"),
                            QStringLiteral("Turbulence")});
    m_aberration->setCurrentIndex(-1);
    m_aberration->setGeometry(290, 24, 140, 22);
    ui::attachCaption(m_aberration, aberrationCaption);

    // The range of the animated value and the number of steps between.
    auto makeRange = [this](const char* name, const ui::NumberEdit::Settings& settings, const QString& caption,
                            int y) {
        ui::NumberEdit* edit = makeEditor(this, QLatin1String(name), settings, 460, y, 70);
        ui::attachCaption(edit, makeLabel(this, caption, 290, y + 4));
        connect(edit, &ui::NumberEdit::changed, this, &AnimationPage::rangeEdited);
        return edit;
    };
    m_lowest = makeRange("RxSpinEdit1", {.minimum = -10.0, .maximum = 10.0, .step = 0.05, .start = -5.0},
                         QStringLiteral("Lowest Value in Animation"), 60);
    m_highest = makeRange("RxSpinEdit2", {.minimum = -10.0, .maximum = 10.0, .step = 0.05, .start = 5.0},
                          QStringLiteral("Highest Value in Animation"), 90);
    m_steps = makeRange("RxSpinEdit3",
                        {.type = ui::NumberEdit::ValueType::Integer,
                         .minimum = 0.0,
                         .maximum = 100.0,
                         .step = 1.0,
                         .start = 20.0},
                        QStringLiteral("Steps/Frames"), 120);

    auto* objectCaption = makeLabel(this, QStringLiteral("Animated object"), 290, 170);
    m_object = new QComboBox(this);
    m_object->setObjectName(QStringLiteral("Imagechoice"));
    m_object->addItems({QStringLiteral("Star"), QStringLiteral("Planet")});
    m_object->setCurrentIndex(-1);
    m_object->setGeometry(290, 186, 140, 22);
    ui::attachCaption(m_object, objectCaption);
}

void AnimationPage::startUp()
{
    m_aberration->setCurrentIndex(0);
    m_object->setCurrentIndex(0);
    m_frames.clear();
}

}  // namespace app
