#include "base/frameClock.h"

#include <sstream>

void advanceClock(FrameClock& clock, double dt)
{
    clock.deltaTime = dt;
    clock.totalTime += dt;
}

bool FrameRateCounter::endFrame(std::ostream& out)
{
    fpsFrames += 1.0;
    if (!(fpsTime > 1.0))
        return false;
    if (frameTime > 1.0) {
        // Counted by the second, such a frame would read 1 once per second it took.
        fpsShown = 1.0 / frameTime;
        fpsFrames = 0.0;
        fpsTime = 0.0;
        std::ostringstream rate;
        rate.precision(2);
        rate << fpsShown;
        out << "FPS: " << rate.str();
    } else {
        fpsShown = fpsFrames;
        fpsFrames = 0.0;
        fpsTime -= 1.0;
        out << "FPS: " << fpsShown;
    }
    if (scale > 0.0)
        out << " scale: " << scale;
    out << std::endl;
    return true;
}
