#include "render/renderScale.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

// Scales change in steps of a twentieth, so small swings of the frame time rebuild nothing.
constexpr double scaleStep = 0.05;
// Frames are judged after this much time, and over at least this many of them (the
// environment maps are drawn on every second frame: an even count sees both kinds).
constexpr double judgedMs = 1000.0;
constexpr int judgedFrames = 4;
// Slower than target * 1.1: down. Faster than target * 0.75: up, unless that scale was
// too slow within the last rememberedMs.
constexpr double slowerThan = 1.1;
constexpr double fasterThan = 0.75;
constexpr double rememberedMs = 10000.0;

// The step at or below `scale`.
double toStep(double scale)
{
    return std::clamp(std::floor(scale / scaleStep + 1e-6) * scaleStep, minimumRenderScale, 1.0);
}

bool parseNumber(const std::string& text, double& value)
{
    char* end = nullptr;
    errno = 0;
    value = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0' && errno == 0 && std::isfinite(value);
}

}  // namespace

bool parseRenderScale(const std::string& text, bool allowAuto, RenderScaleOption& option, std::string& error)
{
    double value = 0.0;
    if (allowAuto && text == "auto") {
        option.automatic = true;
    } else if (parseNumber(text, value) && value >= minimumRenderScale && value <= 1.0) {
        option.automatic = false;
        option.scale = value;
    } else {
        error = (text.empty() ? std::string("an empty value") : text) + " is not a scale; want a number from 0.25 to 1" +
                (allowAuto ? " or auto" : "");
        return false;
    }
    option.given = true;
    return true;
}

bool parseTargetMs(const std::string& text, RenderScaleOption& option, std::string& error)
{
    double value = 0.0;
    if (!parseNumber(text, value) || value < 1.0 || value > 10000.0) {
        error = (text.empty() ? std::string("an empty value") : text) +
                " is not a frame time; want milliseconds from 1 to 10000";
        return false;
    }
    option.targetMs = value;
    option.given = true;
    return true;
}

int scaledExtent(int extent, double scale)
{
    if (scale >= 1.0)
        return extent;
    return std::max(1, static_cast<int>(std::lround(extent * scale)));
}

bool adjustScale(AutoScale& c, double frameMs)
{
    if (c.framesToSkip > 0) {
        --c.framesToSkip;
        return false;
    }
    c.timedMs += frameMs;
    c.sinceTooSlowMs += frameMs;
    ++c.timedFrames;
    if (c.sinceTooSlowMs > rememberedMs)
        c.tooSlowScale = 2.0;
    if (c.timedMs < judgedMs || c.timedFrames < judgedFrames || c.timedFrames % 2 != 0)
        return false;
    const double mean = c.timedMs / c.timedFrames;
    c.timedMs = 0.0;
    c.timedFrames = 0;
    // The scaled passes cost about the square of the scale; the fixed ones make the real
    // gain smaller, which the next decisions take care of.
    double next = c.scale;
    if (mean > c.targetMs * slowerThan && c.scale > minimumRenderScale) {
        c.tooSlowScale = std::min(c.tooSlowScale, c.scale);
        c.sinceTooSlowMs = 0.0;
        next = std::min(toStep(c.scale * std::sqrt(c.targetMs / mean)), c.scale - scaleStep);
    } else if (mean < c.targetMs * fasterThan && c.scale < 1.0) {
        next = std::min(toStep(c.scale * std::sqrt(c.targetMs * 0.9 / mean)), c.scale + 0.25);
        next = std::max(c.scale, std::min(next, c.tooSlowScale - scaleStep));
    }
    next = std::clamp(next, minimumRenderScale, 1.0);
    if (std::abs(next - c.scale) < scaleStep / 2)
        return false;
    c.scale = next;
    c.framesToSkip = 1;
    return true;
}
