#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

class QLabel;

namespace ui {
class PictureBox;
}

namespace app {

//! Page 2, "Planet": the loaded planet picture and its aberrated copy.
class PlanetPage : public QWidget {
    Q_OBJECT

public:
    explicit PlanetPage(QWidget* parent = nullptr);

    //! The aberrated planet picture (`Planetaberrate`, 257 x 257).
    ui::PictureBox* aberratedPicture() const { return m_aberrated; }
    //! The width of the aberrated picture in arcseconds, over it.
    void setScaleLabel(int arcseconds);

    //! Start-up: the default planet picture `fileName`, found at `path`
    //! (empty when it was not found), is shown with its width in arcseconds
    //! and becomes the working picture. Returns why it could not be read, or
    //! an empty string; the picture then stays empty and the width reads 0.
    QString loadStartPicture(const QString& fileName, const QString& path);

    //! The working picture in 24 bits, and the file it comes from.
    const QImage& planetBitmap() const { return m_bitmap; }
    const QString& planetFileName() const { return m_fileName; }

private:
    void showSize(const QImage& picture);

    ui::PictureBox* m_original;   // Planetimage
    ui::PictureBox* m_aberrated;  // Planetaberrate
    QLabel* m_size;               // planetimagesize
    QLabel* m_scaleLabel;         // Planetlabel
    QImage m_bitmap;              // PlanetBitmap
    QString m_fileName;           // PlanetFileName
};

}  // namespace app
