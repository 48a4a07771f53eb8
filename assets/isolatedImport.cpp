#include "assets/isolatedImport.h"

// The browser build has no Assimp: it reads the mesh pack (modelsWeb.cpp).
#ifndef __EMSCRIPTEN__
#include "assets/assetFiles.h"
#include "assets/modelFileCheck.h"
#include "assets/modelMessage.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <tuple>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Seconds per model: that ball takes about 20 s to import on two shared cores.
constexpr double importTimeLimit = 60.0;

// AddressSanitizer maps terabytes of shadow and sets its own allocation limits: no cap
// there. GCC says so with __SANITIZE_ADDRESS__, clang (the fuzz build) with __has_feature.
#if defined(__has_feature)
#define PINAKORA_CLANG_ASAN __has_feature(address_sanitizer)
#else
#define PINAKORA_CLANG_ASAN 0
#endif

// What the importing child may map beyond its size at the fork: room for the largest
// model admitted (a glTF ball of 4M triangles on 2M shared vertices needs 1 to 1.5 GiB in
// the importer, its arrays and their message), while an import that allocates without end
// still stops here instead of in the machine.
constexpr rlim_t importMemoryHeadroom = rlim_t(2048) << 20;

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
[[noreturn]] void importInChild(int out, const std::vector<IsolatedImport>& imports, const std::string& root,
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
    for (size_t i = first; i < imports.size(); ++i) {
        if (!imports[i].problem.empty() || imports[i].sameAs >= 0)
            continue;  // the parent expects no answer for a refused or repeated file
        ModelData model;
        std::string problem;
        ModelImport result = importModelFile(imports[i].path, root, imports[i].smoothNormals, imports[i].allMeshes, model, problem);
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

ImportChild startChild(const std::vector<IsolatedImport>& imports, const std::string& root, size_t first)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeEnds[0]);
        importInChild(pipeEnds[1], imports, root, first);
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

} // namespace

void importIsolated(std::vector<IsolatedImport>& imports, const std::string& root,
                    const std::function<void(IsolatedImport&)>& arrived)
{
    // A file that says it is longer than it is never reaches an importer, which would call
    // it of an unknown format. A file named again under another path is imported once.
    const std::string resolvedRoot = resolvedPath(root);
    // Imported with the same options, that is: the normals and meshes asked for are part of what is made.
    std::map<std::tuple<FileIdentity, bool, bool>, int> firstOf;
    for (size_t i = 0; i < imports.size(); ++i) {
        IsolatedImport& entry = imports[i];
        entry.sameAs = -1;
        const OpenedFile file = openInsideFolder(resolvedRoot, entry.path, entry.problem);
        if (!file.isOpen())
            continue;
        const auto known = firstOf.emplace(std::make_tuple(file.identity, entry.smoothNormals, entry.allMeshes),
                                          static_cast<int>(i));
        if (!known.second)
            entry.sameAs = known.first->second;
        else
            entry.problem = modelFileDamage(entry.path, root);
    }
    ImportChild child;
    for (size_t i = 0; i < imports.size(); ++i) {
        IsolatedImport& entry = imports[i];
        entry.result = ModelImport::Failed;
        if (entry.sameAs >= 0) {
            entry.result = imports[static_cast<size_t>(entry.sameAs)].result;
            entry.problem = imports[static_cast<size_t>(entry.sameAs)].problem;
        } else if (entry.problem.empty()) {
            if (child.pid < 0)
                child = startChild(imports, root, i);
            if (child.pid < 0)
                entry.result = importModelFile(entry.path, root, entry.smoothNormals, entry.allMeshes, *entry.model, entry.problem);
            else
                entry.result = receiveAnswer(child, *entry.model, entry.problem);
        }
        if (entry.result == ModelImport::Failed || entry.sameAs >= 0)
            *entry.model = ModelData();
        if (arrived)
            arrived(entry);
    }
    if (child.pid >= 0)
        stopChild(child, false);
}

#endif
