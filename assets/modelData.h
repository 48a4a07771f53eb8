#pragma once
// One mesh as the viewer holds it: plain per-vertex arrays and triangle indices, the GL
// buffers and vertex array they were uploaded into (0 until then), and a bounding sphere.
// The largest mesh a model file may give is bounded here.
#include "base/glApi.h"

#include <glm/glm.hpp>
#include <vector>

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

// Largest first mesh taken from a file; anything bigger is refused.
constexpr unsigned int maxModelVertices = 4u << 20;
constexpr unsigned int maxModelIndices = 24u << 20;
