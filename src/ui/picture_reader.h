#pragma once

#include "base/result.h"

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

//! Reads a picture: JPEG, BMP, PNG or TIFF as its contents say, in any depth
//! the format allows (palette, grey, 16 bits a channel, an alpha channel), as
//! 24-bit colour, under the rules of imaging/picture_file.h: regular files
//! only (a pipe cannot make it wait, a folder is named as one), the file and
//! the picture size from its header within imaging::kPictureLimits before
//! anything is decoded, every decoder complaint a damaged file. A picture is
//! given only when every pixel was decoded from the file: JPEG and BMP go
//! through this program's decoders (imaging/jpeg_file.h, bmp_file.h); PNG
//! and TIFF through the toolkit's, into a picture filled with one value
//! first, and any warning of theirs makes the file damaged. The picture is
//! 24-bit RGB (QImage::Format_RGB888); a failure names the file and what is
//! wrong with it.
base::Result<QImage> ReadPicture(const QString& path);

//! The decoding part of ReadPicture, on the bytes of a file; `name` is the
//! file named in messages.
base::Result<QImage> DecodePicture(const QByteArray& bytes, const std::string& name);

//! What tells one version of a file from another (device, inode, size and
//! modification time to the nanosecond), or nothing when `path` is no
//! regular file. A picture read earlier from the same path with the same
//! stamp is the same picture.
QByteArray FileStamp(const QString& path);

//! The filters of the open dialog for pictures: JPEG, BMP, then every
//! picture this program reads.
QStringList PictureFilters();

}  // namespace ui
