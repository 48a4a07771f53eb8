#pragma once
// Reading finished frames back: the picture the window shows is the last scene colour
// texture, display-encoded; tools and tests save or inspect it.
#include "base/glApi.h"
#include <string>
#include <vector>

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;  // bottom row first, as GL reads it

    const unsigned char* pixel(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// Level 0 of a 2D RGBA8 texture.
Image readTexture(GLuint texture);
// What the window shows after the current frame (at a reduced render scale, the picture
// stretched to the window's size as the present pass does it), with `caption` burnt in
// as the tour's subtitles when given.
Image readPresentedFrame(const std::string& caption = "");
// Writes the image as an 8-bit RGB PNG (top row first); false on failure, with the
// reason in `why` when given. A file that could not be written whole is removed.
bool writePng(const Image& image, const std::string& path, std::string* why = nullptr);
