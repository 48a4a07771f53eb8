#include "app/commandLine.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>

namespace {

// A run longer than this many frames is a typing error, not a wish (and its frame
// numbers would overflow).
constexpr double maximumFrames = 1e7;

std::string shown(const std::string& text)
{
    return text.empty() ? "an empty value" : text;
}

bool allDigits(const std::string& text)
{
    if (text.empty() || text.size() > 9)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

struct Option {
    const char* name;
    bool takesValue;
    std::function<bool(const std::string& value, std::string& error)> apply;
};

// Runs the arguments through the option table; --help (or -h) ends parsing at once.
bool parseWith(const std::vector<Option>& table, const std::vector<std::string>& args, bool& help,
               std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        }
        const Option* option = nullptr;
        for (const Option& o : table)
            if (arg == o.name)
                option = &o;
        if (!option) {
            error = "unknown option " + shown(arg) + "; --help lists the options";
            return false;
        }
        std::string value;
        if (option->takesValue) {
            if (i + 1 >= args.size()) {
                error = arg + ": needs a value";
                return false;
            }
            value = args[++i];
        }
        std::string why;
        if (!option->apply(value, why)) {
            error = arg + ": " + why;
            return false;
        }
    }
    return true;
}

std::function<bool(const std::string&, std::string&)> sizeInto(int& width, int& height)
{
    return [&width, &height](const std::string& v, std::string& e) { return parseSize(v, width, height, e); };
}

std::function<bool(const std::string&, std::string&)> secondsInto(double& value, bool positive)
{
    return [&value, positive](const std::string& v, std::string& e) { return parseSeconds(v, positive, value, e); };
}

template <typename Int>
std::function<bool(const std::string&, std::string&)> numberInto(Int& value, long minimum, long maximum)
{
    return [&value, minimum, maximum](const std::string& v, std::string& e) {
        long n = 0;
        if (!parseWholeNumber(v, minimum, maximum, n, e))
            return false;
        value = static_cast<Int>(n);
        return true;
    };
}

std::function<bool(const std::string&, std::string&)> flag(bool& value)
{
    return [&value](const std::string&, std::string&) { return value = true; };
}

std::function<bool(const std::string&, std::string&)> hallInto(std::string& hall)
{
    return [&hall](const std::string& v, std::string& e) {
        hall = v;
        e = "want an exhibition folder or its exhibition.json";
        return !v.empty();
    };
}

std::function<bool(const std::string&, std::string&)> viewInto(ViewLink& view, bool& given)
{
    return [&view, &given](const std::string& v, std::string& e) { return parseViewLink(v, view, e) && (given = true); };
}

// --scale F|auto and --target-ms; `allowAuto` false where frames run on a fixed clock.
std::function<bool(const std::string&, std::string&)> scaleInto(RenderScaleOption& option, bool allowAuto)
{
    return [&option, allowAuto](const std::string& v, std::string& e) { return parseRenderScale(v, allowAuto, option, e); };
}

std::function<bool(const std::string&, std::string&)> targetInto(RenderScaleOption& option)
{
    return [&option](const std::string& v, std::string& e) { return parseTargetMs(v, option, e); };
}

std::string number(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

} // namespace

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
    error = shown(text) + " is not a size; want WxH with 1.." + std::to_string(maximumSideLength);
    return false;
}

bool parseWholeNumber(const std::string& text, long minimum, long maximum, long& value, std::string& error)
{
    const std::string digits = !text.empty() && text[0] == '-' ? text.substr(1) : text;
    const long n = allDigits(digits) ? std::atol(text.c_str()) : minimum - 1;
    if (!allDigits(digits) || n < minimum || n > maximum) {
        error = shown(text) + " is not a whole number in " + std::to_string(minimum) + ".." + std::to_string(maximum);
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
        error = shown(text) + " is not a time; want seconds " + (positive ? "> 0" : ">= 0");
        return false;
    }
    value = t;
    return true;
}

