#include "app/application.h"

#include "app/frameClock.h"
#include "assets/models.h"
#include "assets/textures.h"
#include "navigation/camera.h"
#include "navigation/keyboard.h"
#include "navigation/tour.h"
#include "programs/programs.h"
#include "render/frame.h"
#include "render/renderTargets.h"
#include "scene/animation.h"
#include "scene/composition.h"

#include <epoxy/gl.h>

void initApplication()
{
    glEnable(GL_FRAMEBUFFER_SRGB);
    loadModels();
    TextureLoader::getInstance();
    loadTextures();
    initCamera();
    buildShaderPrograms();
    createRenderTargets();
    buildScene();
    startTour();
}

void runFrame(double dt)
{
    advanceClock(dt);
    processInput();
    animateScene();
    renderFrame();
}
