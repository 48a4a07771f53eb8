#include "app/commandLine.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

// Help lines: the option and its value, then its meaning from this column on.
constexpr size_t helpColumn = 20;
constexpr size_t helpWidth = 80;

std::string number(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

bool given(const std::vector<std::string>& names, const char* name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Capture's options that only make sense together, or not at all together.
bool checkCaptureRules(Options& options, const std::vector<std::string>& named, std::string& error)
{
    if (!options.catalog.empty()) {
        // The catalogue's pictures are views of the exhibits, not times of the tour.
        if (!options.video.empty() || !options.times.empty() || options.every > 0.0 || given(named, "--step") ||
            given(named, "--out") || options.untilGiven || options.viewGiven || options.captions != Toggle::NotGiven) {
            error = "--catalog: writes one picture per exhibit; it takes no --video, --at, --every, --step, "
                    "--until, --out, --view or --captions";
            return false;
        }
        if (!given(named, "--size")) {
            options.width = 960;
            options.height = 540;
        }
        return true;
    }
    if (options.video.empty()) {
        if (given(named, "--fps")) {
            error = "--fps: only with --video";
            return false;
        }
    } else {
        // A video is every frame of the fixed clock from the start, at 1/fps seconds each.
        if (!options.times.empty() || options.every > 0.0 || given(named, "--step") || given(named, "--out")) {
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

// As capture's --step check: beyond that many frames the page would never finish.
void keepPageClockInBounds(Options& options, std::vector<std::string>& problems, const std::string& ignoring)
{
    if (!options.fixedClock || options.stopTime / options.step <= maximumFrames)
        return;
    const double defaultStep = defaultOptions(Front::Page).step;
    if (options.stopTime / defaultStep <= maximumFrames) {
        problems.push_back(ignoring + "step: " + number(options.step) + " s up to " + number(options.stopTime) +
                           " s is more than " + number(maximumFrames) + " frames");
        options.step = defaultStep;
    } else {
        problems.push_back(ignoring + "t: " + number(options.stopTime) + " s is more than " + number(maximumFrames) +
                           " frames of " + number(options.step) + " s");
        options.fixedClock = false;
        options.stopTime = 0.0;
    }
}

// `text` broken into lines of at most helpWidth, each after `indent` columns.
std::string wrapped(const std::string& text, size_t indent)
{
    std::istringstream words(text);
    std::string word, out, line;
    while (words >> word) {
        if (!line.empty() && indent + line.size() + 1 + word.size() > helpWidth) {
            out += line + "\n" + std::string(indent, ' ');
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return out + line + "\n";
}

} // namespace

bool parseCommandLine(Front front, const std::vector<std::string>& args, Options& options, std::string& error,
                      const std::vector<OptionEntry>& table)
{
    options = defaultOptions(front);
    std::vector<std::string> named;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string arg = args[i] == "-h" ? "--help" : args[i];
        const OptionEntry* entry = nullptr;
        for (const OptionEntry& e : table)
            if (e.name && arg == e.name && takes(e, front))
                entry = &e;
        if (!entry) {
            error = "unknown option " + shownValue(arg) + "; --help lists the options";
            return false;
        }
        std::string value = "1";  // a flag or a toggle: on
        if (entry->kind == OptionKind::Value) {
            if (i + 1 >= args.size()) {
                error = arg + ": needs a value";
                return false;
            }
            value = args[++i];
        }
        std::string why;
        if (!entry->read(value, front, options, why)) {
            error = arg + ": " + why;
            return false;
        }
        if (options.help)
            return true;
        named.push_back(arg);
    }
    return front != Front::Capture || checkCaptureRules(options, named, error);
}

bool parsePageParameters(const std::vector<std::string>& args, Options& options, std::vector<std::string>& problems,
                         const std::vector<OptionEntry>& table)
{
    const std::string ignoring = "Ignoring the page parameter ";
    options = defaultOptions(Front::Page);
    std::string names;
    std::vector<const OptionEntry*> entries;
    for (const OptionEntry& e : table)
        if (e.parameter && takes(e, Front::Page))
            entries.push_back(&e);
    for (size_t k = 0; k < entries.size(); ++k)
        names += (k == 0 ? "" : k + 1 == entries.size() ? " and " : ", ") + std::string(entries[k]->parameter);

    const size_t before = problems.size();
    for (size_t i = 0; i < args.size(); i += 2) {
        const std::string& name = args[i];
        const OptionEntry* entry = nullptr;
        for (const OptionEntry* e : entries)
            if (name == e->parameter)
                entry = e;
        if (!entry) {
            problems.push_back(ignoring + shownValue(name) + ": unknown; the page takes " + names);
            continue;
        }
        if (i + 1 >= args.size()) {
            problems.push_back(ignoring + name + ": needs a value");
            continue;
        }
        const std::string& value = args[i + 1];
        std::string why;
        if (entry->kind != OptionKind::Value && value != "0" && value != "1") {
            why = shownValue(value) + " is not a switch; want 0 or 1";
        } else if (entry->kind == OptionKind::Flag && value == "0") {
            continue;
        } else {
            // A bad value costs only itself: the entry reads into a copy, kept when it is good.
            Options read = options;
            if (entry->read(value, Front::Page, read, why)) {
                options = read;
                continue;
            }
        }
        problems.push_back(ignoring + name + ": " + why);
    }
    keepPageClockInBounds(options, problems, ignoring);
    return problems.size() == before;
}

std::string helpText(Front front, const std::vector<OptionEntry>& table)
{
    std::string text = helpIntro(front);
    if (front != Front::Page)
        text += "\nOptions:\n";
    for (const OptionEntry& entry : table) {
        const char* name = front == Front::Page ? entry.parameter : entry.name;
        if (!name || !takes(entry, front))
            continue;
        std::string label = "  " + std::string(name);
        if (const char* value = valueNameFor(entry, front))
            label += " " + std::string(value);
        // A long label has its meaning on the next line.
        text += label.size() < helpColumn ? label + std::string(helpColumn - label.size(), ' ')
                                          : label + "\n" + std::string(helpColumn, ' ');
        text += wrapped(helpFor(entry, front), helpColumn);
    }
    return text + helpOutro(front);
}

std::vector<std::string> argumentList(int argc, char** argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
}

std::string driverSizeRefusal(const char* option, int width, int height, int driverLimit)
{
    if (width <= driverLimit && height <= driverLimit)
        return "";
    return std::string(option) + ": " + std::to_string(width) + "x" + std::to_string(height) +
           " is beyond this driver's limit of " + std::to_string(driverLimit) + " pixels a side";
}
