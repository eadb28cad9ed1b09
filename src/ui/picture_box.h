#pragma once

#include "ui/layout_scaler.h"

#include <QImage>
#include <QWidget>

#include <memory>

namespace imaging {
class PixelBuffer;
}

namespace ui {

//! A picture on a page: shows a QImage at its top-left corner, no scaling.
//! Its picture starts black at the size of the box.
class PictureBox : public QWidget, public Scalable {
    Q_OBJECT

public:
    PictureBox(QWidget* parent, int width, int height);

    const QImage& picture() const;
    //! Whether anything was ever drawn or put into the picture (a new box
    //! only shows black).
    bool drawn() const { return m_drawn; }
    //! Replaces the picture (for example with a loaded file); the box keeps its
    //! own size.
    void setPicture(const QImage& picture);
    //! Back to black at the box's size, as if nothing was ever drawn.
    void clear();
    //! Shows the picture centred in the box instead of at its top-left corner
    //! (a larger one shows its middle).
    void setCentred(bool centred);
    //! Where the picture's top-left corner is drawn, in box coordinates.
    QPoint pictureOrigin() const;
    //! Copies the rectangle [left, right) x [top, bottom) of `buffer` into the
    //! picture with its corner at (destX, destY), clipped to both.
    void copyFrom(const imaging::PixelBuffer& buffer, int left, int top, int right, int bottom, int destX, int destY);
    //! Copies the whole buffer to the top-left corner.
    void copyFrom(const imaging::PixelBuffer& buffer);
    //! The same for a buffer that is kept unchanged: the copy is made when
    //! the picture is next painted or read, so that a box out of sight does
    //! not convert every picture a run shows in it.
    void copyFrom(std::shared_ptr<const imaging::PixelBuffer> buffer);
    //! Copies the rectangle `source` of `picture` into this picture with its
    //! corner at `dest`, clipped to both.
    void copyFrom(const QImage& picture, const QRect& source, const QPoint& dest);
    //! Writes one pixel of the picture.
    void setPixel(int x, int y, QRgb colour);
    //! Draws the picture `scale` times its size: pixel for pixel enlarged at
    //! whole scales, smoothly otherwise.
    void setScale(double scale) override;

signals:
    void clicked();
    //! The picture was replaced, cleared, or copied into (not for single
    //! pixels).
    void pictureChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    //! Makes the copy a shared buffer is waiting for.
    void settle() const;
    //! The copy of copyFrom, without telling anyone.
    void copyRows(const imaging::PixelBuffer& buffer, int left, int top, int right, int bottom, int destX,
                  int destY) const;

    mutable QImage m_picture;
    mutable std::shared_ptr<const imaging::PixelBuffer> m_pending;
    bool m_drawn = false;
    bool m_centred = false;
    double m_scale = 1.0;
};

//! A QImage that shares the memory of `buffer` (valid while the buffer lives).
QImage imageView(const imaging::PixelBuffer& buffer);
//! A 24-bit copy of `picture`.
imaging::PixelBuffer pixelBuffer(const QImage& picture);

}  // namespace ui
