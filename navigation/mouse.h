#pragma once
// Mouse controls: a left drag orbits around the point looked at (as Left Alt with
// A/D/W/S), a right drag walks and steps (as W/S/A/D), the wheel zooms (as E/Q). The
// window reports button, cursor and wheel events as plain numbers; processMouse() turns
// what gathered since the previous frame into the keyboard's camera moves, each as long
// as a key held for the equivalent time, so limits and speed law are the keyboard's.
// Any move ends the guided tour. No window or GL here.

constexpr int MOUSE_BUTTON_LEFT = 0;  // equal to GLFW 3's button numbers
constexpr int MOUSE_BUTTON_RIGHT = 1;

// Key-hold time one pixel of drag or one notch of the wheel stands for.
constexpr double orbitSecondsPerPixel = 1.0 / 320.0;  // 0.25 degrees a pixel sideways
constexpr double walkSecondsPerPixel = 1.0 / 200.0;
constexpr double zoomSecondsPerNotch = 0.1;

void onMouseButton(int button, bool pressed);
// Cursor position in window pixels, y downwards.
void onCursorMoved(double x, double y);
// Wheel notches, positive away from the user.
void onScroll(double notches);

// Once per frame, after the keyboard.
void processMouse();

// Forgets buttons, cursor and anything gathered (a fresh start for tests).
void resetMouse();
