#include "imaging/jpeg_file.h"

#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <memory>

#include <jpeglib.h>

namespace imaging {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

struct FileCloser {
    void operator()(std::FILE* f) const
    {
        if (f)
            std::fclose(f);
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

ReadResult ReadJpeg(const std::string& path)
{
    File file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return {std::nullopt, "cannot open " + path};

    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    std::optional<PixelBuffer> picture;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return {std::nullopt, path + ": " + errors.message};
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file.get());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    picture.emplace(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture->data() + static_cast<std::size_t>(info.output_scanline) * picture->stride();
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return {std::move(picture), {}};
}

std::string WriteJpeg(const PixelBuffer& picture, const std::string& path, int quality)
{
    const std::string temporary = path + ".part";
    {
        File file(std::fopen(temporary.c_str(), "wb"));
        if (!file)
            return "cannot write " + path;
        jpeg_compress_struct info{};
        ErrorManager errors{};
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = onError;
        if (setjmp(errors.jump)) {
            jpeg_destroy_compress(&info);
            file.reset();
            std::remove(temporary.c_str());
            return path + ": " + errors.message;
        }
        jpeg_create_compress(&info);
        jpeg_stdio_dest(&info, file.get());
        info.image_width = static_cast<JDIMENSION>(picture.width());
        info.image_height = static_cast<JDIMENSION>(picture.height());
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, quality, TRUE);
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            auto* row = const_cast<JSAMPLE*>(picture.data() + static_cast<std::size_t>(info.next_scanline) * picture.stride());
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        if (std::fflush(file.get()) != 0 || std::ferror(file.get())) {
            file.reset();
            std::remove(temporary.c_str());
            return "cannot write " + path;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::remove(temporary.c_str());
        return "cannot write " + path + ": " + ec.message();
    }
    return {};
}

}  // namespace imaging
