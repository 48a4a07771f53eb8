#pragma once
// Mouse controls: a left drag orbits around the point looked at (as Left Alt with
// A/D/W/S), a right drag walks and steps (as W/S/A/D), the wheel zooms (as E/Q). The
// window reports button, cursor and wheel events as plain numbers; processMouse() turns
// what gathered since the previous frame into the keyboard's camera moves, each as long
// as a key held for the equivalent time, so limits and speed law are the keyboard's.
// Any move ends the guided tour. No window or GL here.
struct Camera;
struct Tour;

constexpr int MOUSE_BUTTON_LEFT = 0;  // equal to GLFW 3's button numbers
constexpr int MOUSE_BUTTON_RIGHT = 1;

// Key-hold time one pixel of drag or one notch of the wheel stands for.
constexpr double orbitSecondsPerPixel = 1.0 / 320.0;  // 0.25 degrees a pixel sideways
constexpr double walkSecondsPerPixel = 1.0 / 200.0;
constexpr double zoomSecondsPerNotch = 0.1;

struct Mouse {
    bool leftHeld = false;
    bool rightHeld = false;
    bool cursorKnown = false;
    double cursorX = 0.0, cursorY = 0.0;
    // Picture pixels per cursor pixel: a browser gives the cursor in CSS pixels, the
    // picture has the device's.
    double pixelRatio = 1.0;
    // Gathered since the previous frame, in pixels and notches.
    double orbitX = 0.0, orbitY = 0.0, walkX = 0.0, walkY = 0.0, wheel = 0.0;
    // A left press released within a few pixels of where it began is also a click (the
    // guide picks the exhibit under it); the click waits for takeClick().
    double pressX = 0.0, pressY = 0.0;
    bool clicked = false;
    double clickX = 0.0, clickY = 0.0;
};

void onMouseButton(Mouse& mouse, int button, bool pressed);
// Cursor position in window pixels, y downwards.
void onCursorMoved(Mouse& mouse, double x, double y);
// Wheel notches, positive away from the user.
void onScroll(Mouse& mouse, double notches);

// Once per frame, after the keyboard. The moves take the time the gathered motion stands
// for, whatever the frame's own time step.
void processMouse(Mouse& mouse, Camera& camera, Tour& tour);

// The click since the previous frame, if any, at (x, y); forgets it.
bool takeClick(Mouse& mouse, double& x, double& y);

// Whether motion gathered since the previous frame waits for processMouse().
bool mouseHasMotion(const Mouse& mouse);

// Forgets buttons, cursor and anything gathered (a fresh start for tests).
void resetMouse(Mouse& mouse);

// The same on the default mouse, camera and tour.
Mouse& defaultMouse();
void onMouseButton(int button, bool pressed);
void onCursorMoved(double x, double y);
void onScroll(double notches);
void processMouse();
void resetMouse();
