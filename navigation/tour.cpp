#include "navigation/tour.h"

#include <glm/glm.hpp>

#include "navigation/camera.h"

namespace {

enum class Motion { Orbit, Glide };

// One timed step: what it does every frame until endTime (seconds after
// the tour's stepStart), and the pose the camera takes when that time is reached.
struct ScriptStep {
    float endTime;
    Motion motion;
    glm::vec3 glidePoint;
    float glideSpeed;
    bool setsPose;
    glm::vec3 nextEye;
    glm::vec3 nextTarget;
};

// Each glide's length over its speed is its step's duration, so it arrives as the
// step ends; the next pose then removes any drift.
const ScriptStep script[] = {
    {20.0f, Motion::Orbit, {}, 0.0f, true, {-1050, 840, 1050}, {-620, 640, 620}},
    {30.0f, Motion::Orbit, {}, 0.0f, true, {-1450, 840, 620}, {-620, 620, 620}},
    {35.0f, Motion::Glide, {-1450, 840, -620}, 248.0f, true, {-1450, 840, -620}, {-620, 620, -620}},
    {45.0f, Motion::Orbit, {}, 0.0f, true, {-620, 650, -1800}, {-620, 620, -620}},
    {50.0f, Motion::Glide, {620, 650, -1800}, 248.0f, true, {620, 650, -1800}, {620, 620, -620}},
    {60.0f, Motion::Orbit, {}, 0.0f, true, {1050, 1050, -620}, {620, 620, -620}},
    {65.0f, Motion::Glide, {1050, 1050, 620}, 248.0f, true, {1050, 1050, 620}, {620, 620, 620}},
    {75.0f, Motion::Orbit, {}, 0.0f, true, {620, 620, 1040}, {620, 620, 420}},
    {77.5f, Motion::Glide, {0, 620, 1040}, 248.0f, false, {}, {}},
    {80.0f, Motion::Glide, {0, 620, 620}, 168.0f, false, {}, {}},
    {90.0f, Motion::Orbit, {}, 0.0f, false, {}, {}},
};
constexpr int lastStep = 10;

const glm::vec3 startEye(-1200.0f, 1100.0f, -1200.0f);
const glm::vec3 startTarget(0.0f, 520.0f, 0.0f);

// 0.18 * 145 = 26.1 degrees per second, a slow circle.
constexpr float orbitRate = 0.18f;

void setPose(Camera& camera, const glm::vec3& eye, const glm::vec3& target)
{
    camera.target = target;
    camera.eye = eye;
    updateBasis(camera);
}

// End times are summed with the start in float and compared in double; the step
// ending at 77.5 s sums in double.
bool stepRunning(const Tour& tour, double now)
{
    if (tour.step == 8)
        return now < static_cast<double>(tour.stepStart) + 77.5;
    return now < static_cast<double>(tour.stepStart + script[tour.step].endTime);
}

void restartTiming(Tour& tour, Camera& camera, double now)
{
    setPose(camera, startEye, startTarget);
    tour.step = 0;
    tour.stepStart = static_cast<float>(now);
}

}  // namespace

void startTour(Tour& tour, double now)
{
    tour.stepStart = static_cast<float>(now);
    tour.step = -1;
    tour.mode = true;
}

void updateTour(Tour& tour, Camera& camera, double now, double dt)
{
    if (tour.step == -1) {
        restartTiming(tour, camera, now);
        return;
    }
    if (tour.step < 0 || tour.step > lastStep)
        return;

    const ScriptStep& step = script[tour.step];
    if (stepRunning(tour, now)) {
        if (step.motion == Motion::Orbit)
            orbitTour(camera, orbitRate, dt);
        else
            glideToward(camera, step.glidePoint, step.glideSpeed, dt);
        return;
    }
    if (tour.step == lastStep) {
        // The loop goes straight into step 0 from the start pose, timed from this frame.
        restartTiming(tour, camera, now);
        return;
    }
    tour.step += 1;
    if (step.setsPose)
        setPose(camera, step.nextEye, step.nextTarget);
}
