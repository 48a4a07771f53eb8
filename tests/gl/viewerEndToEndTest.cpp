// The built viewer as a user meets it: no display means a clear message and exit code 1;
// under X it opens its full-screen window, counts frames, and ends with 0 when closed.
#include "tests/gl/viewerProcess.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

std::string currentDisplay()
{
    const char* d = std::getenv("DISPLAY");
    return d ? d : "";
}

} // namespace

TEST(Viewer, WithoutADisplayItSaysSoAndExitsWithOne)
{
    ViewerProcess viewer(PINAKORA_SOURCE_DIR, "");
    EXPECT_EQ(viewer.waitForExit(60.0), 1);
    EXPECT_EQ(viewer.err(), "Failed to initialize OpenGL window.\n");
    EXPECT_EQ(viewer.out().find("FPS: "), std::string::npos);
}

TEST(Viewer, OpensFullScreenTitledWindowCountsFramesAndClosesWithZero)
{
    if (currentDisplay().empty())
        GTEST_SKIP() << "needs a display (the test command runs under Xvfb)";
    ViewerProcess viewer(PINAKORA_SOURCE_DIR, currentDisplay());
    const unsigned long window = viewer.findWindow(60.0);
    ASSERT_NE(window, 0ul) << viewer.err();
    int width = 0, height = 0;
    ASSERT_TRUE(viewer.windowSize(window, width, height));
    EXPECT_EQ(width, 1920);
    EXPECT_EQ(height, 1080);
    ASSERT_TRUE(viewer.waitForOutput("FPS: ", 240.0)) << viewer.out() << viewer.err();
    viewer.requestClose(window);
    EXPECT_EQ(viewer.waitForExit(120.0), 0);
    EXPECT_NE(viewer.out().find("\nShadow framebuffer created\n"), std::string::npos);
}

TEST(Viewer, KeysTuneTheFocusOnceAPressAndTakeTheCameraFromTheTour)
{
    if (currentDisplay().empty())
        GTEST_SKIP() << "needs a display (the test command runs under Xvfb)";
    ViewerProcess viewer(PINAKORA_SOURCE_DIR, currentDisplay());
    const unsigned long window = viewer.findWindow(60.0);
    ASSERT_NE(window, 0ul) << viewer.err();
    ASSERT_TRUE(viewer.waitForOutput("FPS: ", 240.0)) << viewer.out() << viewer.err();

    viewer.sendKey(window, "F1", true);
    viewer.sendKey(window, "F1", false);
    ASSERT_TRUE(viewer.waitForOutput("focaldepth: 11 focallength: 1000 fstop: 19\n", 120.0)) << viewer.out();
    viewer.sendKey(window, "F4", true);
    viewer.sendKey(window, "F4", false);
    ASSERT_TRUE(viewer.waitForOutput("focaldepth: 11 focallength: 909.091 fstop: 19\n", 120.0)) << viewer.out();

    // Walking and restarting the tour must leave the viewer running normally.
    viewer.sendKey(window, "w", true);
    viewer.sendKey(window, "w", false);
    viewer.sendKey(window, "p", true);
    viewer.sendKey(window, "p", false);
    viewer.requestClose(window);
    EXPECT_EQ(viewer.waitForExit(120.0), 0);
    const std::string out = viewer.out();
    size_t lines = 0;
    for (size_t at = out.find("focaldepth: "); at != std::string::npos; at = out.find("focaldepth: ", at + 1))
        ++lines;
    EXPECT_EQ(lines, 2u) << "one line per press, none per release: " << out;
}
