#include "assets/assetFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
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

constexpr const char* outsideProblem = "it leads out of the folder";

// Whether the resolved `path` is `root` or lies below it.
bool under(const std::string& root, const std::string& path)
{
    if (root.empty() || path.compare(0, root.size(), root) != 0)
        return false;
    return path.size() == root.size() || root == "/" || path[root.size()] == '/';
}

// Where the open descriptor of `path` leads. The kernel says it for the descriptor
// itself; where it cannot (no /proc), the path is resolved and must still name the file
// that was opened. Empty when neither tells.
std::string descriptorPath(int fd, const std::string& path, const struct stat& opened)
{
    char link[4096];
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = readlink(proc.c_str(), link, sizeof link - 1);
    if (length > 0 && link[0] == '/')
        return std::string(link, static_cast<size_t>(length));
    const std::string resolved = resolvedPath(path);
    struct stat named{};
    if (resolved.empty() || stat(resolved.c_str(), &named) != 0 || named.st_dev != opened.st_dev ||
        named.st_ino != opened.st_ino)
        return "";
    return resolved;
}

// Reads the descriptor's kind and identity; false, with the reason, for anything but an
// ordinary file (or a descriptor that did not open).
bool describe(OpenedFile& file, std::string& problem)
{
    if (!file.isOpen()) {
        problem = statProblem(errno);
        return false;
    }
    struct stat info{};
    if (fstat(file.descriptor(), &info) != 0) {
        problem = statProblem(errno);
        return false;
    }
    file.identity = {static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino)};
    file.size = static_cast<unsigned long long>(info.st_size);
    problem = kindProblem(info);
    return problem.empty();
}

} // namespace

OpenedFile::OpenedFile(OpenedFile&& other) noexcept
    : identity(other.identity), size(other.size), realPath(std::move(other.realPath)), outside(other.outside),
      fd(other.release())
{
}

OpenedFile& OpenedFile::operator=(OpenedFile&& other) noexcept
{
    if (this != &other) {
        if (fd >= 0)
            close(fd);
        identity = other.identity;
        size = other.size;
        realPath = std::move(other.realPath);
        outside = other.outside;
        fd = other.release();
    }
    return *this;
}

OpenedFile::~OpenedFile()
{
    if (fd >= 0)
        close(fd);
}

int OpenedFile::release()
{
    const int held = fd;
    fd = -1;
    return held;
}

bool OpenedFile::readAll(size_t maxBytes, std::string& bytes, std::string& problem)
{
    bytes.clear();
    if (fd < 0) {
        problem = "it is not open";
        return false;
    }
    if (size > maxBytes) {
        problem = "it is larger than " + std::to_string(maxBytes >> 20) + " MiB";
        return false;
    }
    bytes.resize(static_cast<size_t>(size));
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = read(fd, &bytes[got], bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    // A file that shrank while being read is taken as far as it went.
    bytes.resize(got);
    return true;
}

OpenedFile openInsideFolder(const std::string& resolvedRoot, const std::string& path, std::string& problem)
{
    problem.clear();
    // Non-blocking: a FIFO put in a file's place opens at once and is refused by fstat.
    OpenedFile file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!file.isOpen()) {
        const int error = errno;
        // Nothing was opened: say where the path leads, out of the folder or to nothing.
        file.outside = !insideResolvedFolder(resolvedRoot, path, file.realPath);
        problem = file.outside ? outsideProblem : statProblem(error);
        return file;
    }
    struct stat info{};
    if (fstat(file.descriptor(), &info) == 0)
        file.realPath = descriptorPath(file.descriptor(), path, info);
    if (file.realPath.empty() || !under(resolvedRoot, file.realPath)) {
        if (file.realPath.empty())
            file.realPath = path;
        file.outside = true;
        problem = outsideProblem;
        close(file.release());
        return file;
    }
    if (!describe(file, problem))
        close(file.release());
    return file;
}

bool readInsideFolder(const std::string& resolvedRoot, const std::string& path, size_t maxBytes, std::string& bytes,
                      std::string& problem, FileIdentity* identity)
{
    bytes.clear();
    OpenedFile file = openInsideFolder(resolvedRoot, path, problem);
    if (!file.isOpen())
        return false;
    if (identity)
        *identity = file.identity;
    return file.readAll(maxBytes, bytes, problem);
}

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
    OpenedFile file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!describe(file, problem))
        return false;
    return file.readAll(maxBytes, bytes, problem);
}

std::string resolvedPath(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        return "";
    std::string resolved = std::filesystem::weakly_canonical(absolute, error).lexically_normal().string();
    if (error)
        return "";
    while (resolved.size() > 1 && resolved.back() == '/')
        resolved.pop_back();
    return resolved;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool insideResolvedFolder(const std::string& resolvedRoot, const std::string& path, std::string& resolved)
{
    resolved = resolvedPath(path);
    if (resolved.empty()) {
        resolved = path;
        return false;
    }
    return under(resolvedRoot, resolved);
}

bool insideFolder(const std::string& root, const std::string& path, std::string& resolved)
{
    return insideResolvedFolder(resolvedPath(root), path, resolved);
}
