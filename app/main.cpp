// Pinakora: opens the full-screen window (or, with --window WxH, one of that first size
// that the window manager may resize), builds the hall (or the exhibition of --hall, read
// before any window) and runs the frame loop until the window is closed, opening folders
// dropped on it and, with --watch, reloading the exhibition when its folder changes.
// --view opens a view V printed; --scale draws the hall at a fraction of the window, or
// "auto" to hold --target-ms; --captions shows the tour's captions, as an exhibition whose
// tour names its exhibits does by itself. --check measures an exhibition's models and
// opens no window.
#include "app/application.h"
#include "app/commandLine.h"
#include "app/console.h"
#include "app/dataFolders.h"
#include "app/exhibitionCheck.h"
#include "app/exhibitionLoading.h"
#include "app/folderWatch.h"
#include "base/frameClock.h"
#include "base/glCapabilities.h"
#include "app/viewSharing.h"
#include "app/window.h"
#include "render/renderer.h"

#include <FreeImage.h>
#include <GLFW/glfw3.h>
#include "base/glApi.h"
#include <iostream>

int main(int argc, char** argv)
{
    const ProtectedConsole console("pinakora");
    Options options;
    std::string error;
    if (!parseCommandLine(Front::Viewer, argumentList(argc, argv), options, error)) {
        std::cerr << "pinakora: " << error << std::endl;
        return 2;
    }
    if (options.help) {
        std::cout << helpText(Front::Viewer);
        return 0;
    }
    if (!options.check.empty())
        return checkExhibition(options.check, std::cout, std::cerr);

    if (!useHallOption(defaultApplication(), options.hall))
        return 2;
    const std::string mismatch = viewLinkMismatch(options.view, defaultApplication().description.tour);
    if (options.viewGiven && !mismatch.empty()) {
        std::cerr << "pinakora: --view: " << mismatch << std::endl;
        return 2;
    }

    if (!findDataFolders("pinakora"))
        return 1;

    GLFWwindow* window = glfwInit() ? openViewerWindow(options.width, options.height, true) : nullptr;
    if (!window) {
        reportWindowFailure();
        glfwTerminate();
        return 1;
    }
    if (options.width > 0) {
        const std::string refusal =
            driverSizeRefusal("--window", options.width, options.height, maximumDrawableSize());
        if (!refusal.empty()) {
            std::cerr << "pinakora: " << refusal << std::endl;
            glfwTerminate();
            return 2;
        }
    }
    FreeImage_Initialise(FALSE);
    connectKeyboard(window);  // GLFW 3 delivers key repeats as events of their own
    connectMouse(window);
    connectDrop(window, defaultApplication().droppedPaths);
    checkGLCapabilities();
    glfwSetWindowTitle(window, "Pinakora");
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);

    bool running = true;
    double previousTime = glfwGetTime();
    FrameRateCounter frameRate;

    initApplication();
    if (options.viewGiven) {
        openView(options.view);
        previousTime = glfwGetTime();
    }

    Application& application = defaultApplication();
    useRenderScale(application, options.scale);
    application.tourCaptions = options.captions == Toggle::On ? TourCaptions::On : TourCaptions::WhenNamed;
    FolderWatch watch;
    if (options.watch)
        watchFolder(watch, application.assets.exhibitionFolder, glfwGetTime());
    if (windowIsOpen()) {
        while (running) {
            std::vector<std::string> dropped;
            dropped.swap(application.droppedPaths);
            bool opened = openDroppedPaths(application, dropped);
            if (opened && options.watch)
                watchFolder(watch, application.assets.exhibitionFolder, glfwGetTime());
            if (folderChanged(watch, glfwGetTime()))
                opened = openExhibition(application, application.exhibitionPath);
            // Loading took its time: the new hall starts from this frame, not that long ago.
            if (opened)
                previousTime = glfwGetTime();
            const double now = glfwGetTime();
            const double dt = now - previousTime;
            previousTime = now;
            // Only a window of a size asked for can be resized; full screen keeps its mode.
            if (options.width > 0) {
                int width = 0, height = 0;
                glfwGetFramebufferSize(window, &width, &height);
                resizeView(application, width, height);
            }
            timeFrame(application, dt * 1000.0);
            if (options.scale.given)
                frameRate.scale = application.renderer.scale;
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
