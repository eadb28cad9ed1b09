#include "app/pages/startest_page.h"

#include "app/control_names.h"
#include "app/figures_text.h"
#include "app/pages/page_helpers.h"
#include "optics/constants.h"
#include "app/picture_files.h"
#include "ui/hints.h"
#include "ui/picture_box.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSlider>

namespace app {

StartestPage::StartestPage(PictureFiles& files, QWidget* parent)
    : QWidget(parent), m_files(files)
{
    setObjectName(QLatin1String(names::kStartestPage));

    m_title = makeLabel(this, QStringLiteral("Star Test Image"), 160, 4);
    m_title->setObjectName(QLatin1String(names::kStarTitle));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_title->setFixedWidth(256);

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
    m_scaleLabel->setFixedWidth(256);
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

    // The figures of the star, between the warning and the save button.
    const FigureTexts empty = EmptyFigures();
    const QString lines[] = {empty.strehl, empty.marechal, empty.clear, empty.fwhm, empty.energy};
    const char* const figureNames[] = {names::kStrehl, names::kMarechal, names::kStrehlClear, names::kFwhm,
                                       names::kEncircledEnergy};
    const QString hints[] = {
        QStringLiteral("Strehl ratio|Strehl ratio: the peak of the star \u00f7 the peak of a perfect telescope with "
                       "the same aperture, obstruction and spider"),
        QStringLiteral("Mar\u00e9chal|Mar\u00e9chal's estimate of the Strehl ratio, exp(\u2212(2\u03c0\u03c3)\u00b2) "
                       "from the RMS wavefront error \u03c3 in waves"),
        QStringLiteral("Peak \u00f7 clear aperture|The peak of the star \u00f7 the peak of a perfect telescope "
                       "without obstruction or spider: the Strehl ratio times the obstruction's own loss"),
        QStringLiteral("FWHM|Full width of the star at half its peak in arcseconds: the mean of the two axes, and "
                       "the larger when they differ"),
        QStringLiteral("Encircled energy|Radii of the circles around the star's centre of light that hold 50 % "
                       "and 80 % of its light, in arcseconds"),
    };
    for (int n = 0; n < 5; ++n) {
        m_figures[n] = makeLabel(this, lines[n], 6, 142 + 18 * n);
        m_figures[n]->setObjectName(QLatin1String(figureNames[n]));
        m_figures[n]->setFixedWidth(148);
        ui::setHint(m_figures[n], hints[n], true);
    }

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

    m_showHeld = new QCheckBox(QStringLiteral("Held star beside"), this);
    m_showHeld->setObjectName(QLatin1String(names::kShowHeld));
    m_showHeld->setGeometry(424, 288, 130, 18);
    m_showHeld->setEnabled(false);
    ui::setHint(m_showHeld, QStringLiteral("Held star beside|Shows the star kept with Hold (PSF/MTF page) on the left "
                                           "and the current star on the right, the middle of each at the same scale"),
                true);
    connect(m_showHeld, &QCheckBox::toggled, this, &StartestPage::compose);

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

void StartestPage::showStar(std::shared_ptr<const imaging::PixelBuffer> picture)
{
    m_now = std::move(picture);
    compose();
}

void StartestPage::setHeldPicture(const imaging::PixelBuffer* picture)
{
    if (picture)
        m_held = *picture;
    else
        m_held.reset();
    m_showHeld->setEnabled(m_held.has_value());
    compose();
}

void StartestPage::compose()
{
    const bool beside = m_held && m_showHeld->isChecked();
    m_title->setText(beside ? QStringLiteral("Held star  |  Star now") : QStringLiteral("Star Test Image"));
    if (!m_now && !beside)
        return;
    // The middle 128 columns of each picture, held on the left.
    constexpr int kQuarter = 64;
    constexpr int kHalf = 128;
    if (beside) {
        m_starImage->copyFrom(*m_held, kQuarter, 0, kQuarter + kHalf, 256, 0, 0);
        if (m_now)
            m_starImage->copyFrom(*m_now, kQuarter, 0, kQuarter + kHalf, 256, kHalf, 0);
        for (int y = 0; y < 256; ++y)
            m_starImage->setPixel(kHalf, y, qRgb(96, 96, 96));
    } else {
        m_starImage->copyFrom(m_now);
    }
    m_starImage->repaint();
}

void StartestPage::showFigures(const optics::StarFigures* figures, bool current)
{
    const FigureTexts texts = figures ? FormatFigures(*figures) : EmptyFigures();
    const QString lines[] = {texts.strehl, texts.marechal, texts.clear, texts.fwhm, texts.energy};
    for (int n = 0; n < 5; ++n) {
        m_figures[n]->setText(lines[n]);
        // Figures of a star the picture no longer shows stay, greyed.
        m_figures[n]->setEnabled(current || !figures);
    }
}

void StartestPage::setScaleLabel(int arcseconds)
{
    m_arcseconds = arcseconds;
    writeScaleLabel();
}

void StartestPage::setFocalPlaneWidth(double micrometres)
{
    m_micrometres = micrometres;
    writeScaleLabel();
}

void StartestPage::writeScaleLabel()
{
    // The width at the focal plane once a star gave the aperture.
    if (m_micrometres > 0.0) {
        m_scaleLabel->setText(QStringLiteral("Star image (%1 arcseconds, %2 \u00b5m)")
                                  .arg(m_arcseconds)
                                  .arg(QLocale::system().toString(m_micrometres, 'f', 0)));
    } else {
        m_scaleLabel->setText(QStringLiteral("Star image (%1 arcseconds)").arg(m_arcseconds));
    }
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
