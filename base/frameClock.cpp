#include "base/frameClock.h"

double deltaTime = 0.0;
double totalTime = 0.0;
int screenWidth = 0;
int screenHeight = 0;

void advanceClock(double dt)
{
    deltaTime = dt;
    totalTime += dt;
}

bool FrameRateCounter::endFrame(std::ostream& out)
{
    fpsFrames += 1.0;
    if (!(fpsTime > 1.0))
        return false;
    fpsShown = fpsFrames;
    fpsFrames = 0.0;
    fpsTime -= 1.0;
    out << "FPS: " << fpsShown << std::endl;
    return true;
}
