#include "app/folderWatch.h"

#include <filesystem>

namespace fs = std::filesystem;

std::uint64_t folderStamp(const std::string& folder)
{
    constexpr int maxFiles = 10000;
    std::error_code ec;
    fs::recursive_directory_iterator entry(folder, fs::directory_options::skip_permission_denied, ec);
    if (ec)
        return 0;
    // FNV-1a over each file's name, size and time; the order is the directory's, which
    // only changes when files come or go, and that is a change too.
    std::uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](const void* data, size_t size) {
        for (size_t i = 0; i < size; ++i) {
            hash ^= static_cast<const unsigned char*>(data)[i];
            hash *= 1099511628211ull;
        }
    };
    int files = 0;
    for (; entry != fs::recursive_directory_iterator() && files < maxFiles; entry.increment(ec), ++files) {
        if (ec)
            break;
        const std::string path = entry->path().string();
        mix(path.data(), path.size());
        std::error_code statError;
        const auto size = entry->is_regular_file(statError) ? entry->file_size(statError) : 0;
        const auto time = entry->last_write_time(statError).time_since_epoch().count();
        mix(&size, sizeof size);
        mix(&time, sizeof time);
    }
    return hash == 0 ? 1 : hash;
}

void watchFolder(FolderWatch& watch, const std::string& folder, double now)
{
    watch.folder = folder;
    watch.nextLook = now + watch.interval;
    watch.stamp = folder.empty() ? 0 : watch.stampOf(folder);
}

bool folderChanged(FolderWatch& watch, double now)
{
    if (watch.folder.empty() || now < watch.nextLook)
        return false;
    watch.nextLook = now + watch.interval;
    const std::uint64_t stamp = watch.stampOf(watch.folder);
    const bool changed = stamp != watch.stamp;
    watch.stamp = stamp;
    return changed;
}
