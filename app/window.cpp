#include "app/window.h"

#include "base/frameClock.h"
#include "base/glCapabilities.h"
#include "app/application.h"
#include "app/screenshot.h"
#include "app/viewSharing.h"
#include "navigation/guide.h"
#include "navigation/keyboard.h"
#include "navigation/mouse.h"
#include "render/renderer.h"

#include "base/glApi.h"
#include <FreeImage.h>
#include <GLFW/glfw3.h>
#include <cstdio>
#include <iostream>

static_assert(KEY_W == GLFW_KEY_W && KEY_A == GLFW_KEY_A && KEY_P == GLFW_KEY_P, "letter keys");
static_assert(KEY_F1 == GLFW_KEY_F1 && KEY_F6 == GLFW_KEY_F6, "function keys");
static_assert(KEY_UP == GLFW_KEY_UP && KEY_PAGE_DOWN == GLFW_KEY_PAGE_DOWN, "navigation keys");
static_assert(KEY_KP_ADD == GLFW_KEY_KP_ADD && KEY_KP_SUBTRACT == GLFW_KEY_KP_SUBTRACT, "keypad");
static_assert(MOUSE_BUTTON_LEFT == GLFW_MOUSE_BUTTON_LEFT && MOUSE_BUTTON_RIGHT == GLFW_MOUSE_BUTTON_RIGHT, "buttons");
static_assert(KEY_TAB == GLFW_KEY_TAB && KEY_ESCAPE == GLFW_KEY_ESCAPE, "guide keys");
static_assert(KEY_LEFT_ALT == GLFW_KEY_LEFT_ALT && KEY_LEFT_CONTROL == GLFW_KEY_LEFT_CONTROL, "modifiers");

GLFWwindow* openViewerWindow(int requestedWidth, int requestedHeight, bool visible)
{
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    glfwWindowHint(GLFW_SAMPLES, 4);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 8);
    glfwWindowHint(GLFW_SRGB_CAPABLE, GLFW_TRUE);

    int width = requestedWidth;
    int height = requestedHeight;
    GLFWmonitor* monitor = nullptr;
    if (width <= 0 || height <= 0) {
        monitor = glfwGetPrimaryMonitor();
        const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
        if (!mode)
            return nullptr;
        width = mode->width;
        height = mode->height;
    } else if (visible) {
        glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);
    } else {
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    }
    screenWidth = width;
    screenHeight = height;
    GLFWwindow*& window = defaultApplication().window;
    window = glfwCreateWindow(width, height, "Pinakora", monitor, nullptr);
    if (window) {
        glfwMakeContextCurrent(window);
        defaultRenderer().afterPresent = swapAndPollEvents;
    }
    return window;
}

bool openHidden(int width, int height)
{
    if (!glfwInit())
        return false;
    GLFWwindow* window = openViewerWindow(width, height);
    if (!window)
        return false;
    FreeImage_Initialise(FALSE);
    checkGLCapabilities();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    return true;
}

void reportWindowFailure()
{
    GLFWwindow* plain = nullptr;
    if (glfwInit()) {
        glfwDefaultWindowHints();
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        plain = glfwCreateWindow(64, 64, "Pinakora", nullptr, nullptr);
    }
    if (!plain) {
        std::cerr << "Failed to initialize OpenGL window." << std::endl;
        return;
    }
    glfwMakeContextCurrent(plain);
    // A context older than 3.0 has no GL_MAJOR_VERSION to ask: its version string has it.
    GLContextInfo info;
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (!version || std::sscanf(version, "%d.%d", &info.major, &info.minor) != 2)
        info = GLContextInfo();
    if (info.major > 3 || (info.major == 3 && info.minor >= 3))
        info = queryCurrentContext();
    if (checkGLCapabilities(info))
        std::cerr << "Error: the driver offers OpenGL " << info.major << "." << info.minor
                  << " but no 3.3 core profile window." << std::endl;
    glfwMakeContextCurrent(nullptr);
    glfwDestroyWindow(plain);
}

namespace {

bool glfwKeyHeld(int key)
{
    GLFWwindow* window = defaultApplication().window;
    return window && glfwGetKey(window, key) == GLFW_PRESS;
}

void glfwKeyEvent(GLFWwindow*, int key, int, int action, int mods)
{
    // The event poll runs right after the frame was presented, so the picture read
    // back is the one on screen. A screenshot is no navigation: the tour goes on.
    if (key == GLFW_KEY_F12 && action == GLFW_PRESS)
        saveScreenshot();
    if (key == GLFW_KEY_V && action == GLFW_PRESS)
        shareView();
    if (action != GLFW_RELEASE)
        onGuideKey(key, (mods & GLFW_MOD_SHIFT) != 0);
    onKey(key, action);
}

void glfwButtonEvent(GLFWwindow*, int button, int action, int)
{
    onMouseButton(button, action == GLFW_PRESS);
}

void glfwCursorEvent(GLFWwindow*, double x, double y)
{
    onCursorMoved(x, y);
}

void glfwScrollEvent(GLFWwindow*, double, double yOffset)
{
    onScroll(yOffset);
}

// The poll that delivers a drop runs inside the frame; the frame loop opens them between
// frames from the list the window points at.
void glfwDropEvent(GLFWwindow* window, int count, const char** paths)
{
    auto* dropped = static_cast<std::vector<std::string>*>(glfwGetWindowUserPointer(window));
    for (int i = 0; dropped && i < count; ++i)
        dropped->emplace_back(paths[i]);
}

} // namespace

void connectKeyboard(GLFWwindow* window)
{
    defaultKeyboard().keyHeld = glfwKeyHeld;
    glfwSetKeyCallback(window, glfwKeyEvent);
}

void connectMouse(GLFWwindow* window)
{
    glfwSetMouseButtonCallback(window, glfwButtonEvent);
    glfwSetCursorPosCallback(window, glfwCursorEvent);
    glfwSetScrollCallback(window, glfwScrollEvent);
}

void connectViewer(GLFWwindow* window)
{
    connectKeyboard(window);  // GLFW 3 delivers key repeats as events of their own
    connectMouse(window);
    glfwSetWindowTitle(window, "Pinakora");
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
}

void connectDrop(GLFWwindow* window, std::vector<std::string>& dropped)
{
    glfwSetWindowUserPointer(window, &dropped);
    glfwSetDropCallback(window, glfwDropEvent);
}

void swapAndPollEvents()
{
    GLFWwindow* window = defaultApplication().window;
    if (!window)
        return;
    glfwSwapBuffers(window);
    glfwPollEvents();
}

bool windowIsOpen()
{
    GLFWwindow* window = defaultApplication().window;
    return window && !glfwWindowShouldClose(window);
}
