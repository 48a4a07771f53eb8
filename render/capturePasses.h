#pragma once
// Omnidirectional captures that borrow the camera: a light's depth cube map (shadow
// casters only, never the lamps) and a reflecting object's environment cube map (the
// whole lit scene without the object itself).
#include "base/glApi.h"
#include <glm/glm.hpp>

class EngineObject;

// Where the camera looks for face i (+X, -X, +Y, -Y, +Z, -Z) from the capture point.
// The Y faces lean by -0.1 in z so lookAt never has to build a basis parallel to up.
extern const glm::vec3 cubeFaceOffsets[6];

void renderShadowCubeMap(GLuint cubeMap, const glm::vec3& lightPosition);
void renderShadowDepth();
// Copies every face of both lights' shadow maps into captureShadowCubeMaps, one depth of
// each 4 x 4 block, for the environment captures to read.
void reduceShadowCubeMaps();
// Draws the object's environment map, every face, and makes its mipmap chain anew.
void renderEnvironmentCubeMap(EngineObject& object);
// The same for every reflecting object, the chains made once all the faces are drawn:
// making a chain waits until its faces are finished, and one wait costs less than one
// per map. A mirror seen in another's map shows the coarse levels of its previous
// refresh there, as the first one captured sees the other's whole map of then.
void renderEnvironmentCubeMaps();
