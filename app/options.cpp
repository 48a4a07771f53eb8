#include "app/options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

bool allDigits(const std::string& text)
{
    if (text.empty() || text.size() > 9)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}


using Reader = std::function<bool(const std::string&, Front, Options&, std::string&)>;

Reader size()
{
    return [](const std::string& v, Front, Options& o, std::string& e) { return parseSize(v, o.width, o.height, e); };
}

Reader seconds(double Options::*field, bool positive)
{
    return [field, positive](const std::string& v, Front, Options& o, std::string& e) {
        return parseSeconds(v, positive, o.*field, e);
    };
}

Reader wholeNumber(int Options::*field, long minimum, long maximum)
{
    return [field, minimum, maximum](const std::string& v, Front, Options& o, std::string& e) {
        long n = 0;
        if (!parseWholeNumber(v, minimum, maximum, n, e))
            return false;
        o.*field = static_cast<int>(n);
        return true;
    };
}

Reader flag(bool Options::*field)
{
    return [field](const std::string&, Front, Options& o, std::string&) { return o.*field = true; };
}

Reader name(std::string Options::*field, const char* want)
{
    return [field, want](const std::string& v, Front, Options& o, std::string& e) {
        o.*field = v;
        e = want;
        return !v.empty();
    };
}

const char* const wantExhibition = "want an exhibition folder or its exhibition.json";

// A folder's name under the page's /halls, nothing that climbs or descends.
bool isHallName(const std::string& v)
{
    const char* allowed = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-";
    return !v.empty() && v.size() <= 255 && v[0] != '.' && v.find_first_not_of(allowed) == std::string::npos;
}

