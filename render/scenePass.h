#pragma once
// The lit hall as the camera sees it, drawn into whatever framebuffer, draw buffer and
// viewport the caller set: the depth of all of it first, then plain objects, normal-mapped
// objects and the lamps, and the reflecting objects that are visible, each pixel shaded once.
#include "navigation/camera.h"

#include "base/glApi.h"



// Texture units the lit passes bind, as their samplers are told.
enum SceneTextureUnit : GLint {
    ColorTextureUnit = 0,  // the object's picture, or the reflecting objects' cube map
    NormalMapUnit = 1,
    SpecularMapUnit = 2,
    PlainShadowUnit = 1,  // shadow cube maps 0 and 1 of the plain and reflecting objects
    NormalMappedShadowUnit = 3  // the same for the normal-mapped objects
};

// Frame: the textures as they are set up (trilinear, anisotropic), the lit programs as
// built for the frame (soft shadows, normal maps).
// EnvironmentCapture: what a cube face needs, seen blurred by a curved mirror: the
// captures' cheaper sampler on the 2D textures and the lit programs' capture builds.
enum class SceneView { Frame, EnvironmentCapture };

void renderScene(SceneView view = SceneView::Frame);

class EngineObject;
// Whether the object's bounding sphere lies outside what the camera sees through its
// projection: the passes skip such objects (a model whose sphere is unknown is kept).
bool outsideCameraView(const EngineObject& object);

// Draws the object's mesh (with `fine`, its capture twin) through the vertex array it was
// uploaded with, unless there is nothing to draw or it lies outside the camera's view.
void drawModel(const EngineObject& object, bool fine = false);
