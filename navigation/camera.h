#pragma once
// The one target camera of the hall: an eye that always looks at a target, +Y up.
// Offers the start pose and 40-degree projection, the lazily rebuilt view matrix,
// save/restore for the cube-map captures, and every move the keyboard and the tour
// use: translations, zooms and orbits, all scaled by deltaTime, with translations
// and zooms running at a speed that grows with the eye-target distance.
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

extern Camera camera;

// The eye never comes closer to the target than this by zooming in; it lies just
// outside sqrt(6), where the speed law falls to zero.
constexpr float minimumZoomDistance = 2.5f;

// Near and far plane of every projection in the hall; the lit shaders rebuild shadow
// depths from them (the build hands nearDist over, farDist goes as a uniform).
constexpr float nearDist = 1.0f;
constexpr float farDist = 100000.0f;

// perspective(40 deg, screenWidth/screenHeight, nearDist, farDist): the camera's own projection.
glm::mat4 defaultProjection();
// perspective(90 deg, 1, nearDist, farDist): one cube-map face.
glm::mat4 cubeFaceProjection();

// Whether a sphere lies wholly outside the view of projection * view (behind one of its
// six planes): nothing of it can show, so it need not be drawn.
bool sphereOutsideView(const glm::mat4& projectionView, const glm::vec3& centre, float radius);

void initCamera();
void updateBasis();
glm::mat4 viewMatrix();
void saveState();
void restoreState();

void shiftX(float dx);
void shiftY(float dy);
void shiftZ(float dz);

// World units per second: 0.1 * ln(d*d/6)^3.5 for the eye-target distance d; 0 for d <= sqrt(6).
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

// Moves eye and target together straight towards point at speed units per second.
void glideToward(const glm::vec3& point, float speed);
// Circles the eye about the vertical through the target at rate * 145 degrees per second.
void orbitTour(float rate);
