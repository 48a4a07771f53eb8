#include "navigation/mouse.h"

#include <algorithm>
#include <cmath>

#include "navigation/camera.h"
#include "navigation/tour.h"

namespace {

// A fast drag is taken in slices no longer than a frame at 60 per second, so an orbit
// stops at its limit instead of refusing the whole drag, and zooms follow the speed law
// as the distance changes.
constexpr double sliceSeconds = 1.0 / 60.0;

// How far a press may wander and still be a click.
constexpr double clickPixels = 4.0;

// Makes `move` as if its key were held for `seconds`.
void holdFor(double seconds, void (*move)(Camera&, double), Camera& camera, Tour& tour)
{
    if (!(seconds > 0.0))
        return;
    seconds = std::min(seconds, 10.0);  // a runaway device must not stall the frame
    const int slices = static_cast<int>(std::ceil(seconds / sliceSeconds));
    const double slice = seconds / slices;
    for (int i = 0; i < slices; ++i)
        move(camera, slice);
    tour.mode = false;
}

}  // namespace

void onMouseButton(Mouse& mouse, int button, bool pressed)
{
    if (button == MOUSE_BUTTON_LEFT) {
        if (pressed && !mouse.leftHeld) {
            mouse.pressX = mouse.cursorX;
            mouse.pressY = mouse.cursorY;
        } else if (!pressed && mouse.leftHeld && mouse.cursorKnown &&
                   std::hypot(mouse.cursorX - mouse.pressX, mouse.cursorY - mouse.pressY) <= clickPixels) {
            mouse.clicked = true;
            mouse.clickX = mouse.cursorX;
            mouse.clickY = mouse.cursorY;
        }
        mouse.leftHeld = pressed;
    }
    else if (button == MOUSE_BUTTON_RIGHT)
        mouse.rightHeld = pressed;
}

void onCursorMoved(Mouse& mouse, double x, double y)
{
    if (mouse.cursorKnown) {
        const double dx = x - mouse.cursorX, dy = y - mouse.cursorY;
        if (mouse.leftHeld) {
            mouse.orbitX += dx;
            mouse.orbitY += dy;
        }
        if (mouse.rightHeld) {
            mouse.walkX += dx;
            mouse.walkY += dy;
        }
    }
    mouse.cursorKnown = true;
    mouse.cursorX = x;
    mouse.cursorY = y;
}

void onScroll(Mouse& mouse, double notches)
{
    if (std::isfinite(notches))
        mouse.wheel += notches;
}

void processMouse(Mouse& mouse, Camera& camera, Tour& tour)
{
    // Grabbing the hall: dragging right turns it right, so the eye goes left around the
    // target; dragging down pulls the far side down, so the eye rises.
    holdFor(mouse.orbitX * orbitSecondsPerPixel, orbitLeft, camera, tour);
    holdFor(-mouse.orbitX * orbitSecondsPerPixel, orbitRight, camera, tour);
    holdFor(mouse.orbitY * orbitSecondsPerPixel, orbitUp, camera, tour);
    holdFor(-mouse.orbitY * orbitSecondsPerPixel, orbitDown, camera, tour);
    // Walking: the cursor pushed up walks forward, sideways steps sideways.
    holdFor(-mouse.walkY * walkSecondsPerPixel, moveForward, camera, tour);
    holdFor(mouse.walkY * walkSecondsPerPixel, moveBackward, camera, tour);
    holdFor(mouse.walkX * walkSecondsPerPixel, strafeRight, camera, tour);
    holdFor(-mouse.walkX * walkSecondsPerPixel, strafeLeft, camera, tour);
    holdFor(mouse.wheel * zoomSecondsPerNotch, zoomIn, camera, tour);
    holdFor(-mouse.wheel * zoomSecondsPerNotch, zoomOut, camera, tour);
    mouse.orbitX = mouse.orbitY = mouse.walkX = mouse.walkY = mouse.wheel = 0.0;
}

bool takeClick(Mouse& mouse, double& x, double& y)
{
    if (!mouse.clicked)
        return false;
    mouse.clicked = false;
    x = mouse.clickX;
    y = mouse.clickY;
    return true;
}

bool mouseHasMotion(const Mouse& mouse)
{
    return mouse.orbitX != 0.0 || mouse.orbitY != 0.0 || mouse.walkX != 0.0 || mouse.walkY != 0.0 || mouse.wheel != 0.0;
}

void resetMouse(Mouse& mouse)
{
    mouse = Mouse{};
}
