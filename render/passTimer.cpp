#include "render/passTimer.h"

PassScope::PassScope(PassTiming& timing, FramePass pass)
    : timing(timing), pass(pass), timed(timing.recorder && timing.openScopes == 0)
{
    ++timing.openScopes;
    if (timed)
        timing.recorder->begin(pass);
}

PassScope::~PassScope()
{
    --timing.openScopes;
    if (timed)
        timing.recorder->end(pass);
}
