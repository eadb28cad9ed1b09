#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <string>

namespace ui {

//! The kinds of picture file read, told apart by their first bytes.
enum class PictureFormat { Unknown, Jpeg, Bmp, Png, Tiff };

//! The format that the first bytes of a file announce, whatever its name.
PictureFormat SniffPictureFormat(const QByteArray& head);

//! A picture read from a file: 24-bit RGB (QImage::Format_RGB888), or no
//! picture and one sentence naming the file and what is wrong with it.
struct PictureRead {
    QImage picture;
    QString error;
};

//! Reads a picture: JPEG, BMP, PNG or TIFF as its contents say, in any depth
//! the format allows (palette, grey, 16 bits a channel, an alpha channel), as
//! 24-bit colour, under the rules of imaging/picture_file.h: regular files
//! only (a pipe cannot make it wait, a folder is named as one), the file and
//! the picture size from its header within imaging::kPictureLimits before
//! anything is decoded, every decoder complaint a damaged file.
PictureRead ReadPicture(const QString& path);

//! The decoding part of ReadPicture, on the bytes of a file; `name` is the
//! file named in messages.
PictureRead DecodePicture(const QByteArray& bytes, const std::string& name);

//! What tells one version of a file from another (device, inode, size and
//! modification time to the nanosecond), or nothing when `path` is no
//! regular file. A picture read earlier from the same path with the same
//! stamp is the same picture.
QByteArray FileStamp(const QString& path);

//! The filters of the open dialog for pictures: JPEG, BMP, then every
//! picture this program reads.
QStringList PictureFilters();

}  // namespace ui
