#pragma once
// Model and image paths must name ordinary files: a directory, FIFO or device in their
// place is refused before any loader opens it (opening a FIFO would block start-up).
#include <cstddef>
#include <string>

// Empty when `path` is an ordinary file; otherwise why it is not ("it does not exist",
// "it is a directory, not a file", ...).
std::string notARegularFile(const std::string& path);

// Reads a whole ordinary file of at most `maxBytes`; false, with the reason in `problem`,
// for anything else. Never blocks on a FIFO.
bool readWholeFile(const std::string& path, size_t maxBytes, std::string& bytes, std::string& problem);
