// The default view, tour, keyboard and mouse, the one set the window drives, and the
// old names and no-argument calls that reach them. The clock and the window size are
// the application's; only their names are needed here.
#include "navigation/camera.h"
#include "navigation/keyboard.h"
#include "navigation/mouse.h"
#include "navigation/tour.h"
#include "navigation/view.h"

extern double deltaTime;
extern double totalTime;
extern int screenWidth;
extern int screenHeight;

namespace {

struct Navigation {
    View view;
    Tour tour;
    Keyboard keyboard;
    Mouse mouse;
};

Navigation navigation;

}  // namespace

View& defaultView() { return navigation.view; }
Tour& defaultTour() { return navigation.tour; }
Keyboard& defaultKeyboard() { return navigation.keyboard; }
Mouse& defaultMouse() { return navigation.mouse; }

// Bound to members of a static object, these are fixed at link time and cannot be
// reached before they are set.
Camera& camera = navigation.view.camera;
float& bloomfactor = navigation.view.filters.bloomfactor;
float& focalDepth = navigation.view.filters.focalDepth;
float& focalLength = navigation.view.filters.focalLength;
float& fstop = navigation.view.filters.fstop;
bool& tourMode = navigation.tour.mode;
int& tourStep = navigation.tour.step;
float& tourStepStart = navigation.tour.stepStart;
std::function<bool(int key)>& keyHeld = navigation.keyboard.keyHeld;

glm::mat4 defaultProjection() { return defaultProjection(screenWidth, screenHeight); }
void initCamera() { initCamera(camera, screenWidth, screenHeight); }
void updateBasis() { updateBasis(camera); }
glm::mat4 viewMatrix() { return viewMatrix(camera); }
void saveState() { saveState(camera); }
void restoreState() { restoreState(camera); }
void shiftX(float dx) { shiftX(camera, dx); }
void shiftY(float dy) { shiftY(camera, dy); }
void shiftZ(float dz) { shiftZ(camera, dz); }
float travelSpeed() { return travelSpeed(camera); }
void moveForward() { moveForward(camera, deltaTime); }
void moveBackward() { moveBackward(camera, deltaTime); }
void strafeLeft() { strafeLeft(camera, deltaTime); }
void strafeRight() { strafeRight(camera, deltaTime); }
void moveUp() { moveUp(camera, deltaTime); }
void moveDown() { moveDown(camera, deltaTime); }
void zoomIn() { zoomIn(camera, deltaTime); }
void zoomOut() { zoomOut(camera, deltaTime); }
void orbitLeft() { orbitLeft(camera, deltaTime); }
void orbitRight() { orbitRight(camera, deltaTime); }
void orbitUp() { orbitUp(camera, deltaTime); }
void orbitDown() { orbitDown(camera, deltaTime); }
void glideToward(const glm::vec3& point, float speed) { glideToward(camera, point, speed, deltaTime); }
void orbitTour(float rate) { orbitTour(camera, rate, deltaTime); }

void startTour() { startTour(navigation.tour, totalTime); }
void updateTour() { updateTour(navigation.tour, camera, totalTime, deltaTime); }

void processInput() { processInput(navigation.keyboard, camera, navigation.tour, deltaTime); }
void onKey(int /*key*/, int /*action*/)
{
    onKey(navigation.keyboard, navigation.view.filters, navigation.tour);
}

void onMouseButton(int button, bool pressed) { onMouseButton(navigation.mouse, button, pressed); }
void onCursorMoved(double x, double y) { onCursorMoved(navigation.mouse, x, y); }
void onScroll(double notches) { onScroll(navigation.mouse, notches); }
void processMouse() { processMouse(navigation.mouse, camera, navigation.tour); }
void resetMouse() { resetMouse(navigation.mouse); }
