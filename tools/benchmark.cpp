// Frame benchmark: runs the real frame with a fixed clock on a hidden window and reports,
// per pass and for the whole frame, median and 90th-percentile times from GL timestamp
// queries and from the wall clock; the start-up steps; and the peak resident memory.
// With --trivial-ratio it repeats the run with every program replaced by a flat one and
// prints real/trivial: what our shading costs above the bare work of the passes.
// Resident memory and the band of heap in use over the 100 frames up to frame 100 and
// over the last 100 frames show whether a long run grows (--frames 10000 for the long
// check); the driver's working memory swings by a few MiB from frame to frame, so a
// leak shows as a band that moves up, not as two single readings that differ.
//
//   benchmark [--frames 300] [--size 1920x1080] [--step 0.0333333] [--settle 100] [--trivial-ratio] [--json]
//             [--labels] [--hall folder] [--scale F|auto] [--target-ms 33]
// With --scale auto the scale follows each frame's wall time, as the viewer's does; the
// scale it ends at and the frame time it holds from its last change on are reported.
// With --labels every frame carries the exhibits' name tags (as after L), to weigh them.
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
#include "programs/programs.h"
#include "render/renderer.h"

#include <GLFW/glfw3.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <malloc.h>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <ctime>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int passCount = static_cast<int>(FramePass::Count);

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// CPU time of the whole process, the rasterizer's threads included: on a machine shared
// with other work the wall clock also counts the waiting, the CPU time only the work.
double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Samples {
    std::vector<double> gpu[passCount + 1];
    std::vector<double> wall[passCount + 1];
    std::vector<double> cpu[passCount + 1];
};

// Brackets each pass with timestamp queries, and with glFinish so the wall clock sees the
// pass's own work (the software rasterizer runs commands lazily).
class Recorder : public PassRecorder {
public:
    struct Pending {
        int pass;
        GLuint queries[2];
        double wallMs;
        double cpuMs;
    };
    std::vector<Pending> pending;
    Clock::time_point wallStart;
    double cpuStart = 0.0;
    GLuint openQuery = 0;

    void begin(FramePass) override
    {
        glFinish();
        GLuint q[2];
        glGenQueries(2, q);
        glQueryCounter(q[0], GL_TIMESTAMP);
        pending.push_back({-1, {q[0], q[1]}, 0.0, 0.0});
        wallStart = Clock::now();
        cpuStart = processCpuMs();
    }
    void end(FramePass pass) override
    {
        Pending& p = pending.back();
        glQueryCounter(p.queries[1], GL_TIMESTAMP);
        glFinish();
        p.wallMs = millisecondsSince(wallStart);
        p.cpuMs = processCpuMs() - cpuStart;
        p.pass = static_cast<int>(pass);
    }
    void collect(Samples& samples)
    {
        for (Pending& p : pending) {
            GLuint64 t0 = 0, t1 = 0;
            glGetQueryObjectui64v(p.queries[0], GL_QUERY_RESULT, &t0);
            glGetQueryObjectui64v(p.queries[1], GL_QUERY_RESULT, &t1);
            glDeleteQueries(2, p.queries);
            samples.gpu[p.pass].push_back(static_cast<double>(t1 - t0) / 1e6);
            samples.wall[p.pass].push_back(p.wallMs);
            samples.cpu[p.pass].push_back(p.cpuMs);
        }
        pending.clear();
    }
};

double percentile(std::vector<double> values, double q)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(q * static_cast<double>(values.size())));
    return values[index];
}

// The early mark is taken once the frames have settled (--settle, frame 100 unless
// told); the late one after the last.
int settledFrame = 100;
bool withLabels = false;
constexpr int memoryWindow = 100;

// What memory the process holds at one frame: resident pages, and the lowest and
// highest heap in use over the frames before it.
struct MemoryMark {
    int frame = 0;
    long residentKb = 0;
    long heapMinKb = 0;
    long heapMaxKb = 0;
};

