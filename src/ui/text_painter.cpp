#include "ui/text_painter.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

namespace ui {

void QtTextPainter::drawText(imaging::PixelBuffer& buffer, int x, int y, const char* text, imaging::Rgb ink,
                             imaging::Rgb background)
{
    QImage view(buffer.data(), buffer.width(), buffer.height(), buffer.stride(), QImage::Format_RGB888);
    QPainter painter(&view);
    painter.setFont(m_font);
    const QString s = QString::fromUtf8(text);
    const QFontMetrics metrics(m_font);
    const QRect box(x, y, metrics.horizontalAdvance(s), metrics.height());
    painter.fillRect(box, QColor(background.red, background.green, background.blue));
    painter.setPen(QColor(ink.red, ink.green, ink.blue));
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, s);
}

int QtTextPainter::textWidth(const char* text) const
{
    return QFontMetrics(m_font).horizontalAdvance(QString::fromUtf8(text));
}

}  // namespace ui
