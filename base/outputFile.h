#pragma once
// Writing a finished output (a picture, a page, subtitles, a video) under its name in one
// piece. A symbolic link at the name is refused, not followed: whoever planted it would
// choose which file gets overwritten. The bytes go to a fresh file beside the name, which
// then takes the name, so a write that fails (a full disk) leaves what was there before
// whole. A name held by something other than a regular file (a device such as /dev/full)
// is written in place. No GL here.
#include <cstddef>
#include <string>

// The line a refused link gets, after "Could not write PATH: ".
extern const char* const symbolicLinkRefusal;

// True when every byte reached the disk under `path`; otherwise the reason in *why.
bool writeWholeFile(const std::string& path, const void* bytes, size_t size, std::string* why = nullptr);
bool writeWholeFile(const std::string& path, const std::string& text, std::string* why = nullptr);

// The same for an output written piece by piece: open, write into `fd`, then finish (the
// part takes the name) or drop it (the part is removed, the name's old file kept).
struct PartFile {
    std::string name;  // the name it is to take
    std::string path;  // where it is written meanwhile
    int fd = -1;
};
bool openPartFile(const std::string& name, PartFile& part, std::string* why = nullptr);
bool finishPartFile(PartFile& part, std::string* why = nullptr);
void dropPartFile(PartFile& part);
