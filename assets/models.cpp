#include "assets/models.h"

#include "assets/assetFiles.h"
#include "programs/shaderProgram.h"

#ifndef __EMSCRIPTEN__
#include "assets/modelImport.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <sys/stat.h>

std::map<short, ModelData*> models;
std::string modelDirectory = "./res/models/";

const char* modelFileName(short key)
{
    switch (key) {
    case 1: return "Sphere.dae";
    case 2: return "roomt.obj";
    case 3: return "podest2.obj";
    case 4: return "multicube.obj";
    case 5: return "teapot.obj";
    case 6: return "torus.obj";
    case 7: return "lens.obj";
    case 8: return "weapon.obj";
    case 9: return "plane.obj";
    case 10: return "biztorus.obj";
    case 11: return "figure.obj";
    case fineRoomKey: return "roomtFine.obj";
    case fineFloorKey: return "planeFine.obj";
    default: return "";
    }
}

const ModelData& captureMesh(const ModelData& model)
{
    for (auto [key, fineKey] : {std::pair<short, short>{2, fineRoomKey}, {9, fineFloorKey}}) {
        const auto coarse = models.find(key);
        const auto fine = models.find(fineKey);
        if (coarse != models.end() && coarse->second == &model && fine != models.end() && fine->second &&
            fine->second->vertexArray != 0 && fine->second->indexCount != 0)
            return *fine->second;
    }
    return model;
}

namespace {
struct ModelRequest {
    short key;
    bool smoothNormals;
};
#ifndef __EMSCRIPTEN__
void loadIsolated(const std::vector<ModelRequest>& requests);
#endif
} // namespace

void loadModels()
{
    static const bool smooth[12] = {false, true, false, false, false, true, true, true, false, false, true, true};
    std::vector<ModelRequest> requests;
    for (short key = 1; key <= 11; ++key)
        requests.push_back({key, smooth[key]});
    requests.push_back({fineRoomKey, false});
    requests.push_back({fineFloorKey, false});
#ifdef __EMSCRIPTEN__
    for (const ModelRequest& request : requests)
        loadModel(request.key, request.smoothNormals);
#else
    loadIsolated(requests);
#endif
}