long heapInUseKb() { return static_cast<long>(mallinfo2().uordblks / 1024); }

MemoryMark markMemory(int frame, const std::vector<long>& heapByFrame)
{
    MemoryMark mark;
    mark.frame = frame;
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) == 2)
            mark.residentKb = resident * (sysconf(_SC_PAGESIZE) / 1024);
        std::fclose(statm);
    }
    const auto last = heapByFrame.begin() + frame;
    const auto first = last - std::min(frame, memoryWindow);
    if (first != last) {
        const auto [low, high] = std::minmax_element(first, last);
        mark.heapMinKb = *low;
        mark.heapMaxKb = *high;
    }
    return mark;
}

std::string markText(const MemoryMark& mark)
{
    char text[160];
    std::snprintf(text, sizeof text,
                  "after frame %-6d resident %.1f MiB, heap in use %.1f to %.1f MiB over the %d frames before",
                  mark.frame, static_cast<double>(mark.residentKb) / 1024.0,
                  static_cast<double>(mark.heapMinKb) / 1024.0, static_cast<double>(mark.heapMaxKb) / 1024.0,
                  std::min(mark.frame, memoryWindow));
    return text;
}

// A long run also writes a mark to standard error every so many frames, so its memory can
// be followed while it runs and is not lost if the run is cut short.
constexpr int longRunMarkEvery = 1000;

struct Result {
    double gpuMedian[passCount + 1], gpuP90[passCount + 1], wallMedian[passCount + 1], wallP90[passCount + 1];
    double cpuMedian[passCount + 1];
    // The render scale at the end, the frame after which it last changed, and the whole
    // frame's wall time over the frames since (all of them for a fixed scale).
    double finalScale;
    int lastScaleChange;
    double heldWallMedian, heldWallP90;
    MemoryMark settled, last;
    std::vector<std::pair<std::string, double>> startup;
    long peakRssKb = 0;
};

// The run's settings. The exhibition of --hall is read into the default application before
// any child starts, so every child starts from it.
RunLoop run;

std::vector<std::pair<std::string, double>> startupSteps;
Clock::time_point lastStep;

void recordStep(const char* step)
{
    startupSteps.emplace_back(step, millisecondsSince(lastStep));
    lastStep = Clock::now();
}

const char* const trivialLitVertex = R"(#version 330 core
layout(location = 0) in vec4 in_position;
layout(location = 1) in vec3 in_normal;
layout(location = 2) in vec2 in_texCoord;
layout(location = 3) in vec3 in_tangent;
layout(location = 4) in vec3 in_bitangent;
uniform mat4 projectionMatrix;
uniform mat4 modelMatrix;
uniform mat4 viewMatrix;
void main() { gl_Position = projectionMatrix * viewMatrix * modelMatrix * in_position; }
)";
const char* const trivialQuadVertex = R"(#version 330 core
layout(location = 0) in vec4 in_position;
layout(location = 2) in vec2 in_texCoord;
void main() { gl_Position = in_position; }
)";
const char* const flatFragment = R"(#version 330 core
out vec4 out_color;
void main() { out_color = vec4(0.5, 0.5, 0.5, 1.0); }
)";

// Flat stand-ins with the same inputs, passes and draw calls.
std::string writeTrivialShaders()
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("pinakora-trivial-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto write = [&](const std::string& name, const char* text) {
        std::string why;
        if (!writeWholeFile((dir / name).string(), text, &why))
            std::cerr << "benchmark: could not write " << (dir / name).string() << ": " << why << std::endl;
    };
    for (const char* lit : {"genericTextureShader", "normalMapTextureShader", "reflectingTextureShader"}) {
        write(std::string(lit) + ".vert", trivialLitVertex);
        write(std::string(lit) + ".frag", flatFragment);
    }
    write("shadowTextureShader.vert", trivialLitVertex);
    write("shadowTextureShader.frag", "#version 330 core\nvoid main() {}\n");
    for (const char* quad : {"framebufferShader", "bloomShader", "dofShader"}) {
        write(std::string(quad) + ".vert", trivialQuadVertex);
        write(std::string(quad) + ".frag", flatFragment);
    }
    return dir.string();
}

