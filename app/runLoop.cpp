#include "app/runLoop.h"

#include "app/exhibitionLoading.h"
#include "base/utf8Text.h"
#include "navigation/camera.h"
#include "navigation/guide.h"
#include "navigation/keyboard.h"
#include "navigation/mouse.h"
#include "navigation/tour.h"
#include "render/capturePasses.h"
#include "render/frame.h"
#include "render/renderer.h"
#include "scene/animation.h"
#include "scene/captions.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <vector>

namespace {

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

void animateFrame(Application& application)
{
    Renderer& renderer = application.renderer;
    Hall& hall = application.hall;
    const FrameClock& clock = application.clock;
    moveLights(hall, clock.totalTime);
    renderShadowCubeMaps(renderer, hall);
    spinExhibits(hall, clock.deltaTime);
    if (renderer.environmentRefreshPending) {
        renderer.environmentRefreshPending = false;
        renderEnvironmentCubeMaps(renderer, hall);
    } else {
        renderer.environmentRefreshPending = true;
    }
    Tour& tour = application.tour;
    if (tour.mode)
        updateTour(tour, application.view.camera, clock.totalTime, clock.deltaTime);
}

bool clockStopped(const RunLoop& run)
{
    return run.settings.fixedClock && run.framesLeft <= 0;
}

} // namespace

FixedClock fixedClockOf(const Options& settings)
{
    FixedClock clock;
    clock.start = settings.viewGiven ? settings.view.time : 0.0;
    clock.step = settings.step;
    clock.first = settings.viewGiven ? 0 : 1;
    return clock;
}

long frameAt(const FixedClock& clock, double t)
{
    return std::max(clock.first, static_cast<long>(std::ceil(t / clock.step - 1e-9)));
}

double timeOfFrame(const FixedClock& clock, long frame)
{
    return clock.start + static_cast<double>(frame) * clock.step;
}

bool readRunHall(const Options& settings, std::string& error)
{
    return useHallFrom(defaultApplication(), settings.hall, error);
}

std::string runViewMismatch(const Options& settings)
{
    return settings.viewGiven ? viewLinkMismatch(settings.view, defaultApplication().description.tour) : "";
}

std::vector<std::string> readPageRun(Options& settings, const std::string& root)
{
    std::vector<std::string> lines;
    const std::string name = settings.hall;
    settings.hall.clear();
    if (!name.empty() && !std::filesystem::is_directory(root + "/" + name)) {
        // The names it does hold, so a misspelt one can be put right from the line alone.
        std::vector<std::string> held;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(root, ec))
            if (entry.is_directory(ec))
                held.push_back(entry.path().filename().string());
        std::sort(held.begin(), held.end());
        std::string list;
        for (const std::string& h : held)
            list += (list.empty() ? "" : ", ") + h;
        lines.push_back("Ignoring the page parameter hall: this page holds no exhibition " + name + " (it holds " +
                        (list.empty() ? std::string("none") : list) + ")");
    } else if (!name.empty()) {
        settings.hall = root + "/" + name;
    }
    std::string error;
    if (!readRunHall(settings, error))
        lines.push_back(error + " (the built-in hall is shown)");
    const std::string mismatch = runViewMismatch(settings);
    if (!mismatch.empty()) {
        lines.push_back("Ignoring the page parameter view: " + mismatch);
        settings.viewGiven = false;
    }
    return lines;
}

TourCaptions captionsFor(Toggle asked, bool fixedClock)
{
    if (asked != Toggle::NotGiven)
        return asked == Toggle::On ? TourCaptions::On : TourCaptions::Off;
    return fixedClock ? TourCaptions::Off : TourCaptions::WhenNamed;
}

void startRun(RunLoop& run, double stopAt)
{
    initApplication();
    Application& application = defaultApplication();
    useRenderScale(application, run.settings.scale);
    application.tourCaptions = captionsFor(run.settings.captions, run.settings.fixedClock);
    if (run.settings.scale.given)
        run.frameRate.scale = application.renderer.scale;
    run.clock = fixedClockOf(run.settings);
    run.stopFrame = run.settings.fixedClock ? frameAt(run.clock, stopAt) : 0;
    run.framesLeft = run.stopFrame;
    run.viewPending = run.settings.viewGiven;
}

bool openPendingView(RunLoop& run)
{
    if (!run.viewPending)
        return false;
    run.viewPending = false;
    openView(run.settings.view);
    return true;
}

