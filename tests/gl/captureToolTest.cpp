// The capture and benchmark tools as a user runs them: bad arguments (and an exhibition
// file with an error) end them with 2 and one line before any window opens (they run without a display here, so a window
// would mean exit 1), surroundings they cannot work in end them with 1 and a line saying
// why, a closed or broken console costs no frame, an interrupted video leaves nothing,
// and a video of the tour decodes to the frames the PNG capture writes for the same times,
// the tour's captions burnt into both as subtitles; outputs refuse a link at their name and
// a full disk leaves the file that was there whole; models of others' making show the
// pictures their own materials name; an exhibition under three bright lights is captured
// bright but not white.
#include "assets/assetFiles.h"
#include "assets/textures.h"
#include "render/frameCapture.h"
#include "scene/exhibition.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <FreeImage.h>
#include <algorithm>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <glm/glm.hpp>
#include <glm/gtc/constants.hpp>
#include <iostream>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

// How a run's surroundings differ from a plain start in the project root.
struct Surroundings {
    std::string folder = PINAKORA_SOURCE_DIR;  // the working folder
    const char* environment = nullptr;        // "NAME=value"
    bool closedOutput = false;                // standard output and input closed
    bool brokenOutput = false;                // standard output a pipe nobody reads
    int signalAfterSeconds = 0;               // SIGHUP once this long has passed
    long fileSizeLimit = 0;                   // above 0: no file grows past this (a full disk)
};