// The browser build has no Assimp: its loadModel reads the mesh pack (modelsWeb.cpp).
#ifndef __EMSCRIPTEN__
namespace {

// Every record ever made stays alive until exit: objects made earlier may still point
// at a record that a later load replaced in the table.
std::vector<std::unique_ptr<ModelData>> modelRecords;

ModelData* newRecord()
{
    modelRecords.push_back(std::make_unique<ModelData>());
    return modelRecords.back().get();
}

// The message a model travels in from the importing child: a magic word, the outcome,
// then the two counts and the six arrays for a loaded model, and last the importer's own
// words (why it failed, or what it was refused).
constexpr uint32_t messageMagic = 0x4d4b4e50;  // "PNKM"

template <typename T>
void append(std::string& out, const T* data, size_t count)
{
    out.append(reinterpret_cast<const char*>(data), count * sizeof(T));
}

template <typename T>
bool take(const std::string& in, size_t& at, T* data, size_t count)
{
    const size_t bytes = count * sizeof(T);
    if (count > in.size() / sizeof(T) || in.size() - at < bytes)
        return false;
    if (bytes)
        std::memcpy(static_cast<void*>(data), in.data() + at, bytes);
    at += bytes;
    return true;
}

constexpr double importTimeLimit = 10.0;  // seconds, per model

// AddressSanitizer maps terabytes of shadow and sets its own allocation limits: no cap
// there. GCC says so with __SANITIZE_ADDRESS__, clang (the fuzz build) with __has_feature.
#if defined(__has_feature)
#define PINAKORA_CLANG_ASAN __has_feature(address_sanitizer)
#else
#define PINAKORA_CLANG_ASAN 0
#endif

// What the importing child may map beyond its size at the fork. Its new pages add to the
// viewer's, which then holds its window and GL context but no textures yet (about 110 MB
// of a normal peak of about 465 MB with llvmpipe); the hall's own imports need about
// 50 MiB of it. A headroom about the size of the normal peak keeps the whole process tree
// well within twice that peak, while a model several times the hall's largest still loads.
constexpr rlim_t importMemoryHeadroom = rlim_t(448) << 20;

using Clock = std::chrono::steady_clock;

bool writeAll(int fd, const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Runs in the forked child: imports the files one after another and sends each answer,
// its length first. No GL, no X, no stdio, and _exit, so that nothing the parent owns
// (its buffered output, its atexit handlers, its GL context) is touched twice.
[[noreturn]] void importInChild(int out, const std::vector<std::string>& paths, const std::string& root,
                                const std::vector<std::string>& refusals, const std::vector<ModelRequest>& requests,
                                size_t first)
{
    // The child dies of its own faults: no handler inherited from the parent runs.
    for (int sig : {SIGPIPE, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        signal(sig, SIG_DFL);
#if !defined(__SANITIZE_ADDRESS__) && !PINAKORA_CLANG_ASAN
    // A file that makes the importer allocate without end fails here, not in the machine:
    // the child may map importMemoryHeadroom beyond what it maps at the fork.
    unsigned long long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%llu", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    const rlim_t cap = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + importMemoryHeadroom;
    const rlimit memory{cap, cap};
    if (pages > 0)
        setrlimit(RLIMIT_AS, &memory);
#endif
    for (size_t i = first; i < requests.size(); ++i) {
        if (!refusals[i].empty())
            continue;  // the parent expects no answer for a refused file
        ModelData model;
        std::string problem;
        ModelImport result = importModelFile(paths[i], root, requests[i].smoothNormals, model, problem);
        if (result == ModelImport::Failed && problem == "std::bad_alloc")
            problem = "it needs more memory than an import may use (" +
                      std::to_string(importMemoryHeadroom >> 20) + " MiB)";
        const std::string message = packModel(result, model, problem);
        const uint64_t length = message.size();
        if (!writeAll(out, &length, sizeof length) || !writeAll(out, message.data(), message.size()))
            _exit(3);
    }
    _exit(0);
}

std::string describeEnd(int status)
{
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        const char* name = strsignal(sig);
        return "the importer stopped on signal " + std::to_string(sig) + " (" + (name ? name : "?") + ")";
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        return "the importer ended with code " + std::to_string(WEXITSTATUS(status));
    return "the importer ended without an answer";
}

enum class ReadEnd { Done, Closed, Overran };

// Reads exactly `size` bytes unless the pipe closes or `deadline` passes.
ReadEnd readFully(int fd, char* into, size_t size, const Clock::time_point& deadline)
{
    while (size > 0) {
        const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
        if (left <= 0)
            return ReadEnd::Overran;
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(left * 1000.0) + 1) <= 0)
            continue;  // a signal or the clock: look again
        const ssize_t n = read(fd, into, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return ReadEnd::Closed;
        into += n;
        size -= static_cast<size_t>(n);
    }
    return ReadEnd::Done;
}

// The child that imports, seen from here.
struct ImportChild {
    pid_t pid = -1;
    int fd = -1;
};

ImportChild startChild(const std::vector<std::string>& paths, const std::string& root,
                       const std::vector<std::string>& refusals,
                       const std::vector<ModelRequest>& requests, size_t first)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeEnds[0]);
        importInChild(pipeEnds[1], paths, root, refusals, requests, first);
    }
    close(pipeEnds[1]);
    if (pid < 0) {
        close(pipeEnds[0]);
        return {};
    }
    return {pid, pipeEnds[0]};
}

// Ends the child (killed unless it is already gone) and tells how it ended.
int stopChild(ImportChild& child, bool kill)
{
    int status = 0;
    if (child.pid > 0) {
        if (kill)
            ::kill(child.pid, SIGKILL);
        while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (child.fd >= 0)
        close(child.fd);
    child = ImportChild();
    return status;
}

// The next answer of `child`, within the time limit of one model.
ModelImport receiveAnswer(ImportChild& child, ModelData& model, std::string& problem)
{
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(importTimeLimit));
    uint64_t length = 0;
    ReadEnd end = readFully(child.fd, reinterpret_cast<char*>(&length), sizeof length, deadline);
    std::string message;
    if (end == ReadEnd::Done) {
        if (length > maxModelMessageBytes) {
            stopChild(child, true);
            problem = "the importer's result is larger than a model may be";
            return ModelImport::Failed;
        }
        message.resize(static_cast<size_t>(length));
        end = readFully(child.fd, message.data(), message.size(), deadline);
    }
    if (end == ReadEnd::Overran) {
        stopChild(child, true);
        problem = "the import took longer than " + std::to_string(static_cast<int>(importTimeLimit)) +
                  " s and was stopped";
        return ModelImport::Failed;
    }
    if (end == ReadEnd::Closed) {
        problem = describeEnd(stopChild(child, false));
        return ModelImport::Failed;
    }
    const ModelImport result = unpackModel(message, model, problem);
    // A child whose import failed may be out of step with us (a damaged answer) or left
    // holding what the failure took (an exhausted memory cap, a corrupted heap): the next
    // file gets a fresh one.
    if (result == ModelImport::Failed)
        stopChild(child, true);
    return result;
}

