#pragma once
// The importer run in this process (the desktop build only): Assimp reads a model file or
// bytes and its first mesh is copied out, or with `allMeshes` every mesh its nodes place,
// each through its node's transform, merged into one (a user's file is drawn whole; the
// hall's own files keep their first mesh). It reads only inside a root folder it is given:
// every path it asks for is resolved (`..` and symlinks) first, and whatever lies outside
// is refused and named in `problem`, while the model itself still loads.
#include "assets/modelData.h"

#include <string>

// What an import gave: a mesh, a scene without one, or nothing (the reason in `problem`).
enum class ModelImport : unsigned int { Loaded = 0, NoMesh = 1, Failed = 2 };

// The formats come from `formatHint` for bytes (an extension such as "obj"). On Loaded or
// NoMesh, `problem` is empty unless something outside `root` was refused.
ModelImport importModelFile(const std::string& path, const std::string& root, bool smoothNormals, bool allMeshes,
                            ModelData& model, std::string& problem);
ModelImport importModelBytes(const std::string& bytes, const char* formatHint, const std::string& root,
                             bool smoothNormals, bool allMeshes, ModelData& model, std::string& problem);
