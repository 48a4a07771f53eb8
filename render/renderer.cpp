#include "render/renderer.h"

#include "base/frameClock.h"
#include "navigation/view.h"
#include "scene/hall.h"
#include "scene/hallTable.h"

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
}

const View& drawnDefaultView()
{
    viewMatrix();
    return defaultView();
}

namespace {

// Start-up builds the programs and targets before the hall: they are made for the hall
// that is about to be built.
int defaultLightCount()
{
    const Hall& hall = defaultHall();
    return hall.lights.empty() ? static_cast<int>(builtInHall().lights.size()) : static_cast<int>(hall.lights.size());
}

int defaultReflectingCount()
{
    const Hall& hall = defaultHall();
    return hall.objects.empty() ? reflectingCount(builtInHall()) : static_cast<int>(hall.reflectingObjects.size());
}

} // namespace

void buildShaderPrograms()
{
    buildShaderPrograms(defaultRenderer().programs, defaultLightCount());
}

void createRenderTargets()
{
    createRenderTargets(defaultRenderer().targets, screenWidth, screenHeight, defaultLightCount(),
                        defaultReflectingCount());
}
