#include "app/viewSharing.h"

#include "app/application.h"
#include "navigation/camera.h"
#include "scene/animation.h"

#include <cmath>
#include <iostream>
#include <vector>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace {

#ifndef __EMSCRIPTEN__
// Single quotes for the shell, so a path with spaces or quotes pastes as it is.
std::string quoted(const std::string& text)
{
    std::string q = "'";
    for (char c : text)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}
#endif

// The frames' steps from 0 to `time`: whole steps, then the rest, so the clock ends on it.
std::vector<double> openingSteps(double time)
{
    std::vector<double> steps;
    const long whole = static_cast<long>(std::floor(time / viewOpeningStep + 1e-9));
    for (long i = 0; i < whole; ++i)
        steps.push_back(viewOpeningStep);
    const double rest = time - static_cast<double>(whole) * viewOpeningStep;
    if (rest > 1e-9 || steps.empty())
        steps.push_back(std::max(rest, 0.0));
    return steps;
}

} // namespace

ViewLink currentViewLink()
{
    const Application& application = defaultApplication();
    return viewLinkOf(application.view, application.tour, application.clock.totalTime);
}

void shareView()
{
    const std::string text = formatViewLink(currentViewLink());
#ifdef __EMSCRIPTEN__
    EM_ASM({
        var address = location.href.split('#')[0] + '#view=' + UTF8ToString($0);
        history.replaceState(history.state, "", address);
        console.log('View: ' + address);
        if (navigator.clipboard && navigator.clipboard.writeText)
            navigator.clipboard.writeText(address).then(function () { console.log('View: copied to the clipboard'); },
                                                        function () {});
    }, text.c_str());
#else
    const std::string& hall = defaultApplication().exhibitionPath;
    std::cout << "View: pinakora " << (hall.empty() ? "" : "--hall " + quoted(hall) + " ") << "--view " << text
              << std::endl;
#endif
}

void openView(const ViewLink& link)
{
    Application& application = defaultApplication();
    // The tour stays still while the scene is stepped; the link says where it goes on.
    application.tour.mode = false;
    const std::vector<double> steps = openingSteps(link.time);
    // Only the last two frames show: the environment maps are drawn on one of them, as in
    // a run that drew every frame, and the shadows on each.
    const size_t drawnFrom = steps.size() > 2 ? steps.size() - 2 : 0;
    for (size_t i = 0; i < drawnFrom; ++i) {
        advanceClock(application.clock, steps[i]);
        spinExhibits(application.hall, steps[i]);
        application.renderer.environmentRefreshPending = !application.renderer.environmentRefreshPending;
    }
    // The exposure starts afresh at what the view shows.
    application.renderer.exposure.restart = true;
    for (size_t i = drawnFrom; i < steps.size(); ++i) {
        if (i + 1 == steps.size())
            applyViewLink(link, application.view);
        runFrame(steps[i]);
    }
    // The clock's sum of steps lands within rounding of the time; the link's time is the
    // one the tour counts from.
    application.clock.totalTime = link.time;
    application.tour.mode = link.tourRunning;
    application.tour.step = link.tourStep;
    application.tour.stepStart = static_cast<float>(link.time - link.tourSeconds);
}
