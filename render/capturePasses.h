#pragma once
// Omnidirectional captures, each face drawn through a camera of its own at the capture
// point (the viewer's camera is never touched): a light's depth cube map (shadow casters
// only, never the lamps) and a reflecting object's environment cube map (the whole lit
// scene without the object itself).
#include "base/glApi.h"
#include <glm/glm.hpp>

class EngineObject;
struct Camera;
struct Hall;
struct Renderer;

// Where the camera looks for face i (+X, -X, +Y, -Y, +Z, -Z) from the capture point.
// The Y faces lean by -0.1 in z so lookAt never has to build a basis parallel to up.
extern const glm::vec3 cubeFaceOffsets[6];

// The camera that draws face i of a cube map captured at `point`.
Camera cubeFaceCamera(const glm::vec3& point, int face);

// Every light's shadow map, light i into the renderer's shadow map i.
void renderShadowCubeMaps(Renderer& renderer, const Hall& hall);
void renderShadowCubeMap(Renderer& renderer, const Hall& hall, GLuint cubeMap, const glm::vec3& lightPosition);
void renderShadowCubeMap(GLuint cubeMap, const glm::vec3& lightPosition);
// The casters' depth as `camera` sees them, into the bound framebuffer; without `clear`,
// over the depth it holds (the caller knows it clear).
void renderShadowDepth(Renderer& renderer, const Hall& hall, const Camera& camera, bool clear = true);
// Copies every face of every light's shadow map into its reduced copy, one depth of
// each 4 x 4 block, for the environment captures to read.
void reduceShadowCubeMaps(Renderer& renderer);
void reduceShadowCubeMaps();
// Draws the object's environment map, every face, and makes its mipmap chain anew.
void renderEnvironmentCubeMap(Renderer& renderer, const Hall& hall, EngineObject& object);
void renderEnvironmentCubeMap(EngineObject& object);
// The shadow maps reduced, then the same for every reflecting object, the chains made
// once all the faces are drawn: making a chain waits until its faces are finished, and
// one wait costs less than one per map. A mirror seen in another's map shows the coarse
// levels of its previous refresh there, as the first one captured sees the other's
// whole map of then.
void renderEnvironmentCubeMaps(Renderer& renderer, Hall& hall);
void renderEnvironmentCubeMaps();