bool parseViewerOptions(const std::vector<std::string>& args, ViewerOptions& options, std::string& error)
{
    const std::vector<Option> table = {
        {"--window", true, sizeInto(options.windowWidth, options.windowHeight)},
        {"--hall", true, hallInto(options.hall)},
        {"--watch", false, flag(options.watch)},
        {"--view", true, viewInto(options.view, options.viewGiven)},
        {"--scale", true, scaleInto(options.scale, true)},
        {"--target-ms", true, targetInto(options.scale)},
        {"--captions", false, flag(options.captions)},
        {"--check", true, hallInto(options.check)},
    };
    return parseWith(table, args, options.help, error);
}

bool parseCaptureOptions(const std::vector<std::string>& args, CaptureOptions& options, std::string& error)
{
    bool stepGiven = false, fpsGiven = false, outGiven = false, sizeGiven = false;
    const auto size = sizeInto(options.width, options.height);
    const std::vector<Option> table = {
        {"--size", true, [&](const std::string& v, std::string& e) { return (sizeGiven = true) && size(v, e); }},
        {"--step", true,
         [&](const std::string& v, std::string& e) { return (stepGiven = true) && parseSeconds(v, true, options.step, e); }},
        {"--every", true, secondsInto(options.every, true)},
        {"--until", true,
         [&](const std::string& v, std::string& e) {
             return (options.untilGiven = true) && parseSeconds(v, false, options.until, e);
         }},
        {"--at", true,
         [&](const std::string& v, std::string& e) {
             std::stringstream list(v);
             std::string item;
             bool any = false;
             while (std::getline(list, item, ',')) {
                 double t = 0.0;
                 if (!parseSeconds(item, false, t, e))
                     return false;
                 options.times.push_back(t);
                 any = true;
             }
             if (!any || v.back() == ',') {
                 e = "an empty time in " + shown(v) + "; want t1,t2,... in seconds >= 0";
                 return false;
             }
             return true;
         }},
        {"--out", true,
         [&](const std::string& v, std::string& e) {
             outGiven = true;
             options.out = v;
             e = "want a folder name";
             return !v.empty();
         }},
        {"--video", true,
         [&](const std::string& v, std::string& e) {
             options.video = v;
             e = "want a file name such as tour.mp4";
             return !v.empty();
         }},
        {"--fps", true,
         [&](const std::string& v, std::string& e) {
             return (fpsGiven = true) && parseWholeNumber(v, 1, 240, options.fps, e);
         }},
        {"--hall", true, hallInto(options.hall)},
        {"--view", true, viewInto(options.view, options.viewGiven)},
        {"--captions", false, flag(options.captions)},
        {"--catalog", true,
         [&](const std::string& v, std::string& e) {
             options.catalog = v;
             e = "want a folder name";
             return !v.empty();
         }},
        {"--scale", true,
         [&](const std::string& v, std::string& e) {
             RenderScaleOption scale;
             const bool ok = parseRenderScale(v, false, scale, e);
             options.scale = scale.scale;
             return ok;
         }},
    };
    if (!parseWith(table, args, options.help, error))
        return false;
    if (options.help)
        return true;
    if (!options.catalog.empty()) {
        // The catalogue's pictures are views of the exhibits, not times of the tour.
        if (!options.video.empty() || !options.times.empty() || options.every > 0.0 || stepGiven || outGiven ||
            options.untilGiven || options.viewGiven || options.captions) {
            error = "--catalog: writes one picture per exhibit; it takes no --video, --at, --every, --step, "
                    "--until, --out, --view or --captions";
            return false;
        }
        if (!sizeGiven) {
            options.width = 960;
            options.height = 540;
        }
        return true;
    }
    if (options.video.empty()) {
        if (fpsGiven) {
            error = "--fps: only with --video";
            return false;
        }
    } else {
        // A video is every frame of the fixed clock from the start, at 1/fps seconds each.
        if (!options.times.empty() || options.every > 0.0 || stepGiven || outGiven) {
            error = "--video: records every frame up to --until at --fps; it takes no --at, --every, --step or --out";
            return false;
        }
        options.step = 1.0 / static_cast<double>(options.fps);
        if (!options.untilGiven)
            options.until = 90.0;
        if (options.until < options.step) {
            error = "--until: " + number(options.until) + " is shorter than one frame of the video";
            return false;
        }
    }
    double latest = options.until;
    for (double t : options.times)
        latest = std::max(latest, t);
    if (latest / options.step > maximumFrames) {
        error = "--step: " + number(options.step) + " s up to " + number(latest) + " s is more than " +
                number(maximumFrames) + " frames";
        return false;
    }
    if (options.every > 0.0 && options.until / options.every > maximumFrames) {
        error = "--every: " + number(options.every) + " s up to " + number(options.until) + " s is more than " +
                number(maximumFrames) + " pictures";
        return false;
    }
    return true;
}

