// The default application, the one the window drives, and the names that reach it:
// the accessors each layer declares, the variables named by the design as references
// into it, and the no-argument calls of the navigation.
#include "app/application.h"
#include "app/window.h"
#include "render/renderer.h"
#include "app/runLoop.h"
#include "scene/composition.h"

namespace {

Application application;

}  // namespace

Application& defaultApplication() { return application; }
View& defaultView() { return application.view; }
Tour& defaultTour() { return application.tour; }
Keyboard& defaultKeyboard() { return application.keyboard; }
Mouse& defaultMouse() { return application.mouse; }
Hall& defaultHall() { return application.hall; }
Assets& defaultAssets() { return application.assets; }
Renderer& defaultRenderer() { return application.renderer; }
ShaderPrograms& defaultPrograms() { return application.renderer.programs; }

// Bound to members of a static object, these are fixed at link time and cannot be
// reached before they are set.
double& deltaTime = application.clock.deltaTime;
double& totalTime = application.clock.totalTime;
int& screenWidth = application.view.width;
int& screenHeight = application.view.height;
void (*&startupStepDone)(const char* step) = application.startupStepDone;

std::map<short, ModelData*>& models = application.assets.models;

std::string& shaderDirectory = application.renderer.programs.directory;
ShaderProgram*& genericTextureShader = application.renderer.programs.genericTexture;
ShaderProgram*& reflectingTextureShader = application.renderer.programs.reflectingTexture;
ShaderProgram*& normalMapTextureShader = application.renderer.programs.normalMapTexture;
ShaderProgram*& shadowTextureShader = application.renderer.programs.shadowTexture;
ShaderProgram*& framebufferShader = application.renderer.programs.framebuffer;
ShaderProgram*& bloomShader = application.renderer.programs.bloom;
ShaderProgram*& dofShader = application.renderer.programs.dof;
GLuint& screenQuad = application.renderer.programs.screenQuad;
GLuint& sceneFramebuffer = application.renderer.targets.sceneFramebuffer;
GLuint (&sceneColorTextures)[3] = application.renderer.targets.sceneColorTextures;
GLuint& sceneDepthTexture = application.renderer.targets.sceneDepthTexture;
GLuint& environmentFramebuffer = application.renderer.targets.environmentFramebuffer;
GLuint& environmentDepthBuffer = application.renderer.targets.environmentDepthBuffer;
std::vector<GLuint>& environmentCubeMaps = application.renderer.targets.environmentCubeMaps;
GLuint& shadowFramebuffer = application.renderer.targets.shadowFramebuffer;
std::vector<GLuint>& shadowCubeMaps = application.renderer.targets.shadowCubeMaps;
bool& environmentRefreshPending = application.renderer.environmentRefreshPending;

int& nextObjectId = application.hall.nextObjectId;
std::map<int, EngineObject*>& sceneObjects = application.hall.sceneObjects;
std::map<int, EngineObject*>& reflectingObjects = application.hall.reflectingObjects;
std::vector<EngineObject*>& lamps = application.hall.lamps;
std::vector<Light*>& lights = application.hall.lights;

Camera& camera = application.view.camera;
float& bloomfactor = application.view.filters.bloomfactor;
float& focalDepth = application.view.filters.focalDepth;
float& focalLength = application.view.filters.focalLength;
float& fstop = application.view.filters.fstop;
bool& tourMode = application.tour.mode;
int& tourStep = application.tour.step;
float& tourStepStart = application.tour.stepStart;

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

void startTour() { startTour(application.tour, totalTime); }
void updateTour() { updateTour(application.tour, camera, totalTime, deltaTime); }

void processInput() { processInput(application.keyboard, camera, application.tour, deltaTime); }
void onKey(int key, int action)
{
    // A toggle acts once per press, not while held.
    if (key == KEY_L && action == 1)
        application.view.labels = !application.view.labels;
    onKey(application.keyboard, application.view.filters, application.tour);
}

void onMouseButton(int button, bool pressed) { onMouseButton(application.mouse, button, pressed); }
void onCursorMoved(double x, double y) { onCursorMoved(application.mouse, x, y); }
void onScroll(double notches) { onScroll(application.mouse, notches); }
void processMouse() { processMouse(application.mouse, camera, application.tour); }
void resetMouse() { resetMouse(application.mouse); }

Guide& defaultGuide() { return application.guide; }
bool onGuideKey(int key, bool shift)
{
    return onGuideKey(application.guide, camera, application.tour, key, shift, totalTime);
}
void updateGuide() { updateGuide(application.guide, camera, application.tour, totalTime); }

void advanceClock(double dt) { advanceClock(application.clock, dt); }

void buildScene()
{
    buildHall(application.hall, application.description, application.assets,
              std::vector<unsigned int>(std::begin(environmentCubeMaps), std::end(environmentCubeMaps)));
}

// Start-up builds the programs and targets before the hall: they are made for the hall
// that is about to be built.
void buildShaderPrograms()
{
    const Exposure& exposure = application.description.exposure;
    application.renderer.exposure.setting = exposure;
    application.renderer.exposure.restart = true;
    buildShaderPrograms(application.renderer.programs, static_cast<int>(application.description.lights.size()),
                        exposure.mode != ExposureMode::Off);
    uploadModels(application.assets, application.renderer.programs);
}

void createRenderTargets()
{
    createRenderTargets(application.renderer.targets, screenWidth, screenHeight,
                        static_cast<int>(application.description.lights.size()),
                        reflectingCount(application.description));
}
