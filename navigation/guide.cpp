#include "navigation/guide.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>

#include "navigation/camera.h"

namespace {

void showPose(Guide& guide, Camera& camera, const glm::vec3& eye, const glm::vec3& target)
{
    camera.eye = eye;
    camera.target = target;
    updateBasis(camera);
    guide.shownEye = eye;
    guide.shownTarget = target;
}

// The next visitable exhibit from `from` in `direction`, wrapping round; -1 when none is.
int nextExhibit(const Guide& guide, int from, int direction)
{
    const int count = static_cast<int>(guide.views.size());
    int e = from;
    if (e < 0 || e >= count)
        e = direction > 0 ? -1 : count;
    for (int tried = 0; tried < count; ++tried) {
        e = ((e + direction) % count + count) % count;
        if (canVisit(guide, e))
            return e;
    }
    return -1;
}

}  // namespace

bool canVisit(const Guide& guide, int exhibit)
{
    return exhibit >= 0 && static_cast<size_t>(exhibit) < guide.views.size() &&
           static_cast<size_t>(exhibit) < guide.spheres.size() && guide.spheres[static_cast<size_t>(exhibit)].w > 0.0f;
}

std::vector<int> visitableExhibits(const Guide& guide)
{
    std::vector<int> exhibits;
    for (size_t e = 0; e < guide.views.size(); ++e)
        if (canVisit(guide, static_cast<int>(e)))
            exhibits.push_back(static_cast<int>(e));
    return exhibits;
}

bool tabWrapsRound(const Guide& guide, bool backwards)
{
    const std::vector<int> exhibits = visitableExhibits(guide);
    if (exhibits.empty())
        return true;
    return backwards ? (guide.exhibit < 0 || guide.exhibit == exhibits.front()) : guide.exhibit == exhibits.back();
}

void setGuideHall(Guide& guide, std::vector<TourKeyframe> views, std::vector<glm::vec4> spheres)
{
    guide = Guide();
    guide.views = std::move(views);
    guide.spheres = std::move(spheres);
}

bool visitExhibit(Guide& guide, Camera& camera, Tour& tour, int exhibit, double now)
{
    if (!canVisit(guide, exhibit))
        return false;
    tour.mode = false;
    guide.exhibit = exhibit;
    guide.panelOpen = true;
    guide.gliding = true;
    guide.glideStart = now;
    guide.fromEye = guide.shownEye = camera.eye;
    guide.fromTarget = guide.shownTarget = camera.target;
    return true;
}

bool onGuideKey(Guide& guide, Camera& camera, Tour& tour, int key, bool shift, double now)
{
    if (key == KEY_TAB) {
        const int next = nextExhibit(guide, guide.exhibit, shift ? -1 : 1);
        visitExhibit(guide, camera, tour, next, now);
        return true;
    }
    if (key == KEY_ESCAPE && guide.panelOpen) {
        guide.panelOpen = false;
        return true;
    }
    return false;
}

void updateGuide(Guide& guide, Camera& camera, const Tour& tour, double now)
{
    if (!guide.gliding)
        return;
    // Someone else has the camera now: it stays where they put it.
    if (tour.mode || camera.eye != guide.shownEye || camera.target != guide.shownTarget || !canVisit(guide, guide.exhibit)) {
        guide.gliding = false;
        return;
    }
    const TourKeyframe& to = guide.views[static_cast<size_t>(guide.exhibit)];
    const double u = std::clamp((now - guide.glideStart) / guideGlideSeconds, 0.0, 1.0);
    if (u >= 1.0) {
        showPose(guide, camera, to.eye, to.target);
        guide.gliding = false;
        return;
    }
    const float eased = static_cast<float>(u * u * (3.0 - 2.0 * u));
    showPose(guide, camera, glm::mix(guide.fromEye, to.eye, eased), glm::mix(guide.fromTarget, to.target, eased));
}

int pickExhibit(const std::vector<glm::vec4>& spheres, const Camera& camera, int width, int height, double x,
                double y)
{
    if (width <= 0 || height <= 0)
        return -1;
    const glm::mat4 inverse = glm::inverse(camera.projection * lookAtOf(camera));
    const float ndcX = static_cast<float>(2.0 * x / width - 1.0);
    const float ndcY = static_cast<float>(1.0 - 2.0 * y / height);
    const glm::vec4 nearPoint = inverse * glm::vec4(ndcX, ndcY, -1.0f, 1.0f);
    const glm::vec4 farPoint = inverse * glm::vec4(ndcX, ndcY, 1.0f, 1.0f);
    const glm::vec3 origin = glm::vec3(nearPoint) / nearPoint.w;
    const glm::vec3 direction = glm::normalize(glm::vec3(farPoint) / farPoint.w - origin);
    int nearest = -1;
    float nearestDistance = 0.0f;
    for (size_t e = 0; e < spheres.size(); ++e) {
        const glm::vec4 s = spheres[e];
        if (!(s.w > 0.0f))
            continue;
        const glm::vec3 toCentre = glm::vec3(s) - origin;
        const float along = glm::dot(toCentre, direction);
        const float missSquared = glm::dot(toCentre, toCentre) - along * along;
        if (missSquared > s.w * s.w)
            continue;
        // The entry point, or the ray's origin when it starts inside the sphere.
        const float distance = std::max(0.0f, along - std::sqrt(s.w * s.w - missSquared));
        if (along + std::sqrt(s.w * s.w - missSquared) < 0.0f)
            continue;  // behind the eye
        if (nearest < 0 || distance < nearestDistance) {
            nearest = static_cast<int>(e);
            nearestDistance = distance;
        }
    }
    return nearest;
}
