#pragma once
// Noticing that a file in a folder changed, for --watch: a few times a second the frame
// loop asks, and the folder's stamp (every file's path, size and modification time) is
// compared with the one before. The clock and the stamp are the caller's to give, so the
// rule is tested without files or waiting.
#include <cstdint>
#include <functional>
#include <string>

// A hash of the paths, sizes and modification times of the files under `folder` (at most
// the first 10000 met); 0 when it cannot be read.
std::uint64_t folderStamp(const std::string& folder);

struct FolderWatch {
    std::string folder;  // empty: watching nothing
    double interval = 0.5;  // seconds between looks
    double nextLook = 0.0;
    std::uint64_t stamp = 0;
    std::function<std::uint64_t(const std::string& folder)> stampOf = folderStamp;
};

// Starts watching `folder` from now, taking its stamp as it is.
void watchFolder(FolderWatch& watch, const std::string& folder, double now);

// Whether the folder changed since the last look; looks only once `interval` has passed.
bool folderChanged(FolderWatch& watch, double now);
