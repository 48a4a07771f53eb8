// Start-up and 100 real frames (with and without environment captures, the tour, a key
// press and a held key) under the driver's debug output: no call of the hall may raise
// a GL error or undefined behaviour, and every frame leaves the state it promises.
#include "app/application.h"
#include "app/runLoop.h"
#include "navigation/keyboard.h"
#include "navigation/tour.h"
#include "scene/animation.h"
#include "tests/gl/hallFixture.h"
#include "tests/unit/defaultNames.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> reported;

void GLAPIENTRY collect(GLenum, GLenum type, GLuint id, GLenum severity, GLsizei, const GLchar* message,
                        const void*)
{
    if (type == GL_DEBUG_TYPE_ERROR || type == GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR ||
        type == GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR || severity == GL_DEBUG_SEVERITY_HIGH)
        reported.push_back("type 0x" + std::to_string(type) + " id " + std::to_string(id) + ": " + message);
}

using GLHygieneTest = GLTest;

// What every frame leaves for the next: the window bound, depth test (less, writing) and
// back-face culling on, all colours written, no program, vertex array or sampler bound.
void expectFrameContract()
{
    GLint value = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &value);
    EXPECT_EQ(value, 0) << "framebuffer";
    glGetIntegerv(GL_CURRENT_PROGRAM, &value);
    EXPECT_EQ(value, 0) << "program";
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &value);
    EXPECT_EQ(value, 0) << "vertex array";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LESS) << "depth function";
    GLboolean writes[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
    glGetBooleanv(GL_DEPTH_WRITEMASK, writes);
    EXPECT_TRUE(writes[0]) << "depth writes";
    glGetBooleanv(GL_COLOR_WRITEMASK, writes);
    EXPECT_TRUE(writes[0] && writes[1] && writes[2] && writes[3]) << "colour writes";
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_CUBE_MAP_SEAMLESS)) << "shadow look-ups blend across cube faces";
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_BACK);
    for (GLenum unit = 0; unit < 5; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glGetIntegerv(GL_SAMPLER_BINDING, &value);
        EXPECT_EQ(value, 0) << "sampler on unit " << unit;
    }
    glActiveTexture(GL_TEXTURE0);
}

// Runs in a process of its own (as the test command runs every test): the hall starts at
// the size given, a wide picture or a square one.
void runHundredFramesUnderDebugOutput(int width, int height)
{
    GLint flags = 0;
    glGetIntegerv(GL_CONTEXT_FLAGS, &flags);
    if (!(flags & GL_CONTEXT_FLAG_DEBUG_BIT) || !epoxy_has_gl_extension("GL_KHR_debug"))
        GTEST_SKIP() << "no debug context";
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(collect, nullptr);
    reported.clear();
    glEnable(0x7fff);  // the listener hears a deliberate error
    drainGLErrors();
    ASSERT_EQ(reported.size(), 1u);
    reported.clear();

    std::string why;
    const bool started = startHall(width, height, why);  // start-up too, when this test comes first
    if (!started) {
        glDebugMessageCallback(nullptr, nullptr);
        GTEST_SKIP() << why;
    }
    resetHallState();
    startTour();
    // 100 frames of the tour, a key press and a held key among them; the environment is
    // captured on every tenth (the captures cost the most and repeat the same calls).
    for (int frame = 0; frame < 100; ++frame) {
        environmentRefreshPending = frame % 10 == 0;
        if (frame == 40) {
            ConsoleCapture console;  // the key's parameter line
            keyHeld = [](int key) { return key == KEY_F2; };
            onKey(KEY_F2, 1);
        }
        keyHeld = [frame](int key) { return frame >= 60 && frame < 70 && key == KEY_W; };
        runFrame(1.0 / 30.0);
        expectFrameContract();
        if (::testing::Test::HasFailure())
            break;
    }
    keyHeld = nullptr;
    glFinish();
    glDebugMessageCallback(nullptr, nullptr);
    glDisable(GL_DEBUG_OUTPUT);
    resetHallState();

    for (const std::string& message : reported)
        ADD_FAILURE() << message;
    EXPECT_TRUE(drainGLErrors().empty());
}

} // namespace

TEST_F(GLHygieneTest, StartUpAndFramesRaiseNoGLError)
{
    runHundredFramesUnderDebugOutput(smallWidth, smallHeight);
}

// A square window must not pass for an environment capture anywhere.
TEST_F(GLHygieneTest, SquareWindowFramesRaiseNoGLError)
{
    runHundredFramesUnderDebugOutput(smallHeight, smallHeight);
}
