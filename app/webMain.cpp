// Pinakora in the browser: opens the canvas's WebGL 2 context, builds the hall and lets
// the browser drive the frame loop. The page hands its URL parameters over as name-value
// arguments (?t=8&step=1&size=960x540 gives t 8 step 1 size 960x540): size, t, step,
// hall, view (the page passes #view=TEXT as this), scale and captions, the entries of the
// option table the page takes (app/options.cpp); helpText(Front::Page) lists them with
// their meanings, and the page prints that list to the console after a bad one.
//
// The page hands its canvas's touches to pageTouch() below; with a fixed clock, the frame
// drawn stays to be looked around: a move redraws it at the same time. A lone tap picks
// the exhibit under it as a click does, a frame or so after the double-tap time.
//
// The page's exhibit list and panel are real HTML: the page gets the exhibits' titles
// once (Module.showExhibits) and the guide's panel whenever it changes (Module.showPanel);
// a list entry calls pageVisit(). Tab in the canvas steps through the exhibits; past the
// last one (pageTabLeaves) the page lets focus move on to the list.
//
// They pass capture's checks; a bad one is named in the console and the page's status box
// and the default takes its place.
#include "app/application.h"
#include "app/commandLine.h"
#include "app/exhibitionLoading.h"
#include "base/frameClock.h"
#include "base/glApi.h"
#include "base/glCapabilities.h"
#include "app/viewSharing.h"
#include "app/window.h"
#include "navigation/mouse.h"
#include "navigation/guide.h"
#include "navigation/touch.h"
#include "scene/captions.h"

#include <GLFW/glfw3.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <emscripten.h>
#include <emscripten/html5.h>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct WebRun {
    bool fixedClock = false;
    double step = 1.0;
    long frames = 0;
    long framesLeft = 0;
    double previousTime = 0.0;
    bool viewGiven = false;
    bool viewPending = false;  // opened on the first frame
    ViewLink view;
    FrameRateCounter frameRate;
    bool followsWindow = false;
    int windowWidth = 0;  // the window's CSS size and ratio the canvas was last fitted to
    int windowHeight = 0;
    double pixelRatio = 0.0;
    Touch touch;
    bool tourRestarted = false;  // by a double tap since the last frame
    bool visited = false;        // an exhibit of the page's list since the last frame
    std::string panelShown;      // the guide's panel as the page shows it
};

WebRun run;

// The frame's own time, as capture names its files: the first whole step reaching t.
double fixedClockTime()
{
    const double start = run.viewGiven ? run.view.time : 0.0;
    return start + static_cast<double>(run.frames) * run.step;
}

// The fixed clock's last frame is drawn: say so (the loop stays for moves after it).
void finishFixedClock()
{
    // WebGL draws in another process: reading a pixel back waits until the frame is
    // done, so the line below (screenshots are taken on it) comes after the picture.
    unsigned char pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    std::cout << "Frame at " << fixedClockTime() << " s drawn." << std::endl;
}

// After the fixed clock's frame: a move or a restarted tour draws it again, the scene's
// time standing still.
void redrawAfterInput()
{
    if (!mouseHasMotion(defaultApplication().mouse) && !run.tourRestarted && !run.visited)
        return;
    run.tourRestarted = false;
    run.visited = false;
    runFrame(0.0);
    unsigned char pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    std::cout << "Frame at " << fixedClockTime() << " s drawn again after a move."
              << std::endl;
}

void followWindow();

// The guide's panel into the page's live region, when it changed.
void showPanel()
{
    const Application& application = defaultApplication();
    const std::string text = joinLines(guidePanelLines(application.guide, application.description));
    if (text == run.panelShown)
        return;
    run.panelShown = text;
    EM_ASM({ if (Module.showPanel) Module.showPanel(UTF8ToString($0), $1); }, text.c_str(), application.guide.exhibit);
}

// The exhibits the guide can visit, "number TAB title" a line, for the page's list.
void listExhibits()
{
    const Application& application = defaultApplication();
    std::string text;
    for (size_t e = 0; e < application.guide.views.size(); ++e)
        if (application.guide.spheres[e].w > 0.0f)
            text += std::to_string(e) + "\t" + exhibitCaption(application.description, static_cast<int>(e)).title + "\n";
    EM_ASM({ if (Module.showExhibits) Module.showExhibits(UTF8ToString($0)); }, text.c_str());
}

