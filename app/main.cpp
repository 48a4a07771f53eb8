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
#include "app/runLoop.h"
#include "app/window.h"
#include "base/glCapabilities.h"
#include "base/utf8Text.h"

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
        std::cerr << "pinakora: " << printableText(error) << std::endl;
        return 2;
    }
    if (options.help) {
        std::cout << helpText(Front::Viewer);
        return 0;
    }
    if (!options.check.empty())
        return checkExhibition(options.check, std::cout, std::cerr);

    RunLoop run;
    run.settings = options;
    if (!readRunHall(run.settings, error)) {
        std::cerr << printableText(error) << std::endl;
        return 2;
    }
    const std::string mismatch = runViewMismatch(run.settings);
    if (!mismatch.empty()) {
        std::cerr << "pinakora: --view: " << printableText(mismatch) << std::endl;
        return 2;
    }

    if (!findDataFolders("pinakora"))
        return 1;
    keepLargeBlocksApart();

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
    connectViewer(window);
    connectDrop(window, defaultApplication().droppedPaths);
    checkGLCapabilities();

    run.previousTime = glfwGetTime();
    startRun(run);
    if (openPendingView(run))
        run.previousTime = glfwGetTime();

    Application& application = defaultApplication();
    FolderWatch watch;
    if (options.watch)
        watchFolder(watch, application.assets.exhibitionFolder, glfwGetTime());
    if (windowIsOpen()) {
        for (bool running = true; running; running = windowIsOpen()) {
            std::vector<std::string> dropped;
            dropped.swap(application.droppedPaths);
            bool opened = openDroppedPaths(application, dropped);
            if (opened && options.watch)
                watchFolder(watch, application.assets.exhibitionFolder, glfwGetTime());
            if (folderChanged(watch, glfwGetTime()))
                opened = openExhibition(application, application.exhibitionPath);
            // Loading took its time: the new hall starts from this frame, not that long ago.
            if (opened)
                run.previousTime = glfwGetTime();
            // Only a window of a size asked for can be resized; full screen keeps its mode.
            if (options.width > 0) {
                int width = 0, height = 0;
                glfwGetFramebufferSize(window, &width, &height);
                resizeView(application, width, height);
            }
            runFrontFrame(run, glfwGetTime);
        }
    }
    releaseApplication();
    glfwTerminate();
    return 0;
}