bool parseBenchmarkOptions(const std::vector<std::string>& args, BenchmarkOptions& options, std::string& error)
{
    const std::vector<Option> table = {
        {"--frames", true, numberInto(options.frames, 1, static_cast<long>(maximumFrames))},
        {"--size", true, sizeInto(options.width, options.height)},
        {"--step", true, secondsInto(options.step, true)},
        {"--settle", true, numberInto(options.settle, 1, static_cast<long>(maximumFrames))},
        {"--trivial-ratio", false, flag(options.trivialRatio)},
        {"--json", false, flag(options.json)},
        {"--labels", false, flag(options.labels)},
        {"--hall", true, hallInto(options.hall)},
        {"--scale", true, scaleInto(options.scale, true)},
        {"--target-ms", true, targetInto(options.scale)},
    };
    return parseWith(table, args, options.help, error);
}

bool parsePageOptions(const std::vector<std::string>& args, PageOptions& options, std::vector<std::string>& problems)
{
    const std::string ignoring = "Ignoring the page parameter ";
    const std::vector<Option> table = {
        {"t", true,
         [&](const std::string& v, std::string& e) {
             return parseSeconds(v, false, options.at, e) && (options.fixedClock = true);
         }},
        {"step", true, secondsInto(options.step, true)},
        {"size", true, sizeInto(options.width, options.height)},
        {"scale", true, scaleInto(options.scale, true)},
        {"hall", true,
         [&](const std::string& v, std::string& e) {
             // A folder's name under the page's /halls, nothing that climbs or descends.
             const bool name = !v.empty() && v.size() <= 255 && v[0] != '.' &&
                               v.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-") ==
                                   std::string::npos;
             if (name)
                 options.hall = v;
             else
                 e = shown(v) + " is not an exhibition's name; want the name of its folder";
             return name;
         }},
        {"view", true, viewInto(options.view, options.viewGiven)},
        {"captions", true,
         [&](const std::string& v, std::string& e) {
             e = shown(v) + " is not a switch; want 0 or 1";
             if (v != "0" && v != "1")
                 return false;
             options.captions = v == "1" ? 1 : 0;
             return true;
         }},
    };
    const size_t before = problems.size();
    // One pair at a time, so a bad one costs only itself (the checks set nothing on failure).
    for (size_t i = 0; i < args.size(); i += 2) {
        bool known = false;
        for (const Option& o : table)
            known = known || args[i] == o.name;
        std::string error;
        bool help = false;
        const std::vector<std::string> pair(args.begin() + i, args.begin() + std::min(i + 2, args.size()));
        if (!known)
            problems.push_back(ignoring + shown(args[i]) + ": unknown; the page takes t, step, size, scale, hall, view and captions");
        else if (!parseWith(table, pair, help, error))
            problems.push_back(ignoring + error);
    }
    // As capture's --step check: beyond that many frames the page would never finish.
    if (options.fixedClock && options.at / options.step > maximumFrames) {
        if (options.at / PageOptions().step <= maximumFrames) {
            problems.push_back(ignoring + "step: " + number(options.step) + " s up to " + number(options.at) +
                               " s is more than " + number(maximumFrames) + " frames");
            options.step = PageOptions().step;
        } else {
            problems.push_back(ignoring + "t: " + number(options.at) + " s is more than " + number(maximumFrames) +
                               " frames of " + number(options.step) + " s");
            options.fixedClock = false;
            options.at = 0.0;
        }
    }
    return problems.size() == before;
}