// The canvas's drawing-buffer pixels per CSS pixel.
double bufferPixelsPerCssPixel()
{
    return EM_ASM_DOUBLE({
        var box = Module.canvas.getBoundingClientRect();
        return box.width > 0 ? Module.canvas.width / box.width : 1;
    });
}

// The guide goes to the exhibit. The fixed clock's frame stands still, so there the glide
// is ended at once, at the view, and the frame drawn again.
void visit(int exhibit)
{
    Application& application = defaultApplication();
    Camera& camera = application.view.camera;
    const double now = application.clock.totalTime;
    if (!visitExhibit(application.guide, camera, application.tour, exhibit, now))
        return;
    if (run.fixedClock && run.framesLeft <= 0) {
        updateGuide(application.guide, camera, application.tour, now + guideGlideSeconds);
        run.visited = true;
    }
}

// A tap that no second one followed picks the exhibit under it (touches are in CSS pixels,
// on the same clock as emscripten_get_now).
void pickTapped()
{
    double x = 0.0, y = 0.0;
    if (!takeTap(run.touch, emscripten_get_now() / 1000.0, x, y))
        return;
    const Application& application = defaultApplication();
    const double ratio = bufferPixelsPerCssPixel();
    visit(pickExhibit(application.guide.spheres, application.view.camera, screenWidth, screenHeight, x * ratio,
                      y * ratio));
}

void frame()
{
    pickTapped();
    showPanel();
    if (run.viewPending) {
        run.viewPending = false;
        openView(run.view);
        run.previousTime = emscripten_get_now() / 1000.0;
        if (run.fixedClock && run.framesLeft == 0)
            finishFixedClock();
        return;
    }
    if (run.fixedClock) {
        if (run.framesLeft <= 0) {
            redrawAfterInput();
            return;
        }
        runFrame(run.step);
        if (--run.framesLeft <= 0)
            finishFixedClock();
        return;
    }
    const double now = emscripten_get_now() / 1000.0;
    const double dt = now - run.previousTime;
    run.previousTime = now;
    if (run.followsWindow)
        followWindow();
    timeFrame(defaultApplication(), dt * 1000.0);
    if (run.frameRate.scale > 0.0)
        run.frameRate.scale = defaultRenderer().scale;
    run.frameRate.addTime(dt);
    runFrame(dt);
    run.frameRate.endFrame(std::cout);
}

// A line for the console and the page's status box, which keeps it in view.
void report(const std::string& line)
{
    EM_ASM({
        var text = UTF8ToString($0);
        if (Module.showProblem)
            Module.showProblem(text);
        else
            err(text);
    }, line.c_str());
}

// Why the browser refused the context, as the page heard it.
std::string contextError()
{
    char why[256] = "";
    EM_ASM({ stringToUTF8(Module.contextError || 'it gave no reason', $0, $1); }, why, sizeof why);
    return why;
}

// Gives the canvas that size and returns, in it, the drawing buffer the browser made:
// smaller than asked when the browser cannot afford it (WebGL shrinks, it does not fail).
void resizeCanvas(int& width, int& height)
{
    emscripten_set_canvas_element_size("#canvas", width, height);
    width = EM_ASM_INT({ return Module.ctx.drawingBufferWidth; });
    height = EM_ASM_INT({ return Module.ctx.drawingBufferHeight; });
}

void fitCanvasToWindow(int& width, int& height);

// The canvas's size: the page's size parameter when this browser can draw it, the
// window's size (within the same limits) otherwise.
void chooseCanvasSize(const Options& options, int& width, int& height)
{
    const int limit = maximumDrawableSize();
    if (options.width > 0) {
        std::string refusal = driverSizeRefusal("size", options.width, options.height, limit);
        if (refusal.empty()) {
            width = options.width;
            height = options.height;
            resizeCanvas(width, height);
            if (width == options.width && height == options.height) {
                run.followsWindow = false;
                return;
            }
            refusal = "size: " + std::to_string(options.width) + "x" + std::to_string(options.height) +
                      " is more than this browser will draw (it gives " + std::to_string(width) + "x" +
                      std::to_string(height) + ")";
        }
        report("Ignoring the page parameter " + refusal);
    }
    fitCanvasToWindow(width, height);
}

