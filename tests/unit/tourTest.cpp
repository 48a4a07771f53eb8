// The guided tour's script, timing rules and loop, run frame by frame on a fixed clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

#include "base/frameClock.h"
#include "navigation/camera.h"
#include "navigation/guide.h"
#include "navigation/keyboard.h"
#include "navigation/tour.h"
#include "scene/captions.h"
#include "scene/hall.h"
#include "scene/tourPlaces.h"
#include "tests/unit/defaultNames.h"

namespace {

const glm::vec3 startEye(-1200, 1100, -1200), startTarget(0, 520, 0);

// The script as a visitor sees it: when each step ends and the pose taken then.
struct ScriptRow { int step; double end; bool setsPose; glm::vec3 eye, target; };
const ScriptRow script[] = {
    {0, 20, true, {-1050, 840, 1050}, {-620, 640, 620}}, {1, 30, true, {-1450, 840, 620}, {-620, 620, 620}},
    {2, 35, true, {-1450, 840, -620}, {-620, 620, -620}}, {3, 45, true, {-620, 650, -1800}, {-620, 620, -620}},
    {4, 50, true, {620, 650, -1800}, {620, 620, -620}}, {5, 60, true, {1050, 1050, -620}, {620, 620, -620}},
    {6, 65, true, {1050, 1050, 620}, {620, 620, 620}}, {7, 75, true, {620, 620, 1040}, {620, 620, 420}},
    {8, 77.5, false, {}, {}}, {9, 80, false, {}, {}}, {10, 90, true, startEye, startTarget}};

// Where each glide heads; it must be reached as its step ends.
struct GlideRow { int step; glm::vec3 point; float speed; };
const GlideRow glides[] = {{2, {-1450, 840, -620}, 248}, {4, {620, 650, -1800}, 248},
                           {6, {1050, 1050, 620}, 248}, {8, {0, 620, 1040}, 248}, {9, {0, 620, 620}, 168}};

void frame(double dt)
{
    advanceClock(dt);
    if (tourMode)
        updateTour();
}

struct TourTest : testing::Test {
    void SetUp() override
    {
        screenWidth = 1920;
        screenHeight = 1080;
        keyHeld = nullptr;
        initCamera();
        totalTime = 0.0;
        startTour();
    }
    void runUntil(double time, double dt = 1.0 / 60.0)
    {
        while (totalTime + dt < time)
            frame(dt);
    }
};

TEST_F(TourTest, FirstFrameTakesStartPoseAndItsOwnTime)
{
    camera.eye = {5, 5, 5};
    frame(7.25);  // the loading time lands in the first frame
    EXPECT_EQ(camera.eye, startEye);
    EXPECT_EQ(camera.target, startTarget);
    EXPECT_EQ(tourStep, 0);
    EXPECT_EQ(tourStepStart, 7.25f);
    frame(1.0 / 60.0);
    EXPECT_NE(camera.eye, startEye);  // orbiting from the first drawn frame on
}

TEST_F(TourTest, ScriptPosesGlidesAndLoopAtSixtyFps)
{
    frame(1.0 / 60.0);
    const double start = tourStepStart;
    for (const ScriptRow& row : script) {
        runUntil(start + row.end - 1e-3);
        ASSERT_EQ(tourStep, row.step);
        for (const GlideRow& g : glides) {
            if (g.step == row.step) {
                EXPECT_LT(glm::length(camera.eye - g.point), g.speed / 30.0f + 0.5f) << "glide " << g.step;
            }
        }
        glm::vec3 eye = camera.eye;
        while (tourStep == row.step) {
            eye = camera.eye;
            frame(1.0 / 60.0);
        }
        EXPECT_GE(totalTime, start + row.end - 1e-3);
        EXPECT_LT(totalTime, start + row.end + 1.0 / 60.0 + 1e-3);
        if (row.setsPose) {
            EXPECT_EQ(camera.eye, row.eye) << "end of step " << row.step;
            EXPECT_EQ(camera.target, row.target) << "end of step " << row.step;
        } else {
            EXPECT_EQ(camera.eye, eye) << "the ending frame only advances";
        }
    }
    // Looped straight into step 0, timed from the looping frame.
    EXPECT_EQ(tourStep, 0);
    EXPECT_EQ(tourStepStart, static_cast<float>(totalTime));
}

TEST_F(TourTest, LongPauseEndsOneStepPerFrame)
{
    frame(1.0 / 60.0);
    runUntil(15.0);
    frame(37.0 - totalTime);
    EXPECT_EQ(tourStep, 1);
    EXPECT_EQ(camera.eye, script[0].eye);
    frame(1.0 / 60.0);
    EXPECT_EQ(tourStep, 2);
    EXPECT_EQ(camera.eye, script[1].eye);  // set, and not glided from
    frame(1.0 / 60.0);
    EXPECT_EQ(tourStep, 3);
    EXPECT_EQ(camera.eye, script[2].eye);
    frame(1.0 / 60.0);
    EXPECT_NE(camera.eye, script[2].eye);
    EXPECT_EQ(camera.target, script[2].target);  // orbiting about the step's point
    runUntil(45.0);
    EXPECT_EQ(tourStep, 3);
}

TEST_F(TourTest, PDuringAGlideRestartsFromStartPose)
{
    frame(1.0 / 60.0);
    runUntil(62.0);
    ASSERT_EQ(tourStep, 6);
    keyHeld = [](int key) { return key == KEY_P; };
    onKey(KEY_P, 1);
    keyHeld = nullptr;
    frame(1.0 / 60.0);
    EXPECT_EQ(camera.eye, startEye);
    EXPECT_EQ(tourStep, 0);
    EXPECT_EQ(tourStepStart, static_cast<float>(totalTime));
    runUntil(totalTime + 19.99);
    EXPECT_EQ(tourStep, 0);
}

TEST_F(TourTest, EndTimesSumInFloatExceptStepEight)
{
    // At 2^24 s floats are 2 s apart: start + 35 rounds up to ...252, start + 77.5 to ...294.
    struct { int step; double time; int expected; } cases[] = {
        {2, 16777251.5, 2}, {2, 16777252.0, 3}, {8, 16777293.4, 8}, {8, 16777293.6, 9}};
    for (auto c : cases) {
        tourStepStart = 16777216.0f;
        tourStep = c.step;
        totalTime = c.time;
        updateTour();
        EXPECT_EQ(tourStep, c.expected) << "step " << c.step << " at " << c.time;
    }
}

// The start circle (radius 1697 about the centre) and the east circle (out to x = 1800)
// pass beyond the side walls at x = +-1650, so x is held to the hall's length as z is.
TEST_F(TourTest, WholeTourStaysInsideTheHall)
{
    for (double fps : {7.0, 24.0, 60.0, 144.0, 500.0}) {
        SetUp();
        for (int i = 0; totalTime < 200.0; ++i) {
            frame((i % 3 == 0 ? 1.5 : 0.75) / fps);  // uneven frames
            ASSERT_TRUE(std::abs(camera.eye.x) <= 1820 && std::abs(camera.eye.z) <= 1820 &&
                        camera.eye.y >= 1 && camera.eye.y <= 2400)
                << fps << " fps, step " << tourStep << ", eye " << camera.eye.x << " " << camera.eye.y << " " << camera.eye.z;
        }
    }
}

// Six exhibits round a room 3000 x 2400 x 3000, the fifth with nothing in it.
Guide guideOfRing()
{
    Hall hall;
    hall.roomExtent.low = glm::vec3(-1500, 0, -1500);
    hall.roomExtent.high = glm::vec3(1500, 2400, 1500);
    for (int e = 0; e < 6; ++e) {
        const float a = glm::radians(60.0f * static_cast<float>(e));
        hall.exhibitSpheres.emplace_back(900.0f * std::cos(a), 600.0f, 900.0f * std::sin(a), e == 4 ? 0.0f : 150.0f);
    }
    std::vector<TourKeyframe> views;
    for (int e = 0; e < 6; ++e)
        views.push_back(exhibitView(hall, e));
    Guide guide;
    setGuideHall(guide, views, hall.exhibitSpheres);
    return guide;
}

void guideFrame(Guide& guide, double dt)
{
    advanceClock(dt);
    processInput();
    updateGuide(guide, camera, defaultTour(), totalTime);
    if (tourMode)
        updateTour();
}

TEST_F(TourTest, TabFiveTimesGlidesToFiveExhibitsInTurn)
{
    Guide guide = guideOfRing();
    frame(1.0 / 60.0);
    EXPECT_FALSE(onGuideKey(guide, camera, defaultTour(), KEY_ESCAPE, false, totalTime)) << "no panel to close";
    const int expected[] = {0, 1, 2, 3, 5};  // the empty one is passed over
    EXPECT_EQ(visitableExhibits(guide), std::vector<int>(std::begin(expected), std::end(expected)))
        << "the page's list and capture's catalogue";
    EXPECT_TRUE(tabWrapsRound(guide, true)) << "Shift+Tab before any visit leaves the page's canvas";
    EXPECT_FALSE(tabWrapsRound(guide, false));
    for (int visit : expected) {
        ASSERT_TRUE(onGuideKey(guide, camera, defaultTour(), KEY_TAB, false, totalTime));
        EXPECT_FALSE(tourMode) << "Tab stops the tour";
        EXPECT_EQ(guide.exhibit, visit);
        EXPECT_TRUE(guide.panelOpen);
        const double start = totalTime;
        glm::vec3 previous = camera.eye;
        float longestStep = 0.0f, firstStep = -1.0f;
        while (totalTime < start + 1.5) {
            guideFrame(guide, 1.0 / 60.0);
            const float step = glm::distance(camera.eye, previous);
            longestStep = std::max(longestStep, step);
            if (firstStep < 0.0f)
                firstStep = step;
            previous = camera.eye;
        }
        EXPECT_FALSE(guide.gliding);
        EXPECT_LT(firstStep, 0.1f * longestStep + 1e-3f) << "eased out of the old view";
        const glm::vec4 sphere = guide.spheres[static_cast<size_t>(visit)];
        const glm::vec4 clip = camera.projection * viewMatrix(camera) * glm::vec4(glm::vec3(sphere), 1.0f);
        EXPECT_NEAR(clip.x / clip.w, 0.0f, 0.02f) << "exhibit " << visit << " in the middle of the picture";
        EXPECT_NEAR(clip.y / clip.w, 0.0f, 0.02f) << "exhibit " << visit;
        const float halfAngle = glm::degrees(std::asin(sphere.w / glm::distance(camera.eye, glm::vec3(sphere))));
        EXPECT_NEAR(halfAngle, 40.0f / 3.0f, 0.5f) << "exhibit " << visit << " fills two thirds of the picture";
    }
    EXPECT_TRUE(tabWrapsRound(guide, false)) << "Tab past the last exhibit leaves the page's canvas";
    onGuideKey(guide, camera, defaultTour(), KEY_TAB, true, totalTime);
    EXPECT_EQ(guide.exhibit, 3) << "Shift+Tab goes back";
    onGuideKey(guide, camera, defaultTour(), KEY_TAB, false, totalTime);
    onGuideKey(guide, camera, defaultTour(), KEY_TAB, false, totalTime);
    EXPECT_EQ(guide.exhibit, 0) << "round again";
    EXPECT_TRUE(onGuideKey(guide, camera, defaultTour(), KEY_ESCAPE, false, totalTime));
    EXPECT_FALSE(guide.panelOpen);
}

TEST_F(TourTest, NavigationKeysAndPEndTheGlide)
{
    Guide guide = guideOfRing();
    frame(1.0 / 60.0);
    onGuideKey(guide, camera, defaultTour(), KEY_TAB, false, totalTime);
    for (int i = 0; i < 20; ++i)
        guideFrame(guide, 1.0 / 60.0);
    keyHeld = [](int key) { return key == KEY_W; };
    guideFrame(guide, 1.0 / 60.0);
    keyHeld = nullptr;
    EXPECT_FALSE(guide.gliding);
    const glm::vec3 walkedTo = camera.eye;
    guideFrame(guide, 1.0 / 60.0);
    EXPECT_EQ(camera.eye, walkedTo) << "the camera stays where the key took it";

    onGuideKey(guide, camera, defaultTour(), KEY_TAB, false, totalTime);
    guideFrame(guide, 1.0 / 60.0);
    keyHeld = [](int key) { return key == KEY_P; };
    onKey(KEY_P, 1);
    keyHeld = nullptr;
    guideFrame(guide, 1.0 / 60.0);
    EXPECT_FALSE(guide.gliding);
    EXPECT_EQ(camera.eye, startEye) << "the tour has the camera again";
}

TEST_F(TourTest, AnExhibitInTheWayTurnsTheViewRoundIt)
{
    Hall hall;
    hall.roomExtent.low = glm::vec3(-1500, 0, -1500);
    hall.roomExtent.high = glm::vec3(1500, 2400, 1500);
    hall.exhibitSpheres = {{900, 600, 0, 150}, {450, 600, 0, 150}};
    const TourKeyframe view = exhibitView(hall, 0);
    const glm::vec3 centre(900, 600, 0), inTheWay(450, 600, 0);
    const glm::vec3 line = centre - view.eye;
    const float t = glm::clamp(glm::dot(inTheWay - view.eye, line) / glm::dot(line, line), 0.0f, 1.0f);
    EXPECT_GT(glm::distance(view.eye + t * line, inTheWay), 150.0f) << "a clear sight of it";
    EXPECT_LT(view.eye.x, 900.0f) << "still from the room's side";
    EXPECT_NEAR(glm::degrees(std::asin(150.0f / glm::distance(view.eye, centre))), 40.0f / 3.0f, 0.5f);

    // An exhibit no bigger than a speck is looked at from a step away, not from inside it.
    hall.exhibitSpheres = {{900, 600, 0, 1e-30f}};
    Camera looking;
    looking.eye = exhibitView(hall, 0).eye;
    looking.target = exhibitView(hall, 0).target;
    EXPECT_GE(glm::distance(looking.eye, looking.target), minimumZoomDistance * 0.99f);
    updateBasis(looking);
    const glm::mat4 matrix = viewMatrix(looking);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_TRUE(std::isfinite(matrix[i][j]));
}

// The cues of a WebVTT file: each timing line's start and end in seconds, in file order.
std::vector<std::pair<double, double>> vttTimings(const std::string& vtt)
{
    std::vector<std::pair<double, double>> timings;
    std::istringstream lines(vtt);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "WEBVTT");
    std::getline(lines, line);
    EXPECT_EQ(line, "") << "a blank line after the header";
    while (std::getline(lines, line)) {
        int h0, m0, s0, ms0, h1, m1, s1, ms1;
        char arrow[4] = {};
        if (std::sscanf(line.c_str(), "%d:%d:%d.%d %3s %d:%d:%d.%d", &h0, &m0, &s0, &ms0, arrow, &h1, &m1, &s1, &ms1) == 9) {
            EXPECT_STREQ(arrow, "-->");
            timings.emplace_back(h0 * 3600 + m0 * 60 + s0 + ms0 / 1000.0, h1 * 3600 + m1 * 60 + s1 + ms1 / 1000.0);
        }
    }
    return timings;
}

