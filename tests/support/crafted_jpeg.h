#pragma once

// JPEG files made directly with libjpeg, in memory, for the reader's tests,
// its benchmark and the fuzzers' starting corpus: every coding the decoder
// meets, and files that claim another size than their data holds.

#include <cstddef>
#include <cstdlib>
#include <functional>
#include <vector>

#include <cstdio>  // jpeglib.h needs FILE
#include <jpeglib.h>

namespace testing_support {

using JpegBytes = std::vector<unsigned char>;

//! A width x height JPEG of `components` samples a pixel in `space`, from
//! libjpeg's default settings changed by `tune`; `fill` writes row y (every
//! sample 128 when none is given).
inline JpegBytes CraftJpeg(int width, int height, int components, J_COLOR_SPACE space,
                           const std::function<void(jpeg_compress_struct&)>& tune = {},
                           const std::function<void(JSAMPLE* row, int y)>& fill = {})
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    if (tune)
        tune(info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * components, 128);
    while (info.next_scanline < info.image_height) {
        if (fill)
            fill(row.data(), static_cast<int>(info.next_scanline));
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    JpegBytes bytes(out, out + size);
    std::free(out);
    return bytes;
}

//! The same file claiming width x height in its frame header; false in
//! `found` (when given) if it has none.
inline JpegBytes WithClaimedSize(JpegBytes jpeg, unsigned width, unsigned height, bool* found = nullptr)
{
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        const unsigned char marker = jpeg[i + 1];
        // Start-of-frame markers: C0..CF less DHT (C4), JPG (C8) and DAC (CC).
        if (jpeg[i] == 0xFF && marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8
            && marker != 0xCC) {
            jpeg[i + 5] = static_cast<unsigned char>(height >> 8);
            jpeg[i + 6] = static_cast<unsigned char>(height);
            jpeg[i + 7] = static_cast<unsigned char>(width >> 8);
            jpeg[i + 8] = static_cast<unsigned char>(width);
            if (found)
                *found = true;
            return jpeg;
        }
    }
    if (found)
        *found = false;
    return jpeg;
}

}  // namespace testing_support
