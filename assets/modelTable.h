#pragma once
// The hall's own model files under their keys: eleven meshes, and the room and the floor
// again finely divided for the environment captures, which light at the vertices (the
// frame's own room and floor are a few large cells). A hall may name other files under
// other keys in its Assets; these are what an Assets starts with.
#include <string>
#include <vector>

struct Assets;
struct ModelData;

constexpr short fineRoomKey = 102;
constexpr short fineFloorKey = 109;

// One model file to load: its key, its name inside the models' folder, whether the
// importer makes smooth normals where the file has none, and whether every mesh of the
// file is taken (an exhibition's files) or only the first (the hall's own).
struct ModelFile {
    short key = 0;
    std::string file;
    bool smoothNormals = false;
    bool allMeshes = false;
};

// Keys 1 to 11, then fineRoomKey and fineFloorKey, in the order they are loaded.
std::vector<ModelFile> hallModelFiles();

// File name of a key of the hall's own table; empty for any other key.
const char* modelFileName(short key);
// The same in the list `assets` loads from.
std::string modelFileName(const Assets& assets, short key);

// What a capture draws for `model`: its fine twin where it has one that is loaded and
// uploaded, else the model itself.
const ModelData& captureMesh(const Assets& assets, const ModelData& model);
const ModelData& captureMesh(const ModelData& model);
