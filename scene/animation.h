#pragma once
// The per-frame life of a hall: a circling light goes round and pulses red/white with
// its lamp on it, other lights orbit and pulse as their rows say, every shadow map follows
// its light, the exhibits turn (10 degrees a second in the built-in hall), the reflecting
// objects refresh their surroundings every second frame, and the tour moves on (the views
// of its exhibits worked out from the hall first).
struct Camera;
struct FrameClock;
struct Hall;
struct Renderer;
struct Tour;

// The default renderer's refresh schedule (renderer.h).
extern bool& environmentRefreshPending;

void animateScene(Renderer& renderer, Hall& hall, Tour& tour, Camera& camera, const FrameClock& clock);
void animateScene();

// The light and lamp updates alone (steps that need no GL), for a given time.
void moveLights(Hall& hall, double t);
void moveLights(double t);
// Turns every exhibit and reflecting object: by dt times its own spin about the vertical
// through it, or, without one, times the hall's spin rate (10 degrees a second) about its
// own Y; the architecture stands still.
void spinExhibits(Hall& hall, double dt);
void spinExhibits(double dt);
