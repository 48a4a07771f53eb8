#pragma once
// The eleven meshes of the hall (and two finer twins): read with Assimp into plain
// per-vertex arrays under fixed keys, then uploaded into buffers and a vertex array wired
// to a program's inputs.
#include "base/glApi.h"
#include <glm/glm.hpp>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

class ShaderProgram;

struct ModelData {
    std::vector<glm::vec4> positions;  // w = 1
    std::vector<glm::vec3> normals;
    std::vector<glm::vec3> tangents;
    std::vector<glm::vec3> bitangents;
    std::vector<glm::vec2> texCoords;
    std::vector<GLuint> indices;
    unsigned int vertexCount = 0;
    unsigned int indexCount = 0;
    GLuint positionBuffer = 0;
    GLuint normalBuffer = 0;
    GLuint tangentBuffer = 0;
    GLuint bitangentBuffer = 0;
    GLuint indexBuffer = 0;
    GLuint texCoordBuffer = 0;
    GLuint vertexArray = 0;
    // Sphere around the positions in the model's own frame (centre, radius), worked out by
    // uploadModel; a negative radius, as before that, means "never culled".
    glm::vec4 bounds{0.0f, 0.0f, 0.0f, -1.0f};
};

extern std::map<short, ModelData*> models;

// Folder the model files are read from ("./res/models/").
extern std::string modelDirectory;

// The room and the floor again, finely divided, for the environment captures, which
// light at the vertices; the frame's own room and floor are a few large cells.
constexpr short fineRoomKey = 102;
constexpr short fineFloorKey = 109;

// File name of a model key (1 to 11, fineRoomKey, fineFloorKey); empty for any other key.
const char* modelFileName(short key);

// What a capture draws for `model`: its fine twin where it has one that is loaded and
// uploaded, else the model itself.
const ModelData& captureMesh(const ModelData& model);

// What an import gave: a mesh, a scene without one, or nothing (the reason in `problem`).
enum class ModelImport : unsigned int { Loaded = 0, NoMesh = 1, Failed = 2 };

// Largest first mesh taken from a file; anything bigger is refused.
constexpr unsigned int maxModelVertices = 4u << 20;
constexpr unsigned int maxModelIndices = 24u << 20;
constexpr size_t maxModelMessageBytes = 16 + size_t(maxModelVertices) * 60 + size_t(maxModelIndices) * 4 + 1024;

// The child's answer to its parent (the importer itself is in modelImport.h), and its
// checked reading: counts bounded, every index inside the vertex arrays; anything else is
// Failed with `model` left empty. `problem` travels with every outcome: why an import
// failed, or what a loaded model's importer was refused.
std::string packModel(ModelImport result, const ModelData& model, const std::string& problem);
ModelImport unpackModel(const std::string& message, ModelData& model, std::string& problem);

void loadModels();
// Imports in a child process with a time limit and a memory cap, reading only inside
// modelDirectory; whatever goes wrong there is one line naming the file on standard error
// and an empty record, and a child that failed is not used again.
void loadModel(short key, bool smoothNormals);
ModelData* getModel(short key);
void uploadModel(ModelData& model, const ShaderProgram& program);
