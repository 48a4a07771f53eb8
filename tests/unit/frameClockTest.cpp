// The frame-rate line: strictly more than one second, one second taken off per line.
#include "base/frameClock.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

int countLines(const std::string& text, const std::string& line)
{
    int count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + line.size()))
        ++count;
    return count;
}

} // namespace

TEST(FrameRateCounter, LongStartUpPrintsAboutOneLinePerSecondOfLoadingWithCountOne)
{
    FrameRateCounter counter;
    std::ostringstream out;
    counter.addTime(5.3);  // the first frame carries the whole start-up
    counter.endFrame(out);
    for (int frame = 0; frame < 10; ++frame) {
        counter.addTime(0.01);
        counter.endFrame(out);
    }
    EXPECT_EQ(countLines(out.str(), "FPS: 1\n"), 5);
    EXPECT_EQ(out.str().find("FPS: 1\n"), 0u);
    EXPECT_LT(counter.fpsTime, 1.0);
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
