#include "assets/modelUpload.h"

#include "base/glCapabilities.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

GLuint makeBuffer(GLenum target, size_t bytes, const void* data)
{
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, static_cast<GLsizeiptr>(bytes), bytes ? data : nullptr, GL_STATIC_DRAW);
    return buffer;
}

glm::vec4 boundingSphere(const ModelData& model)
{
    if (model.vertexCount == 0)
        return glm::vec4(0.0f, 0.0f, 0.0f, -1.0f);
    glm::vec3 low(model.positions[0]);
    glm::vec3 high = low;
    for (unsigned int i = 1; i < model.vertexCount; ++i) {
        low = glm::min(low, glm::vec3(model.positions[i]));
        high = glm::max(high, glm::vec3(model.positions[i]));
    }
    const glm::vec3 centre = 0.5f * (low + high);
    float radius2 = 0.0f;
    for (unsigned int i = 0; i < model.vertexCount; ++i) {
        const glm::vec3 d = glm::vec3(model.positions[i]) - centre;
        radius2 = std::max(radius2, glm::dot(d, d));
    }
    return glm::vec4(centre, std::sqrt(radius2));
}

void pointAttribute(GLint location, GLuint buffer, GLint components)
{
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(static_cast<GLuint>(location));
}

} // namespace

bool uploadModel(ModelData& model, const VertexInputs& inputs)
{
    // Uploaded again when the programs are rebuilt: the old buffers go first.
    releaseModelBuffers(model);
    const size_t n = model.vertexCount;
    model.bounds = boundingSphere(model);
    glGenVertexArrays(1, &model.vertexArray);
    glBindVertexArray(model.vertexArray);
    model.positionBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec4), model.positions.data());
    model.normalBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec3), model.normals.data());
    model.texCoordBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec2), model.texCoords.data());
    model.indexBuffer =
        makeBuffer(GL_ELEMENT_ARRAY_BUFFER, model.indexCount * sizeof(GLuint), model.indices.data());

    // The position input is wired unchecked: a program without it (location -1) leaves
    // a GL_INVALID_VALUE queued for the next error report, nothing worse.
    pointAttribute(inputs.position, model.positionBuffer, 4);
    if (inputs.normal >= 0)
        pointAttribute(inputs.normal, model.normalBuffer, 3);
    if (inputs.texCoord >= 0)
        pointAttribute(inputs.texCoord, model.texCoordBuffer, 2);
    if (inputs.tangent >= 0) {
        model.tangentBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec3), model.tangents.data());
        pointAttribute(inputs.tangent, model.tangentBuffer, 3);
    }
    if (inputs.bitangent >= 0) {
        model.bitangentBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec3), model.bitangents.data());
        pointAttribute(inputs.bitangent, model.bitangentBuffer, 3);
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    if (!glRanOutOfMemory())
        return true;
    releaseModelBuffers(model);
    model = ModelData();
    return false;
}

void releaseModelBuffers(ModelData& model)
{
    for (GLuint* buffer : {&model.positionBuffer, &model.normalBuffer, &model.tangentBuffer, &model.bitangentBuffer,
                           &model.indexBuffer, &model.texCoordBuffer}) {
        if (*buffer != 0)
            glDeleteBuffers(1, buffer);
        *buffer = 0;
    }
    if (model.vertexArray != 0)
        glDeleteVertexArrays(1, &model.vertexArray);
    model.vertexArray = 0;
}
