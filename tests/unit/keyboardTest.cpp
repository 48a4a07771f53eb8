// Keyboard rows and modifiers, the tour hand-over, and the depth-of-field keys,
// driven through an injected key state; the mouse and touch, driven by plain event numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "base/frameClock.h"
#include "navigation/camera.h"
#include "navigation/guide.h"
#include "navigation/keyboard.h"
#include "navigation/mouse.h"
#include "navigation/touch.h"
#include "navigation/tour.h"
#include "navigation/view.h"
#include "tests/unit/defaultNames.h"

namespace {

std::set<int> keysDown;

using Move = void (*)();

struct KeyboardTest : testing::Test {
    void SetUp() override
    {
        screenWidth = 1920;
        screenHeight = 1080;
        deltaTime = 0.1;
        keysDown.clear();
        keyHeld = [](int key) { return keysDown.count(key) > 0; };
        focalDepth = 10.0f;
        focalLength = 1000.0f;
        fstop = 19.0f;
        initCamera();
        tourMode = true;
        tourStep = 3;
    }
    void TearDown() override { keyHeld = nullptr; }
};

// Keys held for one frame, and the moves that frame must make, in order.
struct RowCase { const char* name; std::set<int> keys; std::vector<Move> moves; };
const RowCase rowCases[] = {
    {"right arrow", {KEY_RIGHT}, {strafeRight}}, {"D", {KEY_D}, {strafeRight}},
    {"D, right Alt", {KEY_D, KEY_RIGHT_ALT}, {strafeRight}}, {"left arrow", {KEY_LEFT}, {strafeLeft}},
    {"A", {KEY_A}, {strafeLeft}}, {"A, left Ctrl", {KEY_A, KEY_LEFT_CONTROL}, {}},
    {"A, right Ctrl", {KEY_A, KEY_RIGHT_CONTROL}, {strafeLeft}}, {"up arrow", {KEY_UP}, {moveForward}},
    {"W", {KEY_W}, {moveForward}}, {"W, right Alt", {KEY_W, KEY_RIGHT_ALT}, {moveForward}},
    {"down arrow", {KEY_DOWN}, {moveBackward}}, {"S", {KEY_S}, {moveBackward}},
    {"R, left Alt", {KEY_R, KEY_LEFT_ALT}, {moveUp}}, {"R", {KEY_R}, {}},
    {"F, left Alt", {KEY_F, KEY_LEFT_ALT}, {moveDown}}, {"A, left Alt", {KEY_A, KEY_LEFT_ALT}, {orbitLeft}},
    {"A, left Alt and Ctrl", {KEY_A, KEY_LEFT_ALT, KEY_LEFT_CONTROL}, {}},
    {"D, left Alt", {KEY_D, KEY_LEFT_ALT}, {orbitRight}}, {"keypad +", {KEY_KP_ADD}, {zoomIn}},
    {"E", {KEY_E}, {zoomIn}}, {"keypad -", {KEY_KP_SUBTRACT}, {zoomOut}}, {"Q", {KEY_Q}, {zoomOut}},
    {"page up", {KEY_PAGE_UP}, {orbitUp}}, {"W, left Alt", {KEY_W, KEY_LEFT_ALT}, {orbitUp}},
    {"page down", {KEY_PAGE_DOWN}, {orbitDown}}, {"S, left Alt", {KEY_S, KEY_LEFT_ALT}, {orbitDown}},
    {"W and D", {KEY_W, KEY_D}, {strafeRight, moveForward}},
    {"up, D, left Alt, E", {KEY_UP, KEY_D, KEY_LEFT_ALT, KEY_E}, {moveForward, orbitRight, zoomIn}},
    {"left Alt and Ctrl", {KEY_LEFT_ALT, KEY_LEFT_CONTROL}, {}},
    {"F1 to F6 and P", {KEY_F1, KEY_F2, KEY_F3, KEY_F4, KEY_F5, KEY_F6, KEY_P}, {}},
};

TEST_F(KeyboardTest, EachRowWithItsModifiers)
{
    for (const RowCase& c : rowCases) {
        initCamera();
        for (Move move : c.moves)
            move();
        glm::vec3 eye = camera.eye, target = camera.target;

        initCamera();
        tourMode = true;
        keysDown = c.keys;
        processInput();
        EXPECT_EQ(camera.eye, eye) << c.name;
        EXPECT_EQ(camera.target, target) << c.name;
        EXPECT_EQ(tourMode, c.moves.empty()) << c.name;
    }
}

TEST_F(KeyboardTest, PWhileSteeringLeavesTheTourStopped)
{
    keysDown = {KEY_P, KEY_W};
    tourMode = false;
    onKey(KEY_P, 1);
    EXPECT_TRUE(tourMode);
    EXPECT_EQ(tourStep, -1);
    processInput();
    EXPECT_FALSE(tourMode);
}

TEST_F(KeyboardTest, FilterKeysStepInDoubleAndPrintOnEveryKeyEvent)
{
    struct { int key; const char* line; } cases[] = {
        {KEY_F1, "focaldepth: 11 focallength: 1000 fstop: 19\n"},
        {KEY_F2, "focaldepth: 9.09091 focallength: 1000 fstop: 19\n"},
        {KEY_F3, "focaldepth: 10 focallength: 1100 fstop: 19\n"},
        {KEY_F4, "focaldepth: 10 focallength: 909.091 fstop: 19\n"},
        {KEY_F5, "focaldepth: 10 focallength: 1000 fstop: 20.9\n"},
        {KEY_F6, "focaldepth: 10 focallength: 1000 fstop: 17.2727\n"},
    };
    for (auto c : cases) {
        SetUp();
        keysDown = {c.key};
        testing::internal::CaptureStdout();
        onKey(c.key, 1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.line);
        EXPECT_TRUE(tourMode);
        EXPECT_EQ(tourStep, 3);
    }

    // F3 held while another key goes down and up: two more steps, two more lines.
    SetUp();
    keysDown = {KEY_F3, KEY_SPACE};
    testing::internal::CaptureStdout();
    onKey(KEY_SPACE, 1);
    keysDown.erase(KEY_SPACE);
    onKey(KEY_SPACE, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "focaldepth: 10 focallength: 1100 fstop: 19\n"
              "focaldepth: 10 focallength: 1210 fstop: 19\n");

    // The release of the F key itself changes nothing.
    keysDown.clear();
    testing::internal::CaptureStdout();
    onKey(KEY_F3, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    // Ten steps each way, taken in double; single-precision steps would drift to
    // 2593.7427 and 385.54324.
    struct { int key; float expected; } drifts[] = {{KEY_F3, 2593.742431640625f}, {KEY_F4, 385.5433349609375f}};
    for (auto d : drifts) {
        focalLength = 1000.0f;
        keysDown = {d.key};
        testing::internal::CaptureStdout();
        for (int event = 0; event < 10; ++event)
            onKey(d.key, 2);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(focalLength, d.expected);
    }
}

// Mouse events of one frame, and the key that, held for that many frames at 60 per
// second, must make the same move: same directions, limits and speed law.
struct MouseCase { const char* name; std::function<void()> events; Move key; int frames; };
void drag(int button, double dx, double dy)
{
    onCursorMoved(100.0, 100.0);
    onMouseButton(button, true);
    onCursorMoved(100.0 + dx, 100.0 + dy);
    onMouseButton(button, false);
}
const MouseCase mouseCases[] = {
    {"left drag right", [] { drag(MOUSE_BUTTON_LEFT, 32.0, 0.0); }, orbitLeft, 6},
    {"left drag left", [] { drag(MOUSE_BUTTON_LEFT, -16.0, 0.0); }, orbitRight, 3},
    {"left drag down", [] { drag(MOUSE_BUTTON_LEFT, 0.0, 64.0); }, orbitUp, 12},
    {"left drag down, far past the limit", [] { drag(MOUSE_BUTTON_LEFT, 0.0, 3200.0); }, orbitUp, 600},
    {"left drag up", [] { drag(MOUSE_BUTTON_LEFT, 0.0, -16.0); }, orbitDown, 3},
    {"right drag up", [] { drag(MOUSE_BUTTON_RIGHT, 0.0, -20.0); }, moveForward, 6},
    {"right drag right", [] { drag(MOUSE_BUTTON_RIGHT, 10.0, 0.0); }, strafeRight, 3},
    {"wheel away", [] { onScroll(1.0); }, zoomIn, 6},
    {"wheel toward, two notches", [] { onScroll(-2.0); }, zoomOut, 12},
    {"wheel away, close to the target", [] { onScroll(40.0); }, zoomIn, 240},
    {"cursor moved with no button", [] { onCursorMoved(5.0, 5.0); onCursorMoved(500.0, 300.0); }, nullptr, 0},
    {"middle drag", [] { drag(2, 40.0, 40.0); }, nullptr, 0},
};

// Where the camera stands after `key` held for `frames` frames at 60 per second.
Camera heldKeyPose(Move key, int frames)
{
    initCamera();
    deltaTime = 1.0 / 60.0;
    for (int frame = 0; frame < frames; ++frame)
        key();
    const Camera pose = camera;
    initCamera();
    return pose;
}

void expectPose(const Camera& pose, const char* name)
{
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_NEAR(camera.eye[axis], pose.eye[axis], 0.05f) << name;
        EXPECT_NEAR(camera.target[axis], pose.target[axis], 0.05f) << name;
    }
}

TEST_F(KeyboardTest, MouseMovesAsTheKeysHeldForTheSameTime)
{
    for (const MouseCase& c : mouseCases) {
        const Camera held = heldKeyPose(c.key, c.frames);
        resetMouse();
        tourMode = true;
        deltaTime = 0.5;  // the frame's own time must not matter
        c.events();
        processMouse();
        expectPose(held, c.name);
        EXPECT_EQ(tourMode, c.frames == 0) << c.name;
        EXPECT_EQ(deltaTime, 0.5) << c.name;
        processMouse();  // nothing gathered twice
        EXPECT_NEAR(camera.eye.x, held.eye.x, 0.05f) << c.name;
    }
    resetMouse();
}

// Touches of one frame, the key that must make the same move held for that many frames at
// 60 per second (through the mouse's gathered motion), whether they restart the tour, and
// how many picks the frames between them (and one long after) are given.
Touch touch;
int picks = 0;
struct TouchCase { const char* name; std::function<void()> events; Move key; int frames; bool restarts; int picks; };
void down(long id, double x, double y, double t = 0.0) { onTouchStart(touch, id, x, y, t); }
void move(long id, double x, double y) { onTouchMove(touch, defaultMouse(), id, x, y); }
void up(long id, double x, double y, double t = 0.1) { onTouchEnd(touch, defaultTour(), id, x, y, t); }
void frameAt(double t)
{
    double x = 0.0, y = 0.0;
    if (takeTap(touch, t, x, y)) {
        ++picks;
        EXPECT_LE(std::hypot(x - 100.0, y - 100.0), tapSlopPixels) << "a pick away from the tap";
    }
}
const TouchCase touchCases[] = {
    {"one finger right in small steps, from where it went down",
     [] { down(1, 100, 100); for (int x = 104; x <= 132; x += 4) move(1, x, 100); up(1, 132, 100, 0.5); },
     orbitLeft, 6, false, 0},
    {"one finger down, far past the limit", [] { down(1, 10, 10); move(1, 10, 3210); up(1, 10, 3210); }, orbitUp, 600,
     false, 0},
    {"a quick flick drags, it does not pick", [] { down(1, 100, 100); move(1, 116, 100); up(1, 116, 100, 0.05); },
     orbitLeft, 3, false, 0},
    {"two fingers up together", [] { down(1, 100, 300); down(2, 200, 300); move(1, 100, 280); move(2, 200, 280); },
     moveForward, 6, false, 0},
    {"two fingers spread to twice their distance",
     [] { down(1, 200, 100); down(2, 300, 100); move(1, 150, 100); move(2, 350, 100); }, zoomIn, 30, false, 0},
    {"two fingers pinched to half", [] { down(1, 100, 100); down(2, 300, 100); move(1, 150, 100); move(2, 250, 100); },
     zoomOut, 30, false, 0},
    {"second finger lifted: the first drags on from where it is",
     [] { down(1, 100, 100); down(2, 300, 100); up(2, 300, 100); move(1, 132, 100); }, orbitLeft, 6, false, 0},
    {"a third finger is ignored",
     [] { down(1, 100, 100); down(2, 300, 100); down(3, 500, 100); move(3, 900, 500); up(3, 900, 500); }, nullptr, 0,
     false, 0},
    {"a tap that trembles picks, once no second tap can come",
     [] { down(1, 100, 100); move(1, 103, 98); up(1, 103, 98); frameAt(0.3); EXPECT_EQ(picks, 0) << "picked early";
          frameAt(0.6); },
     nullptr, 0, false, 1},
    {"double tap, with frames between",
     [] { down(1, 100, 100, 0.0); up(1, 100, 100, 0.1); frameAt(0.2); down(1, 104, 102, 0.3); frameAt(0.35);
          up(1, 104, 102, 0.4); frameAt(0.5); },
     nullptr, 0, true, 0},
    {"two taps too far apart in time",
     [] { down(1, 100, 100, 0.0); up(1, 100, 100, 0.1); frameAt(0.55); down(1, 100, 100, 0.6); up(1, 100, 100, 0.7); },
     nullptr, 0, false, 2},
    {"a drag between two taps: only the last picks",
     [] { down(1, 100, 100, 0.0); up(1, 100, 100, 0.05); down(1, 100, 100, 0.1); move(1, 116, 100); frameAt(0.5);
          up(1, 116, 100, 0.55); down(1, 100, 100, 0.6); up(1, 100, 100, 0.65); },
     orbitLeft, 3, false, 1},
};

TEST_F(KeyboardTest, TouchMovesAsTheMouseAndTheKeys)
{
    for (const TouchCase& c : touchCases) {
        const Camera held = heldKeyPose(c.key, c.frames);
        resetMouse();
        resetTouch(touch);
        picks = 0;
        tourMode = false;
        tourStep = 3;
        c.events();
        frameAt(100.0);
        frameAt(101.0);
        processMouse();
        expectPose(held, c.name);
        EXPECT_EQ(tourMode, c.restarts) << c.name;
        EXPECT_EQ(tourStep, c.restarts ? -1 : 3) << c.name;
        EXPECT_EQ(picks, c.picks) << c.name;
    }
    resetMouse();
}

// Clicks on a camera at z = 1000 looking down -z at a 1920 x 1080 picture.
TEST_F(KeyboardTest, AClickPicksTheNearestExhibitUnderTheCursor)
{
    camera.eye = glm::vec3(0, 0, 1000);
    camera.target = glm::vec3(0, 0, 0);
    updateBasis();
    const std::vector<glm::vec4> spheres = {
        {0, 0, 0, 100}, {0, 0, 500, 50}, {300, 0, 0, 60}, {0, 0, 1800, 400}, {0, 300, 0, 0}};
    // (300, 0, 0) lies 1000 away at tan(20 deg) * 1000 = 364 units per half height.
    const double pixelOfC = 960.0 + 540.0 * 300.0 / (1000.0 * std::tan(glm::radians(20.0)));
    struct { double x, y; int picked; } cases[] = {
        {960, 540, 1},             // the nearer of two in a row
        {pixelOfC, 540, 2},        // off the middle
        {960, 540 - 445.0, -1},    // where only an empty one stands
        {50, 50, -1},              // nothing there; the one behind the eye does not count
    };
    for (auto c : cases)
        EXPECT_EQ(pickExhibit(spheres, camera, 1920, 1080, c.x, c.y), c.picked) << c.x << ", " << c.y;

    Mouse mouse;
    double x = 0.0, y = 0.0;
    onCursorMoved(mouse, 100, 100);
    onMouseButton(mouse, MOUSE_BUTTON_LEFT, true);
    onCursorMoved(mouse, 102, 101);
    onMouseButton(mouse, MOUSE_BUTTON_LEFT, false);
    ASSERT_TRUE(takeClick(mouse, x, y));
    EXPECT_EQ(x, 102.0);
    EXPECT_FALSE(takeClick(mouse, x, y)) << "taken once";
    onMouseButton(mouse, MOUSE_BUTTON_LEFT, true);
    onCursorMoved(mouse, 160, 101);
    onMouseButton(mouse, MOUSE_BUTTON_LEFT, false);
    EXPECT_FALSE(takeClick(mouse, x, y)) << "a drag is no click";
}

}  // namespace
