#pragma once
// The target camera of the hall: an eye that always looks at a target, +Y up.
// Offers the start pose and 40-degree projection, the lazily rebuilt view matrix,
// save/restore for the cube-map captures, and every move the keyboard and the tour
// use: translations, zooms and orbits, all scaled by the time step they are given,
// with translations and zooms running at a speed that grows with the eye-target distance.
// Each operation takes the camera it works on; the no-argument forms below work on the
// default view's camera with the frame clock's deltaTime.
// No GL here; it is plain GLM arithmetic.
#include <glm/glm.hpp>

struct Camera {
    glm::vec3 eye;
    glm::vec3 target;
    glm::vec3 up{0.0f, 1.0f, 0.0f};
    // Start with a usable basis so a vertical first view still has a right vector.
    glm::vec3 forward{0.0f, 0.0f, -1.0f};
    glm::vec3 right{1.0f, 0.0f, 0.0f};
    glm::mat4 view;
    bool viewDirty = true;
    glm::vec3 savedEye;
    glm::vec3 savedTarget;
    glm::mat4 projection;
};

// The default view's camera.
extern Camera& camera;

// The eye never comes closer to the target than this by zooming in; it lies just
// outside sqrt(6), where the speed law falls to zero.
constexpr float minimumZoomDistance = 2.5f;

// Near and far plane of every projection in the hall; the lit shaders rebuild shadow
// depths from them (the build hands nearDist over, farDist goes as a uniform).
constexpr float nearDist = 1.0f;
constexpr float farDist = 100000.0f;

// perspective(40 deg, width/height, nearDist, farDist): the camera's own projection.
glm::mat4 defaultProjection(int width, int height);
// perspective(90 deg, 1, nearDist, farDist): one cube-map face.
glm::mat4 cubeFaceProjection();

// Whether a sphere lies wholly outside the view of projection * view (behind one of its
// six planes): nothing of it can show, so it need not be drawn.
bool sphereOutsideView(const glm::mat4& projectionView, const glm::vec3& centre, float radius);

// Start pose, and the projection for a picture of width x height pixels.
void initCamera(Camera& camera, int width, int height);
void updateBasis(Camera& camera);
// lookAt(eye, target, up), except where that has no answer: with the eye on the target
// it looks along the kept forward, and looking straight up or down its right is the kept
// right, so every pose gives a finite matrix.
glm::mat4 lookAtOf(const Camera& camera);
glm::mat4 viewMatrix(Camera& camera);
void saveState(Camera& camera);
void restoreState(Camera& camera);

void shiftX(Camera& camera, float dx);
void shiftY(Camera& camera, float dy);
void shiftZ(Camera& camera, float dz);

// World units per second: 0.1 * ln(d*d/6)^3.5 for the eye-target distance d; 0 for d <= sqrt(6).
float travelSpeed(const Camera& camera);

// Each move goes as far as it goes in dt seconds.
void moveForward(Camera& camera, double dt);
void moveBackward(Camera& camera, double dt);
void strafeLeft(Camera& camera, double dt);
void strafeRight(Camera& camera, double dt);
void moveUp(Camera& camera, double dt);
void moveDown(Camera& camera, double dt);

void zoomIn(Camera& camera, double dt);
void zoomOut(Camera& camera, double dt);

void orbitLeft(Camera& camera, double dt);
void orbitRight(Camera& camera, double dt);
void orbitUp(Camera& camera, double dt);
void orbitDown(Camera& camera, double dt);

// Moves eye and target together straight towards point at speed units per second.
void glideToward(Camera& camera, const glm::vec3& point, float speed, double dt);
// Circles the eye about the vertical through the target at rate * 145 degrees per second.
void orbitTour(Camera& camera, float rate, double dt);

// The same on the default view's camera, over deltaTime, at the window's size.
glm::mat4 defaultProjection();
void initCamera();
void updateBasis();
glm::mat4 viewMatrix();
void saveState();
void restoreState();
void shiftX(float dx);
void shiftY(float dy);
void shiftZ(float dz);
float travelSpeed();
void moveForward();
void moveBackward();
void strafeLeft();
void strafeRight();
void moveUp();
void moveDown();
void zoomIn();
void zoomOut();
void orbitLeft();
void orbitRight();
void orbitUp();
void orbitDown();
void glideToward(const glm::vec3& point, float speed);
void orbitTour(float rate);
