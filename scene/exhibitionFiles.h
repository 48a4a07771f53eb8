#pragma once
// The files an exhibition names, as the keys its hall description uses. Its own files are
// paths relative to its folder, refused when they climb out of it (`..`, an absolute path,
// a symbolic link leading out), each given one key from firstModelKey or firstTextureKey
// however often it is named. `pinakora:models/NAME` and `pinakora:textures/NAME` name the
// viewer's own files under their built-in keys. A name that cannot be used is a FieldError
// on its field's path.
#include "assets/modelTable.h"
#include "assets/textures.h"

#include <nlohmann/json.hpp>

#include <map>
#include <string>
#include <vector>

constexpr short firstModelKey = 1000;
constexpr short firstTextureKey = 1000;

class ExhibitionFiles {
public:
    // `folder` resolved already; the lists receive each new file of the folder.
    ExhibitionFiles(const std::string& folder, std::vector<ModelFile>& models, std::vector<TextureFile>& textures)
        : folder(folder), models(models), textures(textures)
    {
    }

    short model(const std::string& path, const nlohmann::json& name);
    unsigned int texture(const std::string& path, const nlohmann::json& name);

private:
    const std::string& folder;
    std::vector<ModelFile>& models;
    std::vector<TextureFile>& textures;
    std::map<std::string, short> modelKeys;
    std::map<std::string, unsigned int> textureKeys;

    std::string insideFile(const std::string& path, const nlohmann::json& name, const char* what) const;
};
