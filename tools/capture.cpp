// Deterministic frames of the hall: runs the real start-up and frame on a hidden window
// with a fixed clock and writes chosen frames as PNG, or every frame into a video.
//
//   capture [--size 1920x1080] [--step 0.0333333] [--every 5] [--until 90]
//           [--at t1,t2,...] [--out captures] [--captions]
//   capture --video tour.mp4 [--fps 30] [--size 1280x720] [--until 90] [--captions]
//   capture --catalog folder [--size 960x540]
//   either with [--hall folder]: that exhibition instead of the built-in hall,
//   [--view TEXT]: from that view on (its frame is time 0), and
//   [--scale F]: the hall drawn at that fraction of the size, stretched over it
//
// Exit status: 0 when everything asked for was written, 2 for bad arguments (checked
// before any window opens, as is an exhibition file with an error, with its own line; a size the driver cannot render is refused once it is
// known), 1 when the window cannot be opened or a frame could not be written.
#include "app/application.h"
#include "app/commandLine.h"
#include "app/console.h"
#include "app/dataFolders.h"
#include "app/progress.h"
#include "app/runLoop.h"
#include "app/window.h"
#include "base/glCapabilities.h"
#include "base/outputFile.h"
#include "base/utf8Text.h"
#include "render/frameCapture.h"
#include "render/renderer.h"
#include "scene/captions.h"
#include "tools/videoWriter.h"

#include <GLFW/glfw3.h>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <unistd.h>

namespace {

// The signal that asked to stop, 0 while none has.
volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int signal)
{
    stopRequested = signal;
}

int refuse(const std::string& line)
{
    std::cerr << "capture: " << line << std::endl;
    return 2;
}

// The folder must exist (made here) and take files before a single frame is rendered.
bool prepareFolder(const std::string& out, std::string& error)
{
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec) {
        error = "cannot make folder " + out + ": " + ec.message();
        return false;
    }
    if (!std::filesystem::is_directory(out, ec)) {
        error = out + " is not a folder";
        return false;
    }
    if (access(out.c_str(), W_OK | X_OK) != 0) {
        error = "cannot write into folder " + out;
        return false;
    }
    return true;
}

