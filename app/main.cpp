// Pinakora: opens the full-screen window (or a fixed-size one with --window WxH),
// builds the hall and runs the frame loop until the window is closed.
#include "app/application.h"
#include "app/commandLine.h"
#include "app/console.h"
#include "app/dataFolders.h"
#include "base/frameClock.h"
#include "base/glCapabilities.h"
#include "app/window.h"
#include "render/renderer.h"

#include <FreeImage.h>
#include <GLFW/glfw3.h>
#include "base/glApi.h"
#include <iostream>

int main(int argc, char** argv)
{
    const ProtectedConsole console("pinakora");
    ViewerOptions options;
    std::string error;
    if (!parseViewerOptions(argumentList(argc, argv), options, error)) {
        std::cerr << "pinakora: " << error << std::endl;
        return 2;
    }
    if (options.help) {
        std::cout << viewerHelp();
        return 0;
    }

    if (!findDataFolders("pinakora"))
        return 1;

    GLFWwindow* window = glfwInit() ? openViewerWindow(options.windowWidth, options.windowHeight, true) : nullptr;
    if (!window) {
        reportWindowFailure();
        glfwTerminate();
        return 1;
    }
    if (options.windowWidth > 0) {
        const std::string refusal =
            driverSizeRefusal("--window", options.windowWidth, options.windowHeight, maximumDrawableSize());
        if (!refusal.empty()) {
            std::cerr << "pinakora: " << refusal << std::endl;
            glfwTerminate();
            return 2;
        }
    }
    FreeImage_Initialise(FALSE);
    connectKeyboard(window);  // GLFW 3 delivers key repeats as events of their own
    connectMouse(window);
    checkGLCapabilities();
    glfwSetWindowTitle(window, "Pinakora");
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);

    bool running = true;
    double previousTime = glfwGetTime();
    FrameRateCounter frameRate;

    initApplication();

    if (windowIsOpen()) {
        while (running) {
            const double now = glfwGetTime();
            const double dt = now - previousTime;
            previousTime = now;
            frameRate.addTime(dt);
            runFrame(dt);
            frameRate.endFrame(std::cout);
            running = running && windowIsOpen();
        }
    }
    releaseApplication();
    glfwTerminate();
    return 0;
}
