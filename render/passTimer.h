#pragma once
// Optional timing of the frame's passes: when a recorder is installed (the benchmark
// does), each pass is bracketed with GL timestamp queries and wall-clock readings.
// Without one, a pass scope costs a pointer test.
#include "base/glApi.h"

enum class FramePass { Shadows, Environment, Scene, Bloom, DepthOfField, Present, Count };

// What the timings call each pass; FramePass::Count is the whole frame.
inline const char* passName(FramePass pass)
{
    switch (pass) {
    case FramePass::Shadows: return "shadow maps";
    case FramePass::Environment: return "environment maps";
    case FramePass::Scene: return "lit scene";
    case FramePass::Bloom: return "bloom";
    case FramePass::DepthOfField: return "depth of field";
    case FramePass::Present: return "present";
    case FramePass::Count: break;
    }
    return "whole frame";
}

class PassRecorder {
public:
    virtual ~PassRecorder() = default;
    virtual void begin(FramePass pass) = 0;
    virtual void end(FramePass pass) = 0;
};

// A renderer's recorder (none by default) and how many pass scopes are open in it.
struct PassTiming {
    PassRecorder* recorder = nullptr;
    int openScopes = 0;
};

// Times the enclosing block as `pass`; nested scopes of other passes are not timed
// separately (the environment capture draws the scene six times inside itself).
class PassScope {
public:
    PassScope(PassTiming& timing, FramePass pass);
    ~PassScope();
    PassScope(const PassScope&) = delete;
    PassScope& operator=(const PassScope&) = delete;

private:
    PassTiming& timing;
    FramePass pass;
    bool timed;
};
