#include "app/pages/about_page.h"

#include "app/control_names.h"
#include "app/pages/page_helpers.h"
#include "ui/hints.h"
#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <cmath>

namespace app {

namespace {

// Airy pattern (2 J1(x) / x)^2 with J1 from its power series, good enough
// for a decorative picture.
double airy(double x)
{
    if (std::abs(x) < 1e-6)
        return 1.0;
    return std::pow(2.0 * std::cyl_bessel_j(1.0, x) / x, 2.0);
}

}  // namespace

QImage aboutPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double r = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            const double level = std::pow(airy(r * 0.3), 0.35);
            const int v = static_cast<int>(std::lround(255.0 * level));
            // A faint blue night sky behind a white star.
            picture.setPixel(x, y, qRgb(v, v, std::min(255, v + 24)));
        }
    }
    return picture;
}

AboutPage::AboutPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QLatin1String(names::kAboutPage));

    m_picture = new ui::PictureBox(this, 160, 160);
    m_picture->setObjectName(QLatin1String(names::kAboutPicture));
    m_picture->move(16, 16);
    m_picture->setPicture(aboutPicture(160, 160));
    m_picture->setCursor(Qt::PointingHandCursor);
    connect(m_picture, &ui::PictureBox::clicked, this, &AboutPage::showSpecialSettings);

    auto* name = makeLabel(this, QStringLiteral("Quintalis"), 200, 16);
    QFont big = name->font();
    big.setPixelSize(24);
    big.setBold(true);
    name->setFont(big);
    name->adjustSize();
    makeLabel(this, QStringLiteral("Version %1").arg(QCoreApplication::applicationVersion()), 200, 52);
    makeLabel(this, QStringLiteral("Star-test simulator for amateur telescopes.\n"
                                   "Licensed under the GNU GPL, version 3 or later."),
              200, 72);

    m_credits = new QFrame(this);
    m_credits->setObjectName(QLatin1String(names::kCredits));
    m_credits->setFrameShape(QFrame::StyledPanel);
    m_credits->setFrameShadow(QFrame::Sunken);
    m_credits->setGeometry(200, 112, 340, 190);
    auto* credits = new QLabel(m_credits);
    credits->setWordWrap(true);
    credits->setText(QStringLiteral(
        "<b>Credits</b><br>"
        "Planet pictures rendered from map textures as packaged by Stellarium:<br>"
        "&bull; Mars: Courtesy NASA/JPL-Caltech (map via David Seal's site).<br>"
        "&bull; Jupiter: map by James Hastings-Trew from Cassini data.<br>"
        "&bull; Saturn and its rings: maps by Bj&ouml;rn J&oacute;nsson; "
        "processed by Oleg Pluton (Helleformer), CC BY 4.0.<br><br>"
        "Plots drawn with QCustomPlot; JPEG by libjpeg-turbo; GIF by giflib."));
    credits->setTextFormat(Qt::RichText);
    credits->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* layout = new QVBoxLayout(m_credits);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(credits);
    m_credits->installEventFilter(this);
    credits->installEventFilter(this);

    m_specials = new QGroupBox(QStringLiteral("Special settings"), this);
    m_specials->setObjectName(QLatin1String(names::kSpecials));
    m_specials->setGeometry(16, 190, 170, 100);
    m_gamma = makeEditor(m_specials, QLatin1String(names::kGamma),
                         {.minimum = 0.0, .maximum = 0.99, .step = 0.1, .start = 0.5}, 70, 24, 80);
    ui::attachCaption(m_gamma, makeLabel(m_specials, QStringLiteral("Gamma"), 10, 28));
    m_slope = makeEditor(m_specials, QLatin1String(names::kSlope),
                         {.minimum = 0.01, .maximum = 100.0, .step = 1.0, .start = 4.5}, 70, 56, 80);
    ui::attachCaption(m_slope, makeLabel(m_specials, QStringLiteral("Slope"), 10, 60));
    m_specials->hide();
    connect(m_gamma, &ui::NumberEdit::changed, this, &AboutPage::displayCurveChanged);
    connect(m_slope, &ui::NumberEdit::changed, this, &AboutPage::displayCurveChanged);
}

double AboutPage::gamma() const
{
    return m_gamma->value();
}

double AboutPage::slope() const
{
    return m_slope->value();
}

void AboutPage::showSpecialSettings()
{
    m_specials->setVisible(true);
}

bool AboutPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        showSpecialSettings();
    return QWidget::eventFilter(watched, event);
}

}  // namespace app
