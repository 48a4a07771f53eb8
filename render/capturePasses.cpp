#include "render/capturePasses.h"

#include "assets/models.h"
#include "assets/textures.h"
#include "navigation/camera.h"
#include "programs/programs.h"
#include "render/renderTargets.h"
#include "render/scenePass.h"
#include "scene/sceneObjects.h"

#include <glm/gtc/type_ptr.hpp>

const glm::vec3 cubeFaceOffsets[6] = {
    {100000.0f, 0.0f, 0.0f}, {-100000.0f, 0.0f, 0.0f}, {0.0f, 100000.0f, -0.1f},
    {0.0f, -100000.0f, -0.1f}, {0.0f, 0.0f, 100000.0f}, {0.0f, 0.0f, -100000.0f},
};

namespace {

void aimAtFace(const glm::vec3& point, int face)
{
    camera.target = point + cubeFaceOffsets[face];
    updateBasis();
}

void giveCameraBack()
{
    camera.projection = defaultProjection();
    restoreState();
    updateBasis();
}

void drawCaster(const ShaderProgram& program, const EngineObject& object)
{
    glUniformMatrix4fv(program.locations.modelMatrix, 1, GL_FALSE, glm::value_ptr(object.modelMatrix));
    // Every model's own vertex array has in_position at the shared location, which the
    // shadow program uses too.
    drawModel(object);
}

// Borrows the camera: from `point`, each face of `cubeMap` in turn is attached to
// `framebuffer` and drawn by `drawFace` through a 90-degree square projection. False when
// a face could not be drawn into (its memory ran out).
bool captureCubeFaces(GLuint framebuffer, GLenum attachment, GLuint cubeMap, const glm::vec3& point, GLsizei size,
                      void (*drawFace)())
{
    glViewport(0, 0, size, size);
    camera.projection = cubeFaceProjection();
    saveState();
    camera.eye = point;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    bool everyFace = true;
    for (int face = 0; face < 6; ++face) {
        glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, cubeMap, 0);
        if (!drawFramebufferComplete()) {
            everyFace = false;
            continue;
        }
        aimAtFace(point, face);
        drawFace();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    giveCameraBack();
    return everyFace;
}

// False when the map could not be drawn: then it has no chain to make either, and
// asking for one would only raise an error.
bool captureEnvironmentFaces(EngineObject& object)
{
    object.visible = false;
    const bool drawn = captureCubeFaces(environmentFramebuffer, GL_COLOR_ATTACHMENT0, object.texture->id,
                                        *object.position, environmentMapSize,
                                        [] { renderScene(SceneView::EnvironmentCapture); });
    object.visible = true;
    return drawn;
}

void makeMipmaps(GLuint cubeMap)
{
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    glGenerateMipmap(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

} // namespace

void renderShadowCubeMap(GLuint cubeMap, const glm::vec3& lightPosition)
{
    captureCubeFaces(shadowFramebuffer, GL_DEPTH_ATTACHMENT, cubeMap, lightPosition, shadowMapSize,
                     renderShadowDepth);
}

void renderShadowDepth()
{
    glClear(GL_DEPTH_BUFFER_BIT);
    const ShaderProgram& program = *shadowTextureShader;
    program.use();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);

    const glm::mat4 view = viewMatrix();
    glUniform3fv(program.locations.eyePos, 1, glm::value_ptr(camera.eye));
    glUniform1f(program.getUniformLocation("farDist"), farDist);
    glUniformMatrix4fv(program.locations.projectionMatrix, 1, GL_FALSE, glm::value_ptr(camera.projection));
    glUniformMatrix4fv(program.locations.viewMatrix, 1, GL_FALSE, glm::value_ptr(view));

    for (const auto& [id, object] : sceneObjects)
        drawCaster(program, *object);
    for (const auto& [id, object] : reflectingObjects)
        drawCaster(program, *object);

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glUseProgram(0);
    glCullFace(GL_BACK);
}

void reduceShadowCubeMaps()
{
    // A nearest-filtered depth blit picks one texel of each block, just as drawing the
    // casters at the small size would, for the cost of a copy.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, shadowFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, captureShadowFramebuffer);
    for (int light = 0; light < 2; ++light) {
        for (int face = 0; face < 6; ++face) {
            const GLenum target = GL_TEXTURE_CUBE_MAP_POSITIVE_X + face;
            glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, target, shadowCubeMaps[light], 0);
            glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, target, captureShadowCubeMaps[light], 0);
            if (!drawFramebufferComplete() ||
                glCheckFramebufferStatus(GL_READ_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
                continue;
            glBlitFramebuffer(0, 0, shadowMapSize, shadowMapSize, 0, 0, captureShadowMapSize, captureShadowMapSize,
                              GL_DEPTH_BUFFER_BIT, GL_NEAREST);
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void renderEnvironmentCubeMap(EngineObject& object)
{
    if (captureEnvironmentFaces(object))
        makeMipmaps(object.texture->id);
}

void renderEnvironmentCubeMaps()
{
    unsigned int drawn = 0;  // bit k: the k-th map was drawn
    unsigned int k = 0;
    for (const auto& [id, object] : reflectingObjects)
        drawn |= (captureEnvironmentFaces(*object) ? 1u : 0u) << k++;
    k = 0;
    for (const auto& [id, object] : reflectingObjects)
        if (drawn & (1u << k++))
            makeMipmaps(object->texture->id);
}
