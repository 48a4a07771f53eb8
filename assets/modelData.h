#pragma once
// One mesh as the viewer holds it: plain per-vertex arrays and triangle indices, the GL
// buffers and vertex array they were uploaded into (0 until then), and a bounding sphere;
// with the materials of the file it came from, where it defines any, and the index ranges
// each of them covers. The largest mesh a model file may give is bounded here.
#include "base/glApi.h"

#include <cstddef>
#include <glm/glm.hpp>
#include <string>
#include <vector>

// A material of the model's own file, already mapped onto the viewer's lighting.
struct ModelMaterial {
    glm::vec4 diffuse{1.0f};   // base colour (ambient and diffuse)
    glm::vec4 specular{0.0f};
    float exponent = 16.0f;
    // The pictures as the file names them, relative to its folder, or "*N" for the
    // model's embedded image N; empty: none.
    std::string texture, normalMap, specularMap;
    // The texture keys the images got once read (modelTextures.h); 0: none.
    unsigned int textureKey = 0, normalMapKey = 0, specularMapKey = 0;
};

// Triangles [first, first + count) of the index array, drawn with one material; a
// material index of noModelMaterial: the file gave these meshes none.
constexpr unsigned int noModelMaterial = 0xffffffffu;
struct ModelRange {
    unsigned int first = 0;
    unsigned int count = 0;
    unsigned int material = noModelMaterial;
};

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
    // The file's own materials; empty for a file without any (then no ranges either, and
    // the model is drawn whole with its object's material). The ranges follow the file's
    // meshes, consecutive meshes of one material merged, and cover every index.
    std::vector<ModelMaterial> materials;
    std::vector<ModelRange> ranges;
    std::vector<std::string> embeddedImages;  // compressed image files (PNG, JPEG) as bytes
};

inline bool hasModelMaterials(const ModelData& model)
{
    return !model.materials.empty() && !model.ranges.empty();
}

// Largest first mesh taken from a file; anything bigger is refused.
constexpr unsigned int maxModelVertices = 4u << 20;
constexpr unsigned int maxModelIndices = 24u << 20;
// What a model's materials may come to; more is refused as damage.
constexpr unsigned int maxModelMaterials = 1024;
constexpr unsigned int maxModelRanges = 65536;
constexpr unsigned int maxModelImages = 256;
constexpr size_t maxModelImageBytes = size_t(64) << 20;  // all embedded images together
constexpr size_t maxModelTextureName = 1024;
