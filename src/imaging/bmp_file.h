#pragma once

#include "base/result.h"
#include "imaging/pixel_buffer.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace imaging {

//! The picture as a Windows bitmap file: 24 bits a pixel, uncompressed,
//! rows bottom up and padded to four bytes, 96 dots per inch.
std::string EncodeBmp(const PixelBuffer& picture);

//! Writes `picture` as a BMP file through WriteFile (file_output.h): a file
//! is replaced only once the whole picture is written. A failure names the
//! file.
base::Status WriteBmp(const PixelBuffer& picture, const std::string& path);

//! Decodes the Windows bitmap held in `size` bytes at `data` as 24-bit
//! colour, under the rules of picture_file.h; `name` is the file named in
//! messages. Reads 1, 4, 8, 16, 24 and 32 bits a pixel, uncompressed (16 and
//! 32 bits also with colour masks), 8- and 4-bit run-length coding, rows
//! bottom up or top down. Every pixel of a picture it gives comes from the
//! file: the size of uncompressed pixel data is checked against the file
//! before anything is decoded, and data that ends early, run-length codes
//! that run past the picture or stop in the middle of a code, and indexes
//! beyond the palette make a damaged file. Run-length codes may skip pixels
//! or end the bitmap early (valid files do): those pixels take the
//! palette's first colour, the same on every read.
base::Result<PixelBuffer> DecodeBmp(const std::uint8_t* data, std::size_t size, const std::string& name);

//! DecodeBmp with every pixel set to `blank` before decoding. A picture it
//! gives does not depend on `blank`; the fuzz target decodes with two and
//! compares.
base::Result<PixelBuffer> DecodeBmp(const std::uint8_t* data, std::size_t size, const std::string& name, Rgb blank);

}  // namespace imaging
