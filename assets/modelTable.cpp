#include "assets/modelTable.h"

#include "assets/modelData.h"

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
    case topFirstPedestalKey: return "podest2TopFirst.obj";
    default: return "";
    }
}

std::vector<ModelFile> hallModelFiles()
{
    static const bool smooth[12] = {false, true, false, false, false, true, true, true, false, false, true, true};
    std::vector<ModelFile> files;
    for (short key = 1; key <= 11; ++key)
        files.push_back({key, modelFileName(key), smooth[key]});
    for (const CaptureTwin& pair : captureTwins)
        files.push_back({pair.twin, modelFileName(pair.twin), smooth[pair.model]});
    return files;
}

const ModelData& captureMesh(const ModelData& model, const ModelData* twin)
{
    return twin && twin->vertexArray != 0 && twin->indexCount != 0 ? *twin : model;
}
