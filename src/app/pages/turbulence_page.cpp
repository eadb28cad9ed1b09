#include "app/pages/turbulence_page.h"

#include "app/pages/page_helpers.h"
#include "ui/hints.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QLabel>

namespace app {

namespace {

ui::NumberEdit* makeEditor(QWidget* parent, const char* name, const ui::NumberEdit::Settings& settings,
                           const QString& caption, int captionX, int editX, int y, int width)
{
    auto* edit = new ui::NumberEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setup(settings);
    edit->setGeometry(editX, y, width, 21);
    ui::attachCaption(edit, makeLabel(parent, caption, captionX, y + 4));
    return edit;
}

}  // namespace

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

    constexpr int left = 170;
    makeLabel(this,
              QStringLiteral("Turbulence and Roughness are to be entered as\r\nRMS (root-mean-square) values."),
              left, 26);
    // Both amplitudes: 0..2 in steps of 0.05.
    const ui::NumberEdit::Settings amplitude{.minimum = 0.0, .maximum = 2.0, .step = 0.05, .start = 0.0};
    RMSSpin = makeEditor(this, "RMSSpin", amplitude, QStringLiteral("Turbulence"), left, 250, 66, 60);
    ui::setHint(RMSSpin, QStringLiteral("Turbulence at Aperture"), true);
    Roughspin = makeEditor(this, "Roughspin", amplitude, QStringLiteral("Roughness"), left, 250, 96, 60);
    ui::setHint(Roughspin, QStringLiteral("Roughness at mirror"), true);

    RandSeedSpin = makeEditor(this, "RandSeedSpin",
                              {.type = ui::NumberEdit::ValueType::Integer,
                               .minimum = 1.0,
                               .maximum = 10000.0,
                               .step = 1.0,
                               .start = 1.0},
                              QStringLiteral("Random generator (Seed)"), left, 340, 180, 70);
    makeLabel(this,
              QStringLiteral("The numbers used in the generator will lead to \r\ndifferent (repeatable) patterns of "
                             "turbulence. \r\nThey will not influence the amount of turbulence."),
              left, 210);
}

}  // namespace app
