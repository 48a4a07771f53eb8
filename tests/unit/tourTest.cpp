// The guided tour's script, timing rules and loop, run frame by frame on a fixed clock.
#include <gtest/gtest.h>

#include <cmath>

#include "base/frameClock.h"
#include "navigation/camera.h"
#include "navigation/keyboard.h"
#include "navigation/tour.h"

namespace {

const glm::vec3 startEye(-1200, 1100, -1200), startTarget(0, 520, 0);

// The script as a visitor sees it: when each step ends and the pose taken then.
struct ScriptRow { int step; double end; bool setsPose; glm::vec3 eye, target; };
const ScriptRow script[] = {
    {0, 20, true, {-1050, 840, 1050}, {-620, 640, 620}}, {1, 30, true, {-1450, 840, 620}, {-620, 620, 620}},
    {2, 35, true, {-1450, 840, -620}, {-620, 620, -620}}, {3, 45, true, {-620, 650, -1800}, {-620, 620, -620}},
    {4, 50, true, {620, 650, -1800}, {620, 620, -620}}, {5, 60, true, {1050, 1050, -620}, {620, 620, -620}},
    {6, 65, true, {1050, 1050, 620}, {620, 620, 620}}, {7, 75, true, {620, 620, 1040}, {620, 620, 420}},
    {8, 77.5, false, {}, {}}, {9, 80, false, {}, {}}, {10, 90, true, startEye, startTarget}};

// Where each glide heads; it must be reached as its step ends.
struct GlideRow { int step; glm::vec3 point; float speed; };
const GlideRow glides[] = {{2, {-1450, 840, -620}, 248}, {4, {620, 650, -1800}, 248},
                           {6, {1050, 1050, 620}, 248}, {8, {0, 620, 1040}, 248}, {9, {0, 620, 620}, 168}};

void frame(double dt)
{
    advanceClock(dt);
    if (tourMode)
        updateTour();
}

struct TourTest : testing::Test {
    void SetUp() override
    {
        screenWidth = 1920;
        screenHeight = 1080;
        keyHeld = nullptr;
        initCamera();
        totalTime = 0.0;
        startTour();
    }
    void runUntil(double time, double dt = 1.0 / 60.0)
    {
        while (totalTime + dt < time)
            frame(dt);
    }
};

TEST_F(TourTest, FirstFrameTakesStartPoseAndItsOwnTime)
{
    camera.eye = {5, 5, 5};
    frame(7.25);  // the loading time lands in the first frame
    EXPECT_EQ(camera.eye, startEye);
    EXPECT_EQ(camera.target, startTarget);
    EXPECT_EQ(tourStep, 0);
    EXPECT_EQ(tourStepStart, 7.25f);
    frame(1.0 / 60.0);
    EXPECT_NE(camera.eye, startEye);  // orbiting from the first drawn frame on
}

TEST_F(TourTest, ScriptPosesGlidesAndLoopAtSixtyFps)
{
    frame(1.0 / 60.0);
    const double start = tourStepStart;
    for (const ScriptRow& row : script) {
        runUntil(start + row.end - 1e-3);
        ASSERT_EQ(tourStep, row.step);
        for (const GlideRow& g : glides) {
            if (g.step == row.step) {
                EXPECT_LT(glm::length(camera.eye - g.point), g.speed / 30.0f + 0.5f) << "glide " << g.step;
            }
        }
        glm::vec3 eye = camera.eye;
        while (tourStep == row.step) {
            eye = camera.eye;
            frame(1.0 / 60.0);
        }
        EXPECT_GE(totalTime, start + row.end - 1e-3);
        EXPECT_LT(totalTime, start + row.end + 1.0 / 60.0 + 1e-3);
        if (row.setsPose) {
            EXPECT_EQ(camera.eye, row.eye) << "end of step " << row.step;
            EXPECT_EQ(camera.target, row.target) << "end of step " << row.step;
        } else {
            EXPECT_EQ(camera.eye, eye) << "the ending frame only advances";
        }
    }
    // Looped straight into step 0, timed from the looping frame.
    EXPECT_EQ(tourStep, 0);
    EXPECT_EQ(tourStepStart, static_cast<float>(totalTime));
}

TEST_F(TourTest, LongPauseEndsOneStepPerFrame)
{
    frame(1.0 / 60.0);
    runUntil(15.0);
    frame(37.0 - totalTime);
    EXPECT_EQ(tourStep, 1);
    EXPECT_EQ(camera.eye, script[0].eye);
    frame(1.0 / 60.0);
    EXPECT_EQ(tourStep, 2);
    EXPECT_EQ(camera.eye, script[1].eye);  // set, and not glided from
    frame(1.0 / 60.0);
    EXPECT_EQ(tourStep, 3);
    EXPECT_EQ(camera.eye, script[2].eye);
    frame(1.0 / 60.0);
    EXPECT_NE(camera.eye, script[2].eye);
    EXPECT_EQ(camera.target, script[2].target);  // orbiting about the step's point
    runUntil(45.0);
    EXPECT_EQ(tourStep, 3);
}

TEST_F(TourTest, PDuringAGlideRestartsFromStartPose)
{
    frame(1.0 / 60.0);
    runUntil(62.0);
    ASSERT_EQ(tourStep, 6);
    keyHeld = [](int key) { return key == KEY_P; };
    onKey(KEY_P, 1);
    keyHeld = nullptr;
    frame(1.0 / 60.0);
    EXPECT_EQ(camera.eye, startEye);
    EXPECT_EQ(tourStep, 0);
    EXPECT_EQ(tourStepStart, static_cast<float>(totalTime));
    runUntil(totalTime + 19.99);
    EXPECT_EQ(tourStep, 0);
}

TEST_F(TourTest, EndTimesSumInFloatExceptStepEight)
{
    // At 2^24 s floats are 2 s apart: start + 35 rounds up to ...252, start + 77.5 to ...294.
    struct { int step; double time; int expected; } cases[] = {
        {2, 16777251.5, 2}, {2, 16777252.0, 3}, {8, 16777293.4, 8}, {8, 16777293.6, 9}};
    for (auto c : cases) {
        tourStepStart = 16777216.0f;
        tourStep = c.step;
        totalTime = c.time;
        updateTour();
        EXPECT_EQ(tourStep, c.expected) << "step " << c.step << " at " << c.time;
    }
}

// The start circle (radius 1697 about the centre) and the east circle (out to x = 1800)
// pass beyond the side walls at x = +-1650, so x is held to the hall's length as z is.
TEST_F(TourTest, WholeTourStaysInsideTheHall)
{
    for (double fps : {7.0, 24.0, 60.0, 144.0, 500.0}) {
        SetUp();
        for (int i = 0; totalTime < 200.0; ++i) {
            frame((i % 3 == 0 ? 1.5 : 0.75) / fps);  // uneven frames
            ASSERT_TRUE(std::abs(camera.eye.x) <= 1820 && std::abs(camera.eye.z) <= 1820 &&
                        camera.eye.y >= 1 && camera.eye.y <= 2400)
                << fps << " fps, step " << tourStep << ", eye " << camera.eye.x << " " << camera.eye.y << " " << camera.eye.z;
        }
    }
}

}  // namespace
