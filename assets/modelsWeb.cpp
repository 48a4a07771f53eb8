// The browser build's model reading: the meshes come from the pack the desktop tool
// packMeshes wrote from its own imports ("meshes.pack" in the model folder).
#include "assets/modelPack.h"
#include "assets/models.h"

#include <iostream>

void loadModel(short key, bool)
{
    static std::map<short, ModelData> pack;
    static bool packRead = false;
    if (!packRead) {
        packRead = true;
        readModelPack(modelDirectory + "meshes.pack", pack);
    }
    auto* model = new ModelData();
    const auto found = pack.find(key);
    if (found != pack.end())
        *model = found->second;
    else
        std::cerr << "Model file " << modelDirectory << modelFileName(key) << " is not in the mesh pack." << std::endl;
    models[key] = model;
}
