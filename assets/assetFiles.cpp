#include "assets/assetFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string kindProblem(const struct stat& info)
{
    if (S_ISREG(info.st_mode))
        return "";
    if (S_ISDIR(info.st_mode))
        return "it is a directory, not a file";
    if (S_ISFIFO(info.st_mode))
        return "it is a FIFO, not a file";
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return "it is a device, not a file";
    if (S_ISSOCK(info.st_mode))
        return "it is a socket, not a file";
    return "it is not an ordinary file";
}

std::string statProblem(int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return "it does not exist";
    return std::strerror(error);
}

} // namespace

std::string notARegularFile(const std::string& path)
{
    struct stat info{};
    if (stat(path.c_str(), &info) != 0)
        return statProblem(errno);
    return kindProblem(info);
}

bool readWholeFile(const std::string& path, size_t maxBytes, std::string& bytes, std::string& problem)
{
    bytes.clear();
    // Non-blocking: a FIFO put in a file's place opens at once and is refused by fstat.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        problem = statProblem(errno);
        return false;
    }
    struct stat info{};
    if (fstat(fd, &info) != 0) {
        problem = statProblem(errno);
        close(fd);
        return false;
    }
    problem = kindProblem(info);
    if (problem.empty() && static_cast<unsigned long long>(info.st_size) > maxBytes)
        problem = "it is larger than " + std::to_string(maxBytes >> 20) + " MiB";
    if (!problem.empty()) {
        close(fd);
        return false;
    }
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = read(fd, &bytes[got], bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    // A file that shrank while being read is taken as far as it went.
    bytes.resize(got);
    return true;
}
