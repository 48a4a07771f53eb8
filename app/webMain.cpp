// Pinakora in the browser: opens the canvas's WebGL 2 context, builds the hall and lets
// the browser drive the frame loop. The page hands its URL parameters over as arguments:
//
//   [--size WxH] [--at seconds [--step seconds]]
//
// With --at it draws the frames of a fixed clock up to that tour time, as the capture
// tool does, and then stops; otherwise it runs the tour on the browser's clock.
#include "app/application.h"
#include "app/frameClock.h"
#include "app/glApi.h"
#include "app/window.h"

#include <GLFW/glfw3.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <emscripten.h>
#include <iostream>
#include <string>

namespace {

struct WebRun {
    bool fixedClock = false;
    double at = 0.0;
    double step = 1.0 / 30.0;
    long framesLeft = 0;
    double previousTime = 0.0;
    FrameRateCounter frameRate;
};

WebRun run;

void frame()
{
    if (run.fixedClock) {
        runFrame(run.step);
        // WebGL draws in another process: reading a pixel back waits until the frame is
        // done, so the line below (screenshots are taken on it) comes after the picture.
        unsigned char pixel[4];
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        if (--run.framesLeft > 0)
            return;
        std::cout << "Frame at " << run.at << " s drawn." << std::endl;
        emscripten_cancel_main_loop();
        return;
    }
    const double now = emscripten_get_now() / 1000.0;
    const double dt = now - run.previousTime;
    run.previousTime = now;
    run.frameRate.addTime(dt);
    runFrame(dt);
    run.frameRate.endFrame(std::cout);
}

} // namespace

int main(int argc, char** argv)
{
    int width = 1280, height = 720;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const char* value = argv[i + 1];
        if (arg == "--size" && std::sscanf(value, "%dx%d", &width, &height) == 2 && width > 0 && height > 0) {
        } else if (arg == "--at") {
            run.fixedClock = true;
            run.at = std::atof(value);
        } else if (arg == "--step" && std::atof(value) > 0.0) {
            run.step = std::atof(value);
        } else {
            std::cerr << "Ignoring the page parameter " << arg << " " << value << "." << std::endl;
        }
    }
    width = std::max(1, std::min(width, 8192));
    height = std::max(1, std::min(height, 8192));

    glfwInit();
    GLFWwindow* window = openViewerWindow(width, height);
    if (!window) {
        std::cerr << "Failed to initialize OpenGL window." << std::endl;
        return 1;
    }
    std::cout << "WebGL 2 context made: " << reinterpret_cast<const char*>(glGetString(GL_VERSION)) << ", "
              << width << "x" << height << std::endl;
    connectKeyboard(window);
    glfwSetWindowTitle(window, "Pinakora");
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    initApplication();
    EM_ASM(if (Module.setStatus) Module.setStatus(""););

    // Frame n ends at time n * step; the time asked for is drawn by the first frame reaching it.
    run.framesLeft = std::max(1L, static_cast<long>(std::ceil(run.at / run.step - 1e-9)));
    run.previousTime = emscripten_get_now() / 1000.0;
    emscripten_set_main_loop(frame, 0, 1);
    return 0;
}
