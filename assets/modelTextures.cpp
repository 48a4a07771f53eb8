#include "assets/modelTextures.h"

#include "assets/assetFiles.h"
#include "assets/assets.h"
#include "assets/modelData.h"
#include "assets/models.h"
#include "base/utf8Text.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

std::string modelTexturePath(const std::string& modelFile, const std::string& name)
{
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path[0] == '/' || path.find(':') != std::string::npos)
        return "";
    const std::string joined = folderOf(modelFile) + "/" + path;
    std::vector<std::string> parts;
    std::istringstream in(joined);
    std::string part;
    while (std::getline(in, part, '/')) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (parts.empty())
                return "";
            parts.pop_back();
        } else {
            parts.push_back(part);
        }
    }
    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "" : "/") + p;
    return out;
}

namespace {

std::vector<const std::string*> picturesOf(const ModelMaterial& material)
{
    return {&material.texture, &material.normalMap, &material.specularMap};
}

std::vector<unsigned int*> keysOf(ModelMaterial& material)
{
    return {&material.textureKey, &material.normalMapKey, &material.specularMapKey};
}

// Decodes and uploads `bytes` under `key`; false with the reason when they are no image.
// One that would pass the exhibition's totals is named by `name` and drawn mid-grey.
bool uploadBytes(Assets& assets, const std::string& bytes, short key, const std::string& name, std::string& problem)
{
    FIBITMAP* image = decodeImageBytes(bytes, textureLimits(), problem);
    if (!image) {
        if (problem.empty())
            problem = "it could not be read as an image";
        return false;
    }
    if (admitImage(assets.budget, image, name))
        uploadImage(textureLoader(assets), image, key, GL_BGR, GL_RGB, name);
    else
        uploadMidGrey(textureLoader(assets), key);
    return true;
}

} // namespace

std::vector<std::string> modelTextureFiles(const std::string& folder, const std::string& modelFile,
                                           const ModelData& model)
{
    std::vector<std::string> files;
    for (const ModelMaterial& material : model.materials)
        for (const std::string* name : picturesOf(material)) {
            if (name->empty() || (*name)[0] == '*')
                continue;
            const std::string relative = modelTexturePath(modelFile, *name);
            std::string problem;
            if (relative.empty() || !openInsideFolder(folder, folder + "/" + relative, problem).isOpen())
                continue;
            if (std::find(files.begin(), files.end(), relative) == files.end())
                files.push_back(relative);
        }
    return files;
}

void loadModelTextures(Assets& assets, const std::string& folder, const std::vector<ModelFile>& models,
                       std::map<FileIdentity, short>& keyOfFile, short firstKey,
                       const std::function<std::string(short key)>& userOf)
{
    // Key 0 in keyOfFile: tried, and not readable.
    int next = firstKey;
    std::set<const ModelData*> done;  // a file named under several paths is one record
    for (const ModelFile& file : models) {
        ModelData* model = getModel(assets, file.key);
        if (!model || model->materials.empty() || !done.insert(model).second)
            continue;
        const std::string user = userOf ? userOf(file.key) : std::string();
        const std::string opening = modelFileName(user, file.file) + ": texture ";
        std::map<std::string, unsigned int> keyOfName;  // this model's names, each reported once
        std::vector<unsigned int> embedded(model->embeddedImages.size(), ~0u);
        for (ModelMaterial& material : model->materials) {
            const std::vector<const std::string*> names = picturesOf(material);
            const std::vector<unsigned int*> keys = keysOf(material);
            for (size_t slot = 0; slot < names.size(); ++slot) {
                const std::string& name = *names[slot];
                if (name.empty())
                    continue;
                const auto knownName = keyOfName.find(name);
                if (knownName != keyOfName.end()) {
                    *keys[slot] = knownName->second;
                    continue;
                }
                unsigned int key = 0;
                std::string problem;
                if (name[0] == '*') {
                    // "*N": an image carried in the model file itself.
                    const size_t index = std::strtoul(name.c_str() + 1, nullptr, 10);
                    if (index < embedded.size() && embedded[index] == ~0u) {
                        embedded[index] = 0;
                        if (next <= 0x7fff && uploadBytes(assets, model->embeddedImages[index], static_cast<short>(next),
                                                        opening + "embedded image " + std::to_string(index), problem))
                            embedded[index] = static_cast<unsigned int>(next++);
                        else
                            std::cerr << opening << "embedded image " << index << " was refused: "
                                      << (problem.empty() ? "too many images" : problem)
                                      << "; drawing with its base colour." << std::endl;
                    }
                    key = index < embedded.size() ? embedded[index] : 0;
                } else {
                    const std::string relative = modelTexturePath(file.file, name);
                    OpenedFile picture;
                    if (!relative.empty())
                        picture = openInsideFolder(folder, folder + "/" + relative, problem);
                    if (relative.empty() || picture.outside)
                        problem = "leads out of the exhibition's folder";
                    const auto knownFile = picture.isOpen() ? keyOfFile.find(picture.identity) : keyOfFile.end();
                    if (knownFile != keyOfFile.end()) {
                        key = static_cast<unsigned int>(knownFile->second);
                    } else if (picture.isOpen()) {
                        std::string bytes;
                        if (next <= 0x7fff && picture.readAll(maxImageFileBytes, bytes, problem) &&
                            uploadBytes(assets, bytes, static_cast<short>(next), opening + name, problem))
                            key = static_cast<unsigned int>(next++);
                        else
                            std::cerr << opening << printableText(name) << " could not be read: "
                                      << (problem.empty() ? "too many images" : problem)
                                      << "; drawing with its base colour." << std::endl;
                        keyOfFile[picture.identity] = static_cast<short>(key);
                    } else {
                        std::cerr << opening << printableText(name) << " "
                                  << (problem == "it does not exist" ? "does not exist"
                                      : problem.rfind("it ", 0) == 0 ? "could not be read: " + problem
                                                                      : problem)
                                  << "; drawing with its base colour." << std::endl;
                    }
                }
                keyOfName[name] = key;
                *keys[slot] = key;
            }
        }
    }
}
