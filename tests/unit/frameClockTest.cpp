// The frame-rate line: strictly more than one second, one second taken off per line; a
// frame longer than a second says its own rate.
// The fixed clock's frames, as capture names its files and the page says its frame drawn.
// The frame loop's look at a watched folder: twice a second, each change once.
#include "app/folderWatch.h"
#include "app/runLoop.h"
#include "base/frameClock.h"
#include "render/renderScale.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <string>
#include <vector>

// Frames longer than a second each print their own rate once, the first (carrying the
// whole start-up) among them; quicker frames go back to a whole count once a second.
TEST(FrameRateCounter, AFrameLongerThanASecondPrintsItsTrueRateOnce)
{
    struct Case {
        const char* name;
        std::vector<double> frames;  // seconds each
        const char* expected;
    };
    const Case cases[] = {
        {"long start-up, then fast", {5.3, 0.01, 0.01, 0.01}, "FPS: 0.19\n"},
        {"half a frame a second", {2.1, 2.1, 2.1}, "FPS: 0.48\nFPS: 0.48\nFPS: 0.48\n"},
        {"slow frame amid fast ones", {0.4, 0.4, 1.5, 0.6, 0.5}, "FPS: 0.67\nFPS: 2\n"},
        {"just over a second", {1.25}, "FPS: 0.8\n"},
    };
    for (const Case& c : cases) {
        FrameRateCounter counter;
        std::ostringstream out;
        for (double dt : c.frames) {
            counter.addTime(dt);
            counter.endFrame(out);
        }
        EXPECT_EQ(out.str(), c.expected) << c.name;
        EXPECT_LE(counter.fpsTime, 1.0) << c.name;
    }
}

TEST(FrameRateCounter, ExactlyOneSecondWaitsForTheNextFrame)
{
    FrameRateCounter counter;
    std::ostringstream out;
    counter.addTime(0.5);
    EXPECT_FALSE(counter.endFrame(out));
    counter.addTime(0.5);
    EXPECT_FALSE(counter.endFrame(out));
    EXPECT_EQ(out.str(), "");
    counter.addTime(0.001);
    EXPECT_TRUE(counter.endFrame(out));
    EXPECT_EQ(out.str(), "FPS: 3\n");
}

TEST(FrameRateCounter, SteadySixtyFramesPerSecondPrintsFiftyNineToSixtyOne)
{
    FrameRateCounter counter;
    std::ostringstream out;
    for (int frame = 0; frame < 60 * 10; ++frame) {
        counter.addTime(1.0 / 60.0);
        counter.endFrame(out);
    }
    std::istringstream lines(out.str());
    std::string word;
    double value = 0;
    int count = 0;
    while (lines >> word >> value) {
        EXPECT_EQ(word, "FPS:");
        EXPECT_GE(value, 59);
        EXPECT_LE(value, 61);
        ++count;
    }
    EXPECT_GE(count, 9);
    EXPECT_LE(count, 10);
    EXPECT_NE(out.str().find("FPS: 60\n"), std::string::npos) << "whole numbers print without a point";
}

TEST(FrameClock, AdvanceSetsDeltaAndAccumulatesTotal)
{
    totalTime = 0.0;
    advanceClock(0.25);
    advanceClock(0.5);
    EXPECT_DOUBLE_EQ(deltaTime, 0.5);
    EXPECT_DOUBLE_EQ(totalTime, 0.75);
    totalTime = 0.0;
    deltaTime = 0.0;
}

TEST(FixedClock, ATimeIsDrawnByTheFirstFrameReachingItFromTheViewOrFrameOne)
{
    Options settings;
    settings.step = 1.0 / 30.0;
    const FixedClock clock = fixedClockOf(settings);
    EXPECT_EQ(frameAt(clock, 0.0), 1) << "without a view the first frame drawn is 1";
    EXPECT_EQ(frameAt(clock, 0.1), 3) << "0.1 / (1/30) rounds to a hair above 3";
    EXPECT_EQ(frameAt(clock, 0.11), 4);
    settings.viewGiven = true;
    settings.view.time = 24.145;
    settings.step = 1.0;
    const FixedClock fromView = fixedClockOf(settings);
    EXPECT_EQ(frameAt(fromView, 0.0), 0) << "t=0 is the view's own frame";
    EXPECT_EQ(timeOfFrame(fromView, 0), 24.145);
    EXPECT_EQ(timeOfFrame(fromView, frameAt(fromView, 8.0)), 24.145 + 8.0);
}