std::string slurp(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs a tool from the project root; without a display unless `withDisplay`.
ToolRun runTool(const char* binary, const std::vector<std::string>& args, bool withDisplay,
                const Surroundings& around = {})
{
    const std::string stem = (std::filesystem::temp_directory_path() /
                              ("pinakora-tool-" + std::to_string(::getpid()))).string();
    const std::string outPath = stem + ".out", errPath = stem + ".err";
    int pipeEnds[2] = {-1, -1};
    if (around.brokenOutput && pipe(pipeEnds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(around.folder.c_str()) != 0)
            _exit(127);
        if (!withDisplay)
            unsetenv("DISPLAY");
        if (around.environment)
            putenv(const_cast<char*>(around.environment));
        dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        if (around.closedOutput) {
            close(0);
            close(1);
        } else if (around.brokenOutput) {
            dup2(pipeEnds[1], 1);
            close(pipeEnds[0]);
            close(pipeEnds[1]);
        } else {
            dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        }
        if (around.fileSizeLimit > 0) {
            std::signal(SIGXFSZ, SIG_IGN);  // a write past it fails with EFBIG instead
            rlimit limit{};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = static_cast<rlim_t>(around.fileSizeLimit);
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> argv{const_cast<char*>(binary)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(binary, argv.data());
        _exit(127);
    }
    if (around.brokenOutput) {
        close(pipeEnds[1]);
        close(pipeEnds[0]);  // nobody reads: the first flush meets a broken pipe
    }
    if (around.signalAfterSeconds > 0) {
        sleep(static_cast<unsigned>(around.signalAfterSeconds));
        kill(pid, SIGHUP);
    }
    ToolRun run;
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = slurp(outPath);
    run.err = slurp(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return run;
}

struct BadRun {
    const char* binary;
    std::vector<std::string> args;
    std::string line;
};

TEST(CaptureTool, BadArgumentsEndWithTwoAndOneLineBeforeAnyWindow)
{
    // An exhibition with an error is its reader's line, whichever program is given it.
    const std::filesystem::path badHall =
        std::filesystem::temp_directory_path() / ("pinakoraBadHall" + std::to_string(::getpid()));
    std::filesystem::create_directories(badHall);
    std::ofstream(badHall / "exhibition.json") << "{\n  \"format\": \"pinakora-exhibition/1\",\n  \"lights\": [1,\n";
    const std::string badHallLine = readExhibition(badHall.string()).error + "\n";
    ASSERT_EQ(badHallLine.rfind("exhibition.json:3:", 0), 0u) << badHallLine;
    const BadRun runs[] = {
        {PINAKORA_BINARY, {"--hall", badHall.string()}, badHallLine},
        {PINAKORA_CAPTURE, {"--hall", (badHall / "exhibition.json").string(), "--at", "1"}, badHallLine},
        {PINAKORA_BENCHMARK, {"--hall", badHall.string()}, badHallLine},
        {PINAKORA_BINARY, {"--check", badHall.string()}, badHallLine},
        {PINAKORA_CAPTURE, {"--at", "-1"}, "capture: --at: -1 is not a time; want seconds >= 0\n"},
        {PINAKORA_CAPTURE, {"--size", "0x0"}, "capture: --size: 0x0 is not a size; want WxH with 1..8192\n"},
        {PINAKORA_CAPTURE, {"--size", "100000x100000"},
         "capture: --size: 100000x100000 is not a size; want WxH with 1..8192\n"},
        {PINAKORA_CAPTURE, {"--out", "/proc/nope/dir"},
         "capture: --out: cannot make folder /proc/nope/dir: No such file or directory\n"},
        {PINAKORA_CAPTURE, {"--out", "README.md/sub"}, "capture: --out: cannot make folder README.md/sub: Not a directory\n"},
        {PINAKORA_CAPTURE, {"--video", "tour.wav"},
         "capture: --video: .wav is no video format this tool writes; use .mp4, .mkv, .webm, .webp or .gif\n"},
        {PINAKORA_CAPTURE, {"--video", "/proc/nope/tour.mp4"},
         "capture: --video: cannot write /proc/nope/tour.mp4: No such file or directory\n"},
        {PINAKORA_BENCHMARK, {"--frames", "0"}, "benchmark: --frames: 0 is not a whole number in 1..10000000\n"},
        {PINAKORA_BINARY, {"--window", "1280"}, "pinakora: --window: 1280 is not a size; want WxH with 1..8192\n"},
    };
    for (const BadRun& r : runs) {
        const ToolRun run = runTool(r.binary, r.args, false);
        EXPECT_EQ(run.status, 2) << r.line;
        EXPECT_EQ(run.err, r.line);
        EXPECT_EQ(run.out, "") << r.line;
    }
    std::filesystem::remove_all(badHall);
}

TEST(CaptureTool, SurroundingsItCannotWorkInEndWithOneAndALineSayingWhy)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs a display (the test command runs under Xvfb)";
    // A copy of the tool far from any data, run from a folder without it.
    const std::filesystem::path alone =
        std::filesystem::temp_directory_path() / ("pinakora-alone-" + std::to_string(::getpid()));
    std::filesystem::create_directories(alone);
    std::filesystem::copy_file(PINAKORA_CAPTURE, alone / "capture");
    Surroundings elsewhere;
    elsewhere.folder = alone.string();
    Surroundings oldDriver;
    oldDriver.environment = "MESA_GL_VERSION_OVERRIDE=3.2";
    const struct {
        const char* binary;
        Surroundings around;
        const char* line;
    } runs[] = {
        {PINAKORA_CAPTURE, oldDriver, "Error: OpenGL version 3.3 not supported.\n       Your version is 3.2.\n"},
        {nullptr, elsewhere, "capture: the hall's data (res/models, res/textures and shaders/) was not found"},
    };
    const std::string copy = (alone / "capture").string();
    for (const auto& r : runs) {
        const ToolRun run = runTool(r.binary ? r.binary : copy.c_str(), {"--size", "32x18"}, true, r.around);
        EXPECT_EQ(run.status, 1) << r.line;
        EXPECT_EQ(run.err.find(r.line), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), r.binary ? 3 : 1) << run.err;
    }
    std::filesystem::remove_all(alone);
}

TEST(CaptureTool, ClosedOrBrokenConsoleCostsNoFrameAndAStoppedVideoLeavesNothing)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs a display (the test command runs under Xvfb)";
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("pinakora-console-" + std::to_string(::getpid()));
    Surroundings closed, broken;
    closed.closedOutput = true;
    broken.brokenOutput = true;
    for (const Surroundings& around : {closed, broken}) {
        std::filesystem::remove_all(dir);
        const ToolRun run =
            runTool(PINAKORA_CAPTURE, {"--at", "0,0.1,0.2", "--step", "0.1", "--size", "32x18", "--out", dir.string()},
                    true, around);
        EXPECT_EQ(run.status, 0) << run.err;
        // Time 0 is drawn by the first frame, but its file says the time asked for.
        EXPECT_TRUE(std::filesystem::exists(dir / "frame-0000.000s.png"));
        EXPECT_TRUE(std::filesystem::exists(dir / "frame-0000.100s.png"));
        EXPECT_TRUE(std::filesystem::exists(dir / "frame-0000.200s.png"));
        const std::string said = "capture: standard output cannot be written (Broken pipe)";
        const size_t first = run.err.find(said);
        EXPECT_EQ(first != std::string::npos, around.brokenOutput) << run.err;
        if (first != std::string::npos) {
            EXPECT_EQ(run.err.find(said, first + 1), std::string::npos) << "said once: " << run.err;
        }
    }
    // Stopped by a hang-up half way, the video is taken away and the signal is the status.
    std::filesystem::create_directories(dir);
    Surroundings hangUp;
    hangUp.signalAfterSeconds = 4;
    const std::string video = (dir / "tour.mp4").string();
    const ToolRun run = runTool(PINAKORA_CAPTURE, {"--video", video, "--size", "32x18", "--until", "600"}, true, hangUp);
    EXPECT_EQ(run.status, 128 + SIGHUP) << run.err;
    EXPECT_FALSE(std::filesystem::exists(video));
    EXPECT_NE(run.err.find("capture: stopped; " + video + " removed"), std::string::npos) << run.err;
    std::filesystem::remove_all(dir);
}

struct DecodedVideo {
    int frames = 0;
    int width = 0, height = 0;
    double durationSeconds = 0.0;
    std::vector<std::vector<unsigned char>> rgb;  // top row first
};

DecodedVideo decode(const std::string& path)
{
    DecodedVideo video;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return video;
    avformat_find_stream_info(format, nullptr);
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        avformat_close_input(&format);
        return video;
    }
    AVStream* stream = format->streams[index];
    video.durationSeconds = static_cast<double>(stream->duration) * av_q2d(stream->time_base);
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    AVCodecContext* codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(codec, stream->codecpar);
    avcodec_open2(codec, decoder, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto take = [&]() {
        while (avcodec_receive_frame(codec, frame) == 0) {
            ++video.frames;
            video.width = frame->width;
            video.height = frame->height;
            SwsContext* toRgb = sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                               frame->width, frame->height, AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr,
                                               nullptr, nullptr);
            std::vector<unsigned char> rgb(static_cast<size_t>(frame->width) * frame->height * 3);
            uint8_t* planes[1] = {rgb.data()};
            const int strides[1] = {frame->width * 3};
            sws_scale(toRgb, frame->data, frame->linesize, 0, frame->height, planes, strides);
            sws_freeContext(toRgb);
            video.rgb.push_back(std::move(rgb));
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index) {
            avcodec_send_packet(codec, packet);
            take();
        }
        av_packet_unref(packet);
    }
    avcodec_send_packet(codec, nullptr);
    take();
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return video;
}

