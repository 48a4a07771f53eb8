#include "render/scenePass.h"

#include "assets/models.h"
#include "assets/textures.h"
#include "navigation/camera.h"
#include "programs/programs.h"
#include "render/renderTargets.h"
#include "scene/sceneObjects.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>

namespace {

// The three lit programs a view draws with and the shadow maps they read: the frame's, or
// the captures' lighter builds and reduced maps.
struct LitPrograms {
    const ShaderProgram& plain;
    const ShaderProgram& normalMapped;
    const ShaderProgram& reflecting;
    const GLuint* shadowMaps;
    bool fineMeshes;  // the captures light at the vertices: they draw the finer twins
};

LitPrograms litPrograms(SceneView view)
{
    if (view == SceneView::EnvironmentCapture)
        return {*genericCaptureShader, *normalMapCaptureShader, *reflectingCaptureShader, captureShadowCubeMaps, true};
    return {*genericTextureShader, *normalMapTextureShader, *reflectingTextureShader, shadowCubeMaps, false};
}

void sendFrameUniforms(const ShaderProgram& program)
{
    const UniformLocations& l = program.locations;
    for (int i = 0; i < 2; ++i) {
        const Light& light = *lights[i];
        glUniform4fv(l.light[i].ambientColor, 1, glm::value_ptr(light.ambientColor));
        glUniform4fv(l.light[i].diffuseColor, 1, glm::value_ptr(light.diffuseColor));
        glUniform4fv(l.light[i].specularColor, 1, glm::value_ptr(light.specularColor));
        glUniform4fv(l.light[i].position, 1, glm::value_ptr(light.position));
        glUniform4fv(l.light[i].attenuation, 1, glm::value_ptr(light.attenuation));
    }
    glUniform3fv(l.eyePos, 1, glm::value_ptr(camera.eye));
    glUniform1f(program.getUniformLocation("farDist"), farDist);
}

void sendCameraMatrices(const ShaderProgram& program)
{
    const glm::mat4 view = viewMatrix();
    glUniformMatrix4fv(program.locations.projectionMatrix, 1, GL_FALSE, glm::value_ptr(camera.projection));
    glUniformMatrix4fv(program.locations.viewMatrix, 1, GL_FALSE, glm::value_ptr(view));
}

// Binds shadow cube map i of `shadowMaps` to unit firstUnit + i and points sampler
// "shadowTexture[i]" at it.
void bindShadowMaps(const ShaderProgram& program, GLint firstUnit, const GLuint* shadowMaps)
{
    const char* const names[2] = {"shadowTexture[0]", "shadowTexture[1]"};
    for (int i = 0; i < 2; ++i) {
        if (shadowMaps) {
            glActiveTexture(GL_TEXTURE0 + firstUnit + i);
            glBindTexture(GL_TEXTURE_CUBE_MAP, shadowMaps[i]);
        }
        glUniform1i(program.getUniformLocation(names[i]), firstUnit + i);
    }
    glActiveTexture(GL_TEXTURE0);
}

void sendObjectUniforms(const ShaderProgram& program, const EngineObject& object)
{
    const UniformLocations& l = program.locations;
    const glm::mat3 normalMatrix = glm::mat3(glm::transpose(glm::inverse(object.modelMatrix)));
    glUniformMatrix4fv(l.modelMatrix, 1, GL_FALSE, glm::value_ptr(object.modelMatrix));
    glUniformMatrix3fv(l.normalMatrix, 1, GL_FALSE, glm::value_ptr(normalMatrix));
    const Material& m = *object.material;
    glUniform4fv(l.material.ambientColor, 1, glm::value_ptr(m.ambientColor));
    glUniform4fv(l.material.diffuseColor, 1, glm::value_ptr(m.diffuseColor));
    glUniform4fv(l.material.specularColor, 1, glm::value_ptr(m.specularColor));
    glUniform1f(l.material.specularExponent, m.specularExponent);
}

bool isNormalMapped(const EngineObject& object)
{
    return object.normalMap && object.specularMap;
}

void drawNormalMapped(const ShaderProgram& program, const EngineObject& object, bool fine)
{
    sendObjectUniforms(program, object);
    glActiveTexture(GL_TEXTURE0 + ColorTextureUnit);
    glBindTexture(GL_TEXTURE_2D, object.texture->id);
    glActiveTexture(GL_TEXTURE0 + NormalMapUnit);
    glBindTexture(GL_TEXTURE_2D, object.normalMap->id);
    glActiveTexture(GL_TEXTURE0 + SpecularMapUnit);
    glBindTexture(GL_TEXTURE_2D, object.specularMap->id);
    glActiveTexture(GL_TEXTURE0 + ColorTextureUnit);
    drawModel(object, fine);
}

// Should the normal-mapping program fail to build, its objects are still drawn, plainly.
bool normalMappingAvailable(const LitPrograms& programs)
{
    return programs.normalMapped.program != 0;
}

void renderPlainObjects(const LitPrograms& programs)
{
    const ShaderProgram& program = programs.plain;
    program.use();
    glEnable(GL_DEPTH_TEST);
    sendFrameUniforms(program);
    glUniform1i(program.getUniformLocation("colorTexture"), ColorTextureUnit);
    bindShadowMaps(program, PlainShadowUnit, programs.shadowMaps);
    sendCameraMatrices(program);
    const bool skipNormalMapped = normalMappingAvailable(programs);
    for (const auto& [id, object] : sceneObjects) {
        if (skipNormalMapped && isNormalMapped(*object))
            continue;
        sendObjectUniforms(program, *object);
        glBindTexture(GL_TEXTURE_2D, object->texture->id);
        drawModel(*object, programs.fineMeshes);
    }
    for (EngineObject* lamp : lamps) {
        if (skipNormalMapped && isNormalMapped(*lamp))
            continue;
        sendObjectUniforms(program, *lamp);
        glBindTexture(GL_TEXTURE_2D, lamp->texture->id);
        drawModel(*lamp, programs.fineMeshes);
    }
}

void renderNormalMappedObjects(const LitPrograms& programs)
{
    if (!normalMappingAvailable(programs))
        return;
    const ShaderProgram& program = programs.normalMapped;
    program.use();
    sendFrameUniforms(program);
    glUniform1i(program.getUniformLocation("colorTexture"), ColorTextureUnit);
    glUniform1i(program.getUniformLocation("normalMap"), NormalMapUnit);
    glUniform1i(program.getUniformLocation("specularMap"), SpecularMapUnit);
    bindShadowMaps(program, NormalMappedShadowUnit, programs.shadowMaps);
    sendCameraMatrices(program);
    // Newest first: the exhibits and pedestals stand in front of the floor and the room
    // that were placed first, so without the depth pre-pass the depth test still spares
    // most of the hidden wall and floor.
    for (auto it = sceneObjects.rbegin(); it != sceneObjects.rend(); ++it) {
        const EngineObject& object = *it->second;
        if (isNormalMapped(object))
            drawNormalMapped(program, object, programs.fineMeshes);
    }
    for (EngineObject* lamp : lamps)
        if (isNormalMapped(*lamp))
            drawNormalMapped(program, *lamp, programs.fineMeshes);
}

void renderReflectingObjects(const LitPrograms& programs)
{
    const ShaderProgram& program = programs.reflecting;
    program.use();
    for (const auto& [id, object] : reflectingObjects) {
        if (!object->visible)
            continue;
        // Units 1 and 2 still hold the shadow cube maps bound for the plain objects.
        sendFrameUniforms(program);
        glUniform1i(program.getUniformLocation("cubeTexture"), ColorTextureUnit);
        bindShadowMaps(program, PlainShadowUnit, nullptr);
        sendCameraMatrices(program);
        sendObjectUniforms(program, *object);
        glUniform1f(program.locations.refraction, object->refraction);
        glActiveTexture(GL_TEXTURE0 + ColorTextureUnit);
        glBindTexture(GL_TEXTURE_CUBE_MAP, object->texture->id);
        drawModel(*object, programs.fineMeshes);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
}

// Lays down the nearest depth of everything the frame draws, so that the lit programs then
// shade each pixel once (a software rasterizer skips a block whose every pixel fails the
// depth test). The captures go without: their programs cost little more per pixel than
// the extra pass would. The shadow program writes depth alone and computes positions
// exactly as the lit programs do (both declare gl_Position invariant), so the lit pass
// meets equal depths. Should the plain or the reflecting program be missing, their
// objects would leave holes in the depth: no pre-pass then (normal-mapped objects fall
// back to plain).
bool layDownDepth(const LitPrograms& programs)
{
    const ShaderProgram& program = *shadowTextureShader;
    if (program.program == 0 || programs.plain.program == 0 || programs.reflecting.program == 0)
        return false;
    program.use();
    sendCameraMatrices(program);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    auto draw = [&](const EngineObject& object) {
        glUniformMatrix4fv(program.locations.modelMatrix, 1, GL_FALSE, glm::value_ptr(object.modelMatrix));
        drawModel(object, false);
    };
    for (const auto& [id, object] : reflectingObjects)
        if (object->visible)
            draw(*object);
    for (EngineObject* lamp : lamps)
        draw(*lamp);
    for (auto it = sceneObjects.rbegin(); it != sceneObjects.rend(); ++it)
        draw(*it->second);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    return true;
}

} // namespace

void drawModel(const EngineObject& object, bool fine)
{
    const ModelData& model = fine ? captureMesh(*object.model) : *object.model;
    if (model.vertexArray == 0 || model.indexCount == 0 || outsideCameraView(object))
        return;
    glBindVertexArray(model.vertexArray);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(model.indexCount), GL_UNSIGNED_INT, nullptr);
}

