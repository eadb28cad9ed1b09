#pragma once

#include "imaging/picture_file.h"
#include "imaging/pixel_buffer.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace imaging {

//! Reads a JPEG file (grey, RGB or YCbCr) as 24-bit colour, under the rules
//! of picture_file.h. Every complaint of the decoder, a warning about
//! truncated or corrupt data included, makes the read fail with a message
//! naming the file; CMYK files are refused by name.
base::Result<PixelBuffer> ReadJpeg(const std::string& path);

//! Decodes the JPEG held in `size` bytes at `data`; `name` is the file named
//! in messages. ReadJpeg after reading the file.
base::Result<PixelBuffer> DecodeJpeg(const std::uint8_t* data, std::size_t size, const std::string& name);

//! Writes `picture` as a baseline 24-bit colour JPEG of quality `quality`,
//! through WriteFile (file_output.h): a file is replaced only once the whole
//! picture is written, while devices, pipes and the targets of links are
//! written as they are.
base::Status WriteJpeg(const PixelBuffer& picture, const std::string& path, int quality = 90);

}  // namespace imaging
