#include "navigation/touch.h"

#include <cmath>

#include "navigation/mouse.h"
#include "navigation/tour.h"

namespace {

int fingerIndex(const Touch& touch, long id)
{
    for (int i = 0; i < touch.count; ++i)
        if (touch.fingers[i].id == id)
            return i;
    return -1;
}

bool finite(double x, double y)
{
    return std::isfinite(x) && std::isfinite(y);
}

void removeFinger(Touch& touch, int index)
{
    for (int i = index; i + 1 < touch.count; ++i)
        touch.fingers[i] = touch.fingers[i + 1];
    --touch.count;
}

}  // namespace

void onTouchStart(Touch& touch, long id, double x, double y, double seconds)
{
    if (!finite(x, y) || fingerIndex(touch, id) >= 0 || touch.count == 2)
        return;
    touch.fingers[touch.count++] = {id, x, y};
    touch.tapping = touch.count == 1;
    if (touch.tapping) {
        touch.downX = x;
        touch.downY = y;
        touch.downTime = seconds;
    } else {
        touch.tapped = false;
    }
}

void onTouchMove(Touch& touch, Mouse& mouse, long id, double x, double y)
{
    const int i = fingerIndex(touch, id);
    if (i < 0 || !finite(x, y))
        return;
    Touch::Finger& finger = touch.fingers[i];
    if (touch.count == 1) {
        double fromX = finger.x, fromY = finger.y;
        if (touch.tapping) {
            if (std::hypot(x - touch.downX, y - touch.downY) <= tapSlopPixels) {
                finger.x = x;
                finger.y = y;
                return;
            }
            // The drag starts where the finger went down, as a mouse drag would; a tap just
            // before it is part of the drag's gesture, not a pick.
            touch.tapping = false;
            touch.tapped = false;
            fromX = touch.downX;
            fromY = touch.downY;
        }
        mouse.orbitX += x - fromX;
        mouse.orbitY += y - fromY;
        finger.x = x;
        finger.y = y;
        return;
    }
    const Touch::Finger& other = touch.fingers[1 - i];
    const double before = std::hypot(finger.x - other.x, finger.y - other.y);
    const double after = std::hypot(x - other.x, y - other.y);
    // The midpoint walks; it moves by half the finger's move.
    mouse.walkX += 0.5 * (x - finger.x);
    mouse.walkY += 0.5 * (y - finger.y);
    if (before > 0.0 && after > 0.0)
        mouse.wheel += pinchNotchesPerDoubling * std::log2(after / before);
    finger.x = x;
    finger.y = y;
}

bool onTouchEnd(Touch& touch, Tour& tour, long id, double x, double y, double seconds)
{
    const int i = fingerIndex(touch, id);
    if (i < 0)
        return false;
    const bool tap = touch.count == 1 && touch.tapping && seconds - touch.downTime <= tapSeconds;
    removeFinger(touch, i);
    touch.tapping = false;
    if (!tap || !finite(x, y)) {
        touch.tapped = false;
        return false;
    }
    if (touch.tapped && seconds - touch.tapTime <= doubleTapSeconds &&
        std::hypot(x - touch.tapX, y - touch.tapY) <= doubleTapPixels) {
        // As P: from the first pose on the next frame.
        tour.step = -1;
        tour.mode = true;
        touch.tapped = false;
        return true;
    }
    touch.tapped = true;
    touch.tapX = x;
    touch.tapY = y;
    touch.tapTime = seconds;
    return false;
}

void onTouchCancel(Touch& touch, long id)
{
    const int i = fingerIndex(touch, id);
    if (i >= 0)
        removeFinger(touch, i);
    touch.tapping = false;
    touch.tapped = false;
}

bool takeTap(Touch& touch, double seconds, double& x, double& y)
{
    // Later than this, the tap can no longer be the first of a double tap.
    if (!touch.tapped || !(seconds - touch.tapTime > doubleTapSeconds))
        return false;
    touch.tapped = false;
    x = touch.tapX;
    y = touch.tapY;
    return true;
}

void resetTouch(Touch& touch)
{
    touch = Touch{};
}
