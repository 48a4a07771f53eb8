#pragma once
// One real OpenGL 3.3 core context on a hidden 1920x1080 window, shared by every GL
// test of the process. Needs a display (the test command runs under Xvfb).
#include "base/glApi.h"
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Creates the window on first use and makes its context current; null when no
// window can be opened.
GLFWwindow* sharedGLWindow();

class GLTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
};

// Drains the GL error queue; returns the codes that were pending.
std::vector<GLenum> drainGLErrors();

// Captures std::cout / std::cerr (C++ streams) and the C stdio streams while alive.
class ConsoleCapture {
public:
    ConsoleCapture();
    ~ConsoleCapture();
    std::string out();  // stops capturing stdout, returns it
    std::string err();  // stops capturing stderr, returns it
private:
    void stop();
    bool stopped = false;
    std::string outText, errText;
};

// Absolute path of the project root (shaders/, res/).
std::string sourceDir();