void runFrame(double dt)
{
    advanceClock(dt);
    defaultRenderer().exposure.frameSeconds = dt;
    processInput();
    processMouse();
    Application& application = defaultApplication();
    double x = 0.0, y = 0.0;
    if (takeClick(application.mouse, x, y)) {
        const double ratio = application.mouse.pixelRatio;
        visitExhibit(application.guide, application.view.camera, application.tour, exhibitAt(x * ratio, y * ratio),
                     application.clock.totalTime);
    }
    updateGuide();
    application.view.panel = joinLines(guidePanelLines(application.guide, application.description));
    animateScene();
    const TourCaptions captions = application.tourCaptions;
    const bool cues = captions == TourCaptions::On ||
                      (captions == TourCaptions::WhenNamed && tourNamesExhibits(application.description.tour));
    application.view.cue = cues ? joinLines(runningCueLines(application.runningCues, application.description,
                                                            application.tour, application.view.camera,
                                                            application.clock.totalTime, application.hall.exhibitSpheres))
                                : std::string();
    renderFrame();
}

void animateScene()
{
    animateFrame(defaultApplication());
}

void runLiveFrame(RunLoop& run, double dt)
{
    Application& application = defaultApplication();
    timeFrame(application, dt * 1000.0);
    if (run.settings.scale.given)
        run.frameRate.scale = application.renderer.scale;
    run.frameRate.addTime(dt);
    runFrame(dt);
    run.frameRate.endFrame(std::cout);
}

FixedTick tickFixedClock(RunLoop& run)
{
    if (run.framesLeft > 0) {
        runFrame(run.clock.step);
        return --run.framesLeft > 0 ? FixedTick::Stepped : FixedTick::Reached;
    }
    if (!mouseHasMotion(defaultApplication().mouse) && !run.redrawWanted)
        return FixedTick::Still;
    run.redrawWanted = false;
    runFrame(0.0);
    return FixedTick::Redrawn;
}

bool liveFrameNext(const RunLoop& run)
{
    return !run.viewPending && !run.settings.fixedClock;
}

std::string runFrontFrame(RunLoop& run, double (*seconds)())
{
    const char* after = nullptr;
    if (openPendingView(run)) {
        run.previousTime = seconds();
        if (run.settings.fixedClock && run.framesLeft == 0)
            after = ".";
    } else if (run.settings.fixedClock) {
        const FixedTick tick = tickFixedClock(run);
        if (tick == FixedTick::Reached || tick == FixedTick::Redrawn)
            after = tick == FixedTick::Reached ? "." : " again after a move.";
    } else {
        const double now = seconds();
        const double dt = now - run.previousTime;
        run.previousTime = now;
        runLiveFrame(run, dt);
    }
    if (!after)
        return "";
    std::ostringstream line;
    line << "Frame at " << timeOfFrame(run.clock, run.stopFrame) << " s drawn" << after;
    return line.str();
}

std::string visitableExhibitList()
{
    const Application& application = defaultApplication();
    std::string text;
    for (const int e : visitableExhibits(application.guide))
        text += std::to_string(e) + "\t" + printableText(exhibitCaption(application.description, e).title) + "\n";
    return text;
}

bool panelChanged(RunLoop& run, std::string& text)
{
    const Application& application = defaultApplication();
    // A line each, as the page shows them: a caption's own line breaks stay inside its line.
    std::vector<std::string> lines = guidePanelLines(application.guide, application.description);
    for (std::string& line : lines)
        line = printableText(line);
    text = joinLines(lines);
    if (text == run.panelShown)
        return false;
    run.panelShown = text;
    return true;
}

int exhibitAt(double x, double y)
{
    const Application& application = defaultApplication();
    return pickExhibit(application.guide.spheres, application.view.camera, application.view.width,
                       application.view.height, x, y);
}

bool visit(RunLoop& run, int exhibit)
{
    Application& application = defaultApplication();
    Camera& camera = application.view.camera;
    const double now = application.clock.totalTime;
    if (!visitExhibit(application.guide, camera, application.tour, exhibit, now))
        return false;
    if (clockStopped(run)) {
        updateGuide(application.guide, camera, application.tour, now + guideGlideSeconds);
        run.redrawWanted = true;
    }
    return true;
}

void pickTapped(RunLoop& run, double seconds, double pixelRatio)
{
    double x = 0.0, y = 0.0;
    if (takeTap(run.touch, seconds, x, y))
        visit(run, exhibitAt(x * pixelRatio, y * pixelRatio));
}

void onTouch(RunLoop& run, int phase, long finger, double x, double y, double seconds)
{
    Application& application = defaultApplication();
    if (phase == 0)
        onTouchStart(run.touch, finger, x, y, seconds);
    else if (phase == 1)
        onTouchMove(run.touch, application.mouse, finger, x, y);
    else if (phase == 2)
        run.redrawWanted = onTouchEnd(run.touch, application.tour, finger, x, y, seconds) || run.redrawWanted;
    else
        onTouchCancel(run.touch, finger);
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
