#pragma once
// What the hall says about its exhibits: each exhibit's caption (a placeholder title where
// the description gives none), the guide's panel as lines of text, the tour's cues (which
// exhibit a stretch of the tour is about) and their WebVTT subtitles, and the catalogue's
// index page. Text only: the frame's text renderer draws the panel's lines; nothing here
// needs GL.
#include <glm/glm.hpp>
#include "navigation/camera.h"
#include "navigation/tour.h"
#include <string>
#include <vector>

#include "scene/hallTable.h"

struct Guide;

// The caption of `exhibit`, titled "Exhibit N" (N its index, as the tour counts) where it has no title.
Caption exhibitCaption(const HallDescription& description, int exhibit);

// The guide's panel while it is open: title, "maker, date" (when either is given) and the
// text (when given); nothing while it is shut.
std::vector<std::string> guidePanelLines(const Guide& guide, const HallDescription& description);

// A stretch of the tour about one exhibit, in seconds from the tour's first frame.
struct TourCue {
    double start = 0.0, end = 0.0;
    int exhibit = -1;
};

// Shortest stretch an exhibit must stay nearest the picture's middle for a cue of its own,
// in a tour whose places name no exhibits.
constexpr double shortestNearestCue = 2.0;

// The exhibit a frame of the tour is about: the one the place headed for names, when the
// description's tour names exhibits; otherwise the exhibit whose centre is nearest the
// middle of the camera's picture, among those inside it; -1 for none.
int cueExhibit(const TourScript& described, const Tour& tour, const Camera& camera,
               const std::vector<glm::vec4>& spheres);

// Frames in order, each shown from `start` to `end` and about `exhibit` (-1: none), into
// cues; a stretch is kept when it lasts at least `shortest`, and joins the cue before when
// that was of the same exhibit and ended less than `shortest` before it.
struct CueTrack {
    std::vector<TourCue> cues;
    double shortest = 0.0;
    TourCue open;
};
void addCueFrame(CueTrack& track, double start, double end, int exhibit);
std::vector<TourCue> finishCues(CueTrack& track);

// The cues of frames firstFrame..lastFrame of a tour run as the frame runs it: from `tour`
// and `camera` at clock time `now` (frame 0 shows them as they are), each next frame
// `step` seconds later. Cue times count from the first frame's start.
std::vector<TourCue> tourCues(const TourScript& described, Tour tour, Camera camera, double now,
                              const std::vector<glm::vec4>& spheres, double step, long firstFrame, long lastFrame);

// The cues up to `seconds`, the last one cut short there.
std::vector<TourCue> cuesUntil(std::vector<TourCue> cues, double seconds);

// The caption lines of the cue shown at `seconds` (title, then "maker, date"), for
// burning into a video's frame; nothing between cues.
std::vector<std::string> cueLinesAt(const std::vector<TourCue>& cues, double seconds,
                                    const HallDescription& description);

// Whether the description's tour is of places that name exhibits (each its own cue).
bool tourNamesExhibits(const TourScript& described);

// Lines as one text, '\n' between them.
std::string joinLines(const std::vector<std::string>& lines);

// The tour's cues as a running viewer shows them: worked out ahead, as for a video, from
// the tour's state whenever it starts a loop (a tour of places naming exhibits needs no
// looking ahead: its place is its cue).
struct RunningCues {
    bool made = false;
    float loopStart = 0.0f;  // the tour's stepStart the cues were made for
    double origin = 0.0;     // the clock time cue times count from
    double until = 0.0;      // and the last they cover
    std::vector<TourCue> cues;
};

// The caption lines to show at clock time `now`, the tour and camera as this frame left
// them; nothing while the tour is stopped or between cues.
std::vector<std::string> runningCueLines(RunningCues& running, const HallDescription& description, const Tour& tour,
                                         const Camera& camera, double now, const std::vector<glm::vec4>& spheres);

// WebVTT subtitles: each cue with the exhibit's title and "maker, date".
std::string webVtt(const std::vector<TourCue>& cues, const HallDescription& description);

// Text made safe inside HTML elements and quoted attributes.
std::string escapeHtml(const std::string& text);

// The catalogue's index.html: a plain page (no scripts) with, for each exhibit in
// `pictures` (exhibit, file name), its picture with its alt text and its caption.
std::string catalogueHtml(const HallDescription& description, const std::vector<std::pair<int, std::string>>& pictures);
