#pragma once
// The exhibit guide: Tab / Shift+Tab (or a click on an exhibit) glide the camera in about
// a second to the next / previous exhibit's view, eased at both ends, and open its panel;
// Esc closes the panel. The glide ends early when anything else moves the camera (a
// navigation key, the mouse, a restarted tour), and starting one stops a running tour.
// The views and bounding spheres come from the hall (scene/tourPlaces.h); the clock is
// passed in. No window or GL here.
#include <glm/glm.hpp>
#include <vector>

#include "navigation/tour.h"

struct Camera;

constexpr int KEY_ESCAPE = 256;  // equal to GLFW 3's
constexpr int KEY_TAB = 258;

// Seconds a glide takes.
constexpr double guideGlideSeconds = 1.2;

struct Guide {
    // Each exhibit's view (by exhibit) and bounding sphere (centre, radius; 0: nothing to
    // visit or pick).
    std::vector<TourKeyframe> views;
    std::vector<glm::vec4> spheres;
    bool panelOpen = false;
    int exhibit = -1;  // the exhibit visited last (or headed for); -1 before the first
    bool gliding = false;
    double glideStart = 0.0;
    glm::vec3 fromEye{0.0f}, fromTarget{0.0f};
    glm::vec3 shownEye{0.0f}, shownTarget{0.0f};  // the pose the glide set last
};

// Whether `exhibit` has a view and a sphere to visit and pick: the guide's Tab, a click,
// the page's list and capture's catalogue all go by this.
bool canVisit(const Guide& guide, int exhibit);
// The exhibits canVisit allows, in order.
std::vector<int> visitableExhibits(const Guide& guide);
// Whether Tab (Shift+Tab with `backwards`) would go round past the last (first) exhibit
// that can be visited, or there is none to go to.
bool tabWrapsRound(const Guide& guide, bool backwards);

// Takes a new hall's views and spheres; closes the panel and stops a glide.
void setGuideHall(Guide& guide, std::vector<TourKeyframe> views, std::vector<glm::vec4> spheres);

// Starts the glide to `exhibit` from the camera's pose and opens its panel; false (and
// nothing changes) when there is no such exhibit.
bool visitExhibit(Guide& guide, Camera& camera, Tour& tour, int exhibit, double now);

// A key press (or repeat): Tab goes to the next exhibit (the first one from none),
// Tab with Shift to the previous one, both wrapping round; Esc closes an open panel. True
// when the key was the guide's (an Esc with the panel shut is not).
bool onGuideKey(Guide& guide, Camera& camera, Tour& tour, int key, bool shift, double now);

// Once per frame after the input and before the tour: moves the glide on.
void updateGuide(Guide& guide, Camera& camera, const Tour& tour, double now);

// The exhibit whose bounding sphere the ray through pixel (x, y) (y downwards) of a
// width x height picture meets first, or -1.
int pickExhibit(const std::vector<glm::vec4>& spheres, const Camera& camera, int width, int height, double x,
                double y);

// The default application's guide, and the calls on it with the default camera, tour and
// frame clock.
Guide& defaultGuide();
bool onGuideKey(int key, bool shift);
void updateGuide();