TEST(CaptureTool, VideoOfTheTourDecodesToThePngFramesOfTheSameTimes)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs a display (the test command runs under Xvfb)";
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("pinakora-video-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string video = (dir / "tour.mp4").string();

    // Four frames at 10 per second: they show 0.1, 0.2, 0.3 and 0.4 seconds of the tour,
    // which looks at the teapot for its first 20 s: one cue, cut at the video's end, in the
    // subtitles beside it and burnt into every frame.
    ToolRun run = runTool(PINAKORA_CAPTURE,
                          {"--video", video, "--fps", "10", "--until", "0.4", "--size", "160x90", "--captions"}, true);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(video + "\n"), std::string::npos) << run.out;
    EXPECT_EQ(slurp((dir / "tour.vtt").string()),
              "WEBVTT\n\n1\n00:00:00.000 --> 00:00:00.400\nMirror teapot\nPinakora workshop, 2025\n");
    const std::filesystem::path plainDir = dir / "plain";
    for (const std::filesystem::path& out : {dir, plainDir}) {
        std::vector<std::string> args{"--at", "0.3", "--step", "0.1", "--size", "160x90", "--out", out.string()};
        if (out == dir)
            args.push_back("--captions");
        run = runTool(PINAKORA_CAPTURE, args, true);
        ASSERT_EQ(run.status, 0) << run.err;
    }

    const DecodedVideo decoded = decode(video);
    EXPECT_EQ(decoded.frames, 4);
    EXPECT_EQ(decoded.width, 160);
    EXPECT_EQ(decoded.height, 90);
    EXPECT_NEAR(decoded.durationSeconds, 0.4, 0.1);  // within one frame
    ASSERT_GE(decoded.rgb.size(), 3u);

    FIBITMAP* png = FreeImage_Load(FIF_PNG, (dir / "frame-0000.300s.png").c_str(), PNG_DEFAULT);
    ASSERT_NE(png, nullptr);
    ASSERT_EQ(FreeImage_GetWidth(png), 160u);
    ASSERT_EQ(FreeImage_GetHeight(png), 90u);
    // H.264 at quality 18 with 4:2:0 colour: on this picture the mean difference stays
    // near 2 levels of 255 (3 with the caption's sharp letters); a wrong frame, flipped rows
    // or swapped channels give 10 and more.
    double difference = 0.0;
    for (int y = 0; y < 90; ++y) {
        const BYTE* row = FreeImage_GetScanLine(png, 89 - y);  // FreeImage keeps the bottom row first
        for (int x = 0; x < 160; ++x) {
            const unsigned char* v = &decoded.rgb[2][(static_cast<size_t>(y) * 160 + x) * 3];
            difference += std::abs(v[0] - row[x * 3 + FI_RGBA_RED]) + std::abs(v[1] - row[x * 3 + FI_RGBA_GREEN]) +
                          std::abs(v[2] - row[x * 3 + FI_RGBA_BLUE]);
        }
    }
    FreeImage_Unload(png);
    const double meanDifference = difference / (160.0 * 90.0 * 3.0);
    EXPECT_LT(meanDifference, 4.0);
    RecordProperty("meanAbsoluteDifference", std::to_string(meanDifference));

    // The tour moves enough in 0.2 s that the wrong frame would stand out (about 13).
    double other = 0.0;
    for (size_t i = 0; i < decoded.rgb[2].size(); ++i)
        other += std::abs(decoded.rgb[0][i] - decoded.rgb[2][i]);
    EXPECT_GT(other / static_cast<double>(decoded.rgb[2].size()), 2.0 * meanDifference);

    // The caption changes one strip at the bottom centre, a dark box filled (nearly every
    // pixel darkened) with light letters, and nothing else.
    FIBITMAP* plain = FreeImage_Load(FIF_PNG, (plainDir / "frame-0000.300s.png").c_str(), PNG_DEFAULT);
    FIBITMAP* captioned = FreeImage_Load(FIF_PNG, (dir / "frame-0000.300s.png").c_str(), PNG_DEFAULT);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(captioned, nullptr);
    int left = 160, right = -1, top = 90, bottom = -1;
    auto rgb = [](FIBITMAP* image, int x, int y) { return FreeImage_GetScanLine(image, 89 - y) + x * 3; };
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 160; ++x)
            if (!std::equal(rgb(plain, x, y), rgb(plain, x, y) + 3, rgb(captioned, x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, left) << "the caption is drawn";
    EXPECT_NEAR(left + right, 159, 1) << "centred";
    EXPECT_GT(top, 30) << "below the picture's upper third";
    EXPECT_GE(bottom, 80) << "near the bottom";
    EXPECT_LT(bottom, 89) << "above the edge";
    int darker = 0, light = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            const BYTE* before = rgb(plain, x, y);
            const BYTE* after = rgb(captioned, x, y);
            darker += after[0] + after[1] + after[2] < before[0] + before[1] + before[2];
            light += std::min({after[0], after[1], after[2]}) > 200;
        }
    const int area = (right - left + 1) * (bottom - top + 1);
    EXPECT_GT(darker, area * 3 / 4) << "of " << area;
    EXPECT_GT(light, 20) << "letters";
    RecordProperty("captionStrip", std::to_string(right - left + 1) + "x" + std::to_string(bottom - top + 1) + ", " +
                                      std::to_string(darker) + " darker, " + std::to_string(light) + " light");
    FreeImage_Unload(plain);
    FreeImage_Unload(captioned);

    // Subtitles are not written through a link planted at their name.
    std::ofstream(dir / "kept.txt") << "kept";
    std::filesystem::create_symlink(dir / "kept.txt", dir / "linked.vtt");
    run = runTool(PINAKORA_CAPTURE, {"--video", (dir / "linked.mp4").string(), "--fps", "10", "--until", "0.1",
                                     "--size", "32x18", "--captions"}, true);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Could not write " + (dir / "linked.vtt").string() +
                           ": it is a symbolic link, which is not followed\n"), std::string::npos) << run.err;
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "linked.vtt"));
    EXPECT_EQ(slurp((dir / "kept.txt").string()), "kept");
    std::filesystem::remove_all(dir);
}

