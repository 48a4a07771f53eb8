// Pinakora in the browser: the page's front over the shared run loop (app/runLoop.h). It
// opens the canvas's WebGL 2 context, sizes the canvas (the size parameter, else the
// window times its device pixel ratio, up to 2, following it), runs the loop on the
// browser's clock or, with t, on the fixed clock up to that time (the frame then stays to
// be looked around: a move redraws it at the same time), and connects the page: its URL
// parameters come as name-value arguments (?t=8&step=1&size=960x540 gives t 8 step 1 size
// 960x540; the option table's entries the page takes, app/options.cpp; a bad one is named
// in the console and the page's status box and left at its default, and the console gets
// the list of parameters), its canvas's touches (pageTouch), its exhibit list
// (Module.showExhibits once, pageVisit from an entry, pageTabLeaves for Tab past the last
// exhibit) and its live region (Module.showPanel whenever the guide's panel changes).
#include "app/commandLine.h"
#include "app/runLoop.h"
#include "app/window.h"
#include "base/glApi.h"
#include "base/glCapabilities.h"
#include "base/utf8Text.h"
#include "navigation/guide.h"
#include "navigation/mouse.h"

#include <GLFW/glfw3.h>
#include <algorithm>
#include <cmath>
#include <emscripten.h>
#include <emscripten/html5.h>
#include <iostream>
#include <string>
#include <vector>