bool runBenchmark(int frames, int width, int height, double step, bool trivial, Result& result)
{
    if (trivial)
        shaderDirectory = writeTrivialShaders();
    startupStepDone = recordStep;
    lastStep = Clock::now();
    if (!openHidden(width, height))
        return false;
    const std::string refusal = driverSizeRefusal("--size", width, height, maximumDrawableSize());
    if (!refusal.empty()) {
        std::cerr << "benchmark: " << refusal << std::endl;
        glfwTerminate();
        _exit(2);
    }
    startRun(run);
    defaultView().labels = withLabels;
    result.startup = startupSteps;
    result.lastScaleChange = 0;

    Recorder recorder;
    defaultRenderer().timing.recorder = &recorder;
    Samples samples;
    // Room for every sample up front, so the benchmark's own bookkeeping does not grow
    // the heap it measures.
    for (int p = 0; p <= passCount; ++p) {
        samples.gpu[p].reserve(static_cast<size_t>(frames));
        samples.wall[p].reserve(static_cast<size_t>(frames));
        samples.cpu[p].reserve(static_cast<size_t>(frames));
    }
    recorder.pending.reserve(2 * passCount);
    std::vector<long> heapByFrame;
    heapByFrame.reserve(static_cast<size_t>(frames));
    ProgressLine progress(frames);
    for (int frame = 0; frame < frames; ++frame) {
        glFinish();
        const Clock::time_point frameStart = Clock::now();
        const double frameCpuStart = processCpuMs();
        GLuint frameQueries[2];
        glGenQueries(2, frameQueries);
        glQueryCounter(frameQueries[0], GL_TIMESTAMP);
        runFrame(step);
        glQueryCounter(frameQueries[1], GL_TIMESTAMP);
        glFinish();
        samples.wall[passCount].push_back(millisecondsSince(frameStart));
        // The automatic scale judges the wall time the viewer would have seen.
        const double scaleBefore = defaultRenderer().scale;
        timeFrame(defaultApplication(), samples.wall[passCount].back());
        if (defaultRenderer().scale != scaleBefore)
            result.lastScaleChange = frame + 1;
        samples.cpu[passCount].push_back(processCpuMs() - frameCpuStart);
        GLuint64 t0 = 0, t1 = 0;
        glGetQueryObjectui64v(frameQueries[0], GL_QUERY_RESULT, &t0);
        glGetQueryObjectui64v(frameQueries[1], GL_QUERY_RESULT, &t1);
        glDeleteQueries(2, frameQueries);
        samples.gpu[passCount].push_back(static_cast<double>(t1 - t0) / 1e6);
        recorder.collect(samples);
        heapByFrame.push_back(heapInUseKb());
        if (frame + 1 == std::min(settledFrame, frames))
            result.settled = markMemory(frame + 1, heapByFrame);
        if (frames >= 2 * longRunMarkEvery && (frame + 1) % longRunMarkEvery == 0) {
            progress.clear();
            std::cerr << markText(markMemory(frame + 1, heapByFrame)) << std::endl;
        }
        progress.update(frame + 1);
    }
    progress.finish();
    result.last = markMemory(frames, heapByFrame);
    result.finalScale = defaultRenderer().scale;
    const std::vector<double> held(samples.wall[passCount].begin() + std::min(result.lastScaleChange, frames),
                                   samples.wall[passCount].end());
    result.heldWallMedian = percentile(held, 0.5);
    result.heldWallP90 = percentile(held, 0.9);
    defaultRenderer().timing.recorder = nullptr;
    for (int p = 0; p <= passCount; ++p) {
        result.gpuMedian[p] = percentile(samples.gpu[p], 0.5);
        result.gpuP90[p] = percentile(samples.gpu[p], 0.9);
        result.wallMedian[p] = percentile(samples.wall[p], 0.5);
        result.wallP90[p] = percentile(samples.wall[p], 0.9);
        result.cpuMedian[p] = percentile(samples.cpu[p], 0.5);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    result.peakRssKb = usage.ru_maxrss;
    releaseApplication();
    glfwTerminate();
    return true;
}

// Each run gets a process of its own, so the trivial run starts from a clean slate.
// Returns the child's exit status: 0 with `result` filled, 2 for a size the driver
// refused (the child said so), 1 for any other failure.
int runInChild(int frames, int width, int height, double step, bool trivial, Result& result)
{
    int channel[2];
    if (pipe(channel) != 0)
        return 1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(channel[0]);
        // The viewer's own start-up lines would break the table and the JSON.
        if (!std::freopen("/dev/null", "w", stdout))
            _exit(1);
        Result r{};
        const bool ok = runBenchmark(frames, width, height, step, trivial, r);
        std::string blob(reinterpret_cast<const char*>(&r), offsetof(Result, startup));
        blob += std::string(reinterpret_cast<const char*>(&r.peakRssKb), sizeof r.peakRssKb);
        for (auto& [name, ms] : r.startup)
            blob += name + "=" + std::to_string(ms) + "\n";
        if (ok && write(channel[1], blob.data(), blob.size()) < 0)
            _exit(1);
        _exit(ok ? 0 : 1);
    }
    close(channel[1]);
    std::string blob;
    char buffer[4096];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        blob.append(buffer, static_cast<size_t>(n));
    close(channel[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    const size_t fixed = offsetof(Result, startup) + sizeof(long);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2)
        return 2;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || blob.size() < fixed)
        return 1;
    std::copy(blob.data(), blob.data() + offsetof(Result, startup), reinterpret_cast<char*>(&result));
    std::copy(blob.data() + offsetof(Result, startup), blob.data() + fixed, reinterpret_cast<char*>(&result.peakRssKb));
    size_t at = fixed;
    while (at < blob.size()) {
        const size_t eq = blob.find('=', at), nl = blob.find('\n', at);
        if (eq == std::string::npos || nl == std::string::npos)
            break;
        result.startup.emplace_back(blob.substr(at, eq - at), std::atof(blob.substr(eq + 1, nl - eq - 1).c_str()));
        at = nl + 1;
    }
    return 0;
}

