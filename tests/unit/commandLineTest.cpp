// The three command lines, checked whole before any window: every bad argument is
// refused with one line naming it; good ones land in the options. The browser page's
// parameters go through the same option table, each bad one named and left at its default;
// an entry added to the table is read from both and listed in both helps. Also the texts the
// tools and F12 make: the progress line and the screenshot's file name. View links (--view,
// the page's view) are read whole and come back as the same text.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/commandLine.h"
#include "app/progress.h"
#include "app/runLoop.h"
#include "app/screenshot.h"
#include "base/outputFile.h"
#include "render/frameCapture.h"

#include <csignal>
#include <filesystem>
#include <iterator>
#include <sys/resource.h>
#include <unistd.h>
#include <fstream>

namespace {

constexpr Front Viewer = Front::Viewer, Capture = Front::Capture, Benchmark = Front::Benchmark, Page = Front::Page;

struct ArgumentCase {
    Front front;
    std::vector<std::string> args;
    const char* error;  // empty: accepted; for the page, its problem lines joined by '\n'
};

const ArgumentCase argumentCases[] = {
    {Viewer, {}, ""},
    {Viewer, {"--window", "1280x720", "--captions"}, ""},
    {Viewer, {"--help"}, ""},
    {Viewer, {"--window", "0x0"}, "--window: 0x0 is not a size; want WxH with 1..8192"},
    {Viewer, {"--window", "1280"}, "--window: 1280 is not a size; want WxH with 1..8192"},
    {Viewer, {"--window", "1280x720x3"}, "--window: 1280x720x3 is not a size; want WxH with 1..8192"},
    {Viewer, {"--window", "8193x100"}, "--window: 8193x100 is not a size; want WxH with 1..8192"},
    {Viewer, {"--window", "+12x-4"}, "--window: +12x-4 is not a size; want WxH with 1..8192"},
    {Viewer, {"--window"}, "--window: needs a value"},
    {Viewer, {"--check"}, "--check: needs a value"},
    {Viewer, {"--fullscreen"}, "unknown option --fullscreen; --help lists the options"},
    {Viewer, {"--hall", "examples/hall", "--watch"}, ""},
    {Viewer, {"--hall", ""}, "--hall: want an exhibition folder or its exhibition.json"},
    {Viewer, {"--hall"}, "--hall: needs a value"},
    {Viewer, {"--window", "960x540", "--scale", "auto", "--target-ms", "250"}, ""},
    {Viewer, {"--scale", "0.25"}, ""},
    {Viewer, {"--scale", "0.2"}, "--scale: 0.2 is not a scale; want a number from 0.25 to 1 or auto"},
    {Viewer, {"--scale", "1.5"}, "--scale: 1.5 is not a scale; want a number from 0.25 to 1 or auto"},
    {Viewer, {"--scale", "nan"}, "--scale: nan is not a scale; want a number from 0.25 to 1 or auto"},
    {Viewer, {"--scale", "0.5x"}, "--scale: 0.5x is not a scale; want a number from 0.25 to 1 or auto"},
    {Viewer, {"--target-ms", "0"}, "--target-ms: 0 is not a frame time; want milliseconds from 1 to 10000"},
    {Capture, {"--scale", "auto"},
     "--scale: auto would make the pictures depend on this machine's speed; want a number from 0.25 to 1"},
    {Capture, {"--scale", "0.1"}, "--scale: 0.1 is not a scale; want a number from 0.25 to 1"},
    {Capture, {"--captions", "--target-ms", "30"}, "unknown option --target-ms; --help lists the options"},
    {Page, {"captions", "1", "scale", "0.5", "hall"}, "Ignoring the page parameter hall: needs a value"},
    {Benchmark, {"--scale", "auto", "--target-ms", "inf"},
     "--target-ms: inf is not a frame time; want milliseconds from 1 to 10000"},
    {Capture, {"--at", "0,30.5,60", "--size", "8192x1", "--out", "x"}, ""},
    {Capture, {"--video", "tour.mp4", "--fps", "25", "--until", "4"}, ""},
    {Capture, {"--video", "tour.mp4", "--hall", "examples/hall/exhibition.json"}, ""},
    {Capture, {"--hall", ""}, "--hall: want an exhibition folder or its exhibition.json"},
    {Capture, {"--at", "-1"}, "--at: -1 is not a time; want seconds >= 0"},
    {Capture, {"--at", "abc"}, "--at: abc is not a time; want seconds >= 0"},
    {Capture, {"--at", "1,,2"}, "--at: an empty value is not a time; want seconds >= 0"},
    {Capture, {"--at", "nan"}, "--at: nan is not a time; want seconds >= 0"},
    {Capture, {"--size", "0x0"}, "--size: 0x0 is not a size; want WxH with 1..8192"},
    {Capture, {"--size", "abc"}, "--size: abc is not a size; want WxH with 1..8192"},
    {Capture, {"--size", "20000x20000"}, "--size: 20000x20000 is not a size; want WxH with 1..8192"},
    {Capture, {"--step", "0"}, "--step: 0 is not a time; want seconds > 0"},
    {Capture, {"--step", "1e-9", "--until", "90"}, "--step: 1e-09 s up to 90 s is more than 1e+07 frames"},
    {Capture, {"--every", "-5"}, "--every: -5 is not a time; want seconds > 0"},
    {Capture, {"--out", ""}, "--out: want a folder name"},
    {Capture, {"--fps", "30"}, "--fps: only with --video"},
    {Capture, {"--video", "t.mp4", "--fps", "0"}, "--fps: 0 is not a whole number in 1..240"},
    {Capture, {"--video", "t.mp4", "--at", "3"},
     "--video: records every frame up to --until at --fps; it takes no --at, --every, --step or --out"},
    {Capture, {"--video", "t.mp4", "--until", "0"}, "--until: 0 is shorter than one frame of the video"},
    {Benchmark, {"--frames", "60", "--trivial-ratio", "--json", "--settle", "10", "--labels", "--hall", "x"}, ""},
    {Capture, {"--video", "t.mp4", "--captions"}, ""},
    {Capture, {"--at", "3", "--captions"}, ""},
    {Capture, {"--catalog", "c", "--captions"},
     "--catalog: writes one picture per exhibit; it takes no --video, --at, --every, --step, --until, --out, --view or --captions"},
    {Capture, {"--catalog", "c", "--size", "640x360", "--hall", "x"}, ""},
    {Capture, {"--catalog", ""}, "--catalog: want a folder name"},
    {Capture, {"--catalog", "c", "--at", "3"},
     "--catalog: writes one picture per exhibit; it takes no --video, --at, --every, --step, --until, --out, --view or --captions"},
    {Benchmark, {"--frames", "0"}, "--frames: 0 is not a whole number in 1..10000000"},
    {Benchmark, {"--frames", "-1"}, "--frames: -1 is not a whole number in 1..10000000"},
    {Benchmark, {"--frames", "abc"}, "--frames: abc is not a whole number in 1..10000000"},
    {Benchmark, {"--frames", "99999999999999999999"},
     "--frames: 99999999999999999999 is not a whole number in 1..10000000"},
    {Benchmark, {"--size", "0x0"}, "--size: 0x0 is not a size; want WxH with 1..8192"},
    {Benchmark, {"--json", "yes"}, "unknown option yes; --help lists the options"},
    {Page, {"t", "8", "step", "0.5", "size", "960x540"}, ""},
    {Page, {"t", "NaN"}, "Ignoring the page parameter t: NaN is not a time; want seconds >= 0"},
    {Page, {"t", "-5"}, "Ignoring the page parameter t: -5 is not a time; want seconds >= 0"},
    {Page, {"t", "1e308"}, "Ignoring the page parameter t: 1e+308 s is more than 1e+07 frames of 1 s"},
    {Page, {"t", "90", "step", "1e-9"}, "Ignoring the page parameter step: 1e-09 s up to 90 s is more than 1e+07 frames"},
    {Page, {"step", "0"}, "Ignoring the page parameter step: 0 is not a time; want seconds > 0"},
    {Page, {"size", "0x0", "size", "10x"},
     "Ignoring the page parameter size: 0x0 is not a size; want WxH with 1..8192\n"
     "Ignoring the page parameter size: 10x is not a size; want WxH with 1..8192"},
    {Page, {"size", "99999x99999"}, "Ignoring the page parameter size: 99999x99999 is not a size; want WxH with 1..8192"},
    {Page, {"hall", "my-hall_2.v1"}, ""},
    {Page, {"scale", "auto"}, ""},
    {Page, {"captions", "yes"}, "Ignoring the page parameter captions: yes is not a switch; want 0 or 1"},
    {Page, {"scale", "0"}, "Ignoring the page parameter scale: 0 is not a scale; want a number from 0.25 to 1 or auto"},
    {Page, {"hall", "../etc"},
     "Ignoring the page parameter hall: ../etc is not an exhibition's name; want the name of its folder"},
    {Page, {"hall", "a/b"}, "Ignoring the page parameter hall: a/b is not an exhibition's name; want the name of its folder"},
    {Page, {"frames", "3", "--help", "x"},
     "Ignoring the page parameter frames: unknown; the page takes t, step, size, scale, hall, view and captions\n"
     "Ignoring the page parameter --help: unknown; the page takes t, step, size, scale, hall, view and captions"},
    // View links: an accepted one must come back as the same text (no digit of the camera
    // lost), a malformed one is named by its part.
    {Viewer, {"--view", "v1_eye:-1234.5677,1100,3.1415927_at:0,520.25,-0.3_t:8.533_tour:3,6.2_dof:12.1,1000,19"}, ""},
    {Capture, {"--view", "v1_eye:1e-06,0,0_at:0,0,-1_t:0_tour:off_dof:10,1000,19"}, ""},
    {Page, {"view", "v1_eye:0,2,0_at:0,0,0_t:86400_tour:-1,0_dof:10,1000,19.5"}, ""},
    {Viewer, {"--view", ""}, "--view: an empty value is not a view link; want one as V prints it, v1_eye:..._at:..."},
    {Viewer, {"--view", "v2_eye:1,2,3"}, "--view: v2 is a view link this build cannot read; it reads v1"},
    {Viewer, {"--view", "v1_eye:1,2_at:0,0,0"}, "--view: eye: 1,2 is not three numbers x,y,z"},
    {Viewer, {"--view", "v1_eye:1,2,3_at:0,nan,0"}, "--view: at: 0,nan,0 is not three numbers x,y,z"},
    {Viewer, {"--view", "v1_eye:1,2,3_at:0,1e99,0"}, "--view: at: 0,1e99,0 is not three numbers x,y,z"},
    {Viewer, {"--view", "v1_at:0,0,0_eye:1,2,3"}, "--view: want the part eye: where it has at:0,0,0"},
    {Capture, {"--view", "v1_eye:1,2,3_at:0,0,0_t:5"}, "--view: the part tour: is missing after t:5"},
    {Capture, {"--view", "v1_eye:1,2,3_at:0,0,0_t:-1_tour:off_dof:10,1000,19"},
     "--view: t: -1 is not a time; want seconds in 0..86400"},
    {Capture, {"--view", "v1_eye:1,2,3_at:0,0,0_t:8_tour:1.5,2_dof:10,1000,19"},
     "--view: tour: 1.5,2 is not off or step,seconds (a step from -1 up, seconds >= 0)"},
    {Capture, {"--view", "v1_eye:1,2,3_at:0,0,0_t:8_tour:2,9_dof:10,1000,19"},
     "--view: tour: 9 s into the tour is later than the scene's time t:8"},
    {Capture, {"--view", "v1_eye:1,2,3_at:0,0,0_t:8_tour:off_dof:10,0,19"},
     "--view: dof: 10,0,19 is not three numbers > 0 (focal depth, focal length, f-stop)"},
    {Capture, {"--view", "v1_eye:1,2,3_at:1,2,3_t:8_tour:off_dof:10,1000,19"},
     "--view: eye: the same point as at:, so the camera looks nowhere"},
    {Page, {"view", "v1_eye:1e-30,2,3_at:0,2,3_t:8_tour:off_dof:10,1000,19"},
     "Ignoring the page parameter view: eye: the same point as at:, so the camera looks nowhere"},
    {Page, {"view", "v1_eye:1,2,3_at:0,0,0_t:8_tour:off_dof:10,1000,19_x"},
     "Ignoring the page parameter view: an extra part x after dof:"},
    {Page, {"view", "v1%5Feye:1,2,3"},
     "Ignoring the page parameter view: v1%5Feye:1,2,3 is not a view link; want one as V prints it, v1_eye:..._at:..."},
    // An address of any length: only its start is echoed.
    {Page, {"view", std::string(120000, 'x')},
     "Ignoring the page parameter view: xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\xe2\x80\xa6 is not a view link; want one as V prints it, "
     "v1_eye:..._at:..."},
};

// The view link an accepted case read, written out again; empty when it gave none.
std::string viewLinkRead(bool given, const ViewLink& view)
{
    return given ? formatViewLink(view) : "";
}

std::string viewLinkGiven(const std::vector<std::string>& args)
{
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "--view" || args[i] == "view")
            return args[i + 1];
    return "";
}

