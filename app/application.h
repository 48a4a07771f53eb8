#pragma once
// Start-up in its fixed order and the body of one frame, shared by the viewer and the
// tools that drive the real frame with a clock of their own.

// sRGB writes, then models, textures, camera, programs, render targets, scene, tour.
void initApplication();

// One frame with the given time step: clock, keyboard, scene animation, frame.
void runFrame(double dt);
