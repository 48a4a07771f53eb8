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

bool inPlace(const PartFile& part)
{
    return part.path == part.name;
}

} // namespace

bool openPartFile(const std::string& name, PartFile& part, std::string* why)
{
    part = PartFile{};
    part.name = name;
    struct stat existing{};
    if (::lstat(name.c_str(), &existing) == 0) {
        if (S_ISLNK(existing.st_mode))
            return fail(why, symbolicLinkRefusal);
        if (S_ISDIR(existing.st_mode))
            return fail(why, std::strerror(EISDIR));
        if (!S_ISREG(existing.st_mode)) {
            // A device or pipe under the name is what the user asked to write to.
            part.path = name;
            part.fd = ::open(name.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
            return part.fd >= 0 || fail(why, errno == ELOOP ? symbolicLinkRefusal : std::strerror(errno));
        }
    }
    // Created afresh (never an existing file or link) and hidden by its leading dot.
    const std::string stem = folderOf(name) + "/." + nameOf(name) + "." + std::to_string(::getpid()) + ".";
    for (unsigned attempt = 0; part.fd < 0 && attempt < 100; ++attempt) {
        part.path = stem + std::to_string(attempt) + ".part";
        part.fd = ::open(part.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (part.fd < 0 && errno != EEXIST)
            break;
    }
    return part.fd >= 0 || fail(why, std::strerror(errno));
}

bool finishPartFile(PartFile& part, std::string* why)
{
    if (part.fd < 0)
        return fail(why, std::strerror(EBADF));
    // The data must be on the disk before the name moves to it, or a crash could leave
    // an empty file where the old one was. A device has nothing to sync.
    const bool synced = inPlace(part) || ::fsync(part.fd) == 0;
    int error = errno;
    const bool closed = ::close(part.fd) == 0;
    if (synced && !closed)
        error = errno;
    part.fd = -1;
    if (synced && closed && (inPlace(part) || ::rename(part.path.c_str(), part.name.c_str()) == 0))
        return true;
    if (synced && closed)
        error = errno;
    dropPartFile(part);
    return fail(why, std::strerror(error));
}

void dropPartFile(PartFile& part)
{
    if (part.fd >= 0)
        ::close(part.fd);
    part.fd = -1;
    if (!part.path.empty() && !inPlace(part))
        ::unlink(part.path.c_str());
    part.path.clear();
}

bool writeWholeFile(const std::string& path, const void* bytes, size_t size, std::string* why)
{
    PartFile part;
    if (!openPartFile(path, part, why))
        return false;
    if (!writeAll(part.fd, static_cast<const char*>(bytes), size)) {
        const int error = errno;
        dropPartFile(part);
        return fail(why, std::strerror(error));
    }
    return finishPartFile(part, why);
}

bool writeWholeFile(const std::string& path, const std::string& text, std::string* why)
{
    return writeWholeFile(path, text.data(), text.size(), why);
}
