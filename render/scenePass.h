#pragma once
// The lit hall as a camera sees it, drawn into whatever framebuffer, draw buffer and
// viewport the caller set: the depth of all of it first, then plain objects, normal-mapped
// objects and the lamps, and the reflecting objects that are visible, each pixel shaded once.
#include "navigation/camera.h"

#include "base/glApi.h"

struct Hall;
struct Renderer;

// Texture units the lit passes bind, as their samplers are told: each has its own, so a
// sampler object bound for one never applies to another's texture.
enum SceneTextureUnit : GLint {
    ColorTextureUnit = 0,  // the object's picture, or the reflecting objects' cube map
    NormalMapUnit = 1,
    SpecularMapUnit = 2,
    ShadowMapUnitBase = 3  // light i's shadow cube map is on unit 3 + i
};

// Frame: the textures as they are set up (trilinear, anisotropic; below render scale 1
// the lighter reduced-scale sampler), the lit programs as built for the frame (soft
// shadows, normal maps).
// EnvironmentCapture: what a cube face needs, seen blurred by a curved mirror: the
// captures' cheaper sampler on the 2D textures and the lit programs' capture builds.
enum class SceneView { Frame, EnvironmentCapture };

// The camera's view matrix: its cached one while that is current, else built afresh.
glm::mat4 cameraViewMatrix(const Camera& camera);

void renderScene(Renderer& renderer, const Hall& hall, const Camera& camera, SceneView view = SceneView::Frame);
// The default renderer and hall through the default camera.
void renderScene(SceneView view = SceneView::Frame);

class EngineObject;
// Whether the object's bounding sphere lies outside what projectionView sees (the
// camera's projection times its view): the passes skip such objects (a model whose
// sphere is unknown is kept). Without a matrix, the default camera's.
bool outsideView(const EngineObject& object, const glm::mat4& projectionView);
bool outsideCameraView(const EngineObject& object);

// Draws the object's mesh (with `fine`, its capture twin) through the vertex array it was
// uploaded with, unless there is nothing to draw or it lies outside the view.
void drawModel(const EngineObject& object, const glm::mat4& projectionView, bool fine = false);
void drawModel(const EngineObject& object, bool fine = false);
