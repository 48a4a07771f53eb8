#include "navigation/keyboard.h"

#include <iostream>

#include "navigation/camera.h"
#include "navigation/tour.h"
#include "render/filterParameters.h"

std::function<bool(int key)> keyHeld;

namespace {

bool held(int key)
{
    return keyHeld && keyHeld(key);
}

// Every navigation move hands the camera from the tour to the user.
void steer(void (*move)())
{
    move();
    tourMode = false;
}

// Steps are taken in double and stored as float, so a press and its inverse press
// need not land exactly on the old value; there are no limits.
void scaleUp(float& value)
{
    value = static_cast<float>(static_cast<double>(value) * 1.1);
}

void scaleDown(float& value)
{
    value = static_cast<float>(static_cast<double>(value) / 1.1);
}

void printFilterParameters()
{
    std::cout << "focaldepth: " << focalDepth << " focallength: " << focalLength
              << " fstop: " << fstop << "\n";
}

}  // namespace

void processInput()
{
    // Only the left Alt and Ctrl act as modifiers; with Left Alt the letters orbit
    // and R/F rise and sink instead of walking.
    bool alt = held(KEY_LEFT_ALT);
    bool ctrl = held(KEY_LEFT_CONTROL);

    if (held(KEY_RIGHT) || (held(KEY_D) && !alt))
        steer(strafeRight);
    if (held(KEY_LEFT) || (held(KEY_A) && !alt && !ctrl))
        steer(strafeLeft);
    if (held(KEY_UP) || (held(KEY_W) && !alt))
        steer(moveForward);
    if (held(KEY_DOWN) || (held(KEY_S) && !alt))
        steer(moveBackward);
    if (held(KEY_R) && alt)
        steer(moveUp);
    if (held(KEY_F) && alt)
        steer(moveDown);
    if (held(KEY_A) && alt && !ctrl)
        steer(orbitLeft);
    if (held(KEY_D) && alt)
        steer(orbitRight);
    if (held(KEY_KP_ADD) || held(KEY_E))
        steer(zoomIn);
    if (held(KEY_KP_SUBTRACT) || held(KEY_Q))
        steer(zoomOut);
    if (held(KEY_PAGE_UP) || (held(KEY_W) && alt))
        steer(orbitUp);
    if (held(KEY_PAGE_DOWN) || (held(KEY_S) && alt))
        steer(orbitDown);
}

void onKey(int /*key*/, int /*action*/)
{
    struct FilterKey {
        int key;
        float* value;
        void (*step)(float&);
    };
    const FilterKey filterKeys[] = {
        {KEY_F1, &focalDepth, scaleUp},  {KEY_F2, &focalDepth, scaleDown},
        {KEY_F3, &focalLength, scaleUp}, {KEY_F4, &focalLength, scaleDown},
        {KEY_F5, &fstop, scaleUp},       {KEY_F6, &fstop, scaleDown},
    };
    for (const FilterKey& f : filterKeys) {
        if (held(f.key)) {
            f.step(*f.value);
            printFilterParameters();
        }
    }
    // Restart from the first pose on the next frame; step -1 resets the timing.
    if (held(KEY_P)) {
        tourStep = -1;
        tourMode = true;
    }
}
