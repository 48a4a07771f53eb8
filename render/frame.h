#pragma once
// One frame: the lit scene into the scene framebuffer, bloom over it, depth of field
// over that, the result copied to the window and shown.

void renderFrame();
void renderBloom();
void renderDepthOfField();
void presentFrame();