namespace {

// The page's own state around the shared run loop.
struct WebRun {
    RunLoop loop;
    bool followsWindow = true;
    int windowWidth = 0;  // the window's CSS size and ratio the canvas was last fitted to
    int windowHeight = 0;
    double pixelRatio = 0.0;
};

WebRun run;

// A fixed-clock frame is drawn. WebGL draws in another process: reading a pixel back waits
// until the frame is done, so the line (screenshots are taken on it) comes after the picture.
void sayDrawn(const std::string& line)
{
    unsigned char pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    std::cout << line << std::endl;
}

// The guide's panel into the page's live region, when it changed.
void showPanel()
{
    std::string text;
    if (panelChanged(run.loop, text))
        EM_ASM({ if (Module.showPanel) Module.showPanel(UTF8ToString($0), $1); }, text.c_str(),
               defaultApplication().guide.exhibit);
}

// The exhibits the guide can visit, "number TAB title" a line, for the page's list.
void listExhibits()
{
    const std::string text = visitableExhibitList();
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

// A line for the console and the page's status box, which keeps it in view.
void report(const std::string& text)
{
    const std::string line = printableText(text);
    EM_ASM({
        var text = UTF8ToString($0);
        if (Module.showProblem)
            Module.showProblem(text);
        else
            err(text);
    }, line.c_str());
}

// Gives the canvas that size and returns, in it, the drawing buffer the browser made:
// smaller than asked when the browser cannot afford it (WebGL shrinks, it does not fail).
void resizeCanvas(int& width, int& height)
{
    emscripten_set_canvas_element_size("#canvas", width, height);
    width = EM_ASM_INT({ return Module.ctx.drawingBufferWidth; });
    height = EM_ASM_INT({ return Module.ctx.drawingBufferHeight; });
}

// Fits the canvas to the window: a drawing buffer of the window's CSS size times its device
// pixel ratio, capped at 2 (beyond that a phone would draw over twice the pixels for a
// difference hardly seen), within the driver's limit. True when the window changed since.
bool fitCanvasToWindow(int& width, int& height)
{
    const int cssWidth = std::max(1, EM_ASM_INT({ return innerWidth; }));
    const int cssHeight = std::max(1, EM_ASM_INT({ return innerHeight; }));
    const double ratio = std::clamp(EM_ASM_DOUBLE({ return devicePixelRatio || 1; }), 1.0, 2.0);
    if (cssWidth == run.windowWidth && cssHeight == run.windowHeight && ratio == run.pixelRatio)
        return false;
    run.windowWidth = cssWidth;
    run.windowHeight = cssHeight;
    run.pixelRatio = ratio;
    const int limit = maximumDrawableSize();
    width = std::clamp(static_cast<int>(std::lround(cssWidth * ratio)), 1, limit);
    height = std::clamp(static_cast<int>(std::lround(cssHeight * ratio)), 1, limit);
    const int wanted[2] = {width, height};
    resizeCanvas(width, height);
    if (width != wanted[0] || height != wanted[1])
        resizeCanvas(width, height);  // what the browser gives, so the canvas and its buffer agree
    return true;
}

// The canvas's size: the page's size parameter when this browser can draw it, the
// window's size (within the same limits) otherwise.
void chooseCanvasSize(const Options& options, int& width, int& height)
{
    if (options.width > 0) {
        std::string refusal = driverSizeRefusal("size", options.width, options.height, maximumDrawableSize());
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
    if (run.pixelRatio != 1.0)
        emscripten_set_element_css_size("#canvas", run.windowWidth, run.windowHeight);
}

// The browser's clock, in seconds.
double pageSeconds()
{
    return emscripten_get_now() / 1000.0;
}

void frame()
{
    pickTapped(run.loop, pageSeconds(), bufferPixelsPerCssPixel());
    showPanel();
    // A window resized, or moved to a screen of another pixel ratio: the canvas and view follow.
    int width = 0, height = 0;
    if (run.followsWindow && liveFrameNext(run.loop) && fitCanvasToWindow(width, height)) {
        emscripten_set_element_css_size("#canvas", run.windowWidth, run.windowHeight);
        if (resizeView(defaultApplication(), width, height))
            std::cout << "Canvas " << width << "x" << height << std::endl;
    }
    if (const std::string drawn = runFrontFrame(run.loop, pageSeconds); !drawn.empty())
        sayDrawn(drawn);
}

} // namespace

// One finger of the canvas's touch events (phase 0 start, 1 move, 2 end, 3 cancel), at
// CSS pixels from the canvas's corner, at the event's time in seconds.
extern "C" EMSCRIPTEN_KEEPALIVE void pageTouch(int phase, double id, double x, double y, double seconds)
{
    onTouch(run.loop, phase, static_cast<long>(id), x, y, seconds);
}

// An entry of the page's exhibit list: the guide goes there.
extern "C" EMSCRIPTEN_KEEPALIVE void pageVisit(int exhibit)
{
    visit(run.loop, exhibit);
}

// Whether Tab (Shift+Tab with `backwards`) in the canvas would go round past the last
// (first) exhibit: then focus moves on instead, so the canvas holds no keyboard.
extern "C" EMSCRIPTEN_KEEPALIVE int pageTabLeaves(int backwards)
{
    return tabWrapsRound(defaultApplication().guide, backwards != 0);
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
    Options& settings = run.loop.settings;
    settings = options;
    // The exhibitions the page was built with (tools/web.sh --hall), read before start-up.
    for (const std::string& line : readPageRun(settings, "/halls"))
        report(line);

    // A large canvas can fail the context outright, and after one failure the browser
    // refuses WebGL to the page: the context is made small and the canvas grows after.
    glfwInit();
    GLFWwindow* window = openViewerWindow(1, 1);
    if (!window) {
        char why[256] = "";
        EM_ASM({ stringToUTF8(Module.contextError || 'it gave no reason', $0, $1); }, why, sizeof why);
        report("Failed to initialize OpenGL window: the browser made no WebGL 2 context (" + std::string(why) + ").");
        return 1;
    }
    int width = 0, height = 0;
    chooseCanvasSize(options, width, height);
    screenWidth = width;
    screenHeight = height;
    std::cout << "WebGL 2 context made: " << reinterpret_cast<const char*>(glGetString(GL_VERSION)) << ", "
              << width << "x" << height << std::endl;
    connectViewer(window);
    // The browser gives the cursor in the canvas's drawing-buffer pixels, touches come in CSS
    // pixels: the mouse takes CSS pixels too, so a drag turns the camera as far on a screen
    // of any pixel ratio, by mouse or by finger.
    glfwSetCursorPosCallback(window, [](GLFWwindow*, double x, double y) {
        const double perCssPixel = bufferPixelsPerCssPixel();
        defaultMouse().pixelRatio = perCssPixel;
        onCursorMoved(x / perCssPixel, y / perCssPixel);
    });
    startRun(run.loop, options.stopTime);
    EM_ASM(if (Module.setStatus) Module.setStatus(""););
    listExhibits();
    run.loop.previousTime = pageSeconds();
    emscripten_set_main_loop(frame, 0, 1);
    return 0;
}
