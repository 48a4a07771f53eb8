#include "render/scenePass.h"

#include "assets/models.h"
#include "assets/textures.h"
#include "navigation/camera.h"
#include "navigation/view.h"
#include "render/renderer.h"
#include "scene/hall.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

// What one drawing of the scene reads: the three lit programs of the view and the shadow
// maps they sample (the frame's, or the captures' lighter builds and reduced maps), the
// hall, and the camera it is seen through.
struct SceneDraw {
    const ShaderProgram& plain;
    const ShaderProgram& normalMapped;
    const ShaderProgram& reflecting;
    const ShaderProgram& depthOnly;
    const std::vector<GLuint>& shadowMaps;
    bool fineMeshes;  // the captures light at the vertices: they draw the finer twins
    const Hall& hall;
    const Camera& camera;
    glm::mat4 view;
    glm::mat4 projectionView;
    int lightCount;    // the hall's lights, as far as the programs go: sent, and their shadow maps bound
    int programLights; // the lights the programs declare; any beyond the hall's are sent dark
};

SceneDraw sceneDraw(const Renderer& renderer, const Hall& hall, const Camera& camera, SceneView view)
{
    const ShaderPrograms& p = renderer.programs;
    const RenderTargets& t = renderer.targets;
    const bool capture = view == SceneView::EnvironmentCapture;
    const std::vector<GLuint>& shadowMaps = capture ? t.captureShadowCubeMaps : t.shadowCubeMaps;
    const glm::mat4 viewMatrix = cameraViewMatrix(camera);
    const int programLights = std::min(p.lightCount, maxLightSlots);
    const int lightCount = std::min(static_cast<int>(hall.lights.size()), programLights);
    if (capture)
        return {*p.genericCapture, *p.normalMapCapture, *p.reflectingCapture, *p.shadowTexture, shadowMaps, true,
                hall, camera, viewMatrix, camera.projection * viewMatrix, lightCount, programLights};
    return {*p.genericTexture, *p.normalMapTexture, *p.reflectingTexture, *p.shadowTexture, shadowMaps, false,
            hall, camera, viewMatrix, camera.projection * viewMatrix, lightCount, programLights};
}

void sendFrameUniforms(const ShaderProgram& program, const SceneDraw& draw)
{
    const UniformLocations& l = program.locations;
    // Unit constant attenuation, so the dark light's nought is not divided by nought.
    const Light dark{glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), glm::vec4(1.0f, 0.0f, 0.0f, 0.0f), glm::vec4(0.0f),
                     glm::vec4(0.0f), glm::vec4(0.0f)};
    for (int i = 0; i < draw.programLights; ++i) {
        const Light& light = i < draw.lightCount ? *draw.hall.lights[static_cast<size_t>(i)] : dark;
        const LightLocations& at = l.lightAt(i);
        glUniform4fv(at.ambientColor, 1, glm::value_ptr(light.ambientColor));
        glUniform4fv(at.diffuseColor, 1, glm::value_ptr(light.diffuseColor));
        glUniform4fv(at.specularColor, 1, glm::value_ptr(light.specularColor));
        glUniform4fv(at.position, 1, glm::value_ptr(light.position));
        glUniform4fv(at.attenuation, 1, glm::value_ptr(light.attenuation));
    }
    glUniform3fv(l.eyePos, 1, glm::value_ptr(draw.camera.eye));
    glUniform1f(program.getUniformLocation("farDist"), farDist);
}

void sendCameraMatrices(const ShaderProgram& program, const SceneDraw& draw)
{
    glUniformMatrix4fv(program.locations.projectionMatrix, 1, GL_FALSE, glm::value_ptr(draw.camera.projection));
    glUniformMatrix4fv(program.locations.viewMatrix, 1, GL_FALSE, glm::value_ptr(draw.view));
}

// Binds light i's shadow cube map to unit ShadowMapUnitBase + i, for every light drawn.
void bindShadowMaps(const SceneDraw& draw)
{
    for (int i = 0; i < draw.lightCount && i < static_cast<int>(draw.shadowMaps.size()); ++i) {
        glActiveTexture(GL_TEXTURE0 + ShadowMapUnitBase + i);
        glBindTexture(GL_TEXTURE_CUBE_MAP, draw.shadowMaps[static_cast<size_t>(i)]);
    }
    glActiveTexture(GL_TEXTURE0);
}

