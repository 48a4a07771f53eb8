#pragma once
// One view of the hall: the camera, the size of the picture it fills, and the filter
// settings its frame is finished with. Plain data, no GL: the keyboard and the mouse
// change it, the renderer reads it.
#include "navigation/camera.h"

#include <string>

struct FilterSettings {
    float bloomfactor = 1.0f;
    float focalDepth = 10.0f;
    float focalLength = 1000.0f;
    float fstop = 19.0f;
};

struct View {
    Camera camera;
    int width = 0;
    int height = 0;
    FilterSettings filters;
    bool labels = false;  // the exhibits' name tags over the frame (L)
    // A caption panel over the frame's lower left corner (the guide's exhibit); empty: none.
    std::string panel;
    // The tour's caption, as subtitles at the bottom centre; the panel, when open, hides it.
    std::string cue;
};

// The view the window shows, and its filter settings under the names the bloom and
// depth-of-field passes send them by.
View& defaultView();
extern float& bloomfactor;
extern float& focalDepth;
extern float& focalLength;
extern float& fstop;