TEST(CommandLine, EachBadArgumentIsNamedInOneLine)
{
    for (const ArgumentCase& c : argumentCases) {
        std::string error, joined;
        for (const std::string& a : c.args)
            joined += a + " ";
        Options options;
        bool ok = false;
        if (c.front == Page) {
            std::vector<std::string> problems;
            ok = parsePageParameters(c.args, options, problems);
            for (const std::string& line : problems)
                error += (error.empty() ? "" : "\n") + line;
        } else {
            ok = parseCommandLine(c.front, c.args, options, error);
        }
        const std::string view = viewLinkRead(options.viewGiven, options.view);
        EXPECT_EQ(ok, std::string(c.error).empty()) << joined;
        EXPECT_EQ(error, c.error) << joined;
        EXPECT_EQ(view, ok ? viewLinkGiven(c.args) : "") << joined;
    }
    // A well-formed name the page does not hold: the line lists those it does.
    const std::filesystem::path root = std::filesystem::temp_directory_path() / ("pinakora-page-" + std::to_string(getpid()));
    for (const char* held : {"hall", "court"})
        std::filesystem::create_directories(root / held);
    Options page;
    page.hall = "Show";
    EXPECT_EQ(readPageRun(page, root.string()),
              std::vector<std::string>{"Ignoring the page parameter hall: this page holds no exhibition Show (it holds court, hall)"});
    EXPECT_EQ(page.hall, "");
    std::filesystem::remove_all(root);
}

