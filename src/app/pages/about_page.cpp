#include "app/pages/about_page.h"

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
    setObjectName(QStringLiteral("About"));

    Image5 = new ui::PictureBox(this, 160, 160);
    Image5->setObjectName(QStringLiteral("Image5"));
    Image5->move(16, 16);
    Image5->setPicture(aboutPicture(160, 160));
    Image5->setCursor(Qt::PointingHandCursor);

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

    SecretPanel1 = new QFrame(this);
    SecretPanel1->setObjectName(QStringLiteral("SecretPanel1"));
    SecretPanel1->setFrameShape(QFrame::StyledPanel);
    SecretPanel1->setFrameShadow(QFrame::Sunken);
    SecretPanel1->setGeometry(200, 112, 340, 190);
    auto* credits = new QLabel(SecretPanel1);
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
    auto* layout = new QVBoxLayout(SecretPanel1);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(credits);
    SecretPanel1->installEventFilter(this);
    credits->installEventFilter(this);

    Specials = new QGroupBox(QStringLiteral("Special settings"), this);
    Specials->setObjectName(QStringLiteral("Specials"));
    Specials->setGeometry(16, 190, 170, 100);
    auto* gammaCaption = makeLabel(Specials, QStringLiteral("Gamma"), 10, 28);
    GammaSpin = new ui::NumberEdit(Specials);
    GammaSpin->setObjectName(QStringLiteral("GammaSpin"));
    GammaSpin->setGeometry(70, 24, 80, 22);
    GammaSpin->setRange(0.0, 0.99);
    GammaSpin->setStep(0.1);
    GammaSpin->setDecimals(2);
    GammaSpin->setValue(0.5);
    ui::attachCaption(GammaSpin, gammaCaption);
    auto* slopeCaption = makeLabel(Specials, QStringLiteral("Slope"), 10, 60);
    SlopeSpin = new ui::NumberEdit(Specials);
    SlopeSpin->setObjectName(QStringLiteral("SlopeSpin"));
    SlopeSpin->setGeometry(70, 56, 80, 22);
    SlopeSpin->setRange(0.01, 100.0);
    SlopeSpin->setStep(1.0);
    SlopeSpin->setDecimals(2);
    SlopeSpin->setValue(4.5);
    ui::attachCaption(SlopeSpin, slopeCaption);
    Specials->hide();
}

bool AboutPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        emit secretPanelClicked();
    return QWidget::eventFilter(watched, event);
}

}  // namespace app
