#include "imaging/file_output.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>

namespace imaging {

namespace {

// As many links as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

// For a write, a missing name means its folder is missing.
std::string reason(int error)
{
    return error == ENOENT ? "the folder does not exist" : SystemErrorReason(error);
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows `path` through every symbolic link. Leaves the last name, which
// exists or not; returns 0 or the error number.
int followLinks(std::string& path)
{
    for (int links = 0;; ++links) {
        struct stat st{};
        if (::lstat(path.c_str(), &st) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode))
            return 0;
        if (links == kMaxLinks)
            return ELOOP;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            return errno;
        target.resize(static_cast<std::size_t>(n));
        path = !target.empty() && target.front() == '/' ? target : folderOf(path) + "/" + target;
    }
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { close(); }
    int get() const { return m_fd; }
    //! Closes now; returns 0 or the error number.
    int close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd >= 0 && ::close(fd) != 0 && errno != EINTR ? errno : 0;
    }

private:
    int m_fd;
};

// Returns 0 or the error number.
int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// A write into a pipe nobody reads any more raises SIGPIPE, which ends the
// program unless it is handled. Held back for this thread during the write;
// one raised meanwhile is taken off again, so the write just fails (EPIPE).
int writeWithoutPipeSignal(int fd, std::string_view bytes)
{
    sigset_t pipeSignal;
    sigset_t saved;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t pendingBefore;
    sigpending(&pendingBefore);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &saved);
    const int error = writeAll(fd, bytes);
    if (error == EPIPE && !sigismember(&pendingBefore, SIGPIPE)) {
        const timespec now{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &now) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    return error;
}

std::string temporaryName(const std::string& target)
{
    thread_local std::mt19937_64 random{std::random_device{}()};
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    char suffix[20];
    std::snprintf(suffix, sizeof suffix, ".%012llx", static_cast<unsigned long long>(random() & 0xffffffffffffULL));
    // Hidden, and beside the file it will replace (a rename stays within one
    // file system).
    return folder + "." + name + suffix + ".tmp";
}

// Writes a new or regular file by way of a temporary one. `existing` is the
// old file's status, or null for a new file.
int replaceFile(const std::string& target, std::string_view bytes, const struct stat* existing)
{
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = temporaryName(target);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;
    Descriptor file(fd);
    int error = 0;
    if (existing && ::fchmod(fd, existing->st_mode & 07777) != 0)
        error = errno;
    if (!error)
        error = writeAll(fd, bytes);
    if (!error && ::fsync(fd) != 0 && errno != EINVAL)
        error = errno;
    if (const int closed = file.close(); !error)
        error = closed;
    if (!error && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error)
        ::unlink(temporary.c_str());
    return error;
}

}  // namespace

std::string SystemErrorReason(int error)
{
    switch (error) {
    case ENOENT:
        return "it does not exist";
    case ENOTDIR:
        return "a part of its path is not a folder";
    case EISDIR:
        return "is a folder";
    case EACCES:
    case EPERM:
        return "permission denied";
    case ENOSPC:
        return "no space left on the device";
    case EDQUOT:
        return "the disk quota is used up";
    case EFBIG:
        return "the file is too large";
    case EROFS:
        return "the file system is read-only";
    case ELOOP:
        return "too many symbolic links";
    case ENAMETOOLONG:
        return "the name is too long";
    case ENXIO:
        return "the device is not there";
    case EIO:
        return "the disk or device reported an input/output error";
    case EPIPE:
        return "nothing reads the pipe any more";
    default:
        return std::strerror(error);
    }
}

base::Status WriteFile(const std::string& path, std::string_view bytes)
{
    const auto failed = [&](const std::string& why) { return base::Fail("cannot write " + path + ": " + why); };
    const auto done = [&](int error) { return error ? failed(reason(error)) : base::Done(); };
    if (path.empty())
        return base::Fail("cannot write a file without a name");

    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) {
        // A new file, perhaps at the end of a link that points to nothing yet.
        if (errno != ENOENT)
            return failed(reason(errno));
        std::string target = path;
        int error = followLinks(target);
        if (!error)
            error = replaceFile(target, bytes, nullptr);
        return done(error);
    }
    if (S_ISREG(st.st_mode)) {
        // The file the links end at is replaced; the links stay.
        std::string target = path;
        int error = followLinks(target);
        if (!error)
            error = replaceFile(target, bytes, &st);
        return done(error);
    }
    if (S_ISDIR(st.st_mode))
        return failed("is a folder");
    if (!S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode))
        return failed("is neither a file, a character device nor a pipe");

    // Devices and pipes are written as they are (links to them are followed
    // by the system, /dev/stdout included). Without O_CREAT nothing is made
    // if the name went away meanwhile; O_TRUNC means nothing to them.
    Descriptor file(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        return failed(reason(errno));
    int error = writeWithoutPipeSignal(file.get(), bytes);
    if (const int closed = file.close(); !error)
        error = closed;
    return done(error);
}

}  // namespace imaging