TEST(CommandLine, GoodArgumentsLandInTheOptions)
{
    std::string error;
    Options viewer;
    ASSERT_TRUE(parseCommandLine(Viewer, {"--window", "1280x720", "--hall", "my hall", "--watch"}, viewer, error));
    EXPECT_EQ(viewer.width, 1280);
    EXPECT_EQ(viewer.height, 720);
    EXPECT_EQ(viewer.hall, "my hall");
    EXPECT_TRUE(viewer.watch);
    EXPECT_EQ(viewer.captions, Toggle::NotGiven);  // the hall's tour decides

    Options video;
    ASSERT_TRUE(parseCommandLine(Capture, {"--video", "a.mp4", "--fps", "10", "--captions"}, video, error));
    EXPECT_DOUBLE_EQ(video.step, 0.1);  // the same step --step 0.1 gives the PNG frames
    EXPECT_EQ(video.until, 90.0);       // one tour unless told
    EXPECT_EQ(video.captions, Toggle::On);
    EXPECT_EQ(video.width, 1920);

    Options frames;
    ASSERT_TRUE(parseCommandLine(Capture, {"--at", "0.5,8", "--step", "0.25", "--scale", "0.5"}, frames, error));
    EXPECT_EQ(frames.times, (std::vector<double>{0.5, 8.0}));
    EXPECT_EQ(frames.step, 0.25);
    EXPECT_EQ(frames.scale.scale, 0.5);
    Options catalogue;
    ASSERT_TRUE(parseCommandLine(Capture, {"--catalog", "c"}, catalogue, error));
    EXPECT_EQ(catalogue.width, 960);

    // A bad page parameter leaves the default (the window's size, the running tour) in place.
    Options page;
    std::vector<std::string> problems;
    EXPECT_FALSE(parsePageParameters({"t", "NaN", "size", "10x", "step", "0.5", "captions", "2"}, page, problems));
    EXPECT_FALSE(page.fixedClock);
    EXPECT_EQ(page.width, 0);
    EXPECT_EQ(page.step, 0.5);
    EXPECT_EQ(page.captions, Toggle::NotGiven);
    ASSERT_TRUE(parsePageParameters({"t", "8", "size", "960x540", "captions", "0"}, page, problems = {}));
    EXPECT_TRUE(page.fixedClock);
    EXPECT_EQ(page.stopTime, 8.0);
    EXPECT_EQ(page.step, 1.0);
    EXPECT_EQ(page.width, 960);
    EXPECT_EQ(page.height, 540);
    EXPECT_EQ(page.captions, Toggle::Off);

    EXPECT_EQ(driverSizeRefusal("--size", 8192, 100, 8192), "");
    EXPECT_EQ(driverSizeRefusal("--size", 5000, 100, 4096),
              "--size: 5000x100 is beyond this driver's limit of 4096 pixels a side");
}

