#include "assets/models.h"

#include "assets/assets.h"
#include "scene/textLayout.h"

#ifndef __EMSCRIPTEN__
#include "assets/isolatedImport.h"
#else
#include "assets/modelPack.h"
#include <map>
#endif

#include <functional>
#include <iostream>
#include <vector>

ModelData* newModelRecord(Assets& assets)
{
    assets.modelRecords.push_back(std::make_unique<ModelData>());
    return assets.modelRecords.back().get();
}

ModelData* getModel(const Assets& assets, short key)
{
    const auto found = assets.models.find(key);
    return found != assets.models.end() ? found->second : nullptr;
}

ModelData* getModel(short key)
{
    return getModel(defaultAssets(), key);
}

void loadModels()
{
    loadModels(defaultAssets());
}

void loadModel(short key, bool smoothNormals)
{
    loadModel(defaultAssets(), key, smoothNormals);
}

// The browser build has no Assimp: its loadModel reads the mesh pack (modelsWeb.cpp).
#ifndef __EMSCRIPTEN__

namespace {

// Imports the files of `directory` in a child process and stores the records under their
// keys; problems are reported in the files' order, each line opened by the file's user
// where there is one.
void loadFiles(Assets& assets, const std::string& directory, const std::vector<ModelFile>& files,
               const std::function<std::string(short key)>& userOf = {})
{
    std::vector<IsolatedImport> imports;
    for (const ModelFile& file : files) {
        IsolatedImport entry;
        entry.path = directory + file.file;
        entry.smoothNormals = file.smoothNormals;
        entry.allMeshes = file.allMeshes;
        entry.model = newModelRecord(assets);
        imports.push_back(std::move(entry));
    }
    importIsolated(imports, directory);
    for (size_t i = 0; i < imports.size(); ++i) {
        const IsolatedImport& entry = imports[i];
        const std::string user = userOf ? userOf(files[i].key) : std::string();
        const std::string modelFile = (user.empty() ? "Model file " : user + ": model file ") + printableText(entry.path);
        const std::string problem = printableText(entry.problem);
        if (entry.result == ModelImport::Failed)
            std::cerr << modelFile << " could not be loaded: " << problem << std::endl;
        else if (entry.result == ModelImport::NoMesh)
            std::cerr << modelFile << " holds no mesh." << std::endl;
        // What the importer was refused, for a model that loaded nevertheless.
        if (entry.result != ModelImport::Failed && !entry.problem.empty())
            std::cerr << modelFile << ": " << problem << "." << std::endl;
        assets.models[files[i].key] = entry.model;
    }
}

} // namespace

void loadModels(Assets& assets)
{
    loadFiles(assets, assets.modelDirectory, assets.modelFiles);
}

void loadModelsFrom(Assets& assets, const std::string& folder, const std::vector<ModelFile>& files,
                    const std::function<std::string(short key)>& userOf)
{
    loadFiles(assets, folder + "/", files, userOf);
}

void loadModel(Assets& assets, short key, bool smoothNormals)
{
    loadFiles(assets, assets.modelDirectory, {{key, modelFileName(assets, key), smoothNormals}});
}

#else

void loadModels(Assets& assets)
{
    for (const ModelFile& file : assets.modelFiles)
        loadModel(assets, file.key, file.smoothNormals);
}

// The browser holds only the meshes packed at build time: an exhibition's are in the
// meshes.pack of its folder (packMeshes --hall), under the keys its reader gives them.
void loadModelsFrom(Assets& assets, const std::string& folder, const std::vector<ModelFile>& files,
                    const std::function<std::string(short key)>& userOf)
{
    std::map<short, ModelData> pack;
    if (!files.empty())
        readModelPack(folder + "/meshes.pack", pack);
    for (const ModelFile& file : files) {
        ModelData* model = newModelRecord(assets);
        const auto found = pack.find(file.key);
        if (found != pack.end()) {
            *model = std::move(found->second);
        } else {
            const std::string user = userOf ? userOf(file.key) : std::string();
            std::cerr << (user.empty() ? "Model file " : user + ": model file ") << printableText(folder + "/" + file.file)
                      << " is not in the exhibition's mesh pack." << std::endl;
        }
        assets.models[file.key] = model;
    }
}

#endif
