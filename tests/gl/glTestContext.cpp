#include "tests/gl/glTestContext.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>

GLFWwindow* sharedGLWindow()
{
    static GLFWwindow* window = [] {
        if (!glfwInit())
            return static_cast<GLFWwindow*>(nullptr);
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
        glfwWindowHint(GLFW_DEPTH_BITS, 24);
        glfwWindowHint(GLFW_STENCIL_BITS, 8);
        // Debug output reports every GL error as it happens (the hygiene test listens).
        glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
        GLFWwindow* w = glfwCreateWindow(1920, 1080, "Pinakora tests", nullptr, nullptr);
        if (w)
            glfwMakeContextCurrent(w);
        return w;
    }();
    if (window)
        glfwMakeContextCurrent(window);
    return window;
}

void GLTest::SetUpTestSuite()
{
    sharedGLWindow();
}

void GLTest::SetUp()
{
    if (!sharedGLWindow())
        GTEST_SKIP() << "no display: GL tests need Xvfb";
    drainGLErrors();
}

std::vector<GLenum> drainGLErrors()
{
    std::vector<GLenum> errors;
    for (GLenum e = glGetError(); e != GL_NO_ERROR && errors.size() < 64; e = glGetError())
        errors.push_back(e);
    return errors;
}

ConsoleCapture::ConsoleCapture()
{
    std::cout.flush();
    std::cerr.flush();
    std::fflush(stdout);
    std::fflush(stderr);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
}

void ConsoleCapture::stop()
{
    if (stopped)
        return;
    stopped = true;
    std::cout.flush();
    std::cerr.flush();
    outText = testing::internal::GetCapturedStdout();
    errText = testing::internal::GetCapturedStderr();
}

ConsoleCapture::~ConsoleCapture() { stop(); }
std::string ConsoleCapture::out() { stop(); return outText; }
std::string ConsoleCapture::err() { stop(); return errText; }

std::string sourceDir()
{
    return PINAKORA_SOURCE_DIR;
}
