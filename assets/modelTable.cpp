#include "assets/modelTable.h"

#include "assets/assets.h"

#include <utility>

const char* modelFileName(short key)
{
    switch (key) {
    case 1: return "Sphere.dae";
    case 2: return "roomt.obj";
    case 3: return "podest2.obj";
    case 4: return "multicube.obj";
    case 5: return "teapot.obj";
    case 6: return "torus.obj";
    case 7: return "lens.obj";
    case 8: return "weapon.obj";
    case 9: return "plane.obj";
    case 10: return "biztorus.obj";
    case 11: return "figure.obj";
    case fineRoomKey: return "roomtFine.obj";
    case fineFloorKey: return "planeFine.obj";
    default: return "";
    }
}

std::vector<ModelFile> hallModelFiles()
{
    static const bool smooth[12] = {false, true, false, false, false, true, true, true, false, false, true, true};
    std::vector<ModelFile> files;
    for (short key = 1; key <= 11; ++key)
        files.push_back({key, modelFileName(key), smooth[key]});
    files.push_back({fineRoomKey, modelFileName(fineRoomKey), false});
    files.push_back({fineFloorKey, modelFileName(fineFloorKey), false});
    return files;
}

std::string modelFileName(const Assets& assets, short key)
{
    for (const ModelFile& entry : assets.modelFiles)
        if (entry.key == key)
            return entry.file;
    return "";
}

const ModelData& captureMesh(const Assets& assets, const ModelData& model)
{
    const auto& models = assets.models;
    for (auto [key, fineKey] : {std::pair<short, short>{2, fineRoomKey}, {9, fineFloorKey}}) {
        const auto coarse = models.find(key);
        const auto fine = models.find(fineKey);
        if (coarse != models.end() && coarse->second == &model && fine != models.end() && fine->second &&
            fine->second->vertexArray != 0 && fine->second->indexCount != 0)
            return *fine->second;
    }
    return model;
}

const ModelData& captureMesh(const ModelData& model)
{
    return captureMesh(defaultAssets(), model);
}