// Two exhibits, one untitled, and a caption that is markup if not escaped.
// A model file of others' making with its pictures, as installed by assimp-testmodels.
struct TexturedModel {
    const char* name;
    const char* folder;               // under /usr/share/assimp/models
    std::vector<const char*> files;   // copied into the exhibition's models/
    const char* model;
    const char* texture;              // the picture compared with (the bare twin loses all its pictures); empty: embedded
    const char* texturedKey;          // embedded: this text of the model blanked to the same length instead
};

// 24-bit pixels of a PNG, top row last as FreeImage keeps them; empty when unreadable.
std::vector<BYTE> pixelsOf(const std::filesystem::path& file, unsigned& width, unsigned& height)
{
    FIBITMAP* loaded = FreeImage_Load(FreeImage_GetFileType(file.c_str(), 0), file.c_str(), 0);
    if (!loaded)
        return {};
    FIBITMAP* image = FreeImage_ConvertTo24Bits(loaded);
    FreeImage_Unload(loaded);
    width = FreeImage_GetWidth(image);
    height = FreeImage_GetHeight(image);
    std::vector<BYTE> pixels;
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(image, static_cast<int>(y));
        pixels.insert(pixels.end(), row, row + width * 3);
    }
    FreeImage_Unload(image);
    return pixels;
}