// Each front's help lists every option it takes, and none it refuses.
TEST(OptionTable, EachHelpListsTheOptionsItsFrontTakes)
{
    const struct {
        Front front;
        std::vector<std::string> listed, absent;
    } fronts[] = {
        {Viewer,
         {"--window WxH", "--hall folder", "--watch", "--view TEXT", "--scale F|auto", "--target-ms T", "--captions",
          "--check folder", "--help", "F12"},
         {"--size", "--json", "--at"}},
        {Capture,
         {"--size WxH", "--step seconds", "--every seconds", "--until seconds", "--at t1,t2,...", "--out folder",
          "--video file", "--fps N", "--hall folder", "--view TEXT", "--scale F ", "--captions", "--catalog folder",
          "--help"},
         {"--window", "--target-ms", "--watch", "auto", "Keys"}},
        {Benchmark,
         {"--frames N", "--size WxH", "--step seconds", "--settle N", "--trivial-ratio", "--json", "--labels",
          "--hall folder", "--scale F|auto", "--target-ms T", "--help"},
         {"--view", "--captions", "--window"}},
        {Page,
         {"t seconds", "step seconds", "size WxH", "scale F|auto", "hall NAME", "view TEXT", "captions 0|1"},
         {"--step", "fps", "watch"}},
    };
    for (const auto& f : fronts) {
        const std::string help = helpText(f.front);
        for (const std::string& line : f.listed)
            EXPECT_NE(help.find("  " + line), std::string::npos) << line << " missing in\n" << help;
        for (const std::string& word : f.absent)
            EXPECT_EQ(help.find(word), std::string::npos) << word << " listed in\n" << help;
    }
}