TEST(FolderWatch, LooksTwiceASecondAndReportsEachChangeOnce)
{
    std::uint64_t stamp = 7;
    int looks = 0;
    FolderWatch watch;
    watch.stampOf = [&](const std::string&) { return ++looks, stamp; };
    EXPECT_FALSE(folderChanged(watch, 1.0)) << "watching nothing";
    watchFolder(watch, "hall", 10.0);
    looks = 0;
    stamp = 8;
    EXPECT_FALSE(folderChanged(watch, 10.2)) << "too soon to look";
    EXPECT_EQ(looks, 0);
    EXPECT_TRUE(folderChanged(watch, 10.5));
    EXPECT_FALSE(folderChanged(watch, 11.0)) << "the same change once";
    stamp = 0;  // the folder gone for a moment (an editor's save): a change too
    EXPECT_TRUE(folderChanged(watch, 11.5));
    EXPECT_EQ(looks, 3);

    // The real stamp sees a file rewritten with another size, and a file added.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("folderWatch" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "images");
    std::ofstream(folder / "exhibition.json") << "{}";
    const std::uint64_t before = folderStamp(folder.string());
    std::ofstream(folder / "exhibition.json") << "{ }";
    const std::uint64_t rewritten = folderStamp(folder.string());
    std::ofstream(folder / "images" / "new.jpg") << "x";
    EXPECT_NE(before, rewritten);
    EXPECT_NE(rewritten, folderStamp(folder.string()));
    EXPECT_EQ(folderStamp((folder / "none").string()), 0u);
    std::filesystem::remove_all(folder);
}

// The automatic render scale on a machine whose frame costs a fixed part plus a part that
// grows with the pixels drawn: it settles where the target is held, or at the floor when the
// fixed part alone is over it, changes at most once a second and then stays put.
TEST(AutoScale, SettlesWithoutSwingingAndHoldsAReachableTarget)
{
    const struct {
        double fixedMs, fullMs, targetMs, lowest, highest;
    } machines[] = {
        {150.0, 400.0, 250.0, 0.55, 0.65},  // reachable: about 0.6
        {150.0, 400.0, 120.0, 0.25, 0.25},  // the fixed part alone is slower: the floor
        {5.0, 20.0, 33.0, 1.0, 1.0},        // fast enough at full scale: never lowered
    };
    for (const auto& m : machines) {
        AutoScale control;
        control.targetMs = m.targetMs;
        double elapsedMs = 0.0, lastChangeMs = -1000.0;
        int changes = 0, changesInLastHalf = 0;
        while (elapsedMs < 120000.0) {
            // Every second frame also draws the environment maps: a little dearer.
            const double frameMs = (m.fixedMs + m.fullMs * control.scale * control.scale) *
                                   ((changes + static_cast<int>(elapsedMs)) % 2 ? 1.1 : 0.9);
            elapsedMs += frameMs;
            if (adjustScale(control, frameMs)) {
                EXPECT_GE(elapsedMs - lastChangeMs, 1000.0) << "changed twice within a second";
                lastChangeMs = elapsedMs;
                ++changes;
                changesInLastHalf += elapsedMs > 60000.0 ? 1 : 0;
            }
        }
        SCOPED_TRACE("target " + std::to_string(m.targetMs));
        EXPECT_GE(control.scale, m.lowest - 1e-9);
        EXPECT_LE(control.scale, m.highest + 1e-9);
        EXPECT_LE(changes, 6);
        EXPECT_EQ(changesInLastHalf, 0) << "still swinging after a minute";
    }
}
