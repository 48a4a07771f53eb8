#pragma once
// The renderer: every GL object the passes draw with (the programs and the screen quad,
// the render targets and samplers), the text drawn over the frame, the optional pass timing, and what the window does
// once a frame is presented. releaseRenderer() deletes all of it while the context is
// still there; the destructor never calls GL.
#include "programs/programs.h"
#include "render/autoExposure.h"
#include "render/passTimer.h"
#include "render/renderTargets.h"
#include "render/overlayResources.h"

#include <functional>

struct View;

struct Renderer {
    ShaderPrograms programs;
    RenderTargets targets;
    PassTiming timing;
    TextOverlay text;
    // Called right after each frame is presented (the window swaps and polls events there).
    std::function<void()> afterPresent;
    // The environment maps are drawn on every second frame, starting with the first.
    bool environmentRefreshPending = true;
    // The fraction of the view, each way, the hall is drawn at (0.25 to 1); the present
    // pass stretches it over the whole view, whose size it keeps here.
    double scale = 1.0;
    int presentedWidth = 0;
    int presentedHeight = 0;
    // The hall's exposure, for the tone-mapped lit programs.
    ExposureState exposure;

    Renderer() = default;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;
};

// The renderer the viewer draws with and the named programs and targets refer to.
Renderer& defaultRenderer();

// Programs for `lightCount` lights, and targets for a view of width x height, the lights
// and `reflectingCount` reflecting objects.
void buildRenderer(Renderer& renderer, int lightCount, int reflectingCount, int width, int height);
void releaseRenderer(Renderer& renderer);

// measureExposure (render/autoExposure.h) of the renderer's exposure, with its programs
// and targets.
void measureExposure(Renderer& renderer, float adapt, bool makeMips);

// What the argument-free passes draw: the default view, its camera's view matrix brought
// up to date first, as viewMatrix() would.
const View& drawnDefaultView();
