// Writes the hall's meshes, as the viewer loads them, into one mesh pack for the browser
// build (which cannot import the model files itself).
//
//   packMeshes OUT [modelFolder]
#include "assets/modelPack.h"
#include "assets/models.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: packMeshes OUT [modelFolder]\n";
        return 2;
    }
    if (argc == 3)
        modelDirectory = std::string(argv[2]) + "/";
    loadModels();
    if (!writeModelPack(argv[1], models)) {
        std::cerr << "Could not write " << argv[1] << std::endl;
        return 1;
    }
    size_t vertices = 0;
    for (const auto& [key, model] : models)
        vertices += model->vertexCount;
    std::cout << argv[1] << ": " << models.size() << " models, " << vertices << " vertices" << std::endl;
    return 0;
}
