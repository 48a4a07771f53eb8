#include "navigation/tour.h"

#include <glm/glm.hpp>

#include <algorithm>
#include <cmath>

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

// A tour of places: keyframe 0 at the loop's start, each next one reached `seconds` after
// the one before, easing out of one and into the next, and keyframe 0 again at the end.
void followKeyframes(Tour& tour, Camera& camera, double now)
{
    const std::vector<TourKeyframe>& keyframes = tour.script.keyframes;
    if (tour.step == -1)
        tour.stepStart = static_cast<float>(now);
    double period = 0.0;
    for (const TourKeyframe& keyframe : keyframes)
        period += static_cast<double>(keyframe.seconds);
    double t = now - static_cast<double>(tour.stepStart);
    if (period > 0.0)
        t = std::fmod(std::max(t, 0.0), period);
    const size_t count = keyframes.size();
    for (size_t i = 1; i <= count; ++i) {
        const TourKeyframe& from = keyframes[i - 1];
        const TourKeyframe& to = keyframes[i % count];
        const double seconds = static_cast<double>(to.seconds);
        if (t < seconds) {
            const float u = static_cast<float>(t / seconds);
            const float eased = u * u * (3.0f - 2.0f * u);
            setPose(camera, glm::mix(from.eye, to.eye, eased), glm::mix(from.target, to.target, eased));
            tour.step = static_cast<int>(i % count);
            return;
        }
        t -= seconds;
    }
    setPose(camera, keyframes.front().eye, keyframes.front().target);
    tour.step = 0;
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
    if (tour.script.steps.empty() && !tour.script.keyframes.empty()) {
        followKeyframes(tour, camera, now);
        return;
    }
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
