#pragma once
// Model and image paths must name ordinary files: a directory, FIFO or device in their
// place is refused before any loader reads it (opening a FIFO would block start-up). A
// loader given a folder reads nothing outside it: a file is opened once, its descriptor's
// own path checked against the folder, and what is read is what was checked. A file is
// known by its identity (device and inode), whatever path named it.
#include <cstddef>
#include <string>

// Empty when `path` is an ordinary file; otherwise why it is not ("it does not exist",
// "it is a directory, not a file", ...).
std::string notARegularFile(const std::string& path);

// Reads a whole ordinary file of at most `maxBytes`; false, with the reason in `problem`,
// for anything else. Never blocks on a FIFO.
bool readWholeFile(const std::string& path, size_t maxBytes, std::string& bytes, std::string& problem);

// Absolute, without `.`, `..` or symbolic links in the part that exists (a missing tail
// taken as written); empty when the path cannot be resolved (a loop of links, a folder
// that may not be looked into).
std::string resolvedPath(const std::string& path);

// The folder part of `path`: "." when it has none, "/" for a file at the root.
std::string folderOf(const std::string& path);

// Whether `path` lies inside `root` once both are resolved; `resolved` is the path as it
// will be read, or `path` itself where it cannot be resolved (and then it is not inside).
bool insideFolder(const std::string& root, const std::string& path, std::string& resolved);
// The same against a root resolved already, for a loader that checks many paths.
bool insideResolvedFolder(const std::string& resolvedRoot, const std::string& path, std::string& resolved);

// One file, whichever of its names, hard links or links inside the folder led to it.
struct FileIdentity {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    bool operator<(const FileIdentity& other) const
    {
        return device != other.device ? device < other.device : inode < other.inode;
    }
    bool operator==(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
};

// An ordinary file opened for reading; its descriptor is closed when it goes.
class OpenedFile {
public:
    OpenedFile() = default;
    // Takes `descriptor` over (-1: none).
    explicit OpenedFile(int descriptor) : fd(descriptor) {}
    OpenedFile(OpenedFile&& other) noexcept;
    OpenedFile& operator=(OpenedFile&& other) noexcept;
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
    ~OpenedFile();

    bool isOpen() const { return fd >= 0; }
    int descriptor() const { return fd; }
    // Gives the descriptor up to the caller, who closes it.
    int release();
    // The rest of the file, at most `maxBytes` of it; false with the reason otherwise.
    bool readAll(size_t maxBytes, std::string& bytes, std::string& problem);

    FileIdentity identity;
    unsigned long long size = 0;
    // Where the descriptor leads (or, for a file that could not be opened, where its path
    // does), for the messages.
    std::string realPath;
    // Refused because it leads out of the folder.
    bool outside = false;

private:
    int fd = -1;
};

// Opens `path` when it is an ordinary file inside `resolvedRoot` (as resolvedPath gives
// it) at the moment it is opened: the opened descriptor's own path is what is checked, so
// a link swapped in before the open leads nowhere. Not open, with `problem` ("it does not
// exist", "it leads out of the folder", "it is a FIFO, not a file", ...) otherwise.
OpenedFile openInsideFolder(const std::string& resolvedRoot, const std::string& path, std::string& problem);

// openInsideFolder, then the whole file of at most `maxBytes`; `identity` (when given)
// receives the file's.
bool readInsideFolder(const std::string& resolvedRoot, const std::string& path, size_t maxBytes, std::string& bytes,
                      std::string& problem, FileIdentity* identity = nullptr);
