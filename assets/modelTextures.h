#pragma once
// The pictures an exhibition's model files name in their own materials: paths taken
// relative to the model file's folder and held inside the exhibition's folder by the
// rules its own files follow (no way out by `..`, an absolute path or a symbolic link),
// and images embedded in the model file, decoded from the bytes it carried. Each file is
// read once, under one texture key, whoever names it.
#include "assets/assetFiles.h"
#include "assets/modelTable.h"
#include "assets/textures.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

struct Assets;
struct ModelData;

// Where `name` (as the model file `modelFile` names a picture, relative to the model's own
// folder) lies relative to the exhibition's folder: `\` read as `/`, `.` and `..` worked
// out. Empty when it climbs out or is absolute.
std::string modelTexturePath(const std::string& modelFile, const std::string& name);

// The pictures the model's materials name by path that are ordinary files inside
// `folder` (embedded ones are not files), relative to it, each once.
std::vector<std::string> modelTextureFiles(const std::string& folder, const std::string& modelFile,
                                           const ModelData& model);

// Reads the pictures the materials of the loaded `models` name and sets the materials'
// texture keys. Each file is opened once inside `folder` (resolved) and known by its
// identity: one in `keyOfFile` (the exhibition's own images, loaded already) keeps its
// key; every other gets a new one from `firstKey` on, and is added there. A picture that leads out of the
// folder, is missing or cannot be decoded is one line opened by `userOf(key)` naming the
// model and the picture, and the material goes without it (drawn with its base colour).
// Needs a current GL context.
void loadModelTextures(Assets& assets, const std::string& folder, const std::vector<ModelFile>& models,
                       std::map<FileIdentity, short>& keyOfFile, short firstKey,
                       const std::function<std::string(short key)>& userOf);