// Points sampler "shadowTexture[i]" at light i's unit, dark lights too: a cube sampler
// left on unit 0 beside a 2D one would make the draw invalid. (Names written out: a frame
// allocates nothing.)
void pointAtShadowMaps(const ShaderProgram& program, const SceneDraw& draw)
{
    static const char names[maxLightSlots][17] = {"shadowTexture[0]", "shadowTexture[1]", "shadowTexture[2]",
                                                  "shadowTexture[3]"};
    for (int i = 0; i < draw.programLights; ++i)
        glUniform1i(program.getUniformLocation(names[i]), ShadowMapUnitBase + i);
}

void sendMaterial(const ShaderProgram& program, const Material& m)
{
    const UniformLocations& l = program.locations;
    glUniform4fv(l.material.ambientColor, 1, glm::value_ptr(m.ambientColor));
    glUniform4fv(l.material.diffuseColor, 1, glm::value_ptr(m.diffuseColor));
    glUniform4fv(l.material.specularColor, 1, glm::value_ptr(m.specularColor));
    glUniform1f(l.material.specularExponent, m.specularExponent);
}

void sendObjectMatrices(const ShaderProgram& program, const EngineObject& object)
{
    const glm::mat3 normalMatrix = glm::mat3(glm::transpose(glm::inverse(object.modelMatrix)));
    glUniformMatrix4fv(program.locations.modelMatrix, 1, GL_FALSE, glm::value_ptr(object.modelMatrix));
    glUniformMatrix3fv(program.locations.normalMatrix, 1, GL_FALSE, glm::value_ptr(normalMatrix));
}

// The object's own values, to the lit programs that read them.
void sendObjectShading(const ShaderProgram& program, const EngineObject& object)
{
    const size_t count = std::min(program.objectLocations.size(), std::size(objectUniforms));
    for (size_t i = 0; i < count; ++i)
        if (program.objectLocations[i] >= 0)
            glUniform1f(program.objectLocations[i], object.shading.*objectUniforms[i].value);
}

void sendObjectUniforms(const ShaderProgram& program, const EngineObject& object)
{
    sendObjectMatrices(program, object);
    sendMaterial(program, *object.material);
    sendObjectShading(program, object);
}

bool isNormalMapped(const EngineObject& object)
{
    return object.normalMap && object.specularMap;
}

// The picture on its unit, and the normal and specular maps on theirs where both are given;
// the colour unit is left active.
void bindMaps(const Texture& texture, const Texture* normalMap, const Texture* specularMap)
{
    if (normalMap && specularMap) {
        glActiveTexture(GL_TEXTURE0 + NormalMapUnit);
        glBindTexture(GL_TEXTURE_2D, normalMap->id);
        glActiveTexture(GL_TEXTURE0 + SpecularMapUnit);
        glBindTexture(GL_TEXTURE_2D, specularMap->id);
    }
    glActiveTexture(GL_TEXTURE0 + ColorTextureUnit);
    glBindTexture(GL_TEXTURE_2D, texture.id);
}

void drawNormalMapped(const ShaderProgram& program, const EngineObject& object, const SceneDraw& draw)
{
    sendObjectUniforms(program, object);
    bindMaps(*object.texture, object.normalMap, object.specularMap);
    drawModel(object, draw.projectionView, draw.fineMeshes);
}

// Should the normal-mapping program fail to build, its objects are still drawn, plainly.
bool normalMappingAvailable(const SceneDraw& draw)
{
    return draw.normalMapped.program != 0;
}

bool isNormalMapped(const ObjectPart& part)
{
    return part.normalMap && part.specularMap;
}

