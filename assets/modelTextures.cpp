#include "assets/modelTextures.h"

#include "assets/assetFiles.h"
#include "assets/assets.h"
#include "assets/modelData.h"
#include "assets/models.h"
#include "scene/textLayout.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>

std::string modelTexturePath(const std::string& modelFile, const std::string& name)
{
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path[0] == '/' || path.find(':') != std::string::npos)
        return "";
    const size_t slash = modelFile.find_last_of('/');
    const std::string joined = (slash == std::string::npos ? std::string() : modelFile.substr(0, slash + 1)) + path;
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

// Why the picture `name` cannot be read as a file inside `folder`; empty when it can,
// with `relative` its path there.
std::string pictureProblem(const std::string& folder, const std::string& modelFile, const std::string& name,
                           std::string& relative)
{
    relative = modelTexturePath(modelFile, name);
    std::string resolved;
    if (relative.empty() || !insideResolvedFolder(folder, folder + "/" + relative, resolved))
        return "leads out of the exhibition's folder";
    return notARegularFile(resolved);
}

std::vector<const std::string*> picturesOf(const ModelMaterial& material)
{
    return {&material.texture, &material.normalMap, &material.specularMap};
}

std::vector<unsigned int*> keysOf(ModelMaterial& material)
{
    return {&material.textureKey, &material.normalMapKey, &material.specularMapKey};
}

// Decodes and uploads `bytes` under `key`; false with the reason when they are no image.
bool uploadBytes(Assets& assets, const std::string& bytes, short key, std::string& problem)
{
    FIBITMAP* image = decodeImageBytes(bytes, textureLimits(), problem);
    if (!image) {
        if (problem.empty())
            problem = "it could not be read as an image";
        return false;
    }
    uploadImage(textureLoader(assets), image, key, GL_BGR, GL_RGB);
    return true;
}

} // namespace

std::vector<std::string> modelTextureFiles(const std::string& folder, const std::string& modelFile,
                                           const ModelData& model)
{
    std::vector<std::string> files;
    for (const ModelMaterial& material : model.materials)
        for (const std::string* name : picturesOf(material)) {
            std::string relative;
            if (name->empty() || (*name)[0] == '*' || !pictureProblem(folder, modelFile, *name, relative).empty())
                continue;
            if (std::find(files.begin(), files.end(), relative) == files.end())
                files.push_back(relative);
        }
    return files;
}

void loadModelTextures(Assets& assets, const std::string& folder, const std::vector<ModelFile>& models,
                       const std::vector<TextureFile>& named, short firstKey,
                       const std::function<std::string(short key)>& userOf)
{
    std::map<std::string, unsigned int> keyOfFile;  // 0: tried, and not readable
    for (const TextureFile& file : named)
        keyOfFile[file.file] = static_cast<unsigned int>(file.key);
    int next = firstKey;
    for (const ModelFile& file : models) {
        ModelData* model = getModel(assets, file.key);
        if (!model || model->materials.empty())
            continue;
        const std::string user = userOf ? userOf(file.key) : std::string();
        const std::string opening = (user.empty() ? "Model file " : user + ": model file ") + printableText(file.file) + ": texture ";
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
                        if (next <= 0x7fff && uploadBytes(assets, model->embeddedImages[index], static_cast<short>(next), problem))
                            embedded[index] = static_cast<unsigned int>(next++);
                        else
                            std::cerr << opening << "embedded image " << index << " was refused: "
                                      << (problem.empty() ? "too many images" : problem)
                                      << "; drawing with its base colour." << std::endl;
                    }
                    key = index < embedded.size() ? embedded[index] : 0;
                } else {
                    std::string relative;
                    problem = pictureProblem(folder, file.file, name, relative);
                    const auto knownFile = problem.empty() ? keyOfFile.find(relative) : keyOfFile.end();
                    if (knownFile != keyOfFile.end()) {
                        key = knownFile->second;
                    } else if (problem.empty()) {
                        std::string bytes;
                        if (next <= 0x7fff && readWholeFile(folder + "/" + relative, maxImageFileBytes, bytes, problem) &&
                            uploadBytes(assets, bytes, static_cast<short>(next), problem))
                            key = static_cast<unsigned int>(next++);
                        else
                            std::cerr << opening << printableText(name) << " could not be read: "
                                      << (problem.empty() ? "too many images" : problem)
                                      << "; drawing with its base colour." << std::endl;
                        keyOfFile[relative] = key;
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
