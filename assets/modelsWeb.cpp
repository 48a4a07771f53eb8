// The browser build's model reading: the meshes come from the pack the desktop tool
// packMeshes wrote from its own imports ("meshes.pack" in the model folder).
#include "assets/assets.h"
#include "assets/modelPack.h"
#include "assets/models.h"
#include "base/utf8Text.h"

#include <iostream>

void loadModel(Assets& assets, short key, bool)
{
    if (!assets.meshPackRead) {
        assets.meshPackRead = true;
        readModelPack(assets.modelDirectory + "meshes.pack", assets.meshPack);
    }
    ModelData* model = newModelRecord(assets);
    const auto found = assets.meshPack.find(key);
    if (found != assets.meshPack.end())
        *model = found->second;
    else
        std::cerr << "Model file " << printableText(assets.modelDirectory + modelFileName(assets, key)) << " is not in the mesh pack."
                  << std::endl;
    assets.models[key] = model;
}