// The parts of an object drawn by its model file's materials that this pass draws: the
// normal-mapped ones in the normal-mapped pass (when it can run), the rest in the plain
// one. One draw call per part; the object's matrices go once.
void drawParts(const ShaderProgram& program, const EngineObject& object, const SceneDraw& draw, bool normalMapped)
{
    const ModelData& model = *object.model;
    if (model.vertexArray == 0 || model.indexCount == 0 || outsideView(object, draw.projectionView))
        return;
    const bool mappable = normalMappingAvailable(draw);
    bool begun = false;
    for (const ObjectPart& part : object.parts) {
        if ((mappable && isNormalMapped(part)) != normalMapped || part.count == 0 ||
            part.count > model.indexCount - std::min(part.first, model.indexCount))
            continue;
        if (!begun) {
            sendObjectMatrices(program, object);
            sendObjectShading(program, object);
            glBindVertexArray(model.vertexArray);
            begun = true;
        }
        sendMaterial(program, *part.material);
        bindMaps(*part.texture, normalMapped ? part.normalMap : nullptr, part.specularMap);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(part.count), GL_UNSIGNED_INT,
                       reinterpret_cast<const void*>(static_cast<uintptr_t>(part.first) * sizeof(GLuint)));
    }
}

void renderPlainObjects(const SceneDraw& draw)
{
    const ShaderProgram& program = draw.plain;
    program.use();
    glEnable(GL_DEPTH_TEST);
    sendFrameUniforms(program, draw);
    glUniform1i(program.getUniformLocation("colorTexture"), ColorTextureUnit);
    pointAtShadowMaps(program, draw);
    sendCameraMatrices(program, draw);
    const bool skipNormalMapped = normalMappingAvailable(draw);
    for (const auto& [id, object] : draw.hall.sceneObjects) {
        if (!object->parts.empty()) {
            drawParts(program, *object, draw, false);
            continue;
        }
        if (skipNormalMapped && isNormalMapped(*object))
            continue;
        sendObjectUniforms(program, *object);
        glBindTexture(GL_TEXTURE_2D, object->texture->id);
        drawModel(*object, draw.projectionView, draw.fineMeshes);
    }
    for (EngineObject* lamp : draw.hall.lamps) {
        if (skipNormalMapped && isNormalMapped(*lamp))
            continue;
        sendObjectUniforms(program, *lamp);
        glBindTexture(GL_TEXTURE_2D, lamp->texture->id);
        drawModel(*lamp, draw.projectionView, draw.fineMeshes);
    }
}

void renderNormalMappedObjects(const SceneDraw& draw)
{
    if (!normalMappingAvailable(draw))
        return;
    const ShaderProgram& program = draw.normalMapped;
    program.use();
    sendFrameUniforms(program, draw);
    glUniform1i(program.getUniformLocation("colorTexture"), ColorTextureUnit);
    glUniform1i(program.getUniformLocation("normalMap"), NormalMapUnit);
    glUniform1i(program.getUniformLocation("specularMap"), SpecularMapUnit);
    pointAtShadowMaps(program, draw);
    sendCameraMatrices(program, draw);
    // Newest first: the exhibits and pedestals stand in front of the floor and the room
    // that were placed first, so without the depth pre-pass the depth test still spares
    // most of the hidden wall and floor.
    for (auto it = draw.hall.sceneObjects.rbegin(); it != draw.hall.sceneObjects.rend(); ++it) {
        const EngineObject& object = *it->second;
        if (!object.parts.empty())
            drawParts(program, object, draw, true);
        else if (isNormalMapped(object))
            drawNormalMapped(program, object, draw);
    }
    for (EngineObject* lamp : draw.hall.lamps)
        if (isNormalMapped(*lamp))
            drawNormalMapped(program, *lamp, draw);
}

