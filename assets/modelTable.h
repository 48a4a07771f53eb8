#pragma once
// The hall's own model files under their keys: eleven meshes, and twins of three of them
// for the environment captures: the room and the floor finely divided, as the captures
// light at the vertices (the frame's own room and floor are a few large cells), and the
// pedestal with its blocks listed top first, as the captures look down on it from just
// above and have no depth pre-pass. A hall may name other files under other keys in its
// Assets; these are what an Assets starts with. Also which program's inputs each of the
// hall's meshes is uploaded with.
#include <string>
#include <vector>

struct ModelData;

constexpr short fineRoomKey = 102;
constexpr short fineFloorKey = 109;
constexpr short topFirstPedestalKey = 103;

// One model file to load: its key, its name inside the models' folder, whether the
// importer makes smooth normals where the file has none, and whether every mesh of the
// file is taken (an exhibition's files) or only the first (the hall's own).
struct ModelFile {
    short key = 0;
    std::string file;
    bool smoothNormals = false;
    bool allMeshes = false;
};

// Keys 1 to 11, then the twins' keys, in the order they are loaded.
std::vector<ModelFile> hallModelFiles();

// File name of a key of the hall's own table; empty for any other key. The same in the
// list an Assets loads from is in assets/assets.h.
const char* modelFileName(short key);

// Each twin's key with the key of the model it stands in for.
struct CaptureTwin {
    short model;
    short twin;
};
constexpr CaptureTwin captureTwins[] = {{2, fineRoomKey}, {9, fineFloorKey}, {3, topFirstPedestalKey}};

// What a capture draws for a model with twin `twin` (null: none): the twin once it can be
// drawn (uploaded, with triangles), else the model itself.
const ModelData& captureMesh(const ModelData& model, const ModelData* twin);

// The hall's meshes by the program whose inputs they are uploaded with: the
// normal-mapped one (tangents and bitangents; the twins with their models), or the plain
// lit one (the mirror, the nested tori, the lens).
constexpr short normalMappedModelKeys[] = {1, 2, 3, 4, 8, 9, 11, 10, fineRoomKey, fineFloorKey, topFirstPedestalKey};
constexpr short plainModelKeys[] = {5, 6, 7};
