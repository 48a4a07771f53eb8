#include "app/application.h"

#include "base/frameClock.h"
#include "app/exhibitionAssets.h"
#include "assets/assets.h"
#include "assets/models.h"
#include "assets/textures.h"
#include "navigation/camera.h"
#include "navigation/tour.h"
#include "programs/programs.h"
#include "render/frame.h"
#include "render/renderer.h"
#include "scene/composition.h"
#include "scene/tourPlaces.h"

#include "base/glApi.h"

namespace {

// Views of exhibits, and a tour where the description has none, need the built hall.
void takeTour(Application& application)
{
    const TourScript& script = application.description.tour;
    application.tour.script = tourNeedsHall(script) ? placedTour(script, application.hall) : script;
    const Hall& hall = application.hall;
    std::vector<TourKeyframe> views;
    for (size_t e = 0; e < hall.exhibitSpheres.size(); ++e)
        views.push_back(exhibitView(hall, static_cast<int>(e)));
    setGuideHall(application.guide, std::move(views), hall.exhibitSpheres);
}

void stepDone(const char* step)
{
    if (startupStepDone)
        startupStepDone(step);
}

} // namespace

Application::Application() : description(builtInHall())
{
    tour.script = description.tour;
}

void initApplication()
{
#ifndef __EMSCRIPTEN__
    // ES 3 has neither switch: a WebGL canvas never encodes sRGB, and cube maps are
    // always seamless there.
    glEnable(GL_FRAMEBUFFER_SRGB);
    // Filtered shadow comparisons near a cube face's edge blend across into the next face.
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
#endif
    loadModels();
    stepDone("models");
    TextureLoader::getInstance();
    loadTextures();
    loadExhibitionFiles(defaultAssets(), defaultApplication().description);
    stepDone("textures");
    initCamera();
    buildShaderPrograms();
    uploadExhibitionModels(defaultAssets(), defaultApplication().description, defaultPrograms());
    stepDone("programs");
    createRenderTargets();
    stepDone("render targets");
    buildScene();
    takeTour(defaultApplication());
    startTour();
    stepDone("scene");
}

void releaseApplication()
{
    releaseRenderer(defaultRenderer());
    releaseAssets(defaultAssets());
}

void showHall(Application& application, HallDescription description)
{
    const int lights = static_cast<int>(description.lights.size());
    const int reflecting = reflectingCount(description);
    Renderer& renderer = application.renderer;
    const bool toneMapped = description.exposure.mode != ExposureMode::Off;
    if (renderer.programs.lightCount != lights || renderer.programs.toneMapped != toneMapped) {
        releaseShaderPrograms(renderer.programs);
        buildShaderPrograms(renderer.programs, lights, toneMapped);
        uploadModels(application.assets, renderer.programs);
    }
    renderer.exposure.setting = description.exposure;
    renderer.exposure.restart = true;
    RenderTargets& targets = renderer.targets;
    if (static_cast<int>(targets.shadowCubeMaps.size()) != lights ||
        static_cast<int>(targets.environmentCubeMaps.size()) != reflecting) {
        releaseRenderTargets(targets);
        createRenderTargets(targets, application.view.width, application.view.height, lights, reflecting);
    } else {
        clearEnvironmentMaps(targets);
    }
    renderer.environmentRefreshPending = true;
    application.hall = Hall();
    buildHall(application.hall, description, application.assets, targets.environmentCubeMaps);
    application.description = std::move(description);
    takeTour(application);
    application.tour.step = -1;
}

bool resizeView(Application& application, int width, int height)
{
    View& view = application.view;
    if (width <= 0 || height <= 0 || (width == view.width && height == view.height))
        return false;
    view.width = width;
    view.height = height;
    view.camera.projection = defaultProjection(width, height);
    return true;
}

void useRenderScale(Application& application, const RenderScaleOption& option)
{
    application.autoScaling = option.automatic;
    application.autoScale = AutoScale();
    application.autoScale.targetMs = option.targetMs;
    application.renderer.scale = option.automatic ? application.autoScale.scale : option.scale;
}

void timeFrame(Application& application, double frameMs)
{
    if (application.autoScaling && adjustScale(application.autoScale, frameMs))
        application.renderer.scale = application.autoScale.scale;
}