// Imports the requested files in a child process, one after another, so that an
// importer crash, hang or runaway allocation costs that one model, not the viewer. A
// child that failed is replaced by a fresh one for the files after it. The importer
// reads only inside the models' folder. Records are stored and problems reported in
// request order.
void loadIsolated(const std::vector<ModelRequest>& requests)
{
    const std::string root = modelDirectory;
    std::vector<std::string> paths, refusals;
    for (const ModelRequest& request : requests) {
        paths.push_back(modelDirectory + modelFileName(request.key));
        refusals.push_back(notARegularFile(paths.back()));
    }
    ImportChild child;
    for (size_t i = 0; i < requests.size(); ++i) {
        ModelData* model = newRecord();
        std::string problem = refusals[i];
        ModelImport result = ModelImport::Failed;
        if (problem.empty()) {
            if (child.pid < 0)
                child = startChild(paths, root, refusals, requests, i);
            if (child.pid < 0)
                result = importModelFile(paths[i], root, requests[i].smoothNormals, *model, problem);
            else
                result = receiveAnswer(child, *model, problem);
        }
        const std::string& path = paths[i];
        if (result == ModelImport::Failed) {
            *model = ModelData();
            std::cerr << "Model file " << path << " could not be loaded: " << problem << std::endl;
        } else if (result == ModelImport::NoMesh) {
            std::cerr << "Model file " << path << " holds no mesh." << std::endl;
        }
        // What the importer was refused, for a model that loaded nevertheless.
        if (result != ModelImport::Failed && !problem.empty())
            std::cerr << "Model file " << path << ": " << problem << "." << std::endl;
        models[requests[i].key] = model;
    }
    if (child.pid >= 0)
        stopChild(child, false);
}

} // namespace

std::string packModel(ModelImport result, const ModelData& model, const std::string& problem)
{
    std::string out;
    const uint32_t head[2] = {messageMagic, static_cast<uint32_t>(result)};
    append(out, head, 2);
    if (result == ModelImport::Loaded) {
        const uint32_t counts[2] = {model.vertexCount, model.indexCount};
        append(out, counts, 2);
        append(out, model.positions.data(), model.vertexCount);
        append(out, model.normals.data(), model.vertexCount);
        append(out, model.tangents.data(), model.vertexCount);
        append(out, model.bitangents.data(), model.vertexCount);
        append(out, model.texCoords.data(), model.vertexCount);
        append(out, model.indices.data(), model.indexCount);
    }
    const std::string text = problem.substr(0, 1000);
    const uint32_t length = static_cast<uint32_t>(text.size());
    append(out, &length, 1);
    out += text;
    return out;
}

namespace {

// The importer's words that end a message: at most 1000 bytes and nothing after them.
bool takeText(const std::string& message, size_t& at, std::string& text)
{
    uint32_t length = 0;
    if (!take(message, at, &length, 1) || length > 1000 || message.size() - at != length)
        return false;
    text = message.substr(at, length);
    // Only printable text goes to the console.
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)
            c = '?';
    return true;
}

} // namespace