// The window's size in CSS pixels and its device pixel ratio, capped at 2: beyond that a
// phone would draw over twice the pixels for a difference hardly seen.
void windowMetrics(int& width, int& height, double& ratio)
{
    width = std::max(1, EM_ASM_INT({ return innerWidth; }));
    height = std::max(1, EM_ASM_INT({ return innerHeight; }));
    ratio = std::clamp(EM_ASM_DOUBLE({ return devicePixelRatio || 1; }), 1.0, 2.0);
}

// Fits the canvas to the window: a drawing buffer of the window's size times the ratio
// (within the driver's limit), shown at the window's CSS size.
void fitCanvasToWindow(int& width, int& height)
{
    const int limit = maximumDrawableSize();
    windowMetrics(run.windowWidth, run.windowHeight, run.pixelRatio);
    width = std::clamp(static_cast<int>(std::lround(run.windowWidth * run.pixelRatio)), 1, limit);
    height = std::clamp(static_cast<int>(std::lround(run.windowHeight * run.pixelRatio)), 1, limit);
    const int wanted[2] = {width, height};
    resizeCanvas(width, height);
    if (width != wanted[0] || height != wanted[1])
        resizeCanvas(width, height);  // what the browser gives, so the canvas and its buffer agree
    if (run.pixelRatio != 1.0)
        emscripten_set_element_css_size("#canvas", run.windowWidth, run.windowHeight);
}

// Between frames: a window resized, or moved to a screen of another pixel ratio, gets a
// canvas of its new size, and the view follows.
void followWindow()
{
    int cssWidth = 0, cssHeight = 0;
    double ratio = 1.0;
    windowMetrics(cssWidth, cssHeight, ratio);
    if (cssWidth == run.windowWidth && cssHeight == run.windowHeight && ratio == run.pixelRatio)
        return;
    int width = 0, height = 0;
    fitCanvasToWindow(width, height);
    emscripten_set_element_css_size("#canvas", run.windowWidth, run.windowHeight);
    if (resizeView(defaultApplication(), width, height))
        std::cout << "Canvas " << width << "x" << height << std::endl;
}

// The exhibition the page asks for in place of the built-in hall, read before start-up as
// the desktop's --hall; one the page lacks, or with an error, is named and the built-in
// hall shown.
void chooseHall(const std::string& name)
{
    if (name.empty())
        return;
    const std::string folder = "/halls/" + name;
    if (!std::filesystem::is_directory(folder)) {
        report("Ignoring the page parameter hall: this page holds no exhibition " + name);
        return;
    }
    Exhibition exhibition = readExhibition(folder);
    for (const std::string& warning : exhibition.warnings)
        std::cerr << warning << std::endl;
    if (!exhibition.error.empty()) {
        report(exhibition.error + " (the built-in hall is shown)");
        return;
    }
    useExhibition(defaultApplication(), std::move(exhibition), folder);
}

// The view of #view=, opened on the first frame; one whose tour this hall cannot follow is
// named and the default view shown.
void chooseView(const Options& options)
{
    if (!options.viewGiven)
        return;
    const std::string mismatch = viewLinkMismatch(options.view, defaultApplication().description.tour);
    if (!mismatch.empty()) {
        report("Ignoring the page parameter view: " + mismatch);
        return;
    }
    run.viewGiven = true;
    run.viewPending = true;
    run.view = options.view;
}

} // namespace

// One finger of the canvas's touch events (phase 0 start, 1 move, 2 end, 3 cancel), at
// CSS pixels from the canvas's corner, at the event's time in seconds.
extern "C" EMSCRIPTEN_KEEPALIVE void pageTouch(int phase, double id, double x, double y, double seconds)
{
    Application& application = defaultApplication();
    const long finger = static_cast<long>(id);
    if (phase == 0)
        onTouchStart(run.touch, finger, x, y, seconds);
    else if (phase == 1)
        onTouchMove(run.touch, application.mouse, finger, x, y);
    else if (phase == 2)
        run.tourRestarted = onTouchEnd(run.touch, application.tour, finger, x, y, seconds) || run.tourRestarted;
    else
        onTouchCancel(run.touch, finger);
}

