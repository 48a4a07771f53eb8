// Deterministic frames of the hall: runs the real start-up and frame on a hidden window
// with a fixed clock and writes chosen frames as PNG.
//
//   capture [--size 1920x1080] [--step 0.0333333] [--every 5] [--until 90]
//           [--at t1,t2,...] [--out captures]
#include "app/application.h"
#include "app/frameClock.h"
#include "render/frameCapture.h"

#include <GLFW/glfw3.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

namespace {

void usage()
{
    std::cerr << "usage: capture [--size WxH] [--step seconds] [--every seconds] [--until seconds]\n"
                 "               [--at t1,t2,...] [--out folder]\n";
}

} // namespace

int main(int argc, char** argv)
{
    int width = 1920, height = 1080;
    double step = 1.0 / 30.0, every = 0.0, until = 0.0;
    std::set<long> captureFrames;
    std::vector<double> times;
    std::string out = "captures";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) {
            usage();
            return 2;
        }
        ++i;
        if (arg == "--size" && std::sscanf(value, "%dx%d", &width, &height) == 2) {
        } else if (arg == "--step") {
            step = std::atof(value);
        } else if (arg == "--every") {
            every = std::atof(value);
        } else if (arg == "--until") {
            until = std::atof(value);
        } else if (arg == "--at") {
            std::stringstream list(value);
            for (std::string t; std::getline(list, t, ',');)
                times.push_back(std::atof(t.c_str()));
        } else if (arg == "--out") {
            out = value;
        } else {
            usage();
            return 2;
        }
    }
    if (step <= 0.0 || width <= 0 || height <= 0) {
        usage();
        return 2;
    }
    if (every > 0.0)
        for (double t = 0.0; t <= until + 1e-9; t += every)
            times.push_back(t);
    if (times.empty())
        times.push_back(0.0);
    // Frame n ends at time n * step; a time is captured at the first frame that reaches it.
    long lastFrame = 0;
    for (double t : times) {
        const long frame = std::max(1L, static_cast<long>(std::ceil(t / step - 1e-9)));
        captureFrames.insert(frame);
        lastFrame = std::max(lastFrame, frame);
    }

    if (!startHidden(width, height)) {
        std::cerr << "Failed to initialize OpenGL window." << std::endl;
        glfwTerminate();
        return 1;
    }
    std::filesystem::create_directories(out);
    for (long frame = 1; frame <= lastFrame; ++frame) {
        runFrame(step);
        if (captureFrames.count(frame)) {
            char name[64];
            std::snprintf(name, sizeof name, "frame-%08.3fs.png", static_cast<double>(frame) * step);
            const std::string path = (std::filesystem::path(out) / name).string();
            if (writePng(readPresentedFrame(), path))
                std::cout << path << std::endl;
            else
                std::cerr << "Could not write " << path << std::endl;
        }
    }
    glfwTerminate();
    return 0;
}
