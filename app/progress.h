#pragma once
// Progress of a long tool run on standard error, shown only when that is a terminal:
// frames done of total, time spent and an estimate of the time left, on one line that
// is rewritten in place. The line's text is a GL-free function of its own.
#include <string>

// "frame 120 of 2700, 0:42 spent, about 15:03 left" (no estimate before the first frame).
std::string progressText(long done, long total, double elapsedSeconds);

// Rewrites the line at most a few times a second; silent when standard error is not a
// terminal. finish() ends the line.
class ProgressLine {
public:
    explicit ProgressLine(long total);
    void update(long done);
    // Takes the line away, so other output can be written at the start of a line.
    void clear();
    void finish();

private:
    long total;
    bool shown;
    bool anything = false;
    double start;
    double lastShown = -1.0;
};