std::vector<OptionEntry> makeTable()
{
    const Front V = Front::Viewer, C = Front::Capture, B = Front::Benchmark, P = Front::Page;
    using K = OptionKind;
    return {
        {"--window", nullptr, K::Value, "WxH", {V}, size(),
         "a window of that first size instead of full screen (1..8192 each); the window manager may resize it", {}},
        {nullptr, "t", K::Value, "seconds", {P},
         [](const std::string& v, Front, Options& o, std::string& e) {
             return parseSeconds(v, false, o.stopTime, e) && (o.fixedClock = true);
         },
         "draw the frames of a fixed clock up to that tour time, as capture does, and stop; otherwise the tour "
         "runs on the browser's clock",
         {}},
        {"--at", nullptr, K::Value, "t1,t2,...", {C},
         [](const std::string& v, Front, Options& o, std::string& e) {
             std::stringstream list(v);
             std::string item;
             std::vector<double> times;
             while (std::getline(list, item, ',')) {
                 double t = 0.0;
                 if (!parseSeconds(item, false, t, e))
                     return false;
                 times.push_back(t);
             }
             if (times.empty() || v.back() == ',') {
                 e = "an empty time in " + (v.empty() ? std::string("an empty value") : v) +
                     "; want t1,t2,... in seconds >= 0";
                 return false;
             }
             o.times.insert(o.times.end(), times.begin(), times.end());
             return true;
         },
         "write the frames at those tour times, in seconds (default 0)", {}},
        {"--every", nullptr, K::Value, "seconds", {C}, seconds(&Options::every, true),
         "and a frame every so many seconds up to --until", {}},
        {"--until", nullptr, K::Value, "seconds", {C},
         [](const std::string& v, Front, Options& o, std::string& e) {
             return parseSeconds(v, false, o.until, e) && (o.untilGiven = true);
         },
         "the last time of --every, and of --video (default 90, one tour)", {}},
        {"--frames", nullptr, K::Value, "N", {B}, wholeNumber(&Options::frames, 1, static_cast<long>(maximumFrames)),
         "frames to run and time (default 300)", {}},
        {"--settle", nullptr, K::Value, "N", {B}, wholeNumber(&Options::settle, 1, static_cast<long>(maximumFrames)),
         "the frame after which the memory is read the first time (default 100)", {}},
        {"--step", "step", K::Value, "seconds", {C, B, P}, seconds(&Options::step, true),
         "the fixed clock's step (default 1/30 s; with --video 1/fps)",
         {{B, "seconds", "the fixed clock's step (default 1/30 s)"},
          {P, "seconds", "the fixed clock's step (default 1)"}}},
        {"--size", "size", K::Value, "WxH", {C, B, P}, size(),
         "the frames' size, 1..8192 each (default 1920x1080; with --catalog 960x540)",
         {{B, "WxH", "the frames' size, 1..8192 each (default 1920x1080)"},
          {P, "WxH", "the canvas's size instead of the window's (1..8192 each); without it the canvas follows the "
                     "window and its device pixel ratio (up to 2)"}}},
        {"--out", nullptr, K::Value, "folder", {C}, name(&Options::out, "want a folder name"),
         "write frame-<time>s.png into that folder (default captures)", {}},
        {"--video", nullptr, K::Value, "file", {C}, name(&Options::video, "want a file name such as tour.mp4"),
         "encode every frame up to --until into the file: H.264 in MP4, or what its extension asks for "
         "(.webp, .gif, .mkv, .webm)",
         {}},
        {"--fps", nullptr, K::Value, "N", {C},
         [](const std::string& v, Front, Options& o, std::string& e) { return parseWholeNumber(v, 1, 240, o.fps, e); },
         "the video's frames a second, 1..240 (default 30)", {}},
        {"--catalog", nullptr, K::Value, "folder", {C}, name(&Options::catalog, "want a folder name"),
         "write exhibit-NN.png from each exhibit's guide view and an index.html with the pictures and their "
         "captions, readable in any browser",
         {}},
        {"--scale", "scale", K::Value, "F|auto", {V, C, B, P},
         [](const std::string& v, Front front, Options& o, std::string& e) {
             // Frames on a fixed clock must not depend on how fast the machine draws them.
             if (front == Front::Capture && v == "auto") {
                 e = "auto would make the pictures depend on this machine's speed; want a number from 0.25 to 1";
                 return false;
             }
             return parseRenderScale(v, front != Front::Capture, o.scale, e);
         },
         "draw the hall at that fraction of the window (0.25..1) and stretch it over the window; auto: the "
         "fraction that holds --target-ms",
         {{C, "F", "draw the hall at that fraction of the size (0.25..1) and stretch it over it"},
          {B, "F|auto", "draw the hall at that fraction of the size (0.25..1) and stretch it over it; auto: the "
                        "fraction that holds --target-ms"},
          {P, "F|auto", "draw the hall at that fraction of the canvas (0.25..1), or auto: the fraction that holds "
                        "a frame within 33 ms"}}},
        {"--target-ms", nullptr, K::Value, "T", {V, B},
         [](const std::string& v, Front, Options& o, std::string& e) { return parseTargetMs(v, o.scale, e); },
         "the frame time in milliseconds --scale auto holds (default 33)", {}},
        {"--hall", "hall", K::Value, "folder", {V, C, B, P},
         [](const std::string& v, Front front, Options& o, std::string& e) {
             if (front != Front::Page)
                 return name(&Options::hall, wantExhibition)(v, front, o, e);
             if (!isHallName(v)) {
                 e = (v.empty() ? std::string("an empty value") : v) +
                     " is not an exhibition's name; want the name of its folder";
                 return false;
             }
             o.hall = v;
             return true;
         },
         "show the exhibition in that folder (or that exhibition.json) instead of the built-in hall",
         {{P, "NAME", "the exhibition of that folder's name that the page was built with (tools/web.sh --hall DIR "
                      "puts it under /halls/NAME); otherwise the built-in hall"}}},
        {"--watch", nullptr, K::Flag, nullptr, {V}, flag(&Options::watch),
         "reload the exhibition shown when a file in its folder changes", {}},
        {"--view", "view", K::Value, "TEXT", {V, C, P},
         [](const std::string& v, Front, Options& o, std::string& e) {
             return parseViewLink(v, o.view, e) && (o.viewGiven = true);
         },
         "open the view V printed: the scene stepped from 0 to its time at 1/30 s a frame, the camera and "
         "settings as they were, the tour going on if it was running",
         {{C, "TEXT", "start from the view V printed in the viewer, the scene stepped from 0 to its time at 1/30 s "
                      "a frame; its frame is time 0 (the default --at), and --at, --every and --until count from it"},
          {P, "TEXT", "(the page passes #view=TEXT as this) open that view link, as pinakora --view does; with t, "
                      "the fixed clock counts from it (t=0: the view's own frame)"}}},
        {"--captions", "captions", K::Toggle, nullptr, {V, C, P},
         [](const std::string& v, Front, Options& o, std::string&) {
             o.captions = v == "1" ? Toggle::On : Toggle::Off;
             return true;
         },
         "show the exhibit the tour is about as subtitles while it runs (on by default when the exhibition's "
         "tour names its exhibits)",
         {{C, nullptr, "burn the exhibit the tour is about into the frames as subtitles, and with --video write "
                       "file.vtt beside the video (WebVTT)"},
          {P, nullptr, "the tour's caption as subtitles while it runs, off or on; by default on when the "
                       "exhibition's tour names its exhibits, but not with t"}}},
        {"--labels", nullptr, K::Flag, nullptr, {B}, flag(&Options::labels),
         "every frame with the exhibits' name tags, as after L", {}},
        {"--trivial-ratio", nullptr, K::Flag, nullptr, {B}, flag(&Options::trivialRatio),
         "repeat the run with every program replaced by a flat one and print real/trivial per pass", {}},
        {"--json", nullptr, K::Flag, nullptr, {B}, flag(&Options::json), "print the results as JSON", {}},
        {"--check", nullptr, K::Value, "folder", {V}, name(&Options::check, wantExhibition),
         "read the exhibition in that folder and print each model's file, size (its own units and as placed), "
         "triangles and how far its origin lies from its footprint's centre; no window opens",
         {}},
        {"--help", nullptr, K::Flag, nullptr, {V, C, B}, flag(&Options::help), "this text", {}},
    };
}

