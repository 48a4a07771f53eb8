#include "scene/animation.h"

#include "base/frameClock.h"
#include "navigation/tour.h"
#include "render/capturePasses.h"
#include "render/renderer.h"
#include "scene/hall.h"

#include <cmath>

namespace {

void circleAndPulse(Light& light, EngineObject* lamp, double t)
{
    const double angle = t / 10.0;
    light.position = glm::vec4(static_cast<float>(1500.0 * std::cos(angle)), 1200.0f,
                               static_cast<float>(1500.0 * std::sin(angle)), 1.0f);

    const float k = static_cast<float>(std::pow(std::cos(t / 2.0), 2.0));
    light.ambientColor = glm::vec4(0.05f, 0.1f * k, 0.1f * k, 1.0f);
    light.diffuseColor = glm::vec4(0.2f, 0.2f * k, 0.2f * k, 1.0f);
    light.specularColor = glm::vec4(1.0f, k, k, 1.0f);
    if (lamp) {
        lamp->material->ambientColor = glm::vec4(10.0f, 4.0f * k + 2.0f, 4.0f * k + 2.0f, 1.0f);
        lamp->translate(glm::vec3(light.position) - *lamp->position);
    }
}

} // namespace

void moveLights(Hall& hall, double t)
{
    for (size_t i = 0; i < hall.lights.size(); ++i)
        if (hall.lightMotions[i] == LightMotion::CircleAndPulse)
            circleAndPulse(*hall.lights[i], hall.lampOfLight[i], t);
}

void spinExhibits(Hall& hall, double dt)
{
    const float angle = static_cast<float>(dt * static_cast<double>(hall.spinDegreesPerSecond));
    for (const auto& [id, object] : hall.sceneObjects)
        if (object->role != ObjectRole::Architecture)
            object->rotateY(angle);
    for (const auto& [id, object] : hall.reflectingObjects)
        object->rotateY(angle);
}

void moveLights(double t)
{
    moveLights(defaultHall(), t);
}

void spinExhibits(double dt)
{
    spinExhibits(defaultHall(), dt);
}

void animateScene(Renderer& renderer, Hall& hall, Tour& tour, Camera& camera, const FrameClock& clock)
{
    moveLights(hall, clock.totalTime);
    renderShadowCubeMaps(renderer, hall);
    spinExhibits(hall, clock.deltaTime);
    if (renderer.environmentRefreshPending) {
        renderer.environmentRefreshPending = false;
        renderEnvironmentCubeMaps(renderer, hall);
    } else {
        renderer.environmentRefreshPending = true;
    }
    if (tour.mode)
        updateTour(tour, camera, clock.totalTime, clock.deltaTime);
}
