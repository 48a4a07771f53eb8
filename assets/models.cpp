#include "assets/models.h"

#include "assets/assetBudget.h"
#include "assets/assets.h"
#include "base/utf8Text.h"

#ifndef __EMSCRIPTEN__
#include "assets/isolatedImport.h"
#else
#include "assets/modelPack.h"
#include <map>
#endif

#include <algorithm>
#include <functional>
#include <iostream>
#include <vector>

namespace {

// Counts `model` into the exhibition's totals; one that would pass a total is emptied
// there and then, to stand in as a box, and the total is returned.
std::string admitModelRecord(AssetBudget& budget, ModelData& model)
{
    std::string passed = admitModel(budget, model.vertexCount, model.indexCount);
    if (!passed.empty())
        model = ModelData();
    return passed;
}

} // namespace

std::string modelFileName(const std::string& user, const std::string& path)
{
    return (user.empty() ? "Model file " : user + ": model file ") + printableText(path);
}

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

void dropModelRecord(Assets& assets, const ModelData* model)
{
    auto& records = assets.modelRecords;
    records.erase(std::remove_if(records.begin(), records.end(), [model](const auto& r) { return r.get() == model; }),
                  records.end());
}

// Imports the files of `directory` in a child process and stores the records under their
// keys; problems are reported in the files' order, each line opened by the file's user
// where there is one. With a `budget`, a model that would pass one of its totals is
// emptied (it stands in as a box) as soon as it arrives.
void loadFiles(Assets& assets, const std::string& directory, const std::vector<ModelFile>& files,
               const std::function<std::string(short key)>& userOf = {}, AssetBudget* budget = nullptr)
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
    std::vector<std::string> passed(imports.size());  // the total each one would pass
    importIsolated(imports, directory, [&](IsolatedImport& entry) {
        if (budget && entry.result == ModelImport::Loaded)
            passed[static_cast<size_t>(&entry - imports.data())] = admitModelRecord(*budget, *entry.model);
    });
    for (size_t i = 0; i < imports.size(); ++i) {
        const IsolatedImport& entry = imports[i];
        if (entry.sameAs >= 0) {
            // The same file under another path: its one record, and no second line about it.
            dropModelRecord(assets, entry.model);
            assets.models[files[i].key] = imports[static_cast<size_t>(entry.sameAs)].model;
            continue;
        }
        const std::string user = userOf ? userOf(files[i].key) : std::string();
        const std::string modelFile = modelFileName(user, entry.path);
        const std::string problem = printableText(entry.problem);
        if (!passed[i].empty())
            std::cerr << modelFile << " would pass " << passed[i] << "; it is shown as a stand-in." << std::endl;
        else if (entry.result == ModelImport::Failed)
            std::cerr << modelFile << " could not be loaded: " << problem << std::endl;
        else if (entry.result == ModelImport::NoMesh)
            std::cerr << modelFile << " holds no mesh." << std::endl;
        // What the importer was refused, for a model that loaded nevertheless.
        if (entry.result != ModelImport::Failed && passed[i].empty() && !entry.problem.empty())
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
    loadFiles(assets, folder + "/", files, userOf, &assets.budget);
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
        const std::string passed = found != pack.end() ? admitModelRecord(assets.budget, found->second) : "";
        if (!passed.empty()) {
            const std::string user = userOf ? userOf(file.key) : std::string();
            std::cerr << modelFileName(user, folder + "/" + file.file) << " would pass " << passed << "; it is shown as a stand-in." << std::endl;
        } else if (found != pack.end()) {
            *model = std::move(found->second);
        } else {
            const std::string user = userOf ? userOf(file.key) : std::string();
            std::cerr << modelFileName(user, folder + "/" + file.file) << " is not in the exhibition's mesh pack." << std::endl;
        }
        assets.models[file.key] = model;
    }
}

#endif