const FrontHelp* ownWording(const OptionEntry& entry, Front front)
{
    for (const FrontHelp& h : entry.helpFor)
        if (h.front == front)
            return &h;
    return nullptr;
}

} // namespace

Options defaultOptions(Front front)
{
    Options options;
    if (front == Front::Capture || front == Front::Benchmark) {
        options.width = 1920;
        options.height = 1080;
    }
    if (front == Front::Page)
        options.step = 1.0;
    return options;
}

std::vector<OptionEntry> optionTable()
{
    return makeTable();
}

bool takes(const OptionEntry& entry, Front front)
{
    return std::find(entry.fronts.begin(), entry.fronts.end(), front) != entry.fronts.end();
}

const char* valueNameFor(const OptionEntry& entry, Front front)
{
    if (entry.kind == OptionKind::Toggle)
        return front == Front::Page ? "0|1" : nullptr;
    const FrontHelp* own = ownWording(entry, front);
    return own ? own->valueName : entry.valueName;
}

const char* helpFor(const OptionEntry& entry, Front front)
{
    const FrontHelp* own = ownWording(entry, front);
    return own ? own->help : entry.help;
}

const char* helpIntro(Front front)
{
    switch (front) {
    case Front::Viewer:
        return "usage: pinakora [options]\n"
               "       pinakora --check folder\n"
               "\n"
               "Shows the exhibition hall (or the exhibition of --hall) in a window and runs its\n"
               "guided tour.\n";
    case Front::Capture:
        return "usage: capture [--at t1,t2,...] [--every seconds] [--until seconds] [options]\n"
               "       capture --video file.mp4 [--fps 30] [--until 90] [options]\n"
               "       capture --catalog folder [--size WxH] [--hall folder]\n"
               "\n"
               "Renders the tour with a fixed clock on a hidden window. Without --video it writes\n"
               "frame-<time>s.png into the folder (default captures) for every time asked for\n"
               "(default 0); with --video it encodes every frame up to --until (default 90).\n";
    case Front::Benchmark:
        return "usage: benchmark [options]\n"
               "\n"
               "Runs the real frame with a fixed clock on a hidden window and prints, per pass and\n"
               "for the whole frame, median and 90th-percentile times, the start-up steps and the\n"
               "memory. With --scale auto the scale follows each frame's wall time, as the viewer's\n"
               "does; the scale it ends at and the frame time it holds are reported.\n";
    case Front::Page:
        return "The page's URL parameters (?t=8&step=1&size=960x540); a bad one is named and left\n"
               "at its default:\n";
    }
    return "";
}

