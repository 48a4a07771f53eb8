#pragma once
// The per-frame life of the hall: light 0 circles and pulses red/white with lamp 0 on
// it, both shadow maps follow the lights, the exhibits turn at 10 degrees a second, the
// mirror and lens refresh their surroundings every second frame, and the tour moves on.

// The default renderer's refresh schedule (renderer.h).
extern bool& environmentRefreshPending;

void animateScene();

struct Hall;

// The light and lamp updates alone (steps that need no GL), for a given time.
void moveLights(Hall& hall, double t);
void moveLights(double t);
// Turns every exhibit and reflecting object by dt times the hall's spin rate (10 degrees a
// second) about its own Y; the architecture stands still.
void spinExhibits(Hall& hall, double dt);
void spinExhibits(double dt);
