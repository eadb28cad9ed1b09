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

// Not a system error number: the user may not write the file.
constexpr int kReadOnly = -2;

// For a write, a missing name means its folder is missing.
std::string reason(int error)
{
    if (error == kReadOnly)
        return "it is read-only";
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

// The longest name a folder takes (255 bytes on the usual file systems).
std::size_t longestName(const std::string& folder)
{
    const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? static_cast<std::size_t>(longest) : 255;
}

std::string temporaryName(const std::string& target)
{
    thread_local std::mt19937_64 random{std::random_device{}()};
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    char suffix[20];
    std::snprintf(suffix, sizeof suffix, ".%012llx", static_cast<unsigned long long>(random() & 0xffffffffffffULL));
    // Hidden, and beside the file it will replace (a rename stays within one
    // file system). The target's name is shortened so that the temporary
    // name is legal wherever the target's is, at a character's first byte.
    constexpr std::size_t kAdded = 1 + 13 + 4;  // ".", the suffix, ".tmp"
    const std::size_t longest = longestName(folder.empty() ? "." : folder);
    if (name.size() + kAdded > longest) {
        std::size_t keep = longest > kAdded ? longest - kAdded : 0;
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
            --keep;
        name.resize(keep);
    }
    return folder + "." + name + suffix + ".tmp";
}

// Returns 0 or the error number.
int writeAllAt(int fd, std::string_view bytes)
{
    off_t at = 0;
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
        at += n;
    }
    return 0;
}

// Old contents up to this size are kept in memory while a file is written
// in place, to be put back if the write fails.
constexpr off_t kLargestKeptContents = off_t{256} << 20;

// Writes a regular file where it is: its name, links, owner, group, mode
// and everything else stay; only the contents change. The new contents are
// all in memory before the file is touched, and the old ones are read
// first: a write that fails puts them back.
int writeInPlace(const std::string& target, std::string_view bytes)
{
    int fd = ::open(target.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    const bool readable = fd >= 0;
    if (fd < 0 && errno == EACCES)
        fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    Descriptor file(fd);
    struct stat st{};
    if (::fstat(fd, &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    std::string old;
    bool kept = false;
    if (readable && st.st_size <= kLargestKeptContents) {
        old.resize(static_cast<std::size_t>(st.st_size));
        std::size_t got = 0;
        while (got < old.size()) {
            const ssize_t n = ::pread(fd, old.data() + got, old.size() - got, static_cast<off_t>(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        old.resize(got);
        kept = true;
    }
    int error = writeAllAt(fd, bytes);
    if (!error && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        error = errno;
    if (!error && ::fsync(fd) != 0 && errno != EINVAL)
        error = errno;
    if (error && kept) {
        // Back as it was, as far as the disk lets it.
        if (writeAllAt(fd, old) == 0 && ::ftruncate(fd, static_cast<off_t>(old.size())) == 0)
            ::fsync(fd);
    }
    if (const int closed = file.close(); !error)
        error = closed;
    return error;
}

// Why a replacement could not take the old file's owner and group: the
// caller then writes the file in place.
constexpr int kOwnerNotKept = -1;

// Writes a new or regular file by way of a temporary one. `existing` is the
// old file's status, or null for a new file: the replacement takes its
// owner, group and mode, or the write answers kOwnerNotKept and nothing
// changed.
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
    if (existing) {
        // The owner first: a change of owner clears the set-id bits.
        struct stat made{};
        if (::fstat(fd, &made) != 0)
            error = errno;
        else if ((made.st_uid != existing->st_uid || made.st_gid != existing->st_gid)
                 && ::fchown(fd, existing->st_uid, existing->st_gid) != 0)
            error = errno == EPERM ? kOwnerNotKept : errno;
        if (!error && ::fchmod(fd, existing->st_mode & 07777) != 0)
            error = errno;
    }
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

// Writes an existing regular file: refused when this user may not write it;
// in place when it has other names (hard links) or when a replacement could
// not take its owner; else replaced.
int writeRegularFile(const std::string& target, std::string_view bytes, const struct stat& st)
{
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return errno == EACCES ? kReadOnly : errno;
    if (st.st_nlink > 1)
        return writeInPlace(target, bytes);
    const int error = replaceFile(target, bytes, &st);
    return error == kOwnerNotKept ? writeInPlace(target, bytes) : error;
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
            error = writeRegularFile(target, bytes, st);
        return done(error);
    }
    if (S_ISDIR(st.st_mode))
        return failed("is a folder");
    if (!S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode))
        return failed("is neither a file, a character device nor a pipe");

    // Devices and pipes are written as they are (links to them are followed
    // by the system, /dev/stdout included). Without O_CREAT nothing is made
    // if the name went away meanwhile; O_TRUNC means nothing to them. A pipe
    // is opened without waiting: with nobody reading it the open fails at
    // once instead of holding the program until someone does.
    Descriptor file(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        return failed(errno == ENXIO && S_ISFIFO(st.st_mode) ? "nothing is reading the pipe" : reason(errno));
    // Written waiting, as any writer of a pipe does when it is full.
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return failed(reason(errno));
    int error = writeWithoutPipeSignal(file.get(), bytes);
    if (const int closed = file.close(); !error)
        error = closed;
    return done(error);
}

}  // namespace imaging