// Mean colour's chromaticity (red and green shares of the sum) over the pixels `mask` marks
// (all where it is empty).
glm::vec2 chromaticity(const std::vector<BYTE>& bgr, const std::vector<bool>& mask)
{
    glm::dvec3 sum(0.0);
    for (size_t i = 0; i * 3 < bgr.size(); ++i)
        if (mask.empty() || mask[i])
            sum += glm::dvec3(bgr[i * 3 + 2], bgr[i * 3 + 1], bgr[i * 3]);
    const double total = sum.r + sum.g + sum.b;
    return total > 0 ? glm::vec2(sum.r / total, sum.g / total) : glm::vec2(1.0f / 3.0f);
}

// Degrees between the hues of two chromaticities.
float hueApart(glm::vec2 a, glm::vec2 b)
{
    const auto hue = [](glm::vec2 c) {
        const float r = c.x, g = c.y, bl = 1.0f - c.x - c.y;
        // The hexcone's hue through its angle in the plane across the grey axis.
        return std::atan2(std::sqrt(3.0f) * (g - bl), 2.0f * r - g - bl);
    };
    const float apart = std::fabs(hue(a) - hue(b));
    return glm::degrees(std::min(apart, 2.0f * glm::pi<float>() - apart));
}

// The model's own picture, or for an embedded one the first PNG or JPEG in the file's bytes.
std::vector<BYTE> texturePixels(const std::filesystem::path& folder, const TexturedModel& m)
{
    unsigned w = 0, h = 0;
    if (*m.texture)
        return pixelsOf(folder / m.texture, w, h);
    const std::string bytes = slurp((folder / m.model).string());
    const size_t at = std::min(bytes.find("\x89PNG"), bytes.find("\xff\xd8\xff"));
    if (at == std::string::npos)
        return {};
    const std::filesystem::path extracted = std::filesystem::temp_directory_path() /
                                            ("pinakora-embedded-" + std::to_string(::getpid()));
    std::ofstream(extracted, std::ios::binary) << bytes.substr(at);
    std::vector<BYTE> pixels = pixelsOf(extracted, w, h);
    std::filesystem::remove(extracted);
    return pixels;
}

