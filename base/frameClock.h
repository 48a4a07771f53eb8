#pragma once
// The frame clock every motion is scaled by, the requested screen size, and the
// once-a-second frame-rate line. No GL here: the loop feeds it measured times.
#include <ostream>

struct FrameClock {
    double deltaTime = 0.0;  // seconds between the previous frame start and this one
    double totalTime = 0.0;  // sum of all deltaTime values so far
};

// The default application's clock, and the size of its view.
extern double& deltaTime;
extern double& totalTime;
extern int& screenWidth;
extern int& screenHeight;

// Starts a frame: deltaTime = dt, totalTime += dt.
void advanceClock(FrameClock& clock, double dt);
void advanceClock(double dt);

// Counts frames and writes "FPS: N" when strictly more than a second has gathered,
// taking off one second per line so the remainder carries over. A single frame longer
// than a second writes its own rate at once ("FPS: 0.48") and starts the count afresh.
struct FrameRateCounter {
    double fpsTime = 0.0;
    double fpsFrames = 0.0;
    double fpsShown = 0.0;
    // Above 0: the render scale, shown after the rate ("FPS: N scale: S").
    double scale = 0.0;

    double frameTime = 0.0;  // the last frame's own time

    void addTime(double dt)
    {
        fpsTime += dt;
        frameTime = dt;
    }
    // Call once per drawn frame; returns true when it wrote a line.
    bool endFrame(std::ostream& out);
};
