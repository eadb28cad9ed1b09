#pragma once

#include "base/result.h"
#include "imaging/pixel_buffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The rules every reader of picture files follows (JPEG here; BMP, PNG, TIFF
// and GIF readers take the same road). A picture file comes from outside and
// may be anything: a folder, a pipe, a device, a truncated download, a file
// crafted to claim a picture of billions of pixels. So a reader
//
// 1. gets the bytes with ReadPictureFile, which opens regular files only
//    (a pipe is never opened, so it cannot hang the program) and refuses
//    files over the size limit before reading them;
// 2. checks the picture's size from its header with CheckPictureSize before
//    it allocates or decodes anything;
// 3. treats every complaint of its decoder, warnings included, as a damaged
//    file, and releases the decoder on every path;
// 4. answers with a base::Result: a picture, or no picture and one sentence
//    naming the file ("cannot read /x/mars.jpg: the file is damaged").
//
// The decoders work on bytes in memory, so the fuzz targets feed them
// directly.

namespace imaging {

//! The largest pictures and files the readers accept. Within these a
//! picture takes at most 48 MB as 24-bit colour and any file decodes in well
//! under a second. The area sets the time: a file of a few hundred bytes can
//! hold a picture of one colour of any size, and one of 64 megapixels took
//! over two seconds to decode on the development machine.
struct PictureLimits {
    int maxSide = 16384;                              //!< pixels, either way
    std::int64_t maxPixels = std::int64_t{16} << 20;  //!< "16 megapixels"
    std::size_t maxFileBytes = std::size_t{128} << 20;  //!< "128 MB"
};
inline constexpr PictureLimits kPictureLimits{};

//! Reads all of `path` if it is a regular, non-empty file within
//! `limits.maxFileBytes`.
base::Result<std::vector<std::uint8_t>> ReadPictureFile(const std::string& path,
                                                        const PictureLimits& limits = kPictureLimits);

//! Whether a picture of `width` x `height` is within `limits`; if not, the
//! message for the file `name` names the limits.
base::Status CheckPictureSize(const std::string& name, std::int64_t width, std::int64_t height,
                              const PictureLimits& limits = kPictureLimits);

//! "cannot read `name`: `why`", the form of every reader's message.
std::string CannotRead(const std::string& name, const std::string& why);

}  // namespace imaging
