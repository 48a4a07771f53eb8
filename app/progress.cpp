#include "app/progress.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

std::string clockText(double seconds)
{
    const long whole = static_cast<long>(std::lround(std::max(0.0, seconds)));
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

double secondsNow()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

std::string progressText(long done, long total, double elapsedSeconds)
{
    std::string text = "frame " + std::to_string(done) + " of " + std::to_string(total) + ", " +
                       clockText(elapsedSeconds) + " spent";
    if (done > 0 && total >= done)
        text += ", about " + clockText(elapsedSeconds / static_cast<double>(done) * static_cast<double>(total - done)) +
                " left";
    return text;
}

ProgressLine::ProgressLine(long total) : total(total), shown(isatty(STDERR_FILENO) != 0), start(secondsNow()) {}

void ProgressLine::update(long done)
{
    if (!shown)
        return;
    const double now = secondsNow();
    if (done < total && lastShown >= 0.0 && now - lastShown < 0.25)
        return;
    lastShown = now;
    anything = true;
    // Clear to the end of the line: the new text may be shorter than the old.
    std::fprintf(stderr, "\r%s\033[K", progressText(done, total, now - start).c_str());
    std::fflush(stderr);
}

void ProgressLine::clear()
{
    if (shown && anything) {
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
    }
    lastShown = -1.0;
}

void ProgressLine::finish()
{
    if (shown && anything)
        std::fprintf(stderr, "\n");
    anything = false;
}