std::vector<std::string> argumentList(int argc, char** argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
}

const char* viewerHelp()
{
    return "usage: pinakora [--window WxH] [--hall folder] [--watch] [--view TEXT]\n"
           "                [--scale F|auto] [--target-ms 33] [--captions]\n"
           "       pinakora --check folder\n"
           "\n"
           "  --window WxH   a window of that first size instead of full screen (1..8192 each)\n"
           "  --hall folder  show the exhibition in that folder (or that exhibition.json)\n"
           "                 instead of the built-in hall\n"
           "  --watch        reload the exhibition shown when a file in its folder changes\n"
           "  --view TEXT    open the view V printed: the scene stepped from 0 to its time at\n"
           "                 1/30 s a frame, the camera and settings as they were, the tour\n"
           "                 going on if it was running\n"
           "  --scale F      draw the hall at that fraction of the window (0.25..1) and stretch it\n"
           "                 over the window; auto: the fraction that holds --target-ms\n"
           "  --target-ms T  the frame time --scale auto holds (default 33)\n"
           "  --captions     show the exhibit the tour is about as subtitles while it runs (on\n"
           "                 by default when the exhibition's tour names its exhibits)\n"
           "  --check folder read the exhibition in that folder and print each model's file,\n"
           "                 size (its own units and as placed), triangles and how far its\n"
           "                 origin lies from its footprint's centre; no window opens\n"
           "  --help         this text\n"
           "\n"
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

const char* captureHelp()
{
    return "usage: capture [--size WxH] [--step seconds] [--every seconds] [--until seconds]\n"
           "               [--at t1,t2,...] [--out folder] [--hall folder] [--view TEXT]\n"
           "               [--scale F] [--captions]\n"
           "       capture --video file.mp4 [--fps 30] [--size WxH] [--until 90] [--hall folder]\n"
           "               [--view TEXT] [--captions]\n"
           "       capture --catalog folder [--size WxH] [--hall folder]\n"
           "\n"
           "Renders the tour with a fixed clock on a hidden window. Without --video it writes\n"
           "frame-<time>s.png into the folder (default captures) for every time asked for\n"
           "(default 0); with --video it encodes every frame up to --until (default 90) into\n"
           "the file, H.264 in MP4 (or what the file's extension asks for, e.g. .webp, .gif).\n"
           "Default size 1920x1080, step 1/30 s. --hall: the exhibition in that folder (or\n"
           "that exhibition.json) instead of the built-in hall.\n"
           "--view TEXT: start from the view V printed in the viewer, the scene stepped from 0\n"
           "to its time at 1/30 s a frame; its frame is time 0 (the default --at), and --at,\n"
           "--every and --until count from it. --scale F (0.25..1): the hall drawn at that\n"
           "fraction of the size and stretched over it.\n"
           "--captions: the exhibit the tour is about burnt into the frames as subtitles, and\n"
           "with --video file.vtt beside the video (WebVTT).\n"
           "--catalog folder: exhibit-NN.png from each exhibit's guide view and an index.html\n"
           "with the pictures and their captions, readable in any browser.\n";
}

const char* benchmarkHelp()
{
    return "usage: benchmark [--frames N] [--size WxH] [--step seconds] [--settle N] [--trivial-ratio] [--json]\n"
           "                 [--labels] [--hall folder] [--scale F|auto] [--target-ms 33]\n";
}

std::string driverSizeRefusal(const char* option, int width, int height, int driverLimit)
{
    if (width <= driverLimit && height <= driverLimit)
        return "";
    return std::string(option) + ": " + std::to_string(width) + "x" + std::to_string(height) +
           " is beyond this driver's limit of " + std::to_string(driverLimit) + " pixels a side";
}
