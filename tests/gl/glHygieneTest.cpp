// Start-up and real frames (with and without environment captures, the tour and a key
// press) under the driver's debug output: no call of the hall may raise a GL error or
// undefined behaviour.
#include "app/application.h"
#include "navigation/keyboard.h"
#include "navigation/tour.h"
#include "scene/animation.h"
#include "tests/gl/hallFixture.h"

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

TEST_F(GLHygieneTest, StartUpAndFramesRaiseNoGLError)
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
    const bool started = startHall(smallWidth, smallHeight, why);  // start-up too, when this test comes first
    if (!started) {
        glDebugMessageCallback(nullptr, nullptr);
        GTEST_SKIP() << why;
    }
    resetHallState();
    startTour();
    environmentRefreshPending = true;
    keyHeld = [](int key) { return key == KEY_F2; };
    {
        ConsoleCapture console;  // the key's parameter line
        runFrame(0.5);  // shadows, environment captures, tour, frame
        onKey(KEY_F2, 1);
        runFrame(0.5);  // shadows only, the key's new focal depth
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
