#include "navigation/camera.h"

#define GLM_ENABLE_EXPERIMENTAL
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtx/rotate_vector.hpp>

#include <algorithm>
#include <cmath>

namespace {

const glm::vec3 startEye(-1200.0f, 1100.0f, -1200.0f);
const glm::vec3 startTarget(0.0f, 520.0f, 0.0f);
const glm::vec3 worldUp(0.0f, 1.0f, 0.0f);

// Squared lengths below this are treated as "no direction": normalizing them would
// divide by (almost) zero and spread NaN or infinity into the pose.
constexpr float degenerateSquaredLength = 1e-20f;

// Moves are worked out in float; the time step arrives in double.
float seconds(double dt)
{
    return static_cast<float>(dt);
}

// Horizontal unit vector of v. When v has no horizontal part (looking straight up or
// down) the walk goes along the horizontal direction that belongs to the kept right.
glm::vec3 horizontalDirection(const Camera& camera, const glm::vec3& v)
{
    glm::vec3 h(v.x, 0.0f, v.z);
    if (glm::dot(h, h) < degenerateSquaredLength)
        h = glm::cross(camera.up, camera.right);
    return glm::normalize(h);
}

void translateHorizontally(Camera& camera, const glm::vec3& direction, float sign, double dt)
{
    glm::vec3 offset = direction * travelSpeed(camera) * seconds(dt);
    shiftX(camera, sign * offset.x);
    shiftZ(camera, sign * offset.z);
    camera.viewDirty = true;
}

// Swings the eye about an axis through the target; degrees are taken per call.
void orbitAbout(Camera& camera, const glm::vec3& axis, float degrees)
{
    glm::vec3 offset = glm::rotate(camera.eye - camera.target, glm::radians(degrees), axis);
    camera.eye = camera.target + offset;
}

}  // namespace

glm::mat4 defaultProjection(int width, int height)
{
    // A zero size (no window yet) would make the aspect NaN; a square view is harmless.
    float aspect = 1.0f;
    if (width > 0 && height > 0)
        aspect = static_cast<float>(width) / static_cast<float>(height);
    return glm::perspective(glm::radians(40.0f), aspect, nearDist, farDist);
}

glm::mat4 cubeFaceProjection()
{
    return glm::perspective(glm::radians(90.0f), 1.0f, nearDist, farDist);
}

bool sphereOutsideView(const glm::mat4& projectionView, const glm::vec3& centre, float radius)
{
    // Each plane is the last row of the matrix plus or minus one of the others.
    const glm::mat4 rows = glm::transpose(projectionView);
    for (int axis = 0; axis < 3; ++axis) {
        for (float sign : {1.0f, -1.0f}) {
            const glm::vec4 plane = rows[3] + sign * rows[axis];
            const float length = glm::length(glm::vec3(plane));
            if (glm::dot(glm::vec3(plane), centre) + plane.w < -radius * length)
                return true;
        }
    }
    return false;
}

void initCamera(Camera& camera, int width, int height)
{
    camera.eye = startEye;
    camera.target = startTarget;
    camera.up = worldUp;
    camera.viewDirty = true;
    updateBasis(camera);
    camera.view = lookAtOf(camera);
    camera.projection = defaultProjection(width, height);
    updateBasis(camera);
}

void updateBasis(Camera& camera)
{
    // With eye on the target, or forward vertical, the previous vectors stay: they are
    // the last usable ones, and strafing and the vertical orbits keep working with them.
    glm::vec3 toTarget = camera.target - camera.eye;
    if (glm::dot(toTarget, toTarget) > degenerateSquaredLength)
        camera.forward = glm::normalize(toTarget);
    glm::vec3 side = glm::cross(camera.forward, camera.up);
    if (glm::dot(side, side) > degenerateSquaredLength)
        camera.right = glm::normalize(side);
    camera.viewDirty = true;
}

glm::mat4 lookAtOf(const Camera& camera)
{
    const glm::vec3 toTarget = camera.target - camera.eye;
    const bool onTarget = !(glm::dot(toTarget, toTarget) > degenerateSquaredLength);
    const glm::vec3 forward = onTarget ? camera.forward : glm::normalize(toTarget);
    const glm::vec3 side = glm::cross(forward, camera.up);
    if (!onTarget && glm::dot(side, side) > degenerateSquaredLength)
        return glm::lookAt(camera.eye, camera.target, camera.up);
    glm::vec3 right = camera.right;
    if (!(std::abs(glm::dot(right, forward)) < 0.999f))
        right = std::abs(forward.x) < 0.9f ? glm::vec3(1.0f, 0.0f, 0.0f) : glm::vec3(0.0f, 0.0f, 1.0f);
    // The up that makes lookAt's right come out as the kept one.
    const glm::vec3 up = glm::normalize(glm::cross(right, forward));
    return glm::lookAt(camera.eye, camera.eye + forward, up);
}

