#include "imaging/jpeg_file.h"

#include "imaging/file_output.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

#include <jpeglib.h>
#include <jerror.h>

// libjpeg reports errors by calling a function that must not return; here it
// jumps back with longjmp. A jump may not skip a C++ object that has a
// destructor, so each libjpeg call runs inside a small step function below
// whose frame holds none: the step sets its own jump target and answers
// false when libjpeg gave up. The objects with destructors (the decoder's
// owner, the picture) live in the callers, which the jumps never cross.

namespace imaging {

namespace {

// Progressive files from real encoders have about ten scans. Each scan
// passes over the whole picture, so a crafted file of thousands of tiny ones
// would take minutes.
constexpr int kMaxScans = 32;

// Our own message code, beyond libjpeg's.
constexpr int kTooManyScans = JMSG_LASTMSGCODE + 1;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

ErrorManager& managerOf(j_common_ptr info)
{
    return *reinterpret_cast<ErrorManager*>(info->err);
}

[[noreturn]] void onError(j_common_ptr info)
{
    ErrorManager& manager = managerOf(info);
    (*info->err->format_message)(info, manager.message);
    std::longjmp(manager.jump, 1);
}

// Warnings (level -1) about the data, a truncated or corrupt file above all,
// end the decoding as errors do: a picture with grey holes in it is not what
// the file's owner meant. Nothing goes to the standard error stream, which a
// window user never sees.
void onMessage(j_common_ptr info, int level)
{
    if (level >= 0 || !info->is_decompressor || info->err->msg_code == JWRN_JFIF_MAJOR)
        return;
    onError(info);
}

void onProgress(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
        info->err->msg_code = kTooManyScans;
        std::longjmp(managerOf(info).jump, 1);
    }
}

void useErrorManager(jpeg_error_mgr* base)
{
    jpeg_std_error(base);
    base->error_exit = onError;
    base->emit_message = onMessage;
}

struct Decoder {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};
    bool created = false;

    Decoder()
    {
        useErrorManager(&errors.base);
        info.err = &errors.base;
        progress.progress_monitor = onProgress;
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder()
    {
        if (created)
            jpeg_destroy_decompress(&info);
    }
};

bool readHeader(Decoder& d, const std::uint8_t* data, std::size_t size)
{
    if (setjmp(d.errors.jump))
        return false;
    // Destroying a decoder whose creation failed halfway is harmless.
    d.created = true;
    jpeg_create_decompress(&d.info);
    d.info.progress = &d.progress;
    jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d.info, TRUE);
    return true;
}

bool startDecoding(Decoder& d)
{
    if (setjmp(d.errors.jump))
        return false;
    d.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d.info);
    return true;
}

bool readRows(Decoder& d, PixelBuffer& picture)
{
    if (setjmp(d.errors.jump))
        return false;
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row = picture.data() + static_cast<std::size_t>(d.info.output_scanline) * picture.stride();
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1)
            ERREXIT(&d.info, JERR_INPUT_EOF);
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

base::Failure failure(const std::string& name, const std::string& why)
{
    return base::Fail(CannotRead(name, why));
}

base::Failure decoderFailure(const Decoder& d, const std::string& name)
{
    if (d.errors.base.msg_code == JERR_OUT_OF_MEMORY)
        return failure(name, "not enough memory to decode it");
    if (d.errors.base.msg_code == kTooManyScans)
        return failure(name, "it is a progressive JPEG of more than " + std::to_string(kMaxScans)
                                 + " scans, more than this program reads");
    return failure(name, std::string("the file is damaged (") + d.errors.message + ")");
}

struct Encoder {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    bool created = false;

    Encoder()
    {
        useErrorManager(&errors.base);
        info.err = &errors.base;
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
    ~Encoder()
    {
        if (created)
            jpeg_destroy_compress(&info);
        std::free(bytes);
    }
};

bool encode(Encoder& e, const PixelBuffer& picture, int quality)
{
    if (setjmp(e.errors.jump))
        return false;
    e.created = true;
    jpeg_create_compress(&e.info);
    jpeg_mem_dest(&e.info, &e.bytes, &e.size);
    e.info.image_width = static_cast<JDIMENSION>(picture.width());
    e.info.image_height = static_cast<JDIMENSION>(picture.height());
    e.info.input_components = 3;
    e.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&e.info);
    jpeg_set_quality(&e.info, quality, TRUE);
    jpeg_start_compress(&e.info, TRUE);
    while (e.info.next_scanline < e.info.image_height) {
        auto* row = const_cast<JSAMPLE*>(picture.data() + static_cast<std::size_t>(e.info.next_scanline) * picture.stride());
        jpeg_write_scanlines(&e.info, &row, 1);
    }
    jpeg_finish_compress(&e.info);
    return true;
}

}  // namespace

base::Result<PixelBuffer> ReadJpeg(const std::string& path)
{
    const base::Result<std::vector<std::uint8_t>> file = ReadPictureFile(path);
    if (!file)
        return base::Fail(file.error());
    return DecodeJpeg(file->data(), file->size(), path);
}

base::Result<PixelBuffer> DecodeJpeg(const std::uint8_t* data, std::size_t size, const std::string& name)
{
    // Every JPEG file starts with its start-of-image marker.
    if (size < 2 || data[0] != 0xFF || data[1] != 0xD8)
        return failure(name, "it is not a picture this program reads");
    try {
        Decoder d;
        if (!readHeader(d, data, size))
            return decoderFailure(d, name);
        switch (d.info.jpeg_color_space) {
        case JCS_GRAYSCALE:
        case JCS_RGB:
        case JCS_YCbCr:
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            return failure(name, "CMYK JPEG files are not supported");
        default:
            return failure(name, "it is a JPEG file with " + std::to_string(d.info.num_components)
                                     + " colour channels, which this program does not read");
        }
        if (base::Status size = CheckPictureSize(name, d.info.image_width, d.info.image_height); !size)
            return base::Fail(size.error());
        if (!startDecoding(d))
            return decoderFailure(d, name);
        if (d.info.output_width != d.info.image_width || d.info.output_height != d.info.image_height
            || d.info.output_components != 3)
            return failure(name, "the file is damaged (unexpected picture layout)");
        PixelBuffer picture(static_cast<int>(d.info.output_width), static_cast<int>(d.info.output_height));
        if (!readRows(d, picture))
            return decoderFailure(d, name);
        return picture;
    } catch (const std::bad_alloc&) {
        return failure(name, "not enough memory to decode it");
    }
}

base::Status WriteJpeg(const PixelBuffer& picture, const std::string& path, int quality)
{
    try {
        Encoder e;
        if (!encode(e, picture, quality))
            return base::Fail("cannot write " + path + ": " + e.errors.message);
        return WriteFile(path, std::string_view(reinterpret_cast<const char*>(e.bytes), e.size));
    } catch (const std::bad_alloc&) {
        return base::Fail("cannot write " + path + ": not enough memory");
    }
}

}  // namespace imaging
