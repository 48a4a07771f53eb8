#include "render/capturePasses.h"

#include "assets/models.h"
#include "assets/textures.h"
#include "navigation/camera.h"
#include "render/renderer.h"
#include "render/scenePass.h"
#include "scene/hall.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>

const glm::vec3 cubeFaceOffsets[6] = {
    {100000.0f, 0.0f, 0.0f}, {-100000.0f, 0.0f, 0.0f}, {0.0f, 100000.0f, -0.1f},
    {0.0f, -100000.0f, -0.1f}, {0.0f, 0.0f, 100000.0f}, {0.0f, 0.0f, -100000.0f},
};

Camera cubeFaceCamera(const glm::vec3& point, int face)
{
    Camera camera;
    camera.eye = point;
    camera.target = point + cubeFaceOffsets[face];
    camera.projection = cubeFaceProjection();
    camera.viewDirty = true;
    return camera;
}

namespace {

void drawCaster(const ShaderProgram& program, const EngineObject& object, const glm::mat4& projectionView)
{
    glUniformMatrix4fv(program.locations.modelMatrix, 1, GL_FALSE, glm::value_ptr(object.modelMatrix));
    // Every model's own vertex array has in_position at the shared location, which the
    // shadow program uses too.
    drawModel(object, projectionView);
}

// From `point`, each face of `cubeMap` in turn is attached to `framebuffer` and drawn by
// `drawFace` through that face's camera. False when a face could not be drawn into (its
// memory ran out).
template <typename DrawFace>
bool captureCubeFaces(GLuint framebuffer, GLenum attachment, GLuint cubeMap, const glm::vec3& point, GLsizei size,
                      const DrawFace& drawFace)
{
    glViewport(0, 0, size, size);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    bool everyFace = true;
    for (int face = 0; face < 6; ++face) {
        glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, cubeMap, 0);
        if (!drawFramebufferComplete()) {
            everyFace = false;
            continue;
        }
        drawFace(cubeFaceCamera(point, face), face);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return everyFace;
}

// False when the map could not be drawn: then it has no chain to make either, and
// asking for one would only raise an error.
bool captureEnvironmentFaces(Renderer& renderer, const Hall& hall, EngineObject& object)
{
    object.visible = false;
    const bool drawn = captureCubeFaces(
        renderer.targets.environmentFramebuffer, GL_COLOR_ATTACHMENT0, object.texture->id, *object.position,
        environmentMapSize,
        [&](const Camera& camera, int) { renderScene(renderer, hall, camera, SceneView::EnvironmentCapture); });
    object.visible = true;
    return drawn;
}

// Whether the face the query watched was cleared and then written no depth the last time
// it was drawn. Each pass clears a face or knows it clear, so such a face is clear still.
// A result not yet there counts as written: the face is cleared.
bool stillClear(const ShadowFaceQuery& query)
{
    if (!query.issued)
        return false;
    GLuint available = 0;
    glGetQueryObjectuiv(query.name, GL_QUERY_RESULT_AVAILABLE, &available);
    GLuint written = 1;
    if (available)
        glGetQueryObjectuiv(query.name, GL_QUERY_RESULT, &written);
    return written == 0;
}

void makeMipmaps(GLuint cubeMap)
{
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    glGenerateMipmap(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

} // namespace

void renderShadowCubeMaps(Renderer& renderer, const Hall& hall)
{
    PassScope timing(renderer.timing, FramePass::Shadows);
    const std::vector<GLuint>& maps = renderer.targets.shadowCubeMaps;
    for (size_t i = 0; i < hall.lights.size() && i < maps.size(); ++i)
        renderShadowCubeMap(renderer, hall, maps[i], glm::vec3(hall.lights[i]->position));
}

void renderShadowCubeMap(Renderer& renderer, const Hall& hall, GLuint cubeMap, const glm::vec3& lightPosition)
{
    RenderTargets& t = renderer.targets;
    const auto found = std::find(t.shadowCubeMaps.begin(), t.shadowCubeMaps.end(), cubeMap);
    const size_t light = static_cast<size_t>(found - t.shadowCubeMaps.begin());
    captureCubeFaces(t.shadowFramebuffer, GL_DEPTH_ATTACHMENT, cubeMap, lightPosition, shadowMapSize,
                     [&](const Camera& camera, int face) {
                         const size_t slot = 6 * light + static_cast<size_t>(face);
                         if (slot >= t.shadowFaceQueries.size()) {
                             renderShadowDepth(renderer, hall, camera);
                             return;
                         }
                         ShadowFaceQuery& query = t.shadowFaceQueries[slot];
                         const bool clear = !stillClear(query);
                         glBeginQuery(GL_ANY_SAMPLES_PASSED, query.name);
                         renderShadowDepth(renderer, hall, camera, clear);
                         glEndQuery(GL_ANY_SAMPLES_PASSED);
                         query.issued = true;
                     });
}

void renderShadowCubeMap(GLuint cubeMap, const glm::vec3& lightPosition)
{
    renderShadowCubeMap(defaultRenderer(), defaultHall(), cubeMap, lightPosition);
}

void renderShadowDepth(Renderer& renderer, const Hall& hall, const Camera& camera, bool clear)
{
    if (clear)
        glClear(GL_DEPTH_BUFFER_BIT);
    const ShaderProgram& program = *renderer.programs.shadowTexture;
    program.use();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);

    const glm::mat4 view = cameraViewMatrix(camera);
    const glm::mat4 projectionView = camera.projection * view;
    glUniform3fv(program.locations.eyePos, 1, glm::value_ptr(camera.eye));
    glUniform1f(program.getUniformLocation("farDist"), farDist);
    glUniformMatrix4fv(program.locations.projectionMatrix, 1, GL_FALSE, glm::value_ptr(camera.projection));
    glUniformMatrix4fv(program.locations.viewMatrix, 1, GL_FALSE, glm::value_ptr(view));

    for (const auto& [id, object] : hall.sceneObjects)
        drawCaster(program, *object, projectionView);
    for (const auto& [id, object] : hall.reflectingObjects)
        drawCaster(program, *object, projectionView);

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glUseProgram(0);
    glCullFace(GL_BACK);
}

void reduceShadowCubeMaps(Renderer& renderer)
{
    const RenderTargets& t = renderer.targets;
    // A nearest-filtered depth blit picks one texel of each block, just as drawing the
    // casters at the small size would, for the cost of a copy.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, t.shadowFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, t.captureShadowFramebuffer);
    for (size_t light = 0; light < t.shadowCubeMaps.size() && light < t.captureShadowCubeMaps.size(); ++light) {
        for (int face = 0; face < 6; ++face) {
            const GLenum target = GL_TEXTURE_CUBE_MAP_POSITIVE_X + face;
            glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, target, t.shadowCubeMaps[light], 0);
            glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, target, t.captureShadowCubeMaps[light],
                                   0);
            if (!drawFramebufferComplete() ||
                glCheckFramebufferStatus(GL_READ_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
                continue;
            glBlitFramebuffer(0, 0, shadowMapSize, shadowMapSize, 0, 0, captureShadowMapSize, captureShadowMapSize,
                              GL_DEPTH_BUFFER_BIT, GL_NEAREST);
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void reduceShadowCubeMaps()
{
    reduceShadowCubeMaps(defaultRenderer());
}

void renderEnvironmentCubeMap(Renderer& renderer, const Hall& hall, EngineObject& object)
{
    if (captureEnvironmentFaces(renderer, hall, object))
        makeMipmaps(object.texture->id);
}

void renderEnvironmentCubeMap(EngineObject& object)
{
    renderEnvironmentCubeMap(defaultRenderer(), defaultHall(), object);
}

void renderEnvironmentCubeMaps(Renderer& renderer, Hall& hall)
{
    PassScope timing(renderer.timing, FramePass::Environment);
    reduceShadowCubeMaps(renderer);
    unsigned int drawn = 0;  // bit k: the k-th map was drawn
    unsigned int k = 0;
    for (const auto& [id, object] : hall.reflectingObjects)
        drawn |= (captureEnvironmentFaces(renderer, hall, *object) ? 1u : 0u) << k++;
    k = 0;
    for (const auto& [id, object] : hall.reflectingObjects)
        if (drawn & (1u << k++))
            makeMipmaps(object->texture->id);
}

void renderEnvironmentCubeMaps()
{
    renderEnvironmentCubeMaps(defaultRenderer(), defaultHall());
}
