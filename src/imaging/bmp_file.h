#pragma once

#include "base/result.h"
#include "imaging/pixel_buffer.h"

#include <string>

namespace imaging {

//! The picture as a Windows bitmap file: 24 bits a pixel, uncompressed,
//! rows bottom up and padded to four bytes, 96 dots per inch.
std::string EncodeBmp(const PixelBuffer& picture);

//! Writes `picture` as a BMP file through WriteFile (file_output.h): a file
//! is replaced only once the whole picture is written. A failure names the
//! file.
base::Status WriteBmp(const PixelBuffer& picture, const std::string& path);

}  // namespace imaging
