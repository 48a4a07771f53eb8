#include "tests/gl/viewerProcess.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool hasTitle(Display* d, Window w, const char* title)
{
    char* name = nullptr;
    bool match = false;
    if (XFetchName(d, w, &name) && name) {
        match = std::strcmp(name, title) == 0;
        XFree(name);
    }
    return match;
}

// Several viewers may run on one display at once (tests run side by side): the window
// must belong to our child.
bool ownedBy(Display* d, Window w, pid_t pid)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    bool match = false;
    if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success && data && count == 1) {
        match = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid;
    }
    if (data)
        XFree(data);
    return match;
}

Window searchTitle(Display* d, Window root, const char* title, pid_t pid)
{
    if (hasTitle(d, root, title) && ownedBy(d, root, pid))
        return root;
    Window parent, rootReturn, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(d, root, &rootReturn, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i)
            found = searchTitle(d, children[i], title, pid);
        if (children)
            XFree(children);
    }
    return found;
}

// A focus request can race the window's mapping; such X errors are not the test's concern.
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

void sleepSeconds(double s)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(s));
}

} // namespace

ViewerProcess::ViewerProcess(const std::string& workingDirectory, const std::string& displayName,
                             const std::vector<std::string>& args)
{
    const std::string stem = "/tmp/pinakora-viewer-" + std::to_string(::getpid()) + "-" +
                             std::to_string(reinterpret_cast<uintptr_t>(this));
    outPath = stem + ".out";
    errPath = stem + ".err";
    pid = fork();
    if (pid == 0) {
        if (chdir(workingDirectory.c_str()) != 0)
            _exit(127);
        if (displayName.empty())
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", displayName.c_str(), 1);
        const int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(outFd, 1);
        dup2(errFd, 2);
        // The viewer's stdout is a file here: make its lines visible as they are written.
        std::vector<char*> argv{const_cast<char*>("stdbuf"), const_cast<char*>("-oL"),
                                const_cast<char*>(PINAKORA_BINARY)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv("/usr/bin/stdbuf", argv.data());
        execv(PINAKORA_BINARY, argv.data() + 2);
        _exit(127);
    }
    if (!displayName.empty()) {
        XSetErrorHandler(ignoreXError);
        display = XOpenDisplay(displayName.c_str());
    }
}

ViewerProcess::~ViewerProcess()
{
    if (running()) {
        kill(pid, SIGKILL);
        waitForExit(5.0);
    }
    if (display)
        XCloseDisplay(static_cast<Display*>(display));
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
}

std::string ViewerProcess::out() const { return slurp(outPath); }
std::string ViewerProcess::err() const { return slurp(errPath); }

bool ViewerProcess::running()
{
    if (pid <= 0)
        return false;
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) {
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        pid = -1;
        return false;
    }
    return true;
}

int ViewerProcess::waitForExit(double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (running()) {
        if (std::chrono::steady_clock::now() > end)
            return -1;
        sleepSeconds(0.05);
    }
    return exitCode;
}

bool ViewerProcess::waitForOutput(const std::string& text, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (out().find(text) != std::string::npos)
            return true;
        if (!running())
            return out().find(text) != std::string::npos;
        sleepSeconds(0.1);
    }
    return false;
}

unsigned long ViewerProcess::findWindow(double seconds)
{
    auto* d = static_cast<Display*>(display);
    if (!d)
        return 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end && running()) {
        if (Window w = searchTitle(d, DefaultRootWindow(d), "Pinakora", pid))
            return w;
        sleepSeconds(0.1);
    }
    return 0;
}

bool ViewerProcess::windowSize(unsigned long window, int& width, int& height)
{
    auto* d = static_cast<Display*>(display);
    XWindowAttributes attributes;
    if (!d || !XGetWindowAttributes(d, window, &attributes))
        return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

void ViewerProcess::resize(unsigned long window, int width, int height)
{
    auto* d = static_cast<Display*>(display);
    if (!d)
        return;
    XResizeWindow(d, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(d);
}

void ViewerProcess::requestClose(unsigned long window)
{
    auto* d = static_cast<Display*>(display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, window, False, NoEventMask, &event);
    XFlush(d);
}

namespace {

// Where each thread of `pid` waits, from /proc (no debugger needed).
std::string threadStates(pid_t pid)
{
    std::string states;
    const std::string task = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = opendir(task.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            const std::string thread = task + "/" + entry->d_name;
            std::string comm = slurp(thread + "/comm");
            if (!comm.empty() && comm.back() == '\n')
                comm.pop_back();
            states += " " + comm + ":" + slurp(thread + "/wchan");
        }
        closedir(dir);
    }
    return states;
}

} // namespace

int ViewerProcess::closeAndWait(unsigned long window, double seconds)
{
    constexpr double patience = 20.0;
    const size_t outBefore = out().size();
    requestClose(window);
    int code = waitForExit(std::min(seconds, patience));
    if (code != -1 || seconds <= patience)
        return code;
    stallReport = std::string("no exit ") + std::to_string(static_cast<int>(patience)) + " s after the close request; " +
                  (out().size() > outBefore ? "still writing frame lines" : "no output since") + "; threads:" +
                  threadStates(pid);
    std::cout << "viewer stall: " << stallReport << std::endl;  // kept in the test log even when the retry ends it
    requestClose(window);
    return waitForExit(seconds - patience);
}

void ViewerProcess::sendKey(unsigned long window, const char* keysym, bool press)
{
    auto* d = static_cast<Display*>(display);
    XSetInputFocus(d, window, RevertToPointerRoot, CurrentTime);
    XSync(d, False);
    const KeyCode code = XKeysymToKeycode(d, XStringToKeysym(keysym));
    XTestFakeKeyEvent(d, code, press ? True : False, CurrentTime);
    XFlush(d);
}
