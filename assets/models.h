#pragma once
// The eleven meshes of the hall: read with Assimp into plain per-vertex arrays under
// fixed keys, then uploaded into buffers and a vertex array wired to a program's inputs.
#include "app/glApi.h"
#include <glm/glm.hpp>
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
};

extern std::map<short, ModelData*> models;

// Folder the model files are read from ("./res/models/").
extern std::string modelDirectory;

// File name of a model key (1 to 11); empty for any other key.
const char* modelFileName(short key);

void loadModels();
void loadModel(short key, bool smoothNormals);
ModelData* getModel(short key);
void uploadModel(ModelData& model, const ShaderProgram& program);
