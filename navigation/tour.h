#pragma once
// The guided tour: a fixed 90-second script of slow circles around points of the hall
// and straight glides between them, driving the camera while tourMode is set. It loops
// by itself; the keyboard stops it (any move) and restarts it (P).

extern bool tourMode;        // true while the tour drives the camera
extern int tourStep;         // -1 to 10; -1 means begin (again) on the next update
extern float tourStepStart;  // totalTime when the tour (re)started; step end times count from it

// Start-up state: the tour begins on the first frame.
void startTour();

// One frame of the tour; called once per frame while tourMode is set. Handles at most
// one step per frame, so the frame that ends a step only sets the next pose.
void updateTour();
