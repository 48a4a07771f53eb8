// Camera moves, speed law and limits, checked on the process-wide camera without GL.
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

#include "app/frameClock.h"
#include "navigation/camera.h"

namespace {

bool finite(const glm::vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

float distance()
{
    return glm::length(camera.target - camera.eye);
}

void setPose(glm::vec3 eye, glm::vec3 target)
{
    camera.eye = eye;
    camera.target = target;
    updateBasis();
}

struct CameraTest : testing::Test {
    void SetUp() override
    {
        screenWidth = 1920;
        screenHeight = 1080;
        deltaTime = 1.0;
        initCamera();
    }
};

TEST_F(CameraTest, StartPoseProjectionAndLazyView)
{
    EXPECT_EQ(camera.eye, glm::vec3(-1200, 1100, -1200));
    EXPECT_EQ(camera.target, glm::vec3(0, 520, 0));
    EXPECT_NEAR(camera.projection[1][1] / camera.projection[0][0], 1.7778f, 1e-4f);
    EXPECT_NEAR(cubeFaceProjection()[1][1], 1.0f, 1e-6f);
    glm::mat4 start = viewMatrix();
    EXPECT_EQ(start, glm::lookAt(camera.eye, camera.target, camera.up));
    camera.eye.x += 50.0f;  // moved without marking: the cached view stays
    EXPECT_EQ(viewMatrix(), start);
    updateBasis();
    EXPECT_NE(viewMatrix(), start);
}

TEST_F(CameraTest, SpeedLaw)
{
    struct { float d; float speed; } cases[] = {
        {10, 3.74f}, {100, 111.2f}, {1000, 602.75f}, {0, 0}, {1, 0}, {2.449f, 0}, {std::sqrt(6.0f), 0}};
    for (auto c : cases) {
        setPose({0, 0, 0}, {c.d, 0, 0});
        EXPECT_NEAR(travelSpeed(), c.speed, 0.01f) << "d = " << c.d;
    }
    initCamera();
    EXPECT_NEAR(travelSpeed(), 833.9f, 0.1f);
}

TEST_F(CameraTest, ZoomInNeverPassesTargetOrWritesNaN)
{
    for (double dt : {1.0 / 60.0, 0.5, 10.0}) {
        setPose({0, 500, 0}, {10, 500, 0});
        deltaTime = dt;
        for (int frame = 0; frame < 2000; ++frame) {
            zoomIn();
            moveForward();
            strafeLeft();
            moveUp();
            glideToward(camera.eye, 100.0f);
        }
        updateBasis();
        EXPECT_TRUE(finite(camera.eye) && finite(camera.target) && finite(camera.forward)) << dt;
        EXPECT_GE(distance(), minimumZoomDistance - 1e-3f) << dt;
        EXPECT_NEAR(camera.forward.x, 1.0f, 1e-5f) << "view flipped at dt " << dt;
    }
}

TEST_F(CameraTest, OneSecondForwardWalksHorizontallyAtFullSpeed)
{
    // Start pose, and a view steeply down onto a point 1000 units away.
    struct { glm::vec3 eye, target; float speed; } cases[] = {
        {{-1200, 1100, -1200}, {0, 520, 0}, 833.85f}, {{0, 1000, 0}, {30, 0.4f, 0}, 602.3f}};
    for (auto c : cases) {
        setPose(c.eye, c.target);
        moveForward();
        glm::vec3 moved = camera.eye - c.eye;
        EXPECT_EQ(moved.y, 0.0f);
        EXPECT_NEAR(glm::length(moved), c.speed, 0.5f);
        EXPECT_NEAR(glm::dot(glm::normalize(moved), glm::normalize(glm::vec3(c.target.x - c.eye.x, 0, c.target.z - c.eye.z))), 1.0f, 1e-5f);
        EXPECT_EQ(camera.target - c.target, moved);
    }
}

TEST_F(CameraTest, VerticalViewKeepsLastRight)
{
    setPose({-100, 50, 0}, {0, 50, 0});  // right is +z
    setPose({0, 1000, 0}, {0, 0, 0});    // straight down
    EXPECT_EQ(camera.right, glm::vec3(0, 0, 1));
    deltaTime = 0.01;
    moveForward();
    EXPECT_GT(camera.eye.x, 0.0f);
    strafeRight();
    EXPECT_GT(camera.eye.z, 0.0f);
    orbitUp();
    orbitDown();
    orbitDown();
    EXPECT_TRUE(finite(camera.eye) && finite(camera.target) && finite(camera.right));
}

TEST_F(CameraTest, OrbitsKeepDistanceAndTurnTheRightWay)
{
    // Degrees per call at 0.05 s: 80, 70 and 0.18 * 145 per second.
    struct { const char* name; void (*orbit)(); float sideways, upwards, degrees; } cases[] = {
        {"left", orbitLeft, -1, 0, 4}, {"right", orbitRight, 1, 0, 4}, {"up", orbitUp, 0, 1, 3.5f},
        {"down", orbitDown, 0, -1, 3.5f}, {"tour", [] { orbitTour(0.18f); }, -1, 0, 1.305f}};
    deltaTime = 0.05;
    for (auto c : cases) {
        initCamera();
        float d = distance();
        glm::vec3 before = camera.eye, right = camera.right;
        c.orbit();
        glm::vec3 moved = camera.eye - before;
        EXPECT_NEAR(distance(), d, d * 1e-5f) << c.name;
        EXPECT_EQ(camera.target, glm::vec3(0, 520, 0)) << c.name;
        EXPECT_GT(glm::dot(moved, right) * c.sideways + moved.y * c.upwards, 1.0f) << c.name;
        // Turned angle, seen along the axis: the right vector for up/down, else vertical.
        glm::vec3 axis = c.upwards != 0 ? right : glm::vec3(0, 1, 0);
        auto across = [&](glm::vec3 v) { return glm::normalize(v - glm::dot(v, axis) * axis); };
        float turned = glm::degrees(std::acos(glm::dot(across(before - camera.target), across(camera.eye - camera.target))));
        EXPECT_NEAR(turned, c.degrees, 2e-3f) << c.name;
    }
}

TEST_F(CameraTest, OrbitUpStopsAtElevationLimit)
{
    deltaTime = 1.0 / 60.0;
    for (int frame = 0; frame < 600; ++frame) {
        orbitUp();
        ASSERT_LE((camera.eye.y - camera.target.y) / distance(), 0.9f);
    }
    EXPECT_GT((camera.eye.y - camera.target.y) / distance(), 0.88f);
    glm::vec3 eye = camera.eye, target = camera.target;
    orbitUp();
    EXPECT_TRUE(camera.eye == eye && camera.target == target);
}

TEST_F(CameraTest, OrbitDownNeverReachesFloor)
{
    setPose({-200, 60, 0}, {0, 30, 0});
    deltaTime = 0.01;
    for (int frame = 0; frame < 1000; ++frame) {
        orbitDown();
        ASSERT_GT(camera.eye.y, 1.0f);
    }
    EXPECT_LT(camera.eye.y, 5.0f);
    glm::vec3 eye = camera.eye, target = camera.target;
    orbitDown();
    EXPECT_TRUE(camera.eye == eye && camera.target == target);
}

TEST_F(CameraTest, ZoomSpeedsAtShortDistance)
{
    deltaTime = 0.01;
    setPose({0, 0, 0}, {10, 0, 0});
    zoomOut();
    EXPECT_NEAR(distance() - 10.0f, 1.0f, 1e-4f);  // 100 units per second
    setPose({0, 0, 0}, {10, 0, 0});
    zoomIn();
    EXPECT_NEAR(10.0f - distance(), 0.0374f, 1e-4f);
}

TEST_F(CameraTest, GlideMovesEyeAndTargetTogether)
{
    deltaTime = 0.5;
    setPose({0, 0, 0}, {0, 0, 100});
    glideToward({300, 400, 0}, 248.0f);
    EXPECT_LT(glm::length(camera.eye - glm::vec3(74.4f, 99.2f, 0)), 1e-3f);
    EXPECT_EQ(camera.target - camera.eye, glm::vec3(0, 0, 100));
}

TEST_F(CameraTest, SaveAndRestoreGiveBackThePose)
{
    saveState();
    setPose({1, 2, 3}, {4, 5, 6});
    camera.viewDirty = false;
    restoreState();
    EXPECT_EQ(camera.eye, glm::vec3(-1200, 1100, -1200));
    EXPECT_EQ(camera.target, glm::vec3(0, 520, 0));
    EXPECT_FALSE(camera.viewDirty);
}

}  // namespace