// One entry is all an option needs: the command line and the page read it alike, bad
// values are named by either, and both helps list it.
TEST(OptionTable, AnEntryAddedIsReadFromBothAndListedInBothHelps)
{
    double tint = 0.0;
    std::vector<OptionEntry> table = optionTable();
    table.push_back({"--tint", "tint", OptionKind::Value, "seconds", {Front::Viewer, Front::Page},
                     [&tint](const std::string& v, Front, Options&, std::string& e) {
                         return parseSeconds(v, true, tint, e);
                     },
                     "fade the hall in over that time", {}});
    const struct {
        Front front;
        std::vector<std::string> args;
        double tint;
        const char* error;
    } cases[] = {
        {Viewer, {"--tint", "2.5", "--watch"}, 2.5, ""},
        {Page, {"tint", "0.5", "t", "3"}, 0.5, ""},
        {Viewer, {"--tint", "0"}, 0.0, "--tint: 0 is not a time; want seconds > 0"},
        {Page, {"tint", "soon"}, 0.0, "Ignoring the page parameter tint: soon is not a time; want seconds > 0"},
        {Capture, {"--tint", "1"}, 0.0, "unknown option --tint; --help lists the options"},
        {Page, {"fade", "1"}, 0.0,
         "Ignoring the page parameter fade: unknown; the page takes t, step, size, scale, hall, view, captions and "
         "tint"},
    };
    for (const auto& c : cases) {
        tint = 0.0;
        Options options;
        std::string error;
        if (c.front == Page) {
            std::vector<std::string> problems;
            parsePageParameters(c.args, options, problems, table);
            for (const std::string& line : problems)
                error += line;
        } else {
            parseCommandLine(c.front, c.args, options, error, table);
        }
        EXPECT_EQ(tint, c.tint) << c.args[0];
        EXPECT_EQ(error, c.error) << c.args[0];
    }
    const std::string line = "fade the hall in over that time";
    EXPECT_NE(helpText(Viewer, table).find("  --tint seconds"), std::string::npos);
    EXPECT_NE(helpText(Viewer, table).find(line), std::string::npos);
    EXPECT_NE(helpText(Page, table).find("  tint seconds"), std::string::npos);
    EXPECT_NE(helpText(Page, table).find(line), std::string::npos);
    EXPECT_EQ(helpText(Capture, table).find(line), std::string::npos);
    EXPECT_EQ(helpText(Viewer).find(line), std::string::npos);
}

