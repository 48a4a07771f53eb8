#pragma once
// What the text over the frame is drawn with (render/textOverlay.h draws it): the font
// atlas and its texture, the programs for glyphs and tag probes, the vertex buffer and
// the probe target, all made on first use, and the tags the last frame showed.
// releaseTextOverlay() deletes the GL objects while the context is still there.
#include "base/glApi.h"
#include "scene/labelLayout.h"
#include "scene/textLayout.h"

#include <vector>

class ShaderProgram;

struct TextOverlay {
    FontAtlas font;
    bool prepared = false;  // the first use happened: `usable` tells how it went
    bool usable = false;
    ShaderProgram* text = nullptr;
    ShaderProgram* probe = nullptr;
    GLuint atlasTexture = 0;
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    GLuint probeFramebuffer = 0;
    GLuint probeTexture = 0;
    std::vector<float> vertices;
    // The tags the last frame drew (bottom left corners in window pixels, origin bottom left).
    std::vector<LabelBox> shownLabels;

    TextOverlay() = default;
    TextOverlay(const TextOverlay&) = delete;
    TextOverlay& operator=(const TextOverlay&) = delete;
};

void releaseTextOverlay(TextOverlay& overlay);
