#pragma once
// Command lines of the viewer and of the capture and benchmark tools: each is checked
// whole before any window opens, and the first bad argument comes back as one line
// that names it ("--size: 0x0 is not a size; want WxH with 1..8192"). No GL here.
#include "navigation/viewLink.h"
#include "render/renderScale.h"

#include <string>
#include <vector>

// Largest width or height any of the programs accepts; the driver may allow less.
constexpr int maximumSideLength = 8192;

// Value checks shared by the options below. Each returns false and sets `error` (without
// the option's name) when the text is not a value of the wanted kind.
bool parseSize(const std::string& text, int& width, int& height, std::string& error);
bool parseWholeNumber(const std::string& text, long minimum, long maximum, long& value, std::string& error);
// Seconds: finite, and >= 0 (or > 0 when `positive`).
bool parseSeconds(const std::string& text, bool positive, double& value, std::string& error);

struct ViewerOptions {
    int windowWidth = 0;  // 0: full screen at the display's size
    int windowHeight = 0;
    std::string hall;     // an exhibition folder or its .json; empty: the built-in hall
    bool watch = false;   // reload the exhibition shown when a file in its folder changes
    bool viewGiven = false;  // open `view` (a view link) instead of starting the tour
    ViewLink view;
    RenderScaleOption scale;
    bool captions = false;  // the tour's caption while it runs, whatever the hall's tour
    std::string check;    // set: the models of this exhibition measured, no window opened
    bool help = false;
};

struct CaptureOptions {
    int width = 1920;
    int height = 1080;
    double step = 1.0 / 30.0;
    double every = 0.0;
    double until = 0.0;
    bool untilGiven = false;
    std::vector<double> times;
    std::string out = "captures";
    std::string video;  // empty: PNG frames into `out`
    long fps = 30;
    std::string hall;
    // Start from this view: frame 0 is the view itself and the times count from it.
    bool viewGiven = false;
    ViewLink view;
    double scale = 1.0;
    // The tour's captions burnt into the frames, and with --video its WebVTT subtitles
    // beside the video.
    bool captions = false;
    // Set: one picture per exhibit from its guide view and an index.html, into this folder.
    std::string catalog;
    bool help = false;
};

struct BenchmarkOptions {
    int frames = 300;
    int width = 1920;
    int height = 1080;
    double step = 1.0 / 30.0;
    int settle = 100;
    bool trivialRatio = false;
    bool json = false;
    bool labels = false;  // with the exhibits' name tags on, as after L
    std::string hall;
    RenderScaleOption scale;
    bool help = false;
};

// The browser page's URL parameters, as name-value pairs: ?t=8&step=1&size=960x540.
struct PageOptions {
    int width = 0;  // 0: the window's size
    int height = 0;
    bool fixedClock = false;  // t given: the fixed-clock frame at t, then stop
    double at = 0.0;
    double step = 1.0;
    std::string hall;  // an exhibition the page was built with, by its folder's name; empty: the built-in hall
    bool viewGiven = false;  // #view=: open that view; t then counts from it
    ViewLink view;
    RenderScaleOption scale;
    int captions = -1;  // captions=0/1: the tour's caption off / on; -1: the page's default
};

// The arguments after the program name. False with `error` set on the first bad one.
bool parseViewerOptions(const std::vector<std::string>& args, ViewerOptions& options, std::string& error);
bool parseCaptureOptions(const std::vector<std::string>& args, CaptureOptions& options, std::string& error);
bool parseBenchmarkOptions(const std::vector<std::string>& args, BenchmarkOptions& options, std::string& error);

// The page's parameters by the same checks as capture's arguments, but a page goes on:
// each bad parameter adds one line to `problems` naming it and is left at its default.
// False when there were problems.
bool parsePageOptions(const std::vector<std::string>& args, PageOptions& options, std::vector<std::string>& problems);

std::vector<std::string> argumentList(int argc, char** argv);

// --help texts.
const char* viewerHelp();
const char* captureHelp();
const char* benchmarkHelp();

// The line printed when a size is beyond what the driver can draw (0 when it fits).
std::string driverSizeRefusal(const char* option, int width, int height, int driverLimit);
