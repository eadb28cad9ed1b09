#pragma once

#include "imaging/pixel_buffer.h"

#include <QFont>

namespace ui {

//! Draws text into a pixel buffer with the toolkit's fonts.
class QtTextPainter final : public imaging::TextPainter {
public:
    explicit QtTextPainter(const QFont& font) : m_font(font) {}
    void drawText(imaging::PixelBuffer& buffer, int x, int y, const char* text, imaging::Rgb ink,
                  imaging::Rgb background) override;
    int textWidth(const char* text) const override;

private:
    QFont m_font;
};

}  // namespace ui
