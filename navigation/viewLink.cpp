#include "navigation/viewLink.h"

#include "navigation/camera.h"
#include "navigation/tour.h"
#include "navigation/view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

const char* const version = "v1";
const char* const fieldNames[] = {"eye", "at", "t", "tour", "dof"};

// Beyond this a coordinate is no place in any hall, and the camera's arithmetic would
// lose the eye-target direction.
constexpr float farthestCoordinate = 1e7f;
constexpr int highestTourStep = 1000000;

// A text of any length may come in an address: at most its first 80 bytes are echoed.
std::string shown(const std::string& text)
{
    if (text.empty())
        return "an empty value";
    if (text.size() <= 80)
        return text;
    size_t cut = 80;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;  // not inside a letter
    return text.substr(0, cut) + "\xe2\x80\xa6";
}

// The fewest significant digits that read back as the same float; no exponent where
// nine digits do without one, so the usual values stay readable.
std::string floatText(float value)
{
    char text[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value && std::string(text).find('e') == std::string::npos)
            return text;
    }
    for (int digits = 1; digits < 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value)
            return text;
    }
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

// Seconds to the millisecond, without trailing zeros.
std::string secondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    std::string s = text;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    return s == "-0" ? "0" : s;
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    if (!text.empty() && text.back() == separator)
        parts.emplace_back();
    return parts;
}

// A decimal number and nothing else (no spaces, signs other than '-', hex, inf or nan).
bool numberText(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789-.e") == std::string::npos;
}

