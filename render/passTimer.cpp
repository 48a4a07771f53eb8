#include "render/passTimer.h"

PassRecorder* passRecorder = nullptr;

namespace {
int openScopes = 0;
}

PassScope::PassScope(FramePass pass) : pass(pass), timed(passRecorder && openScopes == 0)
{
    ++openScopes;
    if (timed)
        passRecorder->begin(pass);
}

PassScope::~PassScope()
{
    --openScopes;
    if (timed)
        passRecorder->end(pass);
}
