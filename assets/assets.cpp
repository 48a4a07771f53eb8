#include "assets/assets.h"

#include "assets/modelUpload.h"

#include <algorithm>
#include <set>

TextureLoader& textureLoader(Assets& assets)
{
    if (!assets.textureLoader)
        assets.textureLoader.reset(new TextureLoader(assets.textureRecords, assets.textureLoader));
    return *assets.textureLoader;
}

TextureLoader& TextureLoader::getInstance()
{
    return textureLoader(defaultAssets());
}

Texture* findTexture(const Assets& assets, unsigned int key)
{
    if (!assets.textureLoader)
        return nullptr;
    const auto& textures = assets.textureLoader->textures;
    const auto found = textures.find(key);
    return found != textures.end() ? found->second : nullptr;
}

Texture* findTexture(unsigned int key)
{
    return findTexture(defaultAssets(), key);
}

void loadTextures(Assets& assets)
{
    for (const TextureFile& entry : assets.textureFiles)
        loadTexture(textureLoader(assets), assets.textureDirectory + entry.file, entry.key, GL_BGR, GL_RGB);
    endAlertLine(textureLoader(assets));
}

void loadTextures()
{
    loadTextures(defaultAssets());
}

void loadTexture(const std::string& path, short key, GLenum format, GLint internalFormat)
{
    loadTexture(textureLoader(defaultAssets()), path, key, format, internalFormat);
}

std::string modelFileName(const Assets& assets, short key)
{
    for (const ModelFile& entry : assets.modelFiles)
        if (entry.key == key)
            return entry.file;
    return "";
}

const ModelData* captureTwin(const Assets& assets, const ModelData& model)
{
    const auto& models = assets.models;
    for (const CaptureTwin& pair : captureTwins) {
        const auto own = models.find(pair.model);
        const auto twin = models.find(pair.twin);
        if (own != models.end() && own->second == &model && twin != models.end() && twin->second)
            return twin->second;
    }
    return nullptr;
}

void releaseAssets(Assets& assets)
{
    for (const auto& model : assets.modelRecords)
        releaseModelBuffers(*model);
    for (const auto& texture : assets.textureRecords)
        releaseTexture(*texture);
}

void dropAssetsFrom(Assets& assets, int firstKey)
{
    // One record may stand under several keys (one file named under several paths): each
    // goes once, after every key that names it.
    std::set<ModelData*> dropped;
    for (auto entry = assets.models.begin(); entry != assets.models.end();) {
        if (entry->first < firstKey) {
            ++entry;
            continue;
        }
        dropped.insert(entry->second);
        entry = assets.models.erase(entry);
    }
    for (ModelData* model : dropped) {
        if (!model)
            continue;
        releaseModelBuffers(*model);
        auto& records = assets.modelRecords;
        records.erase(std::remove_if(records.begin(), records.end(), [model](const auto& r) { return r.get() == model; }),
                      records.end());
    }
    if (assets.textureLoader) {
        auto& textures = assets.textureLoader->textures;
        for (auto entry = textures.begin(); entry != textures.end();)
            entry = static_cast<int>(entry->first) >= firstKey ? textures.erase(entry) : std::next(entry);
    }
    // Textures remember their key, so records replaced under one of those keys go too.
    auto& records = assets.textureRecords;
    for (const auto& texture : records)
        if (texture->key >= firstKey)
            releaseTexture(*texture);
    records.erase(std::remove_if(records.begin(), records.end(), [firstKey](const auto& r) { return r->key >= firstKey; }),
                  records.end());
}

Assets::~Assets()
{
    releaseAssets(*this);
    textureLoader.reset();
}
