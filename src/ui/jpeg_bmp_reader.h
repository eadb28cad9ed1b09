#pragma once

#include <QImage>
#include <QString>

namespace ui {

//! A picture read from a file, or no picture and one sentence naming the
//! file and what is wrong with it.
struct LoadedPicture {
    QImage picture;  //!< 24-bit colour
    QString error;
};

//! Reads a JPEG or BMP file, told apart by its first bytes whatever its name
//! says, under the rules of imaging/picture_file.h: regular files only, the
//! size limits checked from the header before anything is decoded, a damaged
//! file refused with a message.
LoadedPicture ReadJpegOrBmp(const QString& path);

}  // namespace ui
