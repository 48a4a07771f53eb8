#pragma once
// The options of the viewer, capture, benchmark and the browser page as one table: each
// entry names the option on the command line and as the page's URL parameter, checks and
// stores its value, and says what it does. The parsers, the --help texts and the page's
// parameter list are all made from it (app/commandLine.h). No GL here.
#include "navigation/viewLink.h"
#include "render/renderScale.h"

#include <functional>
#include <string>
#include <vector>

// Largest width or height any of the programs accepts; the driver may allow less.
constexpr int maximumSideLength = 8192;
// A run longer than this many frames is a typing error, not a wish (and its frame
// numbers would overflow).
constexpr double maximumFrames = 1e7;

// Value checks of the option entries. Each returns false and sets `error` (without
// the option's name) when the text is not a value of the wanted kind.
bool parseSize(const std::string& text, int& width, int& height, std::string& error);
bool parseWholeNumber(const std::string& text, long minimum, long maximum, long& value, std::string& error);
// Seconds: finite, and >= 0 (or > 0 when `positive`).
bool parseSeconds(const std::string& text, bool positive, double& value, std::string& error);

// How a value is named in a line: the empty one as "an empty value".
std::string shownValue(const std::string& text);

// The programs that read options.
enum class Front { Viewer, Capture, Benchmark, Page };

// A switch a front may leave to its own default (the page's captions=0|1, --captions).
enum class Toggle { NotGiven, Off, On };

// Every front parses into this; each reads the fields of the options it takes.
struct Options {
    bool help = false;
    // --window (the viewer: 0 is full screen at the display's size), --size, the page's
    // size (0: the window's).
    int width = 0;
    int height = 0;
    std::string hall;  // an exhibition folder or its .json (the page: its folder's name); empty: the built-in hall
    bool watch = false;      // reload the exhibition shown when a file in its folder changes
    bool viewGiven = false;  // open `view` (a view link); a fixed clock then counts from it
    ViewLink view;
    RenderScaleOption scale;
    Toggle captions = Toggle::NotGiven;  // the tour's caption while it runs
    std::string check;  // set: the models of this exhibition measured, no window opened

    // The fixed clock (capture, benchmark, the page's t).
    double step = 1.0 / 30.0;
    bool fixedClock = false;  // the page's t given: the frame at `stopTime`, then stop
    double stopTime = 0.0;
    std::vector<double> times;  // --at
    double every = 0.0;
    double until = 0.0;
    bool untilGiven = false;
    std::string out = "captures";
    std::string video;  // empty: PNG frames into `out`
    long fps = 30;
    // Set: one picture per exhibit from its guide view and an index.html, into this folder.
    std::string catalog;

    // The benchmark.
    int frames = 300;
    int settle = 100;
    bool trivialRatio = false;
    bool json = false;
    bool labels = false;  // with the exhibits' name tags on, as after L
};

// The options as a front starts with them, before any is given.
Options defaultOptions(Front front);

enum class OptionKind {
    Flag,    // on the command line only, takes no value
    Toggle,  // --name on the command line (on), name=0|1 on the page
    Value,
};

// One front's own wording of an entry, where the general one does not fit it.
struct FrontHelp {
    Front front;
    const char* valueName;
    const char* help;
};

struct OptionEntry {
    const char* name;       // on the command line, "--size"; nullptr: the page's only
    const char* parameter;  // the page's URL parameter, "size"; nullptr: none
    OptionKind kind;
    const char* valueName;  // as the helps show the value, "WxH"
    std::vector<Front> fronts;
    // Checks `value` and stores it; false with `error` set (without the option's name).
    // A toggle's reader gets "1" for on and "0" for off.
    std::function<bool(const std::string& value, Front front, Options& options, std::string& error)> read;
    const char* help;
    std::vector<FrontHelp> helpFor;
};

std::vector<OptionEntry> optionTable();

bool takes(const OptionEntry& entry, Front front);
// The entry's value name and help line as `front` shows them.
const char* valueNameFor(const OptionEntry& entry, Front front);
const char* helpFor(const OptionEntry& entry, Front front);

// What a front's --help says before and after its options (usage, keys).
const char* helpIntro(Front front);
const char* helpOutro(Front front);
