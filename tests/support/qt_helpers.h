#pragma once

// Helpers for the tests that use the toolkit: readable QStrings in failure
// messages, a user's mouse and keyboard, files, and picture checksums.

#include "support/checksum.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

// Failure messages show QStrings as text (one definition for every program).
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace testing_support {

//! The mouse enters `widget`.
inline void Hover(QWidget* widget)
{
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(widget, &enter);
}

//! A left click at (1, 1) of `widget`.
inline void MouseClick(QWidget* widget)
{
    const QPointF at(1, 1);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

//! Presses and releases `key` with `text` on `widget`.
inline void PressKey(QWidget* widget, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

//! Types `text` into `widget` a character at a time.
inline void Type(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        PressKey(widget, c.isLower() ? c.toUpper().unicode() : c.unicode(), QString(c));
}

//! The user moves on to another control.
inline void LoseFocus(QWidget* widget)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &out);
}

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

//! The whole file, or nothing when it cannot be read.
inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

//! The checksum of a picture's pixels in 24-bit colour, row by row.
inline std::uint64_t ImageChecksum(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    Checksum sum;
    for (int y = 0; y < rgb.height(); ++y)
        sum.add(rgb.constScanLine(y), static_cast<std::size_t>(rgb.width()) * 3);
    return sum.value();
}

}  // namespace testing_support