TEST(CaptureTool, ModelsShowTheirOwnTextures)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs a display (the test command runs under Xvfb)";
    const std::filesystem::path models = "/usr/share/assimp/models";
    if (!std::filesystem::is_directory(models))
        GTEST_SKIP() << "needs the package assimp-testmodels (tools/setup.sh installs it)";
    const TexturedModel cases[] = {
        {"glTF binary, embedded PNG", "glTF2/BoxTextured-glTF-Binary", {"BoxTextured.glb"}, "BoxTextured.glb", "",
         "\"baseColorTexture\""},
        {"OBJ and MTL with JPEGs", "OBJ",
         {"spider.obj", "spider.mtl", "SpiderTex.jpg", "drkwood2.jpg", "engineflare1.jpg", "wal67ar_small.jpg",
          "wal69ar_small.jpg"},
         "spider.obj", "SpiderTex.jpg", ""},
        {"COLLADA with a TGA", "Collada", {"duck.dae", "duckCM.tga"}, "duck.dae", "duckCM.tga", ""},
    };
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("pinakora-textured-" + std::to_string(::getpid()));
    for (const TexturedModel& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path source = models / c.folder;
        if (*c.texture) {
            std::string bytes, problem;
            readWholeFile((source / c.texture).string(), maxImageFileBytes, bytes, problem);
            FIBITMAP* decoded = decodeImageBytes(bytes, ImageLimits(), problem);
            if (!decoded) {
                std::cout << c.name << ": skipped, the viewer does not decode " << c.texture << " yet (" << problem
                          << ")" << std::endl;
                continue;
            }
            FreeImage_Unload(decoded);
        }
        // The model on a pedestal, the same without its picture, and the room without it.
        std::vector<std::vector<BYTE>> shots;
        unsigned width = 0, height = 0;
        for (const char* variant : {"textured", "bare", "empty"}) {
            const std::filesystem::path hall = dir / variant;
            std::filesystem::remove_all(hall);
            std::filesystem::create_directories(hall / "models");
            for (const char* file : c.files)
                std::filesystem::copy_file(source / file, hall / "models" / file);
            if (std::string(variant) == "bare") {
                if (*c.texture) {
                    // Every picture the model names goes, not only the one compared with.
                    for (const char* file : c.files) {
                        const std::string kind = std::filesystem::path(file).extension().string();
                        if (kind == ".jpg" || kind == ".png" || kind == ".tga")
                            std::filesystem::remove(hall / "models" / file);
                    }
                } else {
                    std::string bytes = slurp((hall / "models" / c.model).string());
                    const size_t at = bytes.find(c.texturedKey);
                    ASSERT_NE(at, std::string::npos);
                    bytes.replace(at + 1, std::strlen(c.texturedKey) - 2, std::strlen(c.texturedKey) - 2, 'x');
                    std::ofstream(hall / "models" / c.model, std::ios::binary | std::ios::trunc) << bytes;
                }
            }
            const std::string exhibit = std::string(variant) == "empty" ? "" : R"(
                { "model": "models/)" + std::string(c.model) + R"(", "position": [0, 0, 0], "height": 150,
                  "rotation": [0, 30, 0], "pedestal": { "size": [300, 100, 300] } })";
            std::ofstream(hall / "exhibition.json") << R"({
              "format": "pinakora-exhibition/1",
              "room": { "size": [2000, 900, 2000] },
              "lights": [ { "position": [0, 300, 450], "color": [1.5, 1.5, 1.5] } ],
              "exhibits": [)" + exhibit + R"(],
              "tour": [ { "eye": [0, 300, 450], "target": [0, 200, 0] } ]
            })";
            const ToolRun run = runTool(PINAKORA_CAPTURE, {"--hall", hall.string(), "--at", "0", "--size", "320x180",
                                                           "--out", (hall / "shot").string()}, true);
            ASSERT_EQ(run.status, 0) << run.err;
            std::filesystem::path png;
            for (const auto& entry : std::filesystem::directory_iterator(hall / "shot"))
                png = entry.path();
            shots.push_back(pixelsOf(png, width, height));
            ASSERT_EQ(shots.back().size(), size_t(320 * 180 * 3));
        }
        // The model's pixels: where the bare model differs from the empty room.
        const std::vector<BYTE>&textured = shots[0], &bare = shots[1], &empty = shots[2];
        std::vector<bool> model(textured.size() / 3, false);
        size_t modelPixels = 0, changed = 0;
        for (size_t i = 0; i < model.size(); ++i) {
            int apart = 0, textureShows = 0;
            for (int k = 0; k < 3; ++k) {
                apart = std::max(apart, std::abs(bare[i * 3 + k] - empty[i * 3 + k]));
                textureShows = std::max(textureShows, std::abs(textured[i * 3 + k] - bare[i * 3 + k]));
            }
            model[i] = apart > 8;
            modelPixels += model[i];
            changed += model[i] && textureShows > 16;
        }
        ASSERT_GT(modelPixels, size_t(2000)) << "the model fills part of the picture";
        EXPECT_GT(static_cast<double>(changed) / static_cast<double>(modelPixels), 0.1)
            << "the picture shows on the model";
        const std::vector<BYTE> picture = texturePixels(source, c);
        ASSERT_FALSE(picture.empty());
        const glm::vec2 want = chromaticity(picture, {});
        const float withPicture = glm::distance(chromaticity(textured, model), want);
        const float without = glm::distance(chromaticity(bare, model), want);
        EXPECT_LT(withPicture, without) << "the model takes the picture's colours";
        EXPECT_LT(hueApart(chromaticity(textured, model), want), 25.0f) << "the model takes the picture's hue";
    }
    std::filesystem::remove_all(dir);
}

