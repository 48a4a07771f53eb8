#pragma once
// One frame: the lit scene into the scene framebuffer, bloom over it, depth of field
// over that, the result copied to the window and shown.

// Whether the window's framebuffer encodes sRGB on write; asked of the driver once the
// window exists (a hint for an sRGB-capable window may not have been honoured).
extern bool windowEncodesSrgb;
void detectWindowEncoding();

void renderFrame();
void renderBloom();
void renderDepthOfField();
void presentFrame();
