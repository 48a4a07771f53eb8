#pragma once
// View links in the running viewer: V shares the view shown (the desktop prints the
// command that opens it; the page puts it into the address bar's #view= and the
// clipboard), and --view, capture --view and the page's #view= open one.
#include "navigation/viewLink.h"

#include <string>

struct Application;

// The link of the default application's last drawn frame.
ViewLink currentViewLink();

// V: prints "View: pinakora --view TEXT" (with --hall when an exhibition is shown); in the
// page, also sets the address's fragment to #view=TEXT and copies the address where the
// browser allows it.
void shareView();

// Opens `link` in the default application, started and with its clock at 0: the scene is
// stepped to the link's time at viewOpeningStep a frame (only the last two frames drawn,
// the rest need no GL), and the last frame is drawn from the link's eye and target with its
// settings. A running tour goes on from its step on the next frame; otherwise the camera
// stays there.
void openView(const ViewLink& link);
