// The driver check's verdict and texts, and the GL error texts, on a real context.
#include "base/glCapabilities.h"
#include "tests/gl/glTestContext.h"

struct CapabilityCase {
    GLContextInfo info;
    int verdict;
    const char* err;
};

class CapabilityCheck : public GLTest, public ::testing::WithParamInterface<CapabilityCase> {};

TEST_P(CapabilityCheck, PrintsExactShortfallAndVerdict)
{
    const CapabilityCase& c = GetParam();
    ConsoleCapture console;
    EXPECT_EQ(checkGLCapabilities(c.info), c.verdict);
    EXPECT_EQ(console.err(), c.err);
    EXPECT_EQ(console.out(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Versions, CapabilityCheck,
    ::testing::Values(
        CapabilityCase{{3, 2, true}, 0,
                       "Error: OpenGL version 3.3 not supported.\n"
                       "       Your version is 3.2.\n"
                       "       Try updating your graphics driver.\n"},
        CapabilityCase{{2, 1, false}, 0,
                       "Error: OpenGL version 3.3 not supported.\n"
                       "       Your version is 2.1.\n"
                       "       Try updating your graphics driver.\n"},
        CapabilityCase{{3, 3, false}, 0,
                       "Error: OpenGL extension ARB_gpu_shader5 not supported.\n"
                       "       Try updating your graphics driver.\n"},
        CapabilityCase{{3, 3, true}, 1, ""}, CapabilityCase{{4, 0, true}, 1, ""},
        CapabilityCase{{4, 5, true}, 1, ""}));

TEST_F(GLTest, ThisMachinesContextPassesTheCheckSilently)
{
    const GLContextInfo info = queryCurrentContext();
    EXPECT_GE(info.major * 10 + info.minor, 33);
    EXPECT_TRUE(info.hasGpuShader5);
    ConsoleCapture console;
    EXPECT_EQ(checkGLCapabilities(), 1);
    EXPECT_EQ(console.err(), "");
    // Entry points beyond 1.1 are callable afterwards.
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    EXPECT_NE(framebuffer, 0u);
    glDeleteFramebuffers(1, &framebuffer);
}

TEST(GLErrorText, EveryCodeHasItsText)
{
    EXPECT_STREQ(glErrorText(GL_NO_ERROR), "");
    EXPECT_STREQ(glErrorText(GL_INVALID_ENUM), "GL: enum argument out of range.");
    EXPECT_STREQ(glErrorText(GL_INVALID_VALUE), "GL: Numeric argument out of range.");
    EXPECT_STREQ(glErrorText(GL_INVALID_OPERATION), "GL: Operation illegal in current state.");
    EXPECT_STREQ(glErrorText(GL_OUT_OF_MEMORY), "GL: Not enough memory left to execute command.");
    EXPECT_STREQ(glErrorText(GL_INVALID_FRAMEBUFFER_OPERATION), "GL: Framebuffer object is not complete.");
    EXPECT_STREQ(glErrorText(GL_STACK_OVERFLOW), "GL: Unknown error.");
    EXPECT_STREQ(glErrorText(GL_STACK_UNDERFLOW), "GL: Unknown error.");
}

TEST_F(GLTest, ReportGLErrorPrintsOnePendingErrorPerCallAndNothingWithoutOne)
{
    {
        ConsoleCapture console;
        reportGLError();
        EXPECT_EQ(console.err(), "");
    }
    glEnable(0x1234);  // not a capability: GL_INVALID_ENUM
    GLuint unused = 0;
    glGenTextures(-1, &unused);  // negative count: GL_INVALID_VALUE, queued behind it if at all
    ConsoleCapture console;
    reportGLError();
    const std::string first = console.err();
    EXPECT_EQ(first, "GL: enum argument out of range.\n");
    drainGLErrors();
}

TEST_F(GLTest, ReportGLErrorNamesAnIllegalOperation)
{
    glBindVertexArray(0);
    glDrawArrays(GL_TRIANGLES, 0, 3);  // core profile: no vertex array bound
    ConsoleCapture console;
    reportGLError();
    EXPECT_EQ(console.err(), "GL: Operation illegal in current state.\n");
}
