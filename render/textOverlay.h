#pragma once
// Text over the finished frame, at the window's own pixels: the font atlas as a texture
// and the program that draws glyphs and their boxes, and the exhibits' name tags, each
// shown only where the scene depth the frame left has nothing in front of its exhibit.
// Everything is made on first use (a frame without text costs nothing and prints nothing);
// releaseTextOverlay() (render/overlayResources.h) deletes it while the context is still
// there. Drawing leaves the window bound, culling and depth test on, no program and
// vertex array 0 bound.
#include "render/overlayResources.h"

#include <glm/glm.hpp>
#include <string>
#include <vector>

struct Hall;
struct Renderer;
struct View;

// How many exhibits' tags one frame considers, nearest first.
constexpr int maxLabelProbes = 256;

// Loads the font and builds the programs on first use; false (after one console line
// naming what failed, the first time) when text cannot be drawn.
bool prepareTextOverlay(Renderer& renderer);

// The font's height for a window `windowHeight` pixels high.
int labelPixelHeight(int windowHeight);

// Draws `text` into the window (width x height) with its top left at `topLeft` (pixels,
// origin top left), wrapped to `wrapWidth`, `pixelHeight` pixels high.
void drawText(Renderer& renderer, const std::string& text, glm::vec2 topLeft, float wrapWidth, const glm::vec4& color,
              int pixelHeight, int width, int height);

// The name tags of the exhibits of `hall` in the view shown, over the presented frame.
void drawLabels(Renderer& renderer, const Hall& hall, const View& shownView);

// `text` (lines split at '\n', wrapped to about a third of the window) on a dark panel
// over the window's lower left corner.
void drawPanel(Renderer& renderer, const std::string& text, int width, int height);

// `text` (lines split at '\n') as subtitles: each line centred and wrapped to most of the
// width, on a dark strip near the bottom centre of the bound framebuffer (width x height).
void drawCaption(Renderer& renderer, const std::string& text, int width, int height);
