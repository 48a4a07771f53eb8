#include "app/dataFolders.h"

#include "assets/assetFiles.h"
#include "assets/assets.h"
#include "assets/models.h"
#include "assets/textures.h"
#include "programs/programs.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

#ifndef PINAKORA_INSTALLED_DATA
#define PINAKORA_INSTALLED_DATA "/usr/local/share/pinakora"
#endif
#ifndef PINAKORA_SOURCE_DATA
#define PINAKORA_SOURCE_DATA ""
#endif
#ifndef PINAKORA_BUILD_FOLDER
#define PINAKORA_BUILD_FOLDER ""
#endif

namespace {

bool isFolder(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Whether `executable` still lies in the build folder it was made in: a copy elsewhere or
// an installed one has no claim on the source tree.
bool inBuildFolder(const std::string& executable)
{
    char resolved[PATH_MAX];
    if (!*PINAKORA_BUILD_FOLDER || !realpath(PINAKORA_BUILD_FOLDER, resolved))
        return false;
    const std::string folder = std::string(resolved) + "/";
    return executable.compare(0, folder.size(), folder) == 0;
}

std::string runningExecutable()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

} // namespace

std::vector<std::string> dataFolderCandidates(const std::string& executable)
{
    std::vector<std::string> folders{"."};
    if (!executable.empty()) {
        const std::string beside = folderOf(executable);
        folders.push_back(beside);
        folders.push_back(folderOf(beside));
    }
    folders.push_back(PINAKORA_INSTALLED_DATA);
    // Last, so an installed copy or a folder given by where the program runs wins.
    const std::string sourceTree = PINAKORA_SOURCE_DATA;
    if (!sourceTree.empty() && inBuildFolder(executable) &&
        std::find(folders.begin(), folders.end(), sourceTree) == folders.end())
        folders.push_back(sourceTree);
    return folders;
}

bool holdsHallData(const std::string& folder)
{
    return isFolder(folder + "/res/models") && isFolder(folder + "/res/textures") && isFolder(folder + "/shaders");
}

bool findDataFolders(const char* program)
{
    const std::vector<std::string> candidates = dataFolderCandidates(runningExecutable());
    for (const std::string& folder : candidates) {
        if (!holdsHallData(folder))
            continue;
        if (folder != ".") {
            defaultAssets().modelDirectory = folder + "/res/models/";
            defaultAssets().textureDirectory = folder + "/res/textures/";
            shaderDirectory = folder + "/shaders";
        }
        return true;
    }
    std::cerr << program << ": the hall's data (res/models, res/textures and shaders/) was not found in the working folder";
    for (size_t i = 1; i < candidates.size(); ++i)
        std::cerr << (i + 1 < candidates.size() ? ", " : " or ") << candidates[i];
    std::cerr << std::endl;
    return false;
}
