#include "render/renderer.h"

#include "base/frameClock.h"
#include "navigation/view.h"
#include "scene/hall.h"

static_assert(maxLights <= maxLightSlots, "every light of a hall has its uniform slots");

void buildRenderer(Renderer& renderer, int lightCount, int reflectingCount, int width, int height)
{
    buildShaderPrograms(renderer.programs, lightCount);
    createRenderTargets(renderer.targets, width, height, lightCount, reflectingCount);
}

void releaseRenderer(Renderer& renderer)
{
    releaseShaderPrograms(renderer.programs);
    releaseRenderTargets(renderer.targets);
    releaseExposureTargets(renderer.exposure);
    releaseTextOverlay(renderer.text);
}

void measureExposure(Renderer& renderer, float adapt, bool makeMips)
{
    measureExposure(renderer.exposure, renderer.programs, renderer.targets, adapt, makeMips);
}

const View& drawnDefaultView()
{
    viewMatrix();
    return defaultView();
}