// One picture per exhibit from its guide view, at time 0 with the tour stopped, and the
// index page that shows them with their captions. The GL side is started already.
int writeCatalogue(const std::string& folder)
{
    Application& application = defaultApplication();
    application.tour.mode = false;
    const Guide& guide = application.guide;
    std::vector<std::pair<int, std::string>> pictures;
    int failures = 0;
    for (const int exhibit : visitableExhibits(guide)) {
        const size_t e = static_cast<size_t>(exhibit);
        Camera& camera = application.view.camera;
        camera.eye = guide.views[e].eye;
        camera.target = guide.views[e].target;
        updateBasis(camera);
        // The second frame has every surrounding's map drawn from this one's scene; the
        // exposure is measured afresh for each picture.
        application.renderer.exposure.restart = true;
        runFrame(0.0);
        runFrame(0.0);
        char name[40];
        std::snprintf(name, sizeof name, "exhibit-%02u.png", static_cast<unsigned>(e));
        const std::string path = (std::filesystem::path(folder) / name).string();
        std::string why;
        if (writePng(readPresentedFrame(), path, &why)) {
            std::cout << path << std::endl;
            pictures.emplace_back(static_cast<int>(e), name);
        } else {
            std::cerr << "Could not write " << path << ": " << why << std::endl;
            ++failures;
        }
    }
    const std::string index = (std::filesystem::path(folder) / "index.html").string();
    std::string why;
    if (!writeWholeFile(index, catalogueHtml(application.description, pictures), &why)) {
        std::cerr << "Could not write " << index << ": " << why << std::endl;
        ++failures;
    } else {
        std::cout << index << std::endl;
    }
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    const ProtectedConsole console("capture");
    Options options;
    std::string error;
    if (!parseCommandLine(Front::Capture, argumentList(argc, argv), options, error))
        return refuse(error);
    if (options.help) {
        std::cout << helpText(Front::Capture);
        return 0;
    }
    const bool video = !options.video.empty();
    RunLoop run;
    run.settings = options;
    run.settings.fixedClock = true;
    run.settings.captions = Toggle::NotGiven;  // those asked for are burnt in below, not drawn by the frame
    if (!readRunHall(run.settings, error)) {
        std::cerr << printableText(error) << std::endl;
        return 2;
    }
    const std::string mismatch = runViewMismatch(run.settings);
    if (!mismatch.empty())
        return refuse("--view: " + mismatch);
    if (!findDataFolders("capture"))
        return 1;

    const FixedClock clock = fixedClockOf(run.settings);
    // Each frame to write, with the times asked of it: the file is named by the time asked
    // for, not by the frame's own (t=0 falls to the first frame drawn, a step later).
    std::map<long, std::set<std::string>> captureFrames;
    long lastFrame = 0;
    if (video) {
        lastFrame = std::max(1L, static_cast<long>(std::floor(options.until * static_cast<double>(options.fps) + 1e-6)));
    } else {
        std::vector<double> times = options.times;
        if (options.every > 0.0)
            for (long k = 0; static_cast<double>(k) * options.every <= options.until + 1e-9; ++k)
                times.push_back(static_cast<double>(k) * options.every);
        if (times.empty())
            times.push_back(0.0);
        for (double t : times) {
            const long frame = frameAt(clock, t);
            char name[64];
            std::snprintf(name, sizeof name, "frame-%08.3fs.png", clock.start + t);
            captureFrames[frame].insert(name);
            lastFrame = std::max(lastFrame, frame);
        }
    }

    VideoWriter writer;
    if (video) {
        if (!writer.open(options.video, options.width, options.height, static_cast<int>(options.fps), error))
            return refuse("--video: " + error);
        // Interrupted, a video is unplayable: stop after the frame and remove it.
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            std::signal(signal, requestStop);
    } else if (!options.catalog.empty()) {
        if (!prepareFolder(options.catalog, error))
            return refuse("--catalog: " + error);
    } else if (!prepareFolder(options.out, error)) {
        return refuse("--out: " + error);
    }

    if (!openHidden(options.width, options.height)) {
        writer.abandon();
        reportWindowFailure();
        glfwTerminate();
        return 1;
    }
    const std::string refusal = driverSizeRefusal("--size", options.width, options.height, maximumDrawableSize());
    if (!refusal.empty()) {
        writer.abandon();
        glfwTerminate();
        return refuse(refusal);
    }
    startRun(run);

    if (!options.catalog.empty()) {
        const int status = writeCatalogue(options.catalog);
        releaseApplication();
        glfwTerminate();
        return status;
    }
    openPendingView(run);

    // The cues come from a dry run of the tour the frames below follow, so the subtitles
    // burnt into a frame and those beside the video agree. It runs on past the last frame:
    // an exhibit the tour goes on looking at has its cue up to the end.
    std::vector<TourCue> cues;
    if (options.captions == Toggle::On) {
        const Application& application = defaultApplication();
        const long lookAhead = static_cast<long>(std::ceil(shortestNearestCue / options.step));
        cues = tourCues(application.description.tour, application.tour, application.view.camera, clock.start,
                        application.hall.exhibitSpheres, options.step, clock.first, lastFrame + lookAhead);
        cues = cuesUntil(std::move(cues), static_cast<double>(lastFrame - clock.first + 1) * options.step);
    }

    int failures = 0;
    ProgressLine progress(lastFrame);
    for (long frame = clock.first; frame <= lastFrame; ++frame) {
        if (frame > 0)
            runFrame(options.step);
        // Asked in the middle of the frame's stretch, away from rounding at a cue's edge.
        const double shownAt = (static_cast<double>(frame - clock.first) + 0.5) * options.step;
        const std::string caption =
            options.captions == Toggle::On ? joinLines(cueLinesAt(cues, shownAt, defaultApplication().description)) : std::string();
        if (stopRequested) {
            progress.clear();
            writer.abandon();
            std::cerr << "capture: stopped; " << options.video << " removed" << std::endl;
            releaseApplication();
            glfwTerminate();
            return 128 + stopRequested;
        }
        if (video) {
            if (!writer.addFrame(readPresentedFrame(caption).rgba.data(), error)) {
                progress.clear();
                writer.abandon();
                std::cerr << "capture: " << options.video << ": " << error << std::endl;
                releaseApplication();
                glfwTerminate();
                return 1;
            }
        } else if (captureFrames.count(frame)) {
            progress.clear();
            const Image picture = readPresentedFrame(caption);
            for (const std::string& name : captureFrames[frame]) {
                const std::string path = (std::filesystem::path(options.out) / name).string();
                std::string why;
                if (writePng(picture, path, &why)) {
                    std::cout << path << std::endl;
                } else {
                    std::cerr << "Could not write " << path << ": " << why << std::endl;
                    ++failures;
                }
            }
        }
        progress.update(frame);
    }
    progress.finish();
    if (video) {
        if (!writer.close(error)) {
            std::cerr << "capture: " << options.video << ": " << error << std::endl;
            releaseApplication();
            glfwTerminate();
            return 1;
        }
        std::cout << options.video << std::endl;
        if (options.captions == Toggle::On) {
            const std::string subtitles = std::filesystem::path(options.video).replace_extension(".vtt").string();
            std::string why;
            if (!writeWholeFile(subtitles, webVtt(cues, defaultApplication().description), &why)) {
                std::cerr << "Could not write " << subtitles << ": " << why << std::endl;
                ++failures;
            } else {
                std::cout << subtitles << std::endl;
            }
        }
    }
    releaseApplication();
    glfwTerminate();
    return failures ? 1 : 0;
}
