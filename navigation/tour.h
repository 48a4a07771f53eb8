#pragma once
// The guided tour: a script of slow circles around points of the hall and straight
// glides between them (the hall's table holds it), or a loop of places the camera eases
// from one to the next, driving a camera while the tour's mode is set. It loops by itself; the keyboard stops it (any move) and restarts it (P).
// Time comes in as arguments: `now` is the clock's total, `dt` the frame's step.
#include <glm/glm.hpp>
#include <vector>

struct Camera;

enum class TourMotion { Orbit, Glide };

// One timed step: what it does every frame until endTime (seconds after the tour's
// stepStart), and the pose the camera takes when that time is reached.
struct TourStep {
    float endTime;
    TourMotion motion;
    glm::vec3 glidePoint;
    float glideSpeed;
    bool setsPose;
    glm::vec3 nextEye;
    glm::vec3 nextTarget;
    // End times are summed with the start in float and compared in double, or, with
    // this set, summed in double.
    bool endSumsInDouble = false;
};

// A place the tour reaches `seconds` after the one before: a pose, or, with `exhibit` set, a
// view of that exhibit from the side facing the room's centre.
struct TourKeyframe {
    glm::vec3 eye{0.0f};
    glm::vec3 target{0.0f};
    int exhibit = -1;
    float seconds = 0.0f;
};

struct TourScript {
    glm::vec3 startEye{0.0f};
    glm::vec3 startTarget{0.0f, 0.0f, -1.0f};
    float orbitRate = 0.0f;  // times 145 degrees per second
    std::vector<TourStep> steps;
    // A tour given as places rather than steps (followed when there are no steps); places
    // of an exhibit are turned into poses by the hall (scene/tourPlaces.h) before.
    std::vector<TourKeyframe> keyframes;
};

struct Tour {
    bool mode = false;       // true while the tour drives the camera
    int step = -1;           // -1 to the last step (or the place headed for); -1 means begin (again) on the next update
    float stepStart = 0.0f;  // the time when the tour (re)started; step end times count from it
    TourScript script;       // without steps the tour leaves the camera alone
};

// Start-up state: the tour begins on the first frame.
void startTour(Tour& tour, double now);

// One frame of the tour; called once per frame while tour.mode is set. Handles at most
// one step per frame, so the frame that ends a step only sets the next pose.
void updateTour(Tour& tour, Camera& camera, double now, double dt);

// The default tour, its fields under their old names, and the two calls on it with the
// default camera and the frame clock.
Tour& defaultTour();
extern bool& tourMode;
extern int& tourStep;
extern float& tourStepStart;
void startTour();
void updateTour();
