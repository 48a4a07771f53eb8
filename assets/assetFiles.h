#pragma once
// Model and image paths must name ordinary files: a directory, FIFO or device in their
// place is refused before any loader opens it (opening a FIFO would block start-up). A
// loader given a folder reads nothing outside it.
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

// Whether `path` lies inside `root` once both are resolved; `resolved` is the path as it
// will be read, or `path` itself where it cannot be resolved (and then it is not inside).
bool insideFolder(const std::string& root, const std::string& path, std::string& resolved);
// The same against a root resolved already, for a loader that checks many paths.
bool insideResolvedFolder(const std::string& resolvedRoot, const std::string& path, std::string& resolved);
