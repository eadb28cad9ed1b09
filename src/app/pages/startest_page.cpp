#include "app/pages/startest_page.h"

#include "app/control_names.h"
#include "app/pages/page_helpers.h"
#include "optics/constants.h"
#include "app/picture_files.h"
#include "ui/hints.h"
#include "ui/picture_box.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace app {

StartestPage::StartestPage(PictureFiles& files, QWidget* parent)
    : QWidget(parent), m_files(files)
{
    setObjectName(QLatin1String(names::kStartestPage));

    auto* title = makeLabel(this, QStringLiteral("Star Test Image"), 160, 4);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->adjustSize();

    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::Panel);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setLineWidth(2);
    bevel->setGeometry(156, 22, 262, 262);

    m_starImage = new ui::PictureBox(this, optics::kPictureSide, optics::kPictureSide);
    m_starImage->setObjectName(QLatin1String(names::kStarImage));
    m_starImage->move(159, 25);

    m_scaleLabel = makeLabel(this, QString(), 160, 290);
    m_scaleLabel->setObjectName(QLatin1String(names::kStarImageLabel));
    m_scaleLabel->setFixedWidth(200);
    setScaleLabel(25);

    auto* instructions = makeLabel(this,
        QStringLiteral("Set aperture (diameter, obstruction)\r\nSet aberrations in wavelengths\r\nPress Calculate button"),
        6, 30);
    instructions->setWordWrap(true);
    instructions->setFixedWidth(146);
    instructions->setFixedHeight(instructions->heightForWidth(146));

    m_undersampled = makeLabel(this, QStringLiteral("Warning: Undersampled"), 6, 120);
    m_undersampled->setObjectName(QLatin1String(names::kUndersampled));
    m_undersampled->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    m_undersampled->adjustSize();
    m_undersampled->hide();

    m_save = makeButton(this, QLatin1String(names::kSaveStar), QStringLiteral("Save "), QRect(6, 262, 75, 23));
    ui::setHint(m_save, QStringLiteral("Save Startest"), true);
    connect(m_save, &QPushButton::clicked, this, &StartestPage::savePicture);

    m_brightness = new QSlider(Qt::Vertical, this);
    m_brightness->setObjectName(QLatin1String(names::kBrightness));
    m_brightness->setRange(0, 100);
    m_brightness->setSingleStep(10);
    m_brightness->setPageStep(10);
    m_brightness->setTickPosition(QSlider::TicksRight);
    m_brightness->setTickInterval(10);
    m_brightness->setValue(0);
    m_brightness->setGeometry(460, 40, 30, 230);
    ui::setHint(m_brightness, QStringLiteral("Brightness Slider"), true);
    ui::attachCaption(m_brightness, makeLabel(this, QStringLiteral("Brightness"), 446, 20));
    connect(m_brightness, &QSlider::valueChanged, this, &StartestPage::brightnessChanged);

    // A hidden 17 x 17 box that scripts have always found here.
    auto* paintBox = new QWidget(this);
    paintBox->setObjectName(QLatin1String(names::kStarPaintBox));
    paintBox->setGeometry(0, 0, 17, 17);
    paintBox->hide();
}

int StartestPage::brightness() const
{
    return m_brightness->value();
}

void StartestPage::setScaleLabel(int arcseconds)
{
    m_scaleLabel->setText(QStringLiteral("Star image (%1 arcseconds)").arg(arcseconds));
}

void StartestPage::setUndersampled(bool undersampled)
{
    m_undersampled->setVisible(undersampled);
}

void StartestPage::resetControls()
{
    m_brightness->setValue(0);
}

void StartestPage::savePicture()
{
    m_files.savePicture(this, *m_starImage);
}

}  // namespace app