glm::mat4 viewMatrix(Camera& camera)
{
    if (camera.viewDirty) {
        camera.view = lookAtOf(camera);
        camera.viewDirty = false;
    }
    return camera.view;
}

void saveState(Camera& camera)
{
    camera.savedTarget = camera.target;
    camera.savedEye = camera.eye;
}

void restoreState(Camera& camera)
{
    camera.eye = camera.savedEye;
    camera.target = camera.savedTarget;
}

void shiftX(Camera& camera, float dx)
{
    camera.target.x += dx;
    camera.eye.x += dx;
}

void shiftY(Camera& camera, float dy)
{
    camera.target.y += dy;
    camera.eye.y += dy;
}

void shiftZ(Camera& camera, float dz)
{
    camera.target.z += dz;
    camera.eye.z += dz;
}

float travelSpeed(const Camera& camera)
{
    float d = glm::length(camera.target - camera.eye);
    float ratio = d * d / 6.0f;
    float logarithm = static_cast<float>(std::log(static_cast<double>(ratio)));
    // At d <= sqrt(6) the logarithm is zero or negative and its 3.5th power undefined;
    // the law tends to 0 there, so 0 it is (this also catches a NaN distance).
    if (!(logarithm > 0.0f))
        return 0.0f;
    float power = static_cast<float>(std::pow(static_cast<double>(logarithm), 3.5));
    return 0.1f * power;
}

void moveForward(Camera& camera, double dt)
{
    translateHorizontally(camera, horizontalDirection(camera, camera.forward), 1.0f, dt);
}

void moveBackward(Camera& camera, double dt)
{
    translateHorizontally(camera, horizontalDirection(camera, camera.forward), -1.0f, dt);
}

void strafeRight(Camera& camera, double dt)
{
    translateHorizontally(camera, horizontalDirection(camera, camera.right), 1.0f, dt);
}

void strafeLeft(Camera& camera, double dt)
{
    translateHorizontally(camera, horizontalDirection(camera, -1.0f * camera.right), 1.0f, dt);
}

void moveUp(Camera& camera, double dt)
{
    shiftY(camera, travelSpeed(camera) * seconds(dt));
    camera.viewDirty = true;
}

void moveDown(Camera& camera, double dt)
{
    shiftY(camera, -(travelSpeed(camera) * seconds(dt)));
    camera.viewDirty = true;
}

void glideToward(Camera& camera, const glm::vec3& point, float speed, double dt)
{
    glm::vec3 toPoint = point - camera.eye;
    // Already there: no direction to glide in.
    if (glm::dot(toPoint, toPoint) > degenerateSquaredLength) {
        glm::vec3 offset = glm::normalize(toPoint) * speed * seconds(dt);
        shiftX(camera, offset.x);
        shiftY(camera, offset.y);
        shiftZ(camera, offset.z);
    }
    camera.viewDirty = true;
}

void zoomIn(Camera& camera, double dt)
{
    glm::vec3 step = (travelSpeed(camera) * camera.forward) * seconds(dt);
    // A long frame must not carry the eye through the target, which would flip the
    // view and leave forward pointing away from it: stop a little short instead.
    float room = std::max(0.0f, glm::length(camera.target - camera.eye) - minimumZoomDistance);
    if (glm::length(step) > room)
        step = camera.forward * room;
    camera.eye = camera.eye + step;
    camera.viewDirty = true;
}

void zoomOut(Camera& camera, double dt)
{
    camera.eye = camera.eye - (std::max(travelSpeed(camera), 100.0f) * camera.forward) * seconds(dt);
    camera.viewDirty = true;
}

void orbitLeft(Camera& camera, double dt)
{
    orbitAbout(camera, worldUp, -80.0f * seconds(dt));
    updateBasis(camera);
}

void orbitRight(Camera& camera, double dt)
{
    orbitAbout(camera, worldUp, 80.0f * seconds(dt));
    updateBasis(camera);
}

void orbitUp(Camera& camera, double dt)
{
    saveState(camera);
    orbitAbout(camera, camera.right, -70.0f * seconds(dt));
    // Stop short of the zenith (elevation quotient 0.9, about 64 degrees), where the
    // view would turn over.
    float elevation = (camera.eye.y - camera.target.y) / glm::length(camera.target - camera.eye);
    if (static_cast<double>(elevation) > 0.9)
        restoreState(camera);
    else
        updateBasis(camera);
}

void orbitDown(Camera& camera, double dt)
{
    saveState(camera);
    orbitAbout(camera, camera.right, 70.0f * seconds(dt));
    // Never below the floor: the eye keeps an absolute height above 1.
    if (camera.eye.y <= 1.0)
        restoreState(camera);
    else
        updateBasis(camera);
}

void orbitTour(Camera& camera, float rate, double dt)
{
    orbitAbout(camera, worldUp, rate * -145.0f * seconds(dt));
    updateBasis(camera);
}
