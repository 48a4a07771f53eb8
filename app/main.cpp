// Pinakora: opens the full-screen window, builds the hall and runs the frame loop until
// the window is closed.
#include "app/application.h"
#include "app/frameClock.h"
#include "app/glCapabilities.h"
#include "app/window.h"

#include <FreeImage.h>
#include <GLFW/glfw3.h>
#include "app/glApi.h"
#include <iostream>

int main()
{
    glfwInit();
    GLFWwindow* window = openViewerWindow();
    if (!window) {
        std::cerr << "Failed to initialize OpenGL window." << std::endl;
        glfwTerminate();
        return 1;
    }
    FreeImage_Initialise(FALSE);
    connectKeyboard(window);  // GLFW 3 delivers key repeats as events of their own
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
    glfwTerminate();
    return 0;
}
