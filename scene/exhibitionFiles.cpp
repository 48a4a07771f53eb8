#include "scene/exhibitionFiles.h"

#include "assets/assetFiles.h"
#include "scene/jsonFields.h"

#include <cstring>
#include <sstream>

using nlohmann::json;

namespace {

constexpr const char* ownFiles = "pinakora:";

bool namesOwnFile(const json& name)
{
    return name.is_string() && name.get_ref<const std::string&>().rfind(ownFiles, 0) == 0;
}

} // namespace

std::string ExhibitionFiles::insideFile(const std::string& path, const json& name, const char* what) const
{
    if (!name.is_string() || name.get_ref<const std::string&>().empty())
        failField(path, name, what, "a file name");
    const std::string& file = name.get_ref<const std::string&>();
    if (file.size() > 1024)
        failField(path, name, what, "at most 1024 bytes");
    std::istringstream parts(file);
    std::string part;
    bool climbs = false;
    while (std::getline(parts, part, '/'))
        climbs = climbs || part == "..";
    if (file[0] == '/' || file.find('\\') != std::string::npos || file.find(':') != std::string::npos || climbs)
        failField(path, name, what, "a path inside the exhibition's folder, relative to it, without \"..\"");
    std::string resolved;
    if (!insideResolvedFolder(folder, folder + "/" + file, resolved))
        failField(path, name, what, "a file inside the exhibition's folder (this one leads out of it)");
    return file;
}

short ExhibitionFiles::model(const std::string& path, const json& name)
{
    if (namesOwnFile(name)) {
        const std::string own = name.get<std::string>().substr(std::strlen(ownFiles));
        for (const ModelFile& file : hallModelFiles())
            if (own == "models/" + file.file)
                return file.key;
        failField(path, name, "a model", "one of the viewer's own, such as \"pinakora:models/Sphere.dae\"");
    }
    const std::string file = insideFile(path, name, "a model file");
    const auto known = modelKeys.find(file);
    if (known != modelKeys.end())
        return known->second;
    const short next = static_cast<short>(firstModelKey + modelKeys.size());
    modelKeys[file] = next;
    // The importer makes smooth normals where a file has none, and takes every mesh.
    models.push_back({next, file, true, true});
    return next;
}

unsigned int ExhibitionFiles::texture(const std::string& path, const json& name)
{
    if (namesOwnFile(name)) {
        const std::string own = name.get<std::string>().substr(std::strlen(ownFiles));
        for (const TextureFile& file : hallTextureFiles())
            if (own == "textures/" + file.file)
                return static_cast<unsigned int>(file.key);
        failField(path, name, "an image", "one of the viewer's own, such as \"pinakora:textures/white.jpg\"");
    }
    const std::string file = insideFile(path, name, "an image file");
    const auto known = textureKeys.find(file);
    if (known != textureKeys.end())
        return known->second;
    const unsigned int next = firstTextureKey + static_cast<unsigned int>(textureKeys.size());
    textureKeys[file] = next;
    textures.push_back({static_cast<short>(next), file});
    return next;
}
