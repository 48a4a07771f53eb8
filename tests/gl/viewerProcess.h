#pragma once
// Runs the built viewer as a child process and talks to its window through X, the way
// a window manager and a user would: find it, read its geometry, send keys, ask it to close.
#include <string>
#include <sys/types.h>
#include <vector>

class ViewerProcess {
public:
    // Starts the viewer in `workingDirectory`; `display` empty means no display at all.
    ViewerProcess(const std::string& workingDirectory, const std::string& display,
                  const std::vector<std::string>& args = {});
    ~ViewerProcess();

    // Output gathered so far (reads the files the child writes to).
    std::string out() const;
    std::string err() const;
    // Waits until `text` appears on standard output; false on timeout or early exit.
    bool waitForOutput(const std::string& text, double seconds);
    // Waits for the process to end; returns its exit code, or -1 on timeout.
    int waitForExit(double seconds);
    bool running();

    // X11: the top-level window titled "Pinakora" (0 while there is none).
    unsigned long findWindow(double seconds);
    bool windowSize(unsigned long window, int& width, int& height);
    // Resizes the window, as a window manager does when the user drags its edge.
    void resize(unsigned long window, int width, int height);
    void requestClose(unsigned long window);  // WM_DELETE_WINDOW, as a window manager sends it
    // Asks the window to close and waits up to `seconds` for the exit code (-1 on timeout).
    // A viewer still running after a while is described in `stall()` and on standard output
    // (still drawing or stuck, and where each thread waits) and asked once more, so a rare
    // stall shows its cause in the log instead of only a timeout.
    int closeAndWait(unsigned long window, double seconds);
    const std::string& stall() const { return stallReport; }
    void sendKey(unsigned long window, const char* keysym, bool press);

private:
    pid_t pid = -1;
    int exitCode = -1;
    std::string outPath, errPath;
    std::string stallReport;
    void* display = nullptr;
};
