#pragma once
// The hall's meshes: model files read with Assimp (in a child process, isolatedImport.h)
// into records an Assets owns, found under their keys. The names without an Assets act on
// defaultAssets() (assets/assets.h).
#include "assets/modelData.h"
#include "assets/modelTable.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

struct Assets;

// The default assets' models by key.
extern std::map<short, ModelData*>& models;

// Loads every file of assets.modelFiles.
void loadModels(Assets& assets);
void loadModels();
// How a console line names a model file: "exhibits[2]: model file PATH" where it has a
// user, "Model file PATH" where not; the path as printable text.
std::string modelFileName(const std::string& user, const std::string& path);

// Loads `files`, named relative to `folder`, reading nothing outside it. Each line about a
// file that cannot be used opens with `userOf(key)` where that is not empty ("exhibits[2]").
void loadModelsFrom(Assets& assets, const std::string& folder, const std::vector<ModelFile>& files,
                    const std::function<std::string(short key)>& userOf);
// Loads the file assets.modelFiles names for `key` (none: refused as the folder itself)
// into a new record under `key`. Whatever goes wrong is one line naming the file on
// standard error and an empty record; the importer reads only inside the models' folder.
void loadModel(Assets& assets, short key, bool smoothNormals);
void loadModel(short key, bool smoothNormals);

// The record under `key`; null when there is none.
ModelData* getModel(const Assets& assets, short key);
ModelData* getModel(short key);

// A new empty record owned by `assets`: it lives as long as they do, even once another
// load has replaced it under its key, since objects made earlier may still point at it.
ModelData* newModelRecord(Assets& assets);