bool readFloat(const std::string& text, float& value)
{
    if (!numberText(text))
        return false;
    char* end = nullptr;
    const float v = std::strtof(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool readDouble(const std::string& text, double& value)
{
    if (!numberText(text))
        return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool readVector(const std::string& text, glm::vec3& value)
{
    const std::vector<std::string> items = split(text, ',');
    if (items.size() != 3)
        return false;
    glm::vec3 v;
    for (int i = 0; i < 3; ++i)
        if (!readFloat(items[static_cast<size_t>(i)], v[i]) || std::fabs(v[i]) > farthestCoordinate)
            return false;
    value = v;
    return true;
}

std::string vectorText(const glm::vec3& v)
{
    return floatText(v.x) + "," + floatText(v.y) + "," + floatText(v.z);
}

bool readTour(const std::string& text, ViewLink& link)
{
    if (text == "off") {
        link.tourRunning = false;
        return true;
    }
    const std::vector<std::string> items = split(text, ',');
    double step = 0.0, seconds = 0.0;
    if (items.size() != 2 || items[0].find_first_not_of("-0123456789") != std::string::npos ||
        !readDouble(items[0], step) || !readDouble(items[1], seconds))
        return false;
    if (step < -1.0 || step > highestTourStep || seconds < 0.0 || seconds > longestViewTime)
        return false;
    link.tourRunning = true;
    link.tourStep = static_cast<int>(step);
    link.tourSeconds = seconds;
    return true;
}

bool readSettings(const std::string& text, ViewLink& link)
{
    const std::vector<std::string> items = split(text, ',');
    float values[3];
    if (items.size() != 3)
        return false;
    for (int i = 0; i < 3; ++i)
        if (!readFloat(items[static_cast<size_t>(i)], values[i]) || values[i] <= 0.0f)
            return false;
    link.focalDepth = values[0];
    link.focalLength = values[1];
    link.fstop = values[2];
    return true;
}

// Checks one "name:value" part and reads its value into `link`; `why` says what is wrong.
bool readField(int field, const std::string& value, ViewLink& link, std::string& why)
{
    switch (field) {
    case 0:
        why = "eye: " + shown(value) + " is not three numbers x,y,z";
        return readVector(value, link.eye);
    case 1:
        why = "at: " + shown(value) + " is not three numbers x,y,z";
        return readVector(value, link.target);
    case 2:
        why = "t: " + shown(value) + " is not a time; want seconds in 0.." + secondsText(longestViewTime);
        return readDouble(value, link.time) && link.time >= 0.0 && link.time <= longestViewTime;
    case 3:
        why = "tour: " + shown(value) + " is not off or step,seconds (a step from -1 up, seconds >= 0)";
        return readTour(value, link);
    default:
        why = "dof: " + shown(value) + " is not three numbers > 0 (focal depth, focal length, f-stop)";
        return readSettings(value, link);
    }
}

} // namespace

std::string formatViewLink(const ViewLink& link)
{
    std::string text = std::string(version) + "_eye:" + vectorText(link.eye) + "_at:" + vectorText(link.target) +
                       "_t:" + secondsText(link.time) + "_tour:";
    if (link.tourRunning)
        text += std::to_string(link.tourStep) + "," + secondsText(link.tourSeconds);
    else
        text += "off";
    return text + "_dof:" + floatText(link.focalDepth) + "," + floatText(link.focalLength) + "," +
           floatText(link.fstop);
}

bool parseViewLink(const std::string& text, ViewLink& link, std::string& error)
{
    const std::vector<std::string> parts = split(text, '_');
    if (parts.empty() || parts[0] != version) {
        const std::string first = parts.empty() ? "" : parts[0];
        const bool versioned = first.size() > 1 && first[0] == 'v' &&
                               first.find_first_not_of("0123456789", 1) == std::string::npos;
        error = versioned ? first + " is a view link this build cannot read; it reads v1"
                          : shown(text) + " is not a view link; want one as V prints it, v1_eye:..._at:...";
        return false;
    }
    ViewLink read = link;
    const int fields = static_cast<int>(sizeof fieldNames / sizeof fieldNames[0]);
    for (int field = 0; field < fields; ++field) {
        const std::string name = std::string(fieldNames[field]) + ":";
        const size_t index = static_cast<size_t>(field) + 1;
        if (index >= parts.size()) {
            error = "the part " + name + " is missing after " + parts.back();
            return false;
        }
        const std::string& part = parts[index];
        if (part.compare(0, name.size(), name) != 0) {
            error = "want the part " + name + " where it has " + shown(part);
            return false;
        }
        if (!readField(field, part.substr(name.size()), read, error))
            return false;
    }
    if (parts.size() > static_cast<size_t>(fields) + 1) {
        error = "an extra part " + shown(parts[static_cast<size_t>(fields) + 1]) + " after dof:";
        return false;
    }
    // So close that no direction is left between them (a difference of 1e-30 squares to 0).
    if (glm::distance(glm::dvec3(read.eye), glm::dvec3(read.target)) < 1e-3) {
        error = "eye: the same point as at:, so the camera looks nowhere";
        return false;
    }
    if (read.tourRunning && read.tourSeconds > read.time + 0.0005) {
        error = "tour: " + secondsText(read.tourSeconds) + " s into the tour is later than the scene's time t:" +
                secondsText(read.time);
        return false;
    }
    link = read;
    return true;
}

std::string viewLinkMismatch(const ViewLink& link, const TourScript& script)
{
    const size_t steps = script.steps.empty() ? script.keyframes.size() : script.steps.size();
    if (!link.tourRunning || link.tourStep < static_cast<int>(steps))
        return "";
    if (steps == 0)
        return "tour: step " + std::to_string(link.tourStep) + ", but this hall has no tour";
    return "tour: step " + std::to_string(link.tourStep) + " is beyond this hall's tour of " + std::to_string(steps) +
           " steps (0.." + std::to_string(steps - 1) + ")";
}

ViewLink viewLinkOf(const View& view, const Tour& tour, double time)
{
    ViewLink link;
    link.eye = view.camera.eye;
    link.target = view.camera.target;
    link.time = time;
    link.tourRunning = tour.mode;
    link.tourStep = tour.step;
    link.tourSeconds = tour.mode ? std::max(0.0, time - static_cast<double>(tour.stepStart)) : 0.0;
    link.focalDepth = view.filters.focalDepth;
    link.focalLength = view.filters.focalLength;
    link.fstop = view.filters.fstop;
    return link;
}

void applyViewLink(const ViewLink& link, View& view)
{
    view.camera.eye = link.eye;
    view.camera.target = link.target;
    updateBasis(view.camera);
    view.filters.focalDepth = link.focalDepth;
    view.filters.focalLength = link.focalLength;
    view.filters.fstop = link.fstop;
}
