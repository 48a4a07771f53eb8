#include "scene/textLayout.h"

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>

#include <algorithm>
#include <cmath>

bool FontAtlas::load(std::string bytes, std::string& problem)
{
    data.clear();
    glyphs.clear();
    info.assign(sizeof(stbtt_fontinfo), 0);
    auto* font = reinterpret_cast<stbtt_fontinfo*>(info.data());
    const auto* start = reinterpret_cast<const unsigned char*>(bytes.data());
    // stb_truetype trusts the tables it is pointed at; the offset check is all it offers.
    if (bytes.size() < 12 || stbtt_GetFontOffsetForIndex(start, 0) != 0 || !stbtt_InitFont(font, start, 0)) {
        problem = "not a TrueType font";
        return false;
    }
    data = std::move(bytes);
    // The font keeps pointers into the bytes: point it at where they now live.
    stbtt_InitFont(font, reinterpret_cast<const unsigned char*>(data.data()), 0);
    const int pixels = height > 0 ? height : 16;
    height = 0;
    setPixelHeight(pixels);
    return true;
}

void FontAtlas::setPixelHeight(int pixels)
{
    if (pixels == height || data.empty())
        return;
    height = pixels;
    auto* font = reinterpret_cast<stbtt_fontinfo*>(info.data());
    scale = stbtt_ScaleForPixelHeight(font, static_cast<float>(pixels));
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(font, &ascent, &descent, &gap);
    ascentPixels = std::round(static_cast<float>(ascent) * scale);
    lineAdvance = std::round(static_cast<float>(ascent - descent + gap) * scale);
    atlas.assign(static_cast<size_t>(atlasSize) * atlasSize, 0);
    for (int y = 0; y < solidTexels; ++y)
        std::fill_n(atlas.begin() + y * atlasSize, solidTexels, 255);
    shelfX = solidTexels + 1;
    shelfY = 0;
    shelfHeight = solidTexels;
    glyphs.clear();
    dirty = true;
}

const FontAtlas::Glyph& FontAtlas::glyph(char32_t c)
{
    auto found = glyphs.find(c);
    if (found != glyphs.end())
        return found->second;
    auto* font = reinterpret_cast<stbtt_fontinfo*>(info.data());
    Glyph g;
    g.index = stbtt_FindGlyphIndex(font, static_cast<int>(c));
    if (g.index == 0 && c != replacementCharacter)
        return glyphs[c] = glyph(replacementCharacter);
    int advance = 0, bearing = 0;
    stbtt_GetGlyphHMetrics(font, g.index, &advance, &bearing);
    g.advance = static_cast<float>(advance) * scale;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetGlyphBitmapBox(font, g.index, scale, scale, &x0, &y0, &x1, &y1);
    g.left = x0;
    g.top = y0;
    const int width = x1 - x0, rows = y1 - y0;
    if (width > 0 && rows > 0) {
        if (shelfX + width + 1 > atlasSize) {
            shelfX = 0;
            shelfY += shelfHeight + 1;
            shelfHeight = 0;
        }
        // A full atlas draws the glyph as nothing rather than over another.
        if (width + 1 <= atlasSize && shelfY + rows <= atlasSize) {
            g.x = shelfX;
            g.y = shelfY;
            g.width = width;
            g.height = rows;
            stbtt_MakeGlyphBitmap(font, &atlas[static_cast<size_t>(g.y) * atlasSize + static_cast<size_t>(g.x)], width,
                                  rows, atlasSize, scale, scale, g.index);
            shelfX += width + 1;
            shelfHeight = std::max(shelfHeight, rows);
            dirty = true;
        }
    }
    return glyphs[c] = g;
}

float FontAtlas::measure(const std::u32string& word)
{
    auto* font = reinterpret_cast<stbtt_fontinfo*>(info.data());
    float width = 0.0f;
    int previous = -1;
    for (char32_t c : word) {
        const Glyph& g = glyph(c);
        if (previous >= 0)
            width += static_cast<float>(stbtt_GetGlyphKernAdvance(font, previous, g.index)) * scale;
        width += g.advance;
        previous = g.index;
    }
    return width;
}

TextBlock FontAtlas::layout(const std::string& text, float wrapWidth)
{
    TextBlock block;
    if (data.empty())
        return block;
    // Lines of words, each word kept whole where it fits.
    std::vector<std::u32string> lines;
    std::u32string line, word;
    const float space = glyph(U' ').advance;
    float lineWidth = 0.0f;
    auto placeWord = [&]() {
        if (word.empty())
            return;
        float width = measure(word);
        if (!line.empty() && (wrapWidth <= 0.0f || lineWidth + space + width <= wrapWidth)) {
            line += U' ';
            line += word;
            lineWidth += space + width;
            word.clear();
            return;
        }
        if (!line.empty())
            lines.push_back(line);
        line.clear();
        // Too wide by itself: broken between letters, at least one letter a line.
        while (wrapWidth > 0.0f && width > wrapWidth && word.size() > 1) {
            size_t fits = 1;
            while (fits < word.size() && measure(word.substr(0, fits + 1)) <= wrapWidth)
                ++fits;
            lines.push_back(word.substr(0, fits));
            word.erase(0, fits);
            width = measure(word);
        }
        line = word;
        lineWidth = width;
        word.clear();
    };
    for (char32_t c : decodeUtf8(text)) {
        if (c == U'\n') {
            placeWord();
            lines.push_back(line);
            line.clear();
            lineWidth = 0.0f;
        } else if (c == U' ' || c == U'\t' || c < 0x20) {
            placeWord();
        } else {
            word += c;
        }
    }
    placeWord();
    if (!line.empty() || lines.empty())
        lines.push_back(line);

    auto* font = reinterpret_cast<stbtt_fontinfo*>(info.data());
    block.lines = static_cast<int>(lines.size());
    block.height = lineAdvance * static_cast<float>(lines.size());
    for (size_t l = 0; l < lines.size(); ++l) {
        const float baseline = ascentPixels + lineAdvance * static_cast<float>(l);
        float pen = 0.0f;
        int previous = -1;
        block.lineFirstQuads.push_back(block.quads.size());
        for (char32_t c : lines[l]) {
            const Glyph& g = glyph(c);
            if (previous >= 0)
                pen += static_cast<float>(stbtt_GetGlyphKernAdvance(font, previous, g.index)) * scale;
            // Whole pixels: one atlas texel per pixel keeps the glyph as the font draws it.
            if (g.width > 0) {
                const float x = std::round(pen) + static_cast<float>(g.left);
                const float y = baseline + static_cast<float>(g.top);
                block.quads.push_back({x, y, x + static_cast<float>(g.width), y + static_cast<float>(g.height),
                                       static_cast<float>(g.x), static_cast<float>(g.y),
                                       static_cast<float>(g.x + g.width), static_cast<float>(g.y + g.height)});
            }
            pen += g.advance;
            previous = g.index;
        }
        block.width = std::max(block.width, pen);
        block.lineWidths.push_back(pen);
    }
    return block;
}

void centreLines(TextBlock& block)
{
    for (size_t l = 0; l < block.lineWidths.size(); ++l) {
        const float shift = std::round(0.5f * (block.width - block.lineWidths[l]));
        const size_t end = l + 1 < block.lineFirstQuads.size() ? block.lineFirstQuads[l + 1] : block.quads.size();
        for (size_t q = block.lineFirstQuads[l]; q < end; ++q) {
            block.quads[q].x0 += shift;
            block.quads[q].x1 += shift;
        }
    }
}
