#include "scene/tourPlaces.h"

#include "navigation/camera.h"
#include "scene/hall.h"

#include <algorithm>
#include <cmath>

namespace {

// The camera's vertical field of view (navigation/camera.cpp), in degrees.
constexpr float fieldOfViewDegrees = 40.0f;
// A visitor's eye is a third of the way up the room.
constexpr float eyeHeightOfRoom = 1.0f / 3.0f;
// Seconds to walk to a place and to stay there in the made-up tour.
constexpr float walkSeconds = 4.0f;
constexpr float staySeconds = 3.0f;

struct Room {
    glm::vec3 low, high;
    float eyeHeight;
};

Room roomOf(const Hall& hall)
{
    Room room{hall.roomExtent.low, hall.roomExtent.high, 0.0f};
    if (glm::any(glm::lessThanEqual(room.high - room.low, glm::vec3(0.0f)))) {
        // Nothing measured: a room about the built-in hall's size.
        room.low = glm::vec3(-1500.0f, 0.0f, -1500.0f);
        room.high = glm::vec3(1500.0f, 2400.0f, 1500.0f);
    }
    room.eyeHeight = room.low.y + eyeHeightOfRoom * (room.high.y - room.low.y);
    return room;
}

// Keeps a point a twentieth of the room away from its walls.
glm::vec3 insideRoom(const Room& room, glm::vec3 p)
{
    const glm::vec3 margin = 0.05f * (room.high - room.low);
    return glm::clamp(p, room.low + margin, room.high - margin);
}

// Whether another exhibit's sphere cuts into the cone from `eye` to exhibit `exhibit`'s sphere.
bool sightBlocked(const Hall& hall, int exhibit, const glm::vec3& eye, const glm::vec3& centre)
{
    const float radius = hall.exhibitSpheres[static_cast<size_t>(exhibit)].w;
    const glm::vec3 line = centre - eye;
    const float length2 = glm::dot(line, line);
    for (size_t e = 0; e < hall.exhibitSpheres.size(); ++e) {
        const glm::vec4 other = hall.exhibitSpheres[e];
        if (static_cast<int>(e) == exhibit || !(other.w > 0.0f))
            continue;
        const float t = length2 > 0.0f ? glm::clamp(glm::dot(glm::vec3(other) - eye, line) / length2, 0.0f, 1.0f) : 0.0f;
        if (glm::distance(eye + t * line, glm::vec3(other)) < other.w + t * radius)
            return true;
    }
    return false;
}

} // namespace

bool tourNeedsHall(const TourScript& script)
{
    if (!script.steps.empty())
        return false;
    return script.keyframes.empty() || std::any_of(script.keyframes.begin(), script.keyframes.end(),
                                                   [](const TourKeyframe& k) { return k.exhibit >= 0; });
}

TourKeyframe entranceView(const Hall& hall)
{
    const Room room = roomOf(hall);
    const glm::vec3 centre = 0.5f * (room.low + room.high);
    TourKeyframe view;
    view.eye = insideRoom(room, glm::vec3(centre.x, room.eyeHeight, room.high.z));
    view.target = glm::vec3(centre.x, 0.5f * (room.low.y + room.eyeHeight), centre.z);
    return view;
}

TourKeyframe exhibitView(const Hall& hall, int exhibit)
{
    if (exhibit < 0 || static_cast<size_t>(exhibit) >= hall.exhibitSpheres.size() ||
        hall.exhibitSpheres[static_cast<size_t>(exhibit)].w <= 0.0f)
        return entranceView(hall);
    const Room room = roomOf(hall);
    const glm::vec4 sphere = hall.exhibitSpheres[static_cast<size_t>(exhibit)];
    const glm::vec3 centre(sphere);
    // Its radius seen under two thirds of half the field of view.
    // A speck of an exhibit is still seen from a step away, not from on top of it.
    const float distance = std::max(minimumZoomDistance, sphere.w / std::sin(glm::radians(fieldOfViewDegrees / 3.0f)));
    glm::vec2 towardsMiddle = 0.5f * glm::vec2(room.low.x + room.high.x, room.low.z + room.high.z) -
                              glm::vec2(centre.x, centre.z);
    towardsMiddle = glm::length(towardsMiddle) > 1e-3f ? glm::normalize(towardsMiddle) : glm::vec2(0.0f, 1.0f);
    // At eye height unless that would look down (or up) on it more than about 30 degrees.
    const float rise = glm::clamp(room.eyeHeight - centre.y, -0.5f * distance, 0.5f * distance);
    const float across = std::sqrt(distance * distance - rise * rise);
    TourKeyframe view;
    view.target = centre;
    // Another exhibit in the way: the nearest side round it, 30 degrees at a time, that is clear.
    for (int turn = 0; turn <= 6; ++turn) {
        const float angle = glm::radians(30.0f * static_cast<float>((turn + 1) / 2) * (turn % 2 ? 1.0f : -1.0f));
        const glm::vec2 side(towardsMiddle.x * std::cos(angle) - towardsMiddle.y * std::sin(angle),
                             towardsMiddle.x * std::sin(angle) + towardsMiddle.y * std::cos(angle));
        const glm::vec3 eye = insideRoom(room, centre + glm::vec3(across * side.x, rise, across * side.y));
        if (turn == 0)
            view.eye = eye;
        if (!sightBlocked(hall, exhibit, eye, centre)) {
            view.eye = eye;
            break;
        }
    }
    return view;
}

TourScript placedTour(const TourScript& script, const Hall& hall)
{
    TourScript placed = script;
    if (placed.keyframes.empty()) {
        auto visit = [&](TourKeyframe view) {
            view.seconds = walkSeconds;
            placed.keyframes.push_back(view);
            view.seconds = staySeconds;
            placed.keyframes.push_back(view);
        };
        visit(entranceView(hall));
        for (size_t e = 0; e < hall.exhibitSpheres.size(); ++e)
            if (hall.exhibitSpheres[e].w > 0.0f)
                visit(exhibitView(hall, static_cast<int>(e)));
        return placed;
    }
    for (TourKeyframe& keyframe : placed.keyframes) {
        if (keyframe.exhibit < 0)
            continue;
        const float seconds = keyframe.seconds;
        keyframe = exhibitView(hall, keyframe.exhibit);
        keyframe.seconds = seconds;
    }
    return placed;
}
