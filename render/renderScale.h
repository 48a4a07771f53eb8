#pragma once
// The render scale: the fraction of the window, each way, that the hall (lit scene, bloom,
// depth of field) is drawn at before the present pass stretches it over the whole window,
// and the control that moves it between frames to hold a frame time. No GL here.
#include <string>

constexpr double minimumRenderScale = 0.25;

// What --scale / ?scale= asks for: a fixed fraction, or "auto" holding targetMs.
struct RenderScaleOption {
    double scale = 1.0;
    bool automatic = false;
    double targetMs = 33.0;
    bool given = false;  // any of the two options named: the FPS line then shows the scale
};

// "auto" (when `automatic` is allowed) or a number from 0.25 to 1. False with `error` set
// (without the option's name) otherwise.
bool parseRenderScale(const std::string& text, bool allowAuto, RenderScaleOption& option, std::string& error);
// Milliseconds a frame may take, 1 to 10000.
bool parseTargetMs(const std::string& text, RenderScaleOption& option, std::string& error);

// A window extent at a scale: rounded, never below one pixel.
int scaledExtent(int extent, double scale);

// Moves the scale in steps once enough frames have been timed: down as soon as a second's
// frames are slower than the target allows, up again only when they are well under it,
// never back up to a scale that proved too slow within the last few seconds. The targets
// are rebuilt on each change, so changes are at least a second apart.
struct AutoScale {
    double targetMs = 33.0;
    double scale = 1.0;
    double timedMs = 0.0;   // frame times gathered since the last decision
    int timedFrames = 0;
    int framesToSkip = 3;   // start-up and a change's rebuild are not the frames to judge
    double tooSlowScale = 2.0;  // the lowest scale seen too slow lately; above 1: none
    double sinceTooSlowMs = 0.0;
};

// Feeds one frame's time; true when `control.scale` changed.
bool adjustScale(AutoScale& control, double frameMs);
