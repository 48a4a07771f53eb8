#include "assets/assets.h"

#include "assets/modelUpload.h"

void releaseAssets(Assets& assets)
{
    for (const auto& model : assets.modelRecords)
        releaseModelBuffers(*model);
    for (const auto& texture : assets.textureRecords)
        releaseTexture(*texture);
}

Assets::~Assets()
{
    releaseAssets(*this);
    textureLoader.reset();
}
