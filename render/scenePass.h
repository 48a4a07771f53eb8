#pragma once
// The lit hall as the camera sees it, drawn into whatever framebuffer, draw buffer and
// viewport the caller set: plain objects, then normal-mapped objects and the lamps, then
// the reflecting objects that are visible.
#include <epoxy/gl.h>

constexpr float farDist = 100000.0f;

// Texture keys whose objects are drawn with normal and specular maps (at key + 1, + 2).
bool isNormalMapped(int textureKey);

// GL name of the loaded texture under `key`; 0 when there is none.
GLuint textureName(unsigned int key);

// Full: the textures as they are set up (trilinear, anisotropic), for the frame.
// Reduced: the environment captures' cheaper sampler on the 2D textures.
enum class SceneSampling { Full, Reduced };

void renderScene(SceneSampling sampling = SceneSampling::Full);
