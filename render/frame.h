#pragma once
// One frame of a view: the lit scene into the renderer's scene framebuffer, the filters
// over it (bloom, then depth of field: the list in frame.cpp), the result copied to the
// window, the exhibits' name tags over it when the view asks for them, the guide's panel
// or else the tour's caption, then the renderer's afterPresent (the window shows it). The
// argument-free passes draw the default renderer and hall through the default view.
struct Hall;
struct Renderer;
struct View;

void renderFrame(Renderer& renderer, const Hall& hall, const View& view);
void presentFrame(Renderer& renderer);

void renderFrame();
void presentFrame();
