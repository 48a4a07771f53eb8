#pragma once
// Text laid out in pixels from a TrueType font: UTF-8 decoded (a byte that starts or
// continues no valid sequence becomes U+FFFD), glyphs rasterised on first use into a
// coverage atlas at one pixel height, kerned, and wrapped at spaces to a width (a word
// wider than the width is broken between letters). GL-free: the text overlay uploads the
// atlas and draws the quads, one atlas texel per pixel.
#include "base/utf8Text.h"

#include <string>
#include <unordered_map>
#include <vector>

// One glyph's rectangle in pixels (x right, y down from the top of the text) and the same
// rectangle in atlas texels.
struct GlyphQuad {
    float x0, y0, x1, y1;
    float u0, v0, u1, v1;
};

struct TextBlock {
    std::vector<GlyphQuad> quads;
    float width = 0.0f;   // of the widest line, by advances
    float height = 0.0f;  // lines times the line height
    int lines = 0;
    // Per line: its width by advances and the index of its first quad.
    std::vector<float> lineWidths;
    std::vector<size_t> lineFirstQuads;
};

// Each line moved right by half of what it lacks of the block's width, in whole pixels.
void centreLines(TextBlock& block);

// The atlas is one channel of coverage, atlasSize texels a side; its top left
// solidTexels x solidTexels are fully covered, for boxes drawn with the same program.
constexpr int atlasSize = 1024;
constexpr int solidTexels = 4;

class FontAtlas {
public:
    FontAtlas() = default;
    FontAtlas(const FontAtlas&) = delete;
    FontAtlas& operator=(const FontAtlas&) = delete;

    // False, with the reason, when the bytes are no font stb_truetype can read.
    bool load(std::string bytes, std::string& problem);
    bool loaded() const { return !data.empty(); }
    // Another height empties the atlas.
    void setPixelHeight(int pixels);
    int pixelHeight() const { return height; }
    float lineHeight() const { return lineAdvance; }
    float ascent() const { return ascentPixels; }

    // `wrapWidth` 0 or less: no wrapping.
    TextBlock layout(const std::string& text, float wrapWidth);

    const std::vector<unsigned char>& pixels() const { return atlas; }
    // Whether glyphs were added since markUploaded().
    bool changed() const { return dirty; }
    void markUploaded() { dirty = false; }

private:
    struct Glyph {
        int index = 0;  // in the font; 0 is its missing-glyph shape
        int x = 0, y = 0, width = 0, height = 0;  // in the atlas
        int left = 0, top = 0;  // bitmap offset from the pen on the baseline
        float advance = 0.0f;
    };
    const Glyph& glyph(char32_t c);
    float measure(const std::u32string& word);

    std::string data;
    std::vector<unsigned char> info;  // stbtt_fontinfo, kept opaque here
    int height = 0;
    float scale = 0.0f, lineAdvance = 0.0f, ascentPixels = 0.0f;
    std::vector<unsigned char> atlas;
    int shelfX = 0, shelfY = 0, shelfHeight = 0;
    bool dirty = false;
    std::unordered_map<char32_t, Glyph> glyphs;
};