void printTable(const Result& real, const Result* trivial, int frames, int width, int height)
{
    std::printf("Pinakora frame benchmark: %d frames at %dx%d\n\n", frames, width, height);
    std::printf("%-18s %11s %11s %11s %11s %11s%s\n", "pass", "gpu med ms", "gpu p90 ms", "wall med ms", "wall p90 ms",
                "cpu med ms", trivial ? "  real/trivial" : "");
    for (int p = 0; p <= passCount; ++p) {
        std::printf("%-18s %11.2f %11.2f %11.2f %11.2f %11.2f", passName(static_cast<FramePass>(p)),
                    real.gpuMedian[p], real.gpuP90[p], real.wallMedian[p], real.wallP90[p], real.cpuMedian[p]);
        if (trivial)
            std::printf("  %12.2f", trivial->wallMedian[p] > 0 ? real.wallMedian[p] / trivial->wallMedian[p] : 0.0);
        std::printf("\n");
    }
    if (run.settings.scale.given) {
        std::printf("\nrender scale %s", run.settings.scale.automatic ? "auto" : "fixed");
        if (run.settings.scale.automatic)
            std::printf(" (target %.0f ms)", run.settings.scale.targetMs);
        std::printf(": %.2f from frame %d on; whole frame since: wall med %.2f ms, p90 %.2f ms\n", real.finalScale,
                    real.lastScaleChange + 1, real.heldWallMedian, real.heldWallP90);
    }
    std::printf("\nstart-up\n");
    for (auto& [name, ms] : real.startup)
        std::printf("  %-16s %9.1f ms\n", name.c_str(), ms);
    std::printf("\npeak resident memory: %.1f MiB\n", static_cast<double>(real.peakRssKb) / 1024.0);
    for (const MemoryMark& mark : {real.settled, real.last})
        std::printf("%s\n", markText(mark).c_str());
}

