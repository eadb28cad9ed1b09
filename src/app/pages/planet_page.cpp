#include "app/pages/planet_page.h"

#include "app/pages/page_helpers.h"
#include "imaging/jpeg_file.h"
#include "ui/picture_box.h"

#include <QLabel>

namespace app {

PlanetPage::PlanetPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Planet"));
    m_original = new ui::PictureBox(this, 257, 257);
    m_original->setObjectName(QStringLiteral("Planetimage"));
    m_original->move(8, 24);
    m_aberrated = new ui::PictureBox(this, 257, 257);
    m_aberrated->setObjectName(QStringLiteral("Planetaberrate"));
    m_aberrated->move(284, 24);
    m_size = makeLabel(this, QString(), 8, 286);
    m_size->setObjectName(QStringLiteral("planetimagesize"));
    m_size->setFixedWidth(200);
    m_scaleLabel = makeLabel(this, QStringLiteral("Planet image (25 arcsec.)"), 284, 6);
    m_scaleLabel->setObjectName(QStringLiteral("Planetlabel"));
    m_scaleLabel->setFixedWidth(200);
}

void PlanetPage::setScaleLabel(int arcseconds)
{
    m_scaleLabel->setText(QStringLiteral("Planet image (%1 arcsec.)").arg(arcseconds));
}

QString PlanetPage::loadStartPicture(const QString& fileName, const QString& path)
{
    QString error;
    QImage picture;
    if (!path.isEmpty()) {
        imaging::ReadResult read = imaging::ReadJpeg(path.toStdString());
        if (read.picture) {
            picture = ui::imageView(*read.picture).copy();
            m_original->setPicture(picture);
        } else {
            error = QString::fromStdString(read.error);
        }
    }
    m_bitmap = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB888);
    m_fileName = fileName;
    showSize(picture);
    return error;
}

void PlanetPage::showSize(const QImage& picture)
{
    // Planet pictures are taken at 10 pixels per arcsecond.
    m_size->setText(QStringLiteral("%1arcseconds wide").arg(picture.isNull() ? 0 : picture.width() / 10));
}

}  // namespace app
