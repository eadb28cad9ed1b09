#pragma once

#include "imaging/pixel_buffer.h"

#include <optional>
#include <string>

namespace imaging {

//! Result of reading a picture file: the picture, or a message saying why not.
struct ReadResult {
    std::optional<PixelBuffer> picture;
    std::string error;
};

//! Reads a JPEG file (any colour space libjpeg converts to RGB).
ReadResult ReadJpeg(const std::string& path);

//! Writes `picture` as a baseline 24-bit colour JPEG of quality `quality`.
//! The file is written to a temporary name beside `path` and renamed, so a
//! failed write never leaves a partial file. Returns an empty string on
//! success, else the reason.
std::string WriteJpeg(const PixelBuffer& picture, const std::string& path, int quality = 90);

}  // namespace imaging
