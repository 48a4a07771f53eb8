#pragma once
// View links: a short text that holds what is needed to open a view again, on the desktop
// (--view TEXT) or in the page (#view=TEXT): the eye, the target, the scene's time, the
// tour's state and the depth-of-field settings, e.g.
//
//   v1_eye:-1200,1100,-1200_at:0,520,0_t:8.533_tour:0,8.5_dof:10,1000,19
//
// Only letters, digits and - . _ : , so it goes into a URL or a shell unescaped. Eye,
// target and settings are written with the fewest digits that read back as the same float,
// so the camera lands exactly where it was; times are kept to the millisecond.
// No GL here.
#include <glm/glm.hpp>

#include <string>

struct FilterSettings;
struct View;
struct Tour;
struct TourScript;

struct ViewLink {
    glm::vec3 eye{0.0f};
    glm::vec3 target{0.0f, 0.0f, -1.0f};
    double time = 0.0;           // the scene's time, seconds since it started
    bool tourRunning = false;    // the tour drives the camera on from here
    int tourStep = -1;           // the tour's step (-1: it restarts on the next frame)
    double tourSeconds = 0.0;    // seconds since the tour (re)started; at most `time`
    float focalDepth = 10.0f;
    float focalLength = 1000.0f;
    float fstop = 19.0f;
};

// The longest scene time a link may ask for: opening steps the scene there frame by frame.
constexpr double longestViewTime = 86400.0;

// A view opens with the scene stepped from 0 to the link's time at this many seconds a
// frame (the last step shorter, so the clock lands on the time), as the capture tool's
// default clock, so the spin of the exhibits and the lights are where they were.
constexpr double viewOpeningStep = 1.0 / 30.0;

std::string formatViewLink(const ViewLink& link);

// False with `error` naming the first part that is wrong ("eye: 1,2 is not three numbers
// x,y,z"); `link` is then left as it was.
bool parseViewLink(const std::string& text, ViewLink& link, std::string& error);

// Why the link's tour state cannot go on in a hall with `script` (its step is beyond the
// tour's last), or empty when it can.
std::string viewLinkMismatch(const ViewLink& link, const TourScript& script);

// The link of what `view` shows at `time`, with the tour as it stands.
ViewLink viewLinkOf(const View& view, const Tour& tour, double time);

// Takes the link's camera pose and depth-of-field settings into `view` (time and tour are
// the opener's business: they need the scene stepped).
void applyViewLink(const ViewLink& link, View& view);