bool outsideCameraView(const EngineObject& object)
{
    const glm::vec4 bounds = object.model->bounds;
    if (bounds.w < 0.0f)
        return false;
    const glm::mat4& m = object.modelMatrix;
    const float stretch =
        std::max(glm::length(glm::vec3(m[0])), std::max(glm::length(glm::vec3(m[1])), glm::length(glm::vec3(m[2]))));
    const glm::vec3 centre(m * glm::vec4(glm::vec3(bounds), 1.0f));
    return sphereOutsideView(camera.projection * viewMatrix(), centre, bounds.w * stretch);
}

void renderScene(SceneView view)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    const LitPrograms programs = litPrograms(view);
    const bool capture = view == SceneView::EnvironmentCapture;
    const bool depthLaidDown = !capture && layDownDepth(programs);
    const GLuint sampler = capture ? environmentTextureSampler : 0;
    const GLuint shadowSampler = capture ? environmentShadowSampler : 0;
    // A sampler object overrides whatever the unit holds, whatever the target: each unit
    // gets the one for what the stage reads there (2D maps on 0 to 2, shadow maps on 1
    // and 2 or 3 and 4), and none is left for the reflecting objects' cube maps on 0.
    glBindSampler(0, sampler);
    glBindSampler(1, shadowSampler);
    glBindSampler(2, shadowSampler);
    renderPlainObjects(programs);
    glBindSampler(1, sampler);
    glBindSampler(2, sampler);
    glBindSampler(3, shadowSampler);
    glBindSampler(4, shadowSampler);
    renderNormalMappedObjects(programs);
    glBindSampler(0, 0);
    glBindSampler(1, shadowSampler);
    glBindSampler(2, shadowSampler);
    glUseProgram(0);
    renderReflectingObjects(programs);
    for (GLuint unit = 0; unit < 5; ++unit)
        glBindSampler(unit, 0);

    if (depthLaidDown) {
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
    }
    glBindVertexArray(0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2}) {
        glActiveTexture(unit);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
    glActiveTexture(GL_TEXTURE0);
    glUseProgram(0);
}
