#include "app/dataFolders.h"

#include "assets/assetFiles.h"
#include "assets/assets.h"
#include "assets/models.h"
#include "assets/textures.h"
#include "programs/programs.h"

#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

#ifndef PINAKORA_INSTALLED_DATA
#define PINAKORA_INSTALLED_DATA "/usr/local/share/pinakora"
#endif

namespace {

bool isFolder(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
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
