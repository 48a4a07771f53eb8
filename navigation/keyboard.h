#pragma once
// Keyboard controls: processInput() turns held navigation keys into camera moves once
// per frame (any move stops the guided tour); onKey() is the key callback that steps
// a view's depth-of-field settings with F1-F6 and restarts the tour with P.
// The key state comes from an injected query, so nothing here needs a window.
#include <functional>

struct Camera;
struct FilterSettings;
struct Tour;

// Key codes, equal to GLFW 3's (the application checks that they match).
constexpr int KEY_SPACE = 32;
constexpr int KEY_A = 65;
constexpr int KEY_D = 68;
constexpr int KEY_E = 69;
constexpr int KEY_F = 70;
constexpr int KEY_L = 76;
constexpr int KEY_P = 80;
constexpr int KEY_Q = 81;
constexpr int KEY_R = 82;
constexpr int KEY_S = 83;
constexpr int KEY_W = 87;
constexpr int KEY_RIGHT = 262;
constexpr int KEY_LEFT = 263;
constexpr int KEY_DOWN = 264;
constexpr int KEY_UP = 265;
constexpr int KEY_PAGE_UP = 266;
constexpr int KEY_PAGE_DOWN = 267;
constexpr int KEY_F1 = 290;
constexpr int KEY_F2 = 291;
constexpr int KEY_F3 = 292;
constexpr int KEY_F4 = 293;
constexpr int KEY_F5 = 294;
constexpr int KEY_F6 = 295;
constexpr int KEY_KP_SUBTRACT = 333;
constexpr int KEY_KP_ADD = 334;
constexpr int KEY_LEFT_CONTROL = 341;
constexpr int KEY_LEFT_ALT = 342;
constexpr int KEY_RIGHT_CONTROL = 345;
constexpr int KEY_RIGHT_ALT = 346;

struct Keyboard {
    // True while the key is held down. Set by the application (glfwGetKey on the window);
    // while unset, no key counts as held.
    std::function<bool(int key)> keyHeld;

    bool held(int key) const { return keyHeld && keyHeld(key); }
};

// Once per frame, before the scene update: the moves of the held keys over dt seconds.
void processInput(const Keyboard& keyboard, Camera& camera, Tour& tour, double dt);

// Key callback for every press, release and repeat of any key. The key and action are
// not needed: the F keys and P are polled, so a held F key steps again on any key event.
void onKey(const Keyboard& keyboard, FilterSettings& filters, Tour& tour);

// The default keyboard, and the two calls on it, the default view and tour with the
// frame clock's deltaTime.
Keyboard& defaultKeyboard();
void processInput();
void onKey(int key, int action);
