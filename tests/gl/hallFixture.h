#pragma once
// The whole hall on the shared test context: start-up as the viewer does it (models,
// textures, camera, programs, render targets, scene) on a window of one size per
// process, and helpers to drive frames with a fixed clock and inspect what they show.
#include "render/frameCapture.h"
#include "tests/gl/glTestContext.h"

#include <glm/glm.hpp>
#include <map>
#include <string>
#include <vector>

class EngineObject;

// The size most hall tests render at: enough pixels for the checks, a fraction of the cost.
constexpr int smallWidth = 480;
constexpr int smallHeight = 270;

// Starts the hall once per process at the first size asked for. False (with the reason
// in `why`) when there is no display or the hall already runs at another size.
bool startHall(int width, int height, std::string& why);

// Everything start-up wrote on standard output.
const std::string& hallStartupOutput();

// Tests derive from this one; each starts from a hall freshly built from the table, the
// camera's start pose with the tour off, the filter parameters at their start values and
// no key held.
class HallTest : public GLTest {
protected:
    void SetUp() override;
    virtual int hallWidth() const { return smallWidth; }
    virtual int hallHeight() const { return smallHeight; }
};

// Puts the built-in hall, camera, tour, keys, filter parameters and the (empty)
// environment maps back to their start state.
void resetHallState();

// One frame at time t (seconds) as the animation sees it: lights, shadow maps, the spin
// of deltaTime `spin`, the environment captures when `captureEnvironment`, then the frame.
void animatedFrame(double t, double spin, bool captureEnvironment);

// Aims the camera and draws one frame from the shadow and environment maps as they are.
void frameFrom(const glm::vec3& eye, const glm::vec3& target);

// Where a world point lands in the presented frame (pixels, origin bottom left); z is
// the window depth, outside 0..1 when the point is not in front of the camera.
glm::vec3 projectToScreen(const glm::vec3& world);

// Colour of an RGBA8 pixel as 0..1 floats.
glm::vec3 rgb(const Image& image, int x, int y);
float luma(const Image& image, int x, int y);
// Mean colour of the pixels within `radius` of (cx, cy).
glm::vec3 meanColor(const Image& image, int cx, int cy, int radius);
// Mean absolute luma difference of neighbouring pixels over a square window: how much
// detail survives there.
float localContrast(const Image& image, int cx, int cy, int radius);

// The lit scene of the current view drawn `scale` times the window's size each way into a
// framebuffer of its own, and box-filtered back to the window's size.
Image sceneAtScale(int scale);
// Standard deviation, in 8-bit levels, of the grey picture minus itself blurred by a
// Gaussian of sigma 1 pixel, over the pixels of `mask` (row by row, bottom row first): the
// fine detail a viewer sees there, speckle and all.
double fineDetail(const Image& image, const std::vector<bool>& mask);


// Level 0 of one face (0 = +X ... 5 = -Z) of a cube map, as stored (first row first).
std::vector<unsigned char> readCubeFaceRGBA(GLuint cubeMap, int face);
std::vector<float> readCubeFaceDepth(GLuint cubeMap, int face);

// Window depth (0..1) back to the distance along the view axis, for near 1 and far 100000.
float viewDistance(float windowDepth);

// The scene depth the last frame left, as window depths (bottom row first).
std::vector<float> readSceneDepth();

// Whether the point is what the last frame shows at its pixel (nothing in front of it).
bool shownInFrame(const glm::vec3& world, const std::vector<float>& sceneDepth);
