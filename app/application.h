#pragma once
// Start-up in its fixed order and the body of one frame, shared by the viewer and the
// tools that drive the real frame with a clock of their own.

// sRGB writes, then models, textures, camera, programs, render targets, scene, tour.
void initApplication();

// Told the name of each start-up step as it finishes (the benchmark times them).
extern void (*startupStepDone)(const char* step);

// Deletes what start-up made on the GL side (for now the assets' buffers and textures),
// while the context is still current: before glfwTerminate.
void releaseApplication();

// One frame with the given time step: clock, keyboard, mouse, scene animation, frame.
void runFrame(double dt);

// Everything the viewer does before its first frame, on a hidden window of the given
// size: for tools and tests that drive the real frame with a fixed clock. False when no
// window can be opened.
bool startHidden(int width, int height);
// The first half of startHidden: window, context and driver check, no resources yet,
// so a tool can still refuse a size the driver cannot render.
bool openHidden(int width, int height);
