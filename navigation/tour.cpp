#include "navigation/tour.h"

#include <glm/glm.hpp>

#include "navigation/camera.h"

namespace {

void setPose(Camera& camera, const glm::vec3& eye, const glm::vec3& target)
{
    camera.target = target;
    camera.eye = eye;
    updateBasis(camera);
}

bool stepRunning(const Tour& tour, const TourStep& step, double now)
{
    if (step.endSumsInDouble)
        return now < static_cast<double>(tour.stepStart) + static_cast<double>(step.endTime);
    return now < static_cast<double>(tour.stepStart + step.endTime);
}

void restartTiming(Tour& tour, Camera& camera, double now)
{
    setPose(camera, tour.script.startEye, tour.script.startTarget);
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
    const int lastStep = static_cast<int>(tour.script.steps.size()) - 1;
    if (tour.step < 0 || tour.step > lastStep)
        return;

    const TourStep& step = tour.script.steps[static_cast<size_t>(tour.step)];
    if (stepRunning(tour, step, now)) {
        if (step.motion == TourMotion::Orbit)
            orbitTour(camera, tour.script.orbitRate, dt);
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
