#include "base/outputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char* const symbolicLinkRefusal = "it is a symbolic link, which is not followed";

namespace {

bool fail(std::string* why, const std::string& reason)
{
    if (why)
        *why = reason;
    return false;
}

// Every byte, through short writes and interruptions; false with errno set otherwise.
bool writeAll(int fd, const char* bytes, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A device or pipe under the name is what the user asked to write to; it is not replaced.
bool writeInPlace(const std::string& path, const char* bytes, size_t size, std::string* why)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail(why, errno == ELOOP ? symbolicLinkRefusal : std::strerror(errno));
    const bool written = writeAll(fd, bytes, size);
    const int writeErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed)
        return fail(why, std::strerror(written ? errno : writeErrno));
    return true;
}

} // namespace

bool writeWholeFile(const std::string& path, const void* bytes, size_t size, std::string* why)
{
    const char* data = static_cast<const char*>(bytes);
    struct stat existing{};
    if (::lstat(path.c_str(), &existing) == 0) {
        if (S_ISLNK(existing.st_mode))
            return fail(why, symbolicLinkRefusal);
        if (S_ISDIR(existing.st_mode))
            return fail(why, std::strerror(EISDIR));
        if (!S_ISREG(existing.st_mode))
            return writeInPlace(path, data, size, why);
    }
    // Created afresh (never an existing file or link) and hidden by its leading dot.
    const std::string stem = folderOf(path) + "/." + nameOf(path) + "." + std::to_string(::getpid()) + ".";
    std::string temporary;
    int fd = -1;
    for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = stem + std::to_string(attempt) + ".part";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return fail(why, std::strerror(errno));
    const bool written = writeAll(fd, data, size);
    int error = errno;
    // The data must be on the disk before the name moves to it, or a crash could leave
    // an empty file where the old one was.
    const bool synced = written && ::fsync(fd) == 0;
    if (written && !synced)
        error = errno;
    const bool closed = ::close(fd) == 0;
    if (written && synced && !closed)
        error = errno;
    if (!written || !synced || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        if (written && synced && closed)
            error = errno;
        ::unlink(temporary.c_str());
        return fail(why, std::strerror(error));
    }
    return true;
}

bool writeWholeFile(const std::string& path, const std::string& text, std::string* why)
{
    return writeWholeFile(path, text.data(), text.size(), why);
}
