#pragma once
// The guided tour: a fixed 90-second script of slow circles around points of the hall
// and straight glides between them, driving a camera while the tour's mode is set. It
// loops by itself; the keyboard stops it (any move) and restarts it (P).
// Time comes in as arguments: `now` is the clock's total, `dt` the frame's step.
struct Camera;

struct Tour {
    bool mode = false;       // true while the tour drives the camera
    int step = -1;           // -1 to 10; -1 means begin (again) on the next update
    float stepStart = 0.0f;  // the time when the tour (re)started; step end times count from it
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