TEST(CaptureTool, CatalogueHasOnePicturePerExhibitAndEscapesItsCaptions)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs a display (the test command runs under Xvfb)";
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("pinakora-catalogue-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "hall");
    std::ofstream(dir / "hall" / "exhibition.json") << R"({
      "format": "pinakora-exhibition/1",
      "title": "Pots & <pans>",
      "room": { "size": [2000, 900, 2000] },
      "lights": [ { "position": [0, 800, 300] } ],
      "exhibits": [
        { "model": "pinakora:models/teapot.obj", "position": [-400, 0, -300], "height": 170,
          "pedestal": { "size": [200, 300, 200] },
          "caption": { "title": "Tea <b>for</b> two & \"one\"", "maker": "O'Hara", "alt": "A \"tall\" <pot>" } },
        { "model": "pinakora:models/Sphere.dae", "position": [400, 0, -300], "height": 200 }
      ]
    })";
    const std::filesystem::path out = dir / "catalogue";
    const ToolRun run = runTool(PINAKORA_CAPTURE, {"--catalog", out.string(), "--hall", (dir / "hall").string(),
                                                   "--size", "160x90"}, true);
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::vector<BYTE>> pictures;
    for (const char* name : {"exhibit-00.png", "exhibit-01.png"}) {
        FIBITMAP* png = FreeImage_Load(FIF_PNG, (out / name).c_str(), PNG_DEFAULT);
        ASSERT_NE(png, nullptr) << name;
        EXPECT_EQ(FreeImage_GetWidth(png), 160u);
        EXPECT_EQ(FreeImage_GetHeight(png), 90u);
        const BYTE* bits = FreeImage_GetBits(png);
        pictures.emplace_back(bits, bits + FreeImage_GetPitch(png) * 90);
        FreeImage_Unload(png);
    }
    EXPECT_NE(pictures[0], pictures[1]) << "each from its own exhibit's view";
    EXPECT_FALSE(std::filesystem::exists(out / "exhibit-02.png"));
    const std::string html = slurp((out / "index.html").string());
    EXPECT_NE(html.find("<h2>Tea &lt;b&gt;for&lt;/b&gt; two &amp; &quot;one&quot;</h2>"), std::string::npos) << html;
    EXPECT_NE(html.find("<img src=\"exhibit-00.png\" alt=\"A &quot;tall&quot; &lt;pot&gt;\">"), std::string::npos);
    EXPECT_NE(html.find("O&#39;Hara"), std::string::npos);
    EXPECT_NE(html.find("<title>Pots &amp; &lt;pans&gt;: catalogue</title>"), std::string::npos);
    EXPECT_NE(html.find("<h2>Exhibit 1</h2>"), std::string::npos) << "a title where the file gives none";
    EXPECT_EQ(html.find("<script"), std::string::npos);

    // Run again on a full disk, the page that was there stays whole and nothing is left
    // beside it; with a link planted at its name, what the link points at is untouched.
    Surroundings full;
    full.fileSizeLimit = 300;  // room for the error lines, none for a picture or the page's head
    ToolRun again = runTool(PINAKORA_CAPTURE, {"--catalog", out.string(), "--hall", (dir / "hall").string(),
                                               "--size", "160x90"}, true, full);
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("Could not write " + (out / "index.html").string() + ": File too large\n"),
              std::string::npos) << again.err;
    EXPECT_EQ(slurp((out / "index.html").string()), html);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 3);
    std::ofstream(dir / "kept.txt") << "kept";
    std::filesystem::remove(out / "index.html");
    std::filesystem::create_symlink(dir / "kept.txt", out / "index.html");
    again = runTool(PINAKORA_CAPTURE, {"--catalog", out.string(), "--hall", (dir / "hall").string(), "--size", "32x18"}, true);
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("Could not write " + (out / "index.html").string() +
                             ": it is a symbolic link, which is not followed\n"), std::string::npos) << again.err;
    EXPECT_TRUE(std::filesystem::is_symlink(out / "index.html"));
    EXPECT_EQ(slurp((dir / "kept.txt").string()), "kept");
    std::filesystem::remove_all(dir);
}