TEST(ToolTexts, ProgressLineAndScreenshotNames)
{
    EXPECT_EQ(progressText(0, 2700, 0.0), "frame 0 of 2700, 0:00 spent");
    EXPECT_EQ(progressText(120, 2700, 42.0), "frame 120 of 2700, 0:42 spent, about 15:03 left");
    EXPECT_EQ(progressText(1, 10000, 3.0), "frame 1 of 10000, 0:03 spent, about 8:19:57 left");
    EXPECT_EQ(progressText(300, 300, 61.4), "frame 300 of 300, 1:01 spent, about 0:00 left");

    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 7;
    when.tm_hour = 9;
    when.tm_min = 5;
    when.tm_sec = 3;
    std::set<std::string> taken;
    auto exists = [&taken](const std::string& name) { return taken.count(name) > 0; };
    EXPECT_EQ(screenshotName(when, exists), "pinakora-20261207-090503.png");
    taken = {"pinakora-20261207-090503.png", "pinakora-20261207-090503-2.png"};
    EXPECT_EQ(screenshotName(when, exists), "pinakora-20261207-090503-3.png");
}

TEST(ToolTexts, AnUnwritablePictureSaysWhyAndLeavesNothingBehind)
{
    Image image;
    image.width = 4;
    image.height = 2;
    image.rgba.assign(4 * 2 * 4, 200);
    // A link planted under the picture's name is not followed to what it points at.
    const std::filesystem::path target = std::filesystem::temp_directory_path() / "pinakora-link-target";
    const std::filesystem::path link = std::filesystem::temp_directory_path() / "pinakora-link.png";
    std::ofstream(target) << "kept";
    std::filesystem::remove(link);
    std::filesystem::create_symlink(target, link);
    const std::string linkPath = link.string();
    struct { const char* path; const char* why; } cases[] = {
        {"/proc/nope/shot.png", "No such file or directory"},
        {"/dev/full", "No space left on device"},  // a full disk
        {linkPath.c_str(), "it is a symbolic link, which is not followed"},
    };
    for (auto c : cases) {
        std::string why;
        EXPECT_FALSE(writePng(image, c.path, &why)) << c.path;
        EXPECT_EQ(why, c.why) << c.path;
    }
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::file_size(target), 4u);

    // Text outputs alike; and a write cut short (a full disk, here a file size limit)
    // leaves the file that was there whole, with nothing beside it.
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("pinakora-whole-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "index.html");
    std::ofstream(folder / "old.html") << "the old page";
    std::string why;
    EXPECT_FALSE(writeWholeFile(linkPath, std::string("<html>"), &why));
    EXPECT_EQ(why, "it is a symbolic link, which is not followed");
    EXPECT_FALSE(writeWholeFile((folder / "index.html").string(), std::string("<html>"), &why));
    EXPECT_EQ(why, "Is a directory");
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 8;
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = writeWholeFile((folder / "old.html").string(), std::string(4096, 'x'), &why);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(why, "File too large");
    std::ifstream kept(folder / "old.html");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "the old page");
    EXPECT_TRUE(writeWholeFile((folder / "new.html").string(), std::string("<p>"), &why)) << why;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 3) << "no file left beside them";
    std::filesystem::remove_all(folder);
    EXPECT_EQ(std::filesystem::file_size(target), 4u);
    std::filesystem::remove(link);
    std::filesystem::remove(target);
}

}  // namespace