void printJson(const Result& real, const Result* trivial, int frames, int width, int height)
{
    std::printf("{\"frames\": %d, \"width\": %d, \"height\": %d, \"passes\": {", frames, width, height);
    for (int p = 0; p <= passCount; ++p) {
        std::printf("%s\"%s\": {\"gpuMedianMs\": %.3f, \"gpuP90Ms\": %.3f, \"wallMedianMs\": %.3f, \"wallP90Ms\": %.3f, "
                    "\"cpuMedianMs\": %.3f",
                    p ? ", " : "", passName(static_cast<FramePass>(p)), real.gpuMedian[p], real.gpuP90[p],
                    real.wallMedian[p], real.wallP90[p], real.cpuMedian[p]);
        if (trivial)
            std::printf(", \"realOverTrivial\": %.3f",
                        trivial->wallMedian[p] > 0 ? real.wallMedian[p] / trivial->wallMedian[p] : 0.0);
        std::printf("}");
    }
    if (run.settings.scale.given)
        std::printf("}, \"scale\": {\"automatic\": %s, \"targetMs\": %.3f, \"final\": %.3f, \"fromFrame\": %d, "
                    "\"heldWallMedianMs\": %.3f, \"heldWallP90Ms\": %.3f",
                    run.settings.scale.automatic ? "true" : "false", run.settings.scale.targetMs, real.finalScale,
                    real.lastScaleChange + 1, real.heldWallMedian, real.heldWallP90);
    std::printf("}, \"startupMs\": {");
    for (size_t i = 0; i < real.startup.size(); ++i)
        std::printf("%s\"%s\": %.1f", i ? ", " : "", real.startup[i].first.c_str(), real.startup[i].second);
    std::printf("}, \"peakRssKiB\": %ld, \"memory\": [", real.peakRssKb);
    const MemoryMark marks[2] = {real.settled, real.last};
    for (int i = 0; i < 2; ++i)
        std::printf("%s{\"afterFrame\": %d, \"residentKiB\": %ld, \"heapMinKiB\": %ld, \"heapMaxKiB\": %ld}",
                    i ? ", " : "", marks[i].frame, marks[i].residentKb, marks[i].heapMinKb, marks[i].heapMaxKb);
    std::printf("]}\n");
}

} // namespace

int main(int argc, char** argv)
{
    const ProtectedConsole console("benchmark");
    Options options;
    std::string error;
    if (!parseCommandLine(Front::Benchmark, argumentList(argc, argv), options, error)) {
        std::cerr << "benchmark: " << error << std::endl;
        return 2;
    }
    if (options.help) {
        std::cout << helpText(Front::Benchmark);
        return 0;
    }
    run.settings = options;
    run.settings.fixedClock = true;
    if (!readRunHall(run.settings, error)) {
        std::cerr << printableText(error) << std::endl;
        return 2;
    }
    if (!findDataFolders("benchmark"))
        return 1;
    const int frames = options.frames, width = options.width, height = options.height;
    const double step = options.step;
    const bool json = options.json, ratio = options.trivialRatio;
    settledFrame = options.settle;
    withLabels = options.labels;
    Result real{}, trivial{};
    int status = runInChild(frames, width, height, step, false, real);
    if (status == 0 && ratio)
        status = runInChild(frames, width, height, step, true, trivial);
    if (status == 2)
        return 2;
    if (status != 0) {
        std::cerr << "Failed to initialize OpenGL window." << std::endl;
        return 1;
    }
    if (json)
        printJson(real, ratio ? &trivial : nullptr, frames, width, height);
    else
        printTable(real, ratio ? &trivial : nullptr, frames, width, height);
    return 0;
}
