#include "base/frameClock.h"

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
    fpsShown = fpsFrames;
    fpsFrames = 0.0;
    fpsTime -= 1.0;
    out << "FPS: " << fpsShown;
    if (scale > 0.0)
        out << " scale: " << scale;
    out << std::endl;
    return true;
}
