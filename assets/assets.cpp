#include "assets/assets.h"

#include "assets/modelUpload.h"

#include <algorithm>

void releaseAssets(Assets& assets)
{
    for (const auto& model : assets.modelRecords)
        releaseModelBuffers(*model);
    for (const auto& texture : assets.textureRecords)
        releaseTexture(*texture);
}

void dropAssetsFrom(Assets& assets, int firstKey)
{
    for (auto entry = assets.models.begin(); entry != assets.models.end();) {
        if (entry->first < firstKey) {
            ++entry;
            continue;
        }
        ModelData* model = entry->second;
        entry = assets.models.erase(entry);
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