void renderReflectingObjects(const SceneDraw& draw)
{
    const ShaderProgram& program = draw.reflecting;
    program.use();
    for (const auto& [id, object] : draw.hall.reflectingObjects) {
        if (!object->visible)
            continue;
        sendFrameUniforms(program, draw);
        glUniform1i(program.getUniformLocation("cubeTexture"), ColorTextureUnit);
        pointAtShadowMaps(program, draw);
        sendCameraMatrices(program, draw);
        sendObjectUniforms(program, *object);
        glActiveTexture(GL_TEXTURE0 + ColorTextureUnit);
        glBindTexture(GL_TEXTURE_CUBE_MAP, object->texture->id);
        drawModel(*object, draw.projectionView, draw.fineMeshes);
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
bool layDownDepth(const SceneDraw& draw)
{
    const ShaderProgram& program = draw.depthOnly;
    if (program.program == 0 || draw.plain.program == 0 || draw.reflecting.program == 0)
        return false;
    program.use();
    sendCameraMatrices(program, draw);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    auto drawDepth = [&](const EngineObject& object) {
        glUniformMatrix4fv(program.locations.modelMatrix, 1, GL_FALSE, glm::value_ptr(object.modelMatrix));
        drawModel(object, draw.projectionView, false);
    };
    for (const auto& [id, object] : draw.hall.reflectingObjects)
        if (object->visible)
            drawDepth(*object);
    for (EngineObject* lamp : draw.hall.lamps)
        drawDepth(*lamp);
    for (auto it = draw.hall.sceneObjects.rbegin(); it != draw.hall.sceneObjects.rend(); ++it)
        drawDepth(*it->second);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    return true;
}

} // namespace

glm::mat4 cameraViewMatrix(const Camera& camera)
{
    return camera.viewDirty ? lookAtOf(camera) : camera.view;
}

void drawModel(const EngineObject& object, const glm::mat4& projectionView, bool fine)
{
    const ModelData& model = fine ? captureMesh(*object.model, object.captureModel) : *object.model;
    if (model.vertexArray == 0 || model.indexCount == 0 || outsideView(object, projectionView))
        return;
    glBindVertexArray(model.vertexArray);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(model.indexCount), GL_UNSIGNED_INT, nullptr);
}

void drawModel(const EngineObject& object, bool fine)
{
    drawModel(object, camera.projection * viewMatrix(), fine);
}

bool outsideView(const EngineObject& object, const glm::mat4& projectionView)
{
    const glm::vec4 bounds = object.model->bounds;
    if (bounds.w < 0.0f)
        return false;
    const glm::mat4& m = object.modelMatrix;
    const float stretch =
        std::max(glm::length(glm::vec3(m[0])), std::max(glm::length(glm::vec3(m[1])), glm::length(glm::vec3(m[2]))));
    const glm::vec3 centre(m * glm::vec4(glm::vec3(bounds), 1.0f));
    return sphereOutsideView(projectionView, centre, bounds.w * stretch);
}

bool outsideCameraView(const EngineObject& object)
{
    return outsideView(object, camera.projection * viewMatrix());
}

void renderScene(Renderer& renderer, const Hall& hall, const Camera& camera, SceneView view)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    const SceneDraw draw = sceneDraw(renderer, hall, camera, view);
    const bool capture = view == SceneView::EnvironmentCapture;
    const bool depthLaidDown = !capture && layDownDepth(draw);
    const GLuint frameSampler = renderer.scale < 1.0 ? renderer.targets.reducedScaleTextureSampler : 0;
    const GLuint sampler = capture ? renderer.targets.environmentTextureSampler : frameSampler;
    const GLuint shadowSampler = capture ? renderer.targets.environmentShadowSampler : 0;
    const GLuint units = static_cast<GLuint>(ShadowMapUnitBase + draw.programLights);
    // A sampler object overrides whatever the unit holds, whatever the target: each unit
    // gets the one for what the stage reads there (2D maps on 0 to 2, shadow maps from 3
    // on), and none is left for the reflecting objects' cube maps on 0.
    for (GLuint unit = 0; unit < units; ++unit)
        glBindSampler(unit, unit < ShadowMapUnitBase ? sampler : shadowSampler);
    bindShadowMaps(draw);
    renderPlainObjects(draw);
    renderNormalMappedObjects(draw);
    glBindSampler(ColorTextureUnit, 0);
    glUseProgram(0);
    renderReflectingObjects(draw);
    for (GLuint unit = 0; unit < units; ++unit)
        glBindSampler(unit, 0);

    if (depthLaidDown) {
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
    }
    glBindVertexArray(0);
    for (GLuint unit = 0; unit < units; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(unit < ShadowMapUnitBase ? GL_TEXTURE_2D : GL_TEXTURE_CUBE_MAP, 0);
    }
    glActiveTexture(GL_TEXTURE0);
    glUseProgram(0);
}

void renderScene(SceneView view)
{
    renderScene(defaultRenderer(), defaultHall(), drawnDefaultView().camera, view);
}
