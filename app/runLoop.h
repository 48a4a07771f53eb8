#pragma once
// The run loop behind every front: the viewer's window, the page's canvas, capture and
// benchmark each add their surface, their clock and their outputs around it. It reads the
// hall before any window, starts the default application from a few settings, steps a
// frame by the time the front's clock gives (input, navigation, guide, lights, shadows,
// spin, surroundings every second frame, tour, the frame's passes and the overlay's
// texts), and answers what every front asks: the exhibit at a point, the guide's visits,
// when the tour's caption shows, view links, and the fixed clock's frames. No window,
// browser or clock of its own.
#include "app/application.h"
#include "app/options.h"
#include "base/frameClock.h"
#include "navigation/touch.h"
#include "navigation/viewLink.h"
#include "render/renderScale.h"

#include <string>
#include <vector>

// Frame n of a fixed clock ends at start + n * step; from a view, frame 0 is the view's
// own and the start is its time, otherwise the first frame is 1.
struct FixedClock {
    double start = 0.0;
    double step = 1.0;
    long first = 1;
};
FixedClock fixedClockOf(const Options& settings);
// The first frame that reaches `t` seconds after the start.
long frameAt(const FixedClock& clock, double t);
double timeOfFrame(const FixedClock& clock, long frame);

// What the run keeps beside the default application: its settings, the fixed clock and
// where it stops, the FPS line of a live clock, the fingers on a touch screen.
struct RunLoop {
    // What the front's options ask of the run (hall, view, scale, captions, fixed clock);
    // a front that draws captions of its own or always runs a fixed clock says so here.
    Options settings;
    FixedClock clock;
    long stopFrame = 0;   // a fixed clock stops at this frame
    long framesLeft = 0;  // to step before it is reached
    bool redrawWanted = false;  // the stopped frame's view changed: draw it again
    bool viewPending = false;   // settings.view waits for openPendingView
    // The front's clock at the last live frame; set again after a long pause (a view
    // opened, a hall loaded), which the next frame's time step leaves out.
    double previousTime = 0.0;
    std::string panelShown;     // the guide's panel as the front last showed it
    FrameRateCounter frameRate;
    Touch touch;
};

// Before any window: reads settings.hall into the default application. False, with
// `error` the file's one line and the built-in hall kept, when it has an error.
bool readRunHall(const Options& settings, std::string& error);
// Why settings.view cannot be opened in the hall read; empty when it can (or none is given).
std::string runViewMismatch(const Options& settings);
// Before any window, a page's settings brought to what it can show: the exhibition it names
// (settings.hall, a folder's name) found among those it was built with under `root`, and
// read; the view checked against it. Returns a line for each thing set aside: an
// exhibition it does not hold or that has an error (the built-in hall is shown), a view
// that hall cannot open (none is).
std::vector<std::string> readPageRun(Options& settings, const std::string& root);

// When the tour's caption shows: as asked, or by default when the hall's tour names its
// exhibits; a fixed clock's frames stay plain pictures unless it is asked for.
TourCaptions captionsFor(Toggle asked, bool fixedClock);

// Once the context is current: the application's start-up, the render scale and the
// captions the settings ask for, and the fixed clock stopping at `stopAt` seconds. The
// view the settings give is left pending for openPendingView.
void startRun(RunLoop& run, double stopAt = 0.0);
// Opens the pending view (openView) once the front is ready to draw it; false when none is.
bool openPendingView(RunLoop& run);

// One frame `dt` seconds after the last: clock, keyboard, mouse (a click picks), guide,
// the guide's panel, animateScene, the tour's caption, the frame's passes.
void runFrame(double dt);
// Lights, their shadows, the exhibits' turn, the reflections' surroundings every second
// frame, the tour: the shadows follow this frame's lights, the reflections see the turn.
void animateScene();
// The default renderer's refresh schedule for the surroundings (renderer.h).
extern bool& environmentRefreshPending;

// A frame of a live clock, `dt` seconds after the last: the automatic render scale is told
// how long that took, and the FPS line counts it (with the scale when one was asked for).
void runLiveFrame(RunLoop& run, double dt);

// What one tick of a fixed clock did.
enum class FixedTick { Stepped, Reached, Redrawn, Still };
// Steps the next frame until the stop frame is reached; from then on draws that frame
// again, its time standing still, whenever the mouse, a touch or a visit moved the view.
FixedTick tickFixedClock(RunLoop& run);
// Whether the next frame is the live clock's: no view pending, no fixed clock.
bool liveFrameNext(const RunLoop& run);
// One frame of a front whose clock `seconds` reads: the pending view opened, or a tick of
// the fixed clock, or a live frame of the time since the last (the opening of a view
// counts from its end). Returns the line that tells a fixed clock's frame is drawn
// ("Frame at T s drawn.", after the view opened at the stop frame or the stop frame
// reached, or "... drawn again after a move."); empty when there is nothing to tell.
std::string runFrontFrame(RunLoop& run, double (*seconds)());

// The exhibits the guide can visit, "number TAB title" a line, for a list of them.
std::string visitableExhibitList();
// True, with `text` the guide's panel, when it is not the one the front last showed
// (run.panelShown, which becomes it).
bool panelChanged(RunLoop& run, std::string& text);

// The exhibit under drawing-buffer pixel (x, y) (y downwards) of the view, or -1.
int exhibitAt(double x, double y);
// The guide goes to `exhibit` (a click, a tap, an entry of the page's list); false when it
// cannot be visited. Once a fixed clock has stopped, the glide ends at once at the view.
bool visit(RunLoop& run, int exhibit);
// A tap that no second one followed by `seconds`, at `pixelRatio` drawing-buffer pixels to
// each of the touch's, picks the exhibit under it.
void pickTapped(RunLoop& run, double seconds, double pixelRatio);
// One finger of a touch screen (phase 0 start, 1 move, 2 end, 3 cancel).
void onTouch(RunLoop& run, int phase, long finger, double x, double y, double seconds);

// Opens `link` in the default application, started and with its clock at 0: the scene is
// stepped to the link's time at viewOpeningStep a frame (only the last two frames drawn,
// the rest need no GL), and the last frame is drawn from the link's eye and target with its
// settings. A running tour goes on from its step on the next frame; otherwise the camera
// stays there.
void openView(const ViewLink& link);
