#pragma once
// Sharing the view shown: V prints the command that opens it on the desktop, and puts
// it into the address bar's #view= and the clipboard on the page. The run loop
// (app/runLoop.h openView) opens one for --view, capture --view and the page's #view=.
#include "navigation/viewLink.h"

#include <string>

struct Application;

// The link of the default application's last drawn frame.
ViewLink currentViewLink();

// V: prints "View: pinakora --view TEXT" (with --hall when an exhibition is shown); in the
// page, also sets the address's fragment to #view=TEXT and copies the address where the
// browser allows it.
void shareView();