// The room of the exhibition format's documentation under three white lights: exposed
// automatically, its walls and floor keep their texture (few pixels white, the middle grey
// well up); with the exposure off, as the built-in hall is drawn, much of it turns white.
TEST(CaptureTool, ThreeBrightLightsLookBrightNotWhite)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs a display (the test command runs under Xvfb)";
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("pinakora-bright-" + std::to_string(::getpid()));
    const std::string room = R"(
      "format": "pinakora-exhibition/1",
      "room": { "size": [3000, 900, 2400],
                "walls": { "texture": "pinakora:textures/white.jpg", "normalMap": "pinakora:textures/paving05n.jpg",
                           "specularMap": "pinakora:textures/paving05s.jpg" },
                "floor": { "texture": "pinakora:textures/brick13.jpg" } },
      "lights": [ { "position": [0, 800, 0], "color": [1, 1, 1] },
                  { "position": [900, 600, 400], "color": [1, 1, 1], "orbit": { "radius": 500, "seconds": 20 } },
                  { "position": [-900, 600, -400], "color": [1, 1, 1] } ],
      "exhibits": [
        { "model": "pinakora:models/figure.obj", "position": [0, 0, -600], "height": 120, "rotation": [0, 30, 0],
          "pedestal": { "size": [100, 110, 100], "texture": "pinakora:textures/marble.jpg" },
          "material": { "texture": "pinakora:textures/metal06.jpg", "shininess": 40 } },
        { "model": "pinakora:models/teapot.obj", "position": [600, 0, 0], "scale": 2.5, "material": { "kind": "mirror" } } ],
      "tour": [ { "eye": [0, 300, 1800], "target": [0, 100, 0], "seconds": 6 }, { "exhibit": 0, "seconds": 8 } ])";
    struct Shown {
        double white;       // the share of pixels whose every channel is 245 or above
        double medianGrey;  // of the luminance, 0 to 1
    };
    auto capture = [&](const char* name, const std::string& exposure, int seconds) {
        const std::filesystem::path hall = dir / name;
        std::filesystem::create_directories(hall / "out");
        std::ofstream(hall / "exhibition.json") << "{" << exposure << room << "}";
        const ToolRun run = runTool(PINAKORA_CAPTURE, {"--hall", hall.string(), "--at", std::to_string(seconds), "--step",
                                                       "1", "--size", "480x270", "--out", (hall / "out").string()}, true);
        EXPECT_EQ(run.status, 0) << run.err;
        char frame[40];
        std::snprintf(frame, sizeof frame, "frame-%08.3fs.png", static_cast<double>(seconds));
        const std::string png = (hall / "out" / frame).string();
        FIBITMAP* bitmap = FreeImage_Load(FIF_PNG, png.c_str(), PNG_DEFAULT);
        if (!bitmap) {
            ADD_FAILURE() << png << " was not written";
            return Shown{1.0, 0.0};
        }
        FIBITMAP* rgb = FreeImage_ConvertTo24Bits(bitmap);
        FreeImage_Unload(bitmap);
        const unsigned width = FreeImage_GetWidth(rgb), height = FreeImage_GetHeight(rgb);
        std::vector<double> greys;
        size_t white = 0;
        for (unsigned y = 0; y < height; ++y) {
            const BYTE* row = FreeImage_GetScanLine(rgb, static_cast<int>(y));
            for (unsigned x = 0; x < width; ++x) {
                const BYTE* p = row + 3 * x;
                const int b = p[FI_RGBA_BLUE], g = p[FI_RGBA_GREEN], r = p[FI_RGBA_RED];
                white += r >= 245 && g >= 245 && b >= 245 ? 1 : 0;
                greys.push_back((0.2126 * r + 0.7152 * g + 0.0722 * b) / 255.0);
            }
        }
        FreeImage_Unload(rgb);
        std::nth_element(greys.begin(), greys.begin() + static_cast<long>(greys.size() / 2), greys.end());
        return Shown{static_cast<double>(white) / static_cast<double>(width * height), greys[greys.size() / 2]};
    };
    const Shown exposed = capture("auto", "", 33);
    EXPECT_LE(exposed.white, 0.05) << "a bright room shows its walls, not white";
    EXPECT_GE(exposed.medianGrey, 0.25) << "and is not dark either";
    const Shown plain = capture("off", R"("exposure": "off",)", 1);
    EXPECT_GE(plain.white, 0.2) << "the room is one the fixed exposure washes out";
    std::filesystem::remove_all(dir);
}

} // namespace