// Tours of places, some naming exhibits (-1: a pose), at 8 frames a second (exact in
// binary, so no boundary moves by a frame through rounding): the cues are
// the places' times; keyframe 0 is headed for last, on the way round to the start.
TEST_F(TourTest, CuesFollowTheToursPlacesAndTheirSubtitlesParse)
{
    struct Place { int exhibit; float seconds; };
    struct Case { std::vector<Place> places; double seconds; std::vector<TourCue> cues; };
    const Case cases[] = {
        {{{-1, 2}, {1, 3}, {1, 2}, {0, 4}}, 14, {{0, 5, 1}, {5, 9, 0}, {11, 14, 1}}},
        {{{2, 1}, {-1, 2}}, 6, {{2, 3, 2}, {5, 6, 2}}},
        {{{-1, 1}, {-1, 1}}, 4, {}},
    };
    HallDescription description;
    description.captions.resize(3);
    description.captions[1] = {"Tea & <biscuits>", "Pinakora", "2026", "", ""};
    for (const Case& c : cases) {
        TourScript script;
        for (const Place& place : c.places) {
            TourKeyframe keyframe;
            keyframe.exhibit = place.exhibit;
            keyframe.seconds = place.seconds;
            keyframe.eye = glm::vec3(0, 100, 1000 + 100 * place.exhibit);
            script.keyframes.push_back(keyframe);
        }
        Tour tour;
        tour.script = script;
        startTour(tour, 0.0);
        const std::vector<TourCue> cues =
            tourCues(script, tour, camera, 0.0, {}, 0.125, 1, std::lround(c.seconds * 8));
        const std::vector<std::pair<double, double>> timings = vttTimings(webVtt(cues, description));
        ASSERT_EQ(cues.size(), c.cues.size()) << c.places.size() << " places";
        ASSERT_EQ(timings.size(), c.cues.size());
        for (size_t i = 0; i < cues.size(); ++i) {
            EXPECT_NEAR(cues[i].start, c.cues[i].start, 1e-6) << "cue " << i;
            EXPECT_NEAR(cues[i].end, c.cues[i].end, 1e-6) << "cue " << i;
            EXPECT_EQ(cues[i].exhibit, c.cues[i].exhibit) << "cue " << i;
            EXPECT_NEAR(timings[i].first, c.cues[i].start, 1e-3);
            EXPECT_NEAR(timings[i].second, c.cues[i].end, 1e-3);
        }
    }
    // A glance at another exhibit, too short for a cue, does not split the one it interrupts.
    CueTrack track;
    track.shortest = 2.0;
    const int glances[] = {1, 1, 1, 2, 1, 1, 1, -1, 1, 1};  // a second each
    for (int second = 0; second < 10; ++second)
        addCueFrame(track, second, second + 1, glances[second]);
    const std::vector<TourCue> joined = finishCues(track);
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_EQ(joined[0].end, 10.0);

    const std::string vtt = webVtt({{0, 1.25, 1}, {3661.5, 3662, 2}}, description);
    EXPECT_NE(vtt.find("\n1\n00:00:00.000 --> 00:00:01.250\nTea &amp; &lt;biscuits&gt;\nPinakora, 2026\n"), std::string::npos) << vtt;
    EXPECT_NE(vtt.find("01:01:01.500 --> 01:01:02.000\nExhibit 2\n"), std::string::npos) << vtt;

    // A tour that names no exhibits: each is cued while it stays nearest the middle, at least
    // two seconds, in turn, without overlaps, through the whole stay at it.
    Guide guide = guideOfRing();
    Hall hall;
    hall.roomExtent.low = glm::vec3(-1500, 0, -1500);
    hall.roomExtent.high = glm::vec3(1500, 2400, 1500);
    hall.exhibitSpheres = guide.spheres;
    TourScript madeUp = placedTour(TourScript(), hall);  // entrance, then each: 4 s walking, 3 s there
    Tour tour;
    tour.script = madeUp;
    startTour(tour, 0.0);
    const std::vector<TourCue> nearest = tourCues(TourScript(), tour, camera, 0.0, guide.spheres, 0.125, 1, 42 * 8);
    const std::vector<std::pair<double, double>> timings = vttTimings(webVtt(nearest, description));
    const int visited[] = {5, 0, 1, 2, 3, 5};  // the entrance looks across to the last one
    ASSERT_EQ(nearest.size(), 6u);
    for (size_t i = 0; i < nearest.size(); ++i) {
        EXPECT_EQ(nearest[i].exhibit, visited[i]);
        EXPECT_GE(nearest[i].end - nearest[i].start, 2.0);
        const double arrival = 7.0 * static_cast<double>(i);  // 3 s at the entrance, then 4 s walking
        if (i > 0) {
            EXPECT_LE(nearest[i].start, arrival) << "cue " << i;
            EXPECT_GE(nearest[i].end, arrival + 3.0) << "cue " << i;
        }
        if (i > 0) {
            EXPECT_GE(timings[i].first, timings[i - 1].second) << "cue " << i << " after the one before";
        }
    }
}

}  // namespace