ModelImport unpackModel(const std::string& message, ModelData& model, std::string& problem)
{
    model = ModelData();
    problem.clear();
    size_t at = 0;
    uint32_t head[2] = {0, 0};
    if (!take(message, at, head, 2) || head[0] != messageMagic || head[1] > 2) {
        problem = "the importer's answer is damaged";
        return ModelImport::Failed;
    }
    const auto result = static_cast<ModelImport>(head[1]);
    if (result != ModelImport::Loaded) {
        if (!takeText(message, at, problem)) {
            problem = "the importer's answer is damaged";
            return ModelImport::Failed;
        }
        return result;
    }
    uint32_t counts[2] = {0, 0};
    bool whole = take(message, at, counts, 2) && counts[0] <= maxModelVertices && counts[1] <= maxModelIndices &&
                 counts[1] % 3 == 0;
    const size_t n = whole ? counts[0] : 0;
    const size_t indexCount = whole ? counts[1] : 0;
    whole = whole && message.size() - at >= n * (16 + 12 + 12 + 12 + 8) + indexCount * 4 + 4;
    if (whole) {
        model.positions.resize(n);
        model.normals.resize(n);
        model.tangents.resize(n);
        model.bitangents.resize(n);
        model.texCoords.resize(n);
        model.indices.resize(indexCount);
        whole = take(message, at, model.positions.data(), n) && take(message, at, model.normals.data(), n) &&
                take(message, at, model.tangents.data(), n) && take(message, at, model.bitangents.data(), n) &&
                take(message, at, model.texCoords.data(), n) && take(message, at, model.indices.data(), indexCount) &&
                takeText(message, at, problem);
    }
    for (size_t i = 0; whole && i < indexCount; ++i)
        whole = model.indices[i] < n;
    if (!whole) {
        model = ModelData();
        problem = "the importer's answer is damaged";
        return ModelImport::Failed;
    }
    model.vertexCount = static_cast<unsigned int>(n);
    model.indexCount = static_cast<unsigned int>(indexCount);
    return ModelImport::Loaded;
}

void loadModel(short key, bool smoothNormals)
{
    loadIsolated({{key, smoothNormals}});
}

#endif

ModelData* getModel(short key)
{
    auto found = models.find(key);
    return found != models.end() ? found->second : nullptr;
}

namespace {

GLuint makeBuffer(GLenum target, size_t bytes, const void* data)
{
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, static_cast<GLsizeiptr>(bytes), bytes ? data : nullptr, GL_STATIC_DRAW);
    return buffer;
}

glm::vec4 boundingSphere(const ModelData& model)
{
    if (model.vertexCount == 0)
        return glm::vec4(0.0f, 0.0f, 0.0f, -1.0f);
    glm::vec3 low(model.positions[0]);
    glm::vec3 high = low;
    for (unsigned int i = 1; i < model.vertexCount; ++i) {
        low = glm::min(low, glm::vec3(model.positions[i]));
        high = glm::max(high, glm::vec3(model.positions[i]));
    }
    const glm::vec3 centre = 0.5f * (low + high);
    float radius2 = 0.0f;
    for (unsigned int i = 0; i < model.vertexCount; ++i) {
        const glm::vec3 d = glm::vec3(model.positions[i]) - centre;
        radius2 = std::max(radius2, glm::dot(d, d));
    }
    return glm::vec4(centre, std::sqrt(radius2));
}

void pointAttribute(GLint location, GLuint buffer, GLint components)
{
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(static_cast<GLuint>(location));
}

} // namespace

void uploadModel(ModelData& model, const ShaderProgram& program)
{
    const size_t n = model.vertexCount;
    model.bounds = boundingSphere(model);
    glGenVertexArrays(1, &model.vertexArray);
    glBindVertexArray(model.vertexArray);
    model.positionBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec4), model.positions.data());
    model.normalBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec3), model.normals.data());
    model.texCoordBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec2), model.texCoords.data());
    model.indexBuffer =
        makeBuffer(GL_ELEMENT_ARRAY_BUFFER, model.indexCount * sizeof(GLuint), model.indices.data());

    // The position input is wired unchecked: a program without it (location -1) leaves
    // a GL_INVALID_VALUE queued for the next error report, nothing worse.
    pointAttribute(program.getAttribLocation("in_position"), model.positionBuffer, 4);
    const GLint normal = program.getAttribLocation("in_normal");
    if (normal >= 0)
        pointAttribute(normal, model.normalBuffer, 3);
    const GLint texCoord = program.getAttribLocation("in_texCoord");
    if (texCoord >= 0)
        pointAttribute(texCoord, model.texCoordBuffer, 2);
    const GLint tangent = program.getAttribLocation("in_tangent");
    if (tangent >= 0) {
        model.tangentBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec3), model.tangents.data());
        pointAttribute(tangent, model.tangentBuffer, 3);
    }
    const GLint bitangent = program.getAttribLocation("in_bitangent");
    if (bitangent >= 0) {
        model.bitangentBuffer = makeBuffer(GL_ARRAY_BUFFER, n * sizeof(glm::vec3), model.bitangents.data());
        pointAttribute(bitangent, model.bitangentBuffer, 3);
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}
