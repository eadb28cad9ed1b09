#pragma once

#include "base/result.h"

#include <string>
#include <variant>
#include <vector>

// FITS images of 32-bit floats, for image-analysis programs: one image, or
// several (the first the primary image, the others image extensions), each
// with its own header cards. The bytes are made in memory by cfitsio and
// written like every other file.

namespace imaging {

//! One header card: a keyword of at most eight capitals, digits, '-' or
//! '_', its value and a comment.
struct FitsCard {
    std::string keyword;
    std::variant<double, long long, bool, std::string> value;
    std::string comment;
};

//! An image of `width` x `height` pixels and `planes` planes (3 for red,
//! green and blue). `pixels` holds plane after plane, each row after row
//! from the bottom row up (FITS row 1 is the bottom of the picture), x
//! running fastest.
struct FitsImage {
    int width = 0;
    int height = 0;
    int planes = 1;
    std::vector<float> pixels;
    //! EXTNAME of an extension ("EXTRA"); the primary image may have one too.
    std::string name;
    std::vector<FitsCard> cards;
    std::vector<std::string> comments;
};

//! The bytes of a FITS file holding `images` (at least one). Fails with a
//! sentence when an image's pixels do not match its size or a card cannot
//! be written.
base::Result<std::string> FitsBytes(const std::vector<FitsImage>& images);

//! Writes `images` to `path` through WriteFile.
base::Status WriteFits(const std::vector<FitsImage>& images, const std::string& path);

}  // namespace imaging