// An entry of the page's exhibit list: the guide goes there.
extern "C" EMSCRIPTEN_KEEPALIVE void pageVisit(int exhibit)
{
    visit(exhibit);
}

// Whether Tab (Shift+Tab with `backwards`) in the canvas would go round past the last
// (first) exhibit: then focus moves on instead, so the canvas holds no keyboard.
extern "C" EMSCRIPTEN_KEEPALIVE int pageTabLeaves(int backwards)
{
    const Guide& guide = defaultApplication().guide;
    int first = -1, last = -1;
    for (size_t e = 0; e < guide.views.size(); ++e) {
        if (guide.spheres[e].w > 0.0f) {
            last = static_cast<int>(e);
            first = first < 0 ? last : first;
        }
    }
    if (first < 0)
        return 1;
    return backwards ? (guide.exhibit < 0 || guide.exhibit == first) : guide.exhibit == last;
}

int main(int argc, char** argv)
{
    Options options;
    std::vector<std::string> problems;
    parsePageParameters(argumentList(argc, argv), options, problems);
    for (const std::string& line : problems)
        report(line);
    if (!problems.empty())
        std::cout << helpText(Front::Page) << std::flush;
    run.fixedClock = options.fixedClock;
    run.step = options.step;
    run.followsWindow = true;
    chooseHall(options.hall);
    chooseView(options);

    // A large canvas can fail the context outright, and after one failure the browser
    // refuses WebGL to the page: the context is made small and the canvas grows after.
    glfwInit();
    GLFWwindow* window = openViewerWindow(1, 1);
    if (!window) {
        report("Failed to initialize OpenGL window: the browser made no WebGL 2 context (" + contextError() + ").");
        return 1;
    }
    int width = 0, height = 0;
    chooseCanvasSize(options, width, height);
    screenWidth = width;
    screenHeight = height;
    std::cout << "WebGL 2 context made: " << reinterpret_cast<const char*>(glGetString(GL_VERSION)) << ", "
              << width << "x" << height << std::endl;
    connectKeyboard(window);
    connectMouse(window);
    // The browser gives the cursor in the canvas's drawing-buffer pixels, touches come in CSS
    // pixels: the mouse takes CSS pixels too, so a drag turns the camera as far on a screen
    // of any pixel ratio, by mouse or by finger.
    glfwSetCursorPosCallback(window, [](GLFWwindow*, double x, double y) {
        const double perCssPixel = bufferPixelsPerCssPixel();
        defaultMouse().pixelRatio = perCssPixel;
        onCursorMoved(x / perCssPixel, y / perCssPixel);
    });
    glfwSetWindowTitle(window, "Pinakora");
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    initApplication();
    useRenderScale(defaultApplication(), options.scale);
    // The fixed clock's frame stays the plain picture unless the caption is asked for.
    if (options.captions != Toggle::NotGiven)
        defaultApplication().tourCaptions = options.captions == Toggle::On ? TourCaptions::On : TourCaptions::Off;
    else
        defaultApplication().tourCaptions = run.fixedClock ? TourCaptions::Off : TourCaptions::WhenNamed;
    if (options.scale.given)
        run.frameRate.scale = defaultRenderer().scale;
    EM_ASM(if (Module.setStatus) Module.setStatus(""););
    listExhibits();

    // Frame n ends at time n * step; the time asked for is drawn by the first frame reaching it.
    // (parsePageParameters keeps stopTime / step within a whole number of frames a long holds.)
    run.frames = std::max(run.viewGiven ? 0L : 1L, static_cast<long>(std::ceil(options.stopTime / run.step - 1e-9)));
    run.framesLeft = run.frames;
    run.previousTime = emscripten_get_now() / 1000.0;
    emscripten_set_main_loop(frame, 0, 1);
    return 0;
}
