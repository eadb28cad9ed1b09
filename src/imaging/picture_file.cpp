#include "imaging/picture_file.h"

#include "imaging/file_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace imaging {

namespace {

std::string megabytes(std::size_t bytes)
{
    return std::to_string(bytes >> 20) + " MB";
}

// Empty when `st` is a regular file the limits allow, else why not.
std::string checkFile(const struct stat& st, const PictureLimits& limits)
{
    if (S_ISDIR(st.st_mode))
        return "it is a folder";
    if (!S_ISREG(st.st_mode))
        return "it is not a regular file (a pipe, a device or a socket)";
    if (st.st_size == 0)
        return "it is empty";
    if (static_cast<std::uint64_t>(st.st_size) > limits.maxFileBytes)
        return "it is larger than " + megabytes(limits.maxFileBytes) + ", more than any picture this program reads";
    return {};
}

}  // namespace

std::string CannotRead(const std::string& name, const std::string& why)
{
    return "cannot read " + name + ": " + why;
}

base::Result<std::vector<std::uint8_t>> ReadPictureFile(const std::string& path, const PictureLimits& limits)
{
    std::vector<std::uint8_t> bytes;
    const auto failed = [&](const std::string& why) { return base::Fail(CannotRead(path, why)); };
    // Looked at before it is opened: opening a pipe waits for a writer, and
    // opening a device may do things.
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return failed(SystemErrorReason(errno));
    if (std::string why = checkFile(st, limits); !why.empty())
        return failed(why);

    // Without blocking, in case the name now stands for a pipe after all.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failed(SystemErrorReason(errno));
    std::string why;
    if (::fstat(fd, &st) != 0)
        why = SystemErrorReason(errno);
    else
        why = checkFile(st, limits);
    if (why.empty()) {
        try {
            bytes.resize(static_cast<std::size_t>(st.st_size));
        } catch (const std::bad_alloc&) {
            why = "not enough memory";
        }
    }
    std::size_t got = 0;
    while (why.empty() && got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            why = SystemErrorReason(errno);
        else if (n == 0)
            break;  // it shrank meanwhile; the decoder sees what is there
        else
            got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (why.empty() && got == 0)
        why = "it is empty";
    if (!why.empty())
        return failed(why);
    bytes.resize(got);
    return bytes;
}

base::Status CheckPictureSize(const std::string& name, std::int64_t width, std::int64_t height,
                              const PictureLimits& limits)
{
    if (width <= 0 || height <= 0)
        return base::Fail(CannotRead(name, "the file is damaged (the picture has no pixels)"));
    if (width <= limits.maxSide && height <= limits.maxSide && width * height <= limits.maxPixels)
        return base::Done();
    return base::Fail(CannotRead(name, "the picture is " + std::to_string(width) + " x " + std::to_string(height)
                                + " pixels; pictures of up to " + std::to_string(limits.maxSide)
                                + " pixels a side and " + std::to_string(limits.maxPixels >> 20)
                                + " megapixels are read"));
}

}  // namespace imaging