const char* helpOutro(Front front)
{
    if (front != Front::Viewer)
        return "";
    return "\n"
           "Keys and mouse:\n"
           "  W / Up, S / Down              walk forward, backward\n"
           "  A / Left, D / Right           step left, right\n"
           "  Left Alt + R, Left Alt + F    rise, sink\n"
           "  Left Alt + A, Left Alt + D    orbit left, right around the point looked at\n"
           "  Left Alt + W / Page Up,\n"
           "  Left Alt + S / Page Down      orbit up, down\n"
           "  E / Keypad +, Q / Keypad -    zoom in, out\n"
           "  left drag                     orbit around the point looked at\n"
           "  right drag                    walk (up, down) and step (left, right)\n"
           "  wheel                         zoom in, out\n"
           "  P                             restart the guided tour\n"
           "  Tab / Shift+Tab, click        glide to the next / previous (clicked) exhibit\n"
           "  Esc                           close the exhibit's caption panel\n"
           "  F1 / F2, F3 / F4, F5 / F6     focal depth, focal length, f-stop x1.1 / /1.1\n"
           "  F12                           save the picture as pinakora-YYYYMMDD-HHMMSS.png\n"
           "  V                             print the command that opens this view (--view)\n"
           "  L                             show or hide the exhibits' name tags\n"
           "  drop a folder or .json        show that exhibition\n"
           "\n"
           "Any navigation key or mouse move ends the tour. Close the window to quit.\n";
}

std::string shownValue(const std::string& text)
{
    return text.empty() ? "an empty value" : text;
}

bool parseSize(const std::string& text, int& width, int& height, std::string& error)
{
    const size_t x = text.find('x');
    const std::string w = x == std::string::npos ? text : text.substr(0, x);
    const std::string h = x == std::string::npos ? "" : text.substr(x + 1);
    if (allDigits(w) && allDigits(h)) {
        const long wide = std::atol(w.c_str()), high = std::atol(h.c_str());
        if (wide >= 1 && wide <= maximumSideLength && high >= 1 && high <= maximumSideLength) {
            width = static_cast<int>(wide);
            height = static_cast<int>(high);
            return true;
        }
    }
    error = shownValue(text) + " is not a size; want WxH with 1.." + std::to_string(maximumSideLength);
    return false;
}

bool parseWholeNumber(const std::string& text, long minimum, long maximum, long& value, std::string& error)
{
    const std::string digits = !text.empty() && text[0] == '-' ? text.substr(1) : text;
    const long n = allDigits(digits) ? std::atol(text.c_str()) : minimum - 1;
    if (!allDigits(digits) || n < minimum || n > maximum) {
        error = shownValue(text) + " is not a whole number in " + std::to_string(minimum) + ".." + std::to_string(maximum);
        return false;
    }
    value = n;
    return true;
}

bool parseSeconds(const std::string& text, bool positive, double& value, std::string& error)
{
    char* end = nullptr;
    errno = 0;
    const double t = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
    const bool number = !text.empty() && end && *end == '\0' && errno == 0 && std::isfinite(t);
    if (!number || t < 0.0 || (positive && t <= 0.0)) {
        error = shownValue(text) + " is not a time; want seconds " + (positive ? "> 0" : ">= 0");
        return false;
    }
    value = t;
    return true;
}
