#pragma once
// The application: every owner the viewer runs on (clock, view, tour, input, hall),
// start-up in its fixed order, and the changes made between frames (another hall, a new
// view size, the render scale). The run loop (app/runLoop.h) steps its frames. The
// no-argument names reach the default application.
#include "assets/assets.h"
#include "base/frameClock.h"
#include "navigation/guide.h"
#include "navigation/keyboard.h"
#include "navigation/mouse.h"
#include "navigation/tour.h"
#include "navigation/view.h"
#include "render/renderScale.h"
#include "render/renderer.h"
#include "scene/captions.h"
#include "scene/hall.h"
#include "scene/hallTable.h"

#include <string>

struct GLFWwindow;

// When the running tour's caption is shown: never (the tools draw their own), always, or
// when the hall's tour names its exhibits.
enum class TourCaptions { Off, On, WhenNamed };

struct Application {
    Application();

    GLFWwindow* window = nullptr;
    std::vector<std::string> droppedPaths;  // dropped on the window, opened between frames
    HallDescription description;  // the hall shown, as data
    std::string exhibitionPath;   // the exhibition it was read from, as given; empty: built in
    FrameClock clock;
    View view;
    Tour tour;
    Keyboard keyboard;
    Mouse mouse;
    Guide guide;
    TourCaptions tourCaptions = TourCaptions::Off;
    RunningCues runningCues;
    Assets assets;
    Renderer renderer;
    Hall hall;
    // Moves renderer.scale between frames when the render scale is automatic.
    AutoScale autoScale;
    bool autoScaling = false;
    // Told the name of each start-up step as it finishes (the benchmark times them).
    void (*startupStepDone)(const char* step) = nullptr;
};

Application& defaultApplication();

// sRGB writes, then models, textures (the built-in ones, then an exhibition's own), camera,
// programs, render targets, scene, tour.
void initApplication();

// The default application's start-up observer.
extern void (*&startupStepDone)(const char* step);

// Deletes what start-up made on the GL side (for now the assets' buffers and textures),
// while the context is still current: before glfwTerminate.
void releaseApplication();

// Replaces the hall shown with one built from `description`: the old hall goes, the
// programs are rebuilt when the number of lights changes, the shadow and environment maps
// are made anew when the number of lights or reflecting objects does, and the tour takes
// the new script (from its start pose on the next frame, if it is running).
void showHall(Application& application, HallDescription description);

// The window's drawing area has a new size: the view and its projection's aspect follow
// at once, the view-sized targets on the next frame. A zero size (a minimised window)
// changes nothing. True when the size changed.
bool resizeView(Application& application, int width, int height);

// A fixed render scale, or the automatic one starting from 1.
void useRenderScale(Application& application, const RenderScaleOption& option);
// Tells the automatic render scale how long a frame took; nothing when it is off.
void timeFrame(Application& application, double frameMs);
