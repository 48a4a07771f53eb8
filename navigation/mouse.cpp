#include "navigation/mouse.h"

#include <algorithm>
#include <cmath>

#include "base/frameClock.h"
#include "navigation/camera.h"
#include "navigation/tour.h"

namespace {

bool leftHeld = false;
bool rightHeld = false;
bool cursorKnown = false;
double cursorX = 0.0, cursorY = 0.0;
// Gathered since the previous frame, in pixels and notches.
double orbitX = 0.0, orbitY = 0.0, walkX = 0.0, walkY = 0.0, wheel = 0.0;

// A fast drag is taken in slices no longer than a frame at 60 per second, so an orbit
// stops at its limit instead of refusing the whole drag, and zooms follow the speed law
// as the distance changes.
constexpr double sliceSeconds = 1.0 / 60.0;

// Makes `move` as if its key were held for `seconds`; the frame clock is lent for it.
void holdFor(double seconds, void (*move)())
{
    if (!(seconds > 0.0))
        return;
    seconds = std::min(seconds, 10.0);  // a runaway device must not stall the frame
    const double frameTime = deltaTime;
    const int slices = static_cast<int>(std::ceil(seconds / sliceSeconds));
    deltaTime = seconds / slices;
    for (int i = 0; i < slices; ++i)
        move();
    deltaTime = frameTime;
    tourMode = false;
}

}  // namespace

void onMouseButton(int button, bool pressed)
{
    if (button == MOUSE_BUTTON_LEFT)
        leftHeld = pressed;
    else if (button == MOUSE_BUTTON_RIGHT)
        rightHeld = pressed;
}

void onCursorMoved(double x, double y)
{
    if (cursorKnown) {
        const double dx = x - cursorX, dy = y - cursorY;
        if (leftHeld) {
            orbitX += dx;
            orbitY += dy;
        }
        if (rightHeld) {
            walkX += dx;
            walkY += dy;
        }
    }
    cursorKnown = true;
    cursorX = x;
    cursorY = y;
}

void onScroll(double notches)
{
    if (std::isfinite(notches))
        wheel += notches;
}

void processMouse()
{
    // Grabbing the hall: dragging right turns it right, so the eye goes left around the
    // target; dragging down pulls the far side down, so the eye rises.
    holdFor(orbitX * orbitSecondsPerPixel, orbitLeft);
    holdFor(-orbitX * orbitSecondsPerPixel, orbitRight);
    holdFor(orbitY * orbitSecondsPerPixel, orbitUp);
    holdFor(-orbitY * orbitSecondsPerPixel, orbitDown);
    // Walking: the cursor pushed up walks forward, sideways steps sideways.
    holdFor(-walkY * walkSecondsPerPixel, moveForward);
    holdFor(walkY * walkSecondsPerPixel, moveBackward);
    holdFor(walkX * walkSecondsPerPixel, strafeRight);
    holdFor(-walkX * walkSecondsPerPixel, strafeLeft);
    holdFor(wheel * zoomSecondsPerNotch, zoomIn);
    holdFor(-wheel * zoomSecondsPerNotch, zoomOut);
    orbitX = orbitY = walkX = walkY = wheel = 0.0;
}

void resetMouse()
{
    leftHeld = rightHeld = cursorKnown = false;
    cursorX = cursorY = 0.0;
    orbitX = orbitY = walkX = walkY = wheel = 0.0;
}
