#pragma once
// The per-frame motion of a hall: a circling light goes round and pulses red/white with
// its lamp on it, other lights orbit and pulse as their rows say, and the exhibits turn
// (10 degrees a second in the built-in hall). No GL here: the run loop (app/runLoop.h)
// draws the shadows and surroundings that follow these moves.
struct Hall;

// The light and lamp updates alone (steps that need no GL), for a given time.
void moveLights(Hall& hall, double t);
void moveLights(double t);
// Turns every exhibit and reflecting object: by dt times its own spin about the vertical
// through it, or, without one, times the hall's spin rate (10 degrees a second) about its
// own Y; the architecture stands still.
void spinExhibits(Hall& hall, double dt);
void spinExhibits(double dt);
