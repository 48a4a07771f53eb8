#include "navigation/keyboard.h"

#include <iostream>

#include "navigation/camera.h"
#include "navigation/tour.h"
#include "navigation/view.h"

namespace {

// Every navigation move hands the camera from the tour to the user.
void steer(void (*move)(Camera&, double), Camera& camera, Tour& tour, double dt)
{
    move(camera, dt);
    tour.mode = false;
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

void printFilterSettings(const FilterSettings& filters)
{
    std::cout << "focaldepth: " << filters.focalDepth << " focallength: " << filters.focalLength
              << " fstop: " << filters.fstop << "\n";
}

}  // namespace

void processInput(const Keyboard& keyboard, Camera& camera, Tour& tour, double dt)
{
    // Only the left Alt and Ctrl act as modifiers; with Left Alt the letters orbit
    // and R/F rise and sink instead of walking.
    bool alt = keyboard.held(KEY_LEFT_ALT);
    bool ctrl = keyboard.held(KEY_LEFT_CONTROL);

    if (keyboard.held(KEY_RIGHT) || (keyboard.held(KEY_D) && !alt))
        steer(strafeRight, camera, tour, dt);
    if (keyboard.held(KEY_LEFT) || (keyboard.held(KEY_A) && !alt && !ctrl))
        steer(strafeLeft, camera, tour, dt);
    if (keyboard.held(KEY_UP) || (keyboard.held(KEY_W) && !alt))
        steer(moveForward, camera, tour, dt);
    if (keyboard.held(KEY_DOWN) || (keyboard.held(KEY_S) && !alt))
        steer(moveBackward, camera, tour, dt);
    if (keyboard.held(KEY_R) && alt)
        steer(moveUp, camera, tour, dt);
    if (keyboard.held(KEY_F) && alt)
        steer(moveDown, camera, tour, dt);
    if (keyboard.held(KEY_A) && alt && !ctrl)
        steer(orbitLeft, camera, tour, dt);
    if (keyboard.held(KEY_D) && alt)
        steer(orbitRight, camera, tour, dt);
    if (keyboard.held(KEY_KP_ADD) || keyboard.held(KEY_E))
        steer(zoomIn, camera, tour, dt);
    if (keyboard.held(KEY_KP_SUBTRACT) || keyboard.held(KEY_Q))
        steer(zoomOut, camera, tour, dt);
    if (keyboard.held(KEY_PAGE_UP) || (keyboard.held(KEY_W) && alt))
        steer(orbitUp, camera, tour, dt);
    if (keyboard.held(KEY_PAGE_DOWN) || (keyboard.held(KEY_S) && alt))
        steer(orbitDown, camera, tour, dt);
}

void onKey(const Keyboard& keyboard, FilterSettings& filters, Tour& tour)
{
    struct FilterKey {
        int key;
        float* value;
        void (*step)(float&);
    };
    const FilterKey filterKeys[] = {
        {KEY_F1, &filters.focalDepth, scaleUp},  {KEY_F2, &filters.focalDepth, scaleDown},
        {KEY_F3, &filters.focalLength, scaleUp}, {KEY_F4, &filters.focalLength, scaleDown},
        {KEY_F5, &filters.fstop, scaleUp},       {KEY_F6, &filters.fstop, scaleDown},
    };
    for (const FilterKey& f : filterKeys) {
        if (keyboard.held(f.key)) {
            f.step(*f.value);
            printFilterSettings(filters);
        }
    }
    // Restart from the first pose on the next frame; step -1 resets the timing.
    if (keyboard.held(KEY_P)) {
        tour.step = -1;
        tour.mode = true;
    }
}
