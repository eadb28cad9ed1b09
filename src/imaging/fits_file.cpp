#include "imaging/fits_file.h"

#include "imaging/file_output.h"

#include <fitsio.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace imaging {

namespace {

// cfitsio takes keywords and texts as char*, and never changes them.
char* text(const std::string& s)
{
    return const_cast<char*>(s.c_str());
}

void writeCard(fitsfile* f, const FitsCard& card, int& status)
{
    char* key = text(card.keyword);
    char* comment = text(card.comment);
    if (const double* d = std::get_if<double>(&card.value)) {
        double v = *d;
        fits_write_key(f, TDOUBLE, key, &v, comment, &status);
    } else if (const long long* n = std::get_if<long long>(&card.value)) {
        LONGLONG v = *n;
        fits_write_key(f, TLONGLONG, key, &v, comment, &status);
    } else if (const bool* b = std::get_if<bool>(&card.value)) {
        int v = *b ? 1 : 0;
        fits_write_key(f, TLOGICAL, key, &v, comment, &status);
    } else {
        fits_write_key(f, TSTRING, key, text(std::get<std::string>(card.value)), comment, &status);
    }
}

// A standard keyword: one to eight capitals, digits, '-' or '_' (cfitsio
// would write a longer one in another convention some readers do not know).
bool standardKeyword(const std::string& key)
{
    return !key.empty() && key.size() <= 8 && std::all_of(key.begin(), key.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
}

}  // namespace

base::Result<std::string> FitsBytes(const std::vector<FitsImage>& images)
{
    if (images.empty())
        return base::Fail("a FITS file needs an image");
    for (const FitsImage& image : images) {
        const std::size_t count = static_cast<std::size_t>(std::max(image.width, 0))
                                  * static_cast<std::size_t>(std::max(image.height, 0))
                                  * static_cast<std::size_t>(std::max(image.planes, 0));
        if (count == 0 || image.pixels.size() != count)
            return base::Fail("the FITS image's pixels do not match its size");
        for (const FitsCard& card : image.cards)
            if (!standardKeyword(card.keyword))
                return base::Fail("\"" + card.keyword + "\" is no FITS keyword");
    }
    std::size_t size = 2880;
    void* memory = std::malloc(size);
    if (!memory)
        return base::Fail("not enough memory for the FITS file");
    fitsfile* f = nullptr;
    int status = 0;
    fits_create_memfile(&f, &memory, &size, 2880, std::realloc, &status);
    for (const FitsImage& image : images) {
        long axes[3] = {image.width, image.height, image.planes};
        fits_create_img(f, FLOAT_IMG, image.planes > 1 ? 3 : 2, axes, &status);
        if (!image.name.empty())
            fits_write_key(f, TSTRING, "EXTNAME", text(image.name), text("what this image is"), &status);
        for (const FitsCard& card : image.cards)
            writeCard(f, card, status);
        for (const std::string& comment : image.comments)
            fits_write_comment(f, text(comment), &status);
        fits_write_date(f, &status);
        long first[3] = {1, 1, 1};
        fits_write_pix(f, TFLOAT, first, static_cast<LONGLONG>(image.pixels.size()),
                       const_cast<float*>(image.pixels.data()), &status);
    }
    // The file ends with the padded data of its last image; the buffer may
    // be larger.
    LONGLONG headerStart = 0, dataStart = 0, dataEnd = 0;
    fits_flush_file(f, &status);
    fits_get_hduaddrll(f, &headerStart, &dataStart, &dataEnd, &status);
    fits_close_file(f, &status);
    if (status != 0) {
        char why[FLEN_STATUS] = {};
        fits_get_errstatus(status, why);
        fits_clear_errmsg();
        std::free(memory);
        return base::Fail(std::string("the FITS file could not be made (") + why + ")");
    }
    std::string bytes(static_cast<const char*>(memory), std::min<std::size_t>(size, static_cast<std::size_t>(dataEnd)));
    std::free(memory);
    return bytes;
}

base::Status WriteFits(const std::vector<FitsImage>& images, const std::string& path)
{
    const base::Result<std::string> bytes = FitsBytes(images);
    if (!bytes)
        return base::Fail("cannot write " + path + ": " + bytes.error());
    return WriteFile(path, std::string_view(*bytes));
}

}  // namespace imaging
