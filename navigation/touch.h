#pragma once
// Touch controls: one finger dragged orbits (as the mouse's left drag), two fingers
// pinched zoom (as the wheel) and dragged together walk (as the right drag), a double
// tap restarts the guided tour (as P), and a lone tap picks what is under it (as a click,
// once it is clear no second tap follows). Touches come in as plain numbers: an id, a
// position in pixels (y downwards) and a time in seconds. What they mean is added to the
// mouse's gathered motion, so processMouse() makes the moves with the mouse's limits and
// speed law. No window or GL here.
struct Mouse;
struct Tour;

// A finger that stays this close to where it went down is tapping, not dragging; the
// drag, once it starts, counts from where the finger went down.
constexpr double tapSlopPixels = 10.0;
// Longest press that is still a tap, and longest gap between the two taps of a double
// tap, with the second this close to the first.
constexpr double tapSeconds = 0.3;
constexpr double doubleTapSeconds = 0.4;
constexpr double doubleTapPixels = 40.0;
// Wheel notches for fingers spread to twice their distance (brought to half: as many out).
constexpr double pinchNotchesPerDoubling = 5.0;

struct Touch {
    struct Finger {
        long id = 0;
        double x = 0.0, y = 0.0;
    };
    // The first two fingers down, in that order; any further finger is ignored.
    Finger fingers[2];
    int count = 0;
    // Where and when a lone finger went down while it may still be a tap.
    bool tapping = false;
    double downX = 0.0, downY = 0.0, downTime = 0.0;
    // The last tap, waiting for a second one; if none comes in time, it picks. A drag or a
    // second finger meanwhile drops it.
    bool tapped = false;
    double tapX = 0.0, tapY = 0.0, tapTime = 0.0;
};

void onTouchStart(Touch& touch, long id, double x, double y, double seconds);
void onTouchMove(Touch& touch, Mouse& mouse, long id, double x, double y);
// A finger lifted; true when it ended a double tap, which restarted the tour.
bool onTouchEnd(Touch& touch, Tour& tour, long id, double x, double y, double seconds);
// A finger taken away by the browser: it stops, without tapping.
void onTouchCancel(Touch& touch, long id);

// Once per frame: true, with where it was, when the last tap has waited out the double-tap
// time alone; it is then used up.
bool takeTap(Touch& touch, double seconds, double& x, double& y);

void resetTouch(Touch& touch);
