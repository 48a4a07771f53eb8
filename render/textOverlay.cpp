#include "render/textOverlay.h"

#include "assets/assetFiles.h"
#include "navigation/view.h"
#include "programs/shaderProgram.h"
#include "render/renderer.h"
#include "render/scenePass.h"
#include "scene/hall.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

constexpr int probeColumns = 64;
constexpr int probeRows = maxLabelProbes / probeColumns;
constexpr size_t floatsPerVertex = 8;  // pixel corner and atlas texel, colour
constexpr size_t maxFontBytes = size_t(64) << 20;

const glm::vec4 tagBox(0.0f, 0.0f, 0.0f, 0.6f);
const glm::vec4 tagText(1.0f);

void pushVertex(std::vector<float>& out, float x, float y, float u, float v, const glm::vec4& color)
{
    out.insert(out.end(), {x, y, u, v, color.r, color.g, color.b, color.a});
}

// Two triangles, wound counter-clockwise on the screen (y runs down in these pixels).
void pushQuad(std::vector<float>& out, const GlyphQuad& q, glm::vec2 offset, const glm::vec4& color)
{
    const float x0 = q.x0 + offset.x, y0 = q.y0 + offset.y, x1 = q.x1 + offset.x, y1 = q.y1 + offset.y;
    pushVertex(out, x0, y0, q.u0, q.v0, color);
    pushVertex(out, x0, y1, q.u0, q.v1, color);
    pushVertex(out, x1, y1, q.u1, q.v1, color);
    pushVertex(out, x0, y0, q.u0, q.v0, color);
    pushVertex(out, x1, y1, q.u1, q.v1, color);
    pushVertex(out, x1, y0, q.u1, q.v0, color);
}

void pushBox(std::vector<float>& out, glm::vec2 topLeft, glm::vec2 size, const glm::vec4& color)
{
    const float texel = 0.5f * solidTexels;
    pushQuad(out, {0.0f, 0.0f, size.x, size.y, texel, texel, texel, texel}, topLeft, color);
}

// The dark box round a block of text, `padding` wider than the block each way.
glm::vec2 textBoxSize(const TextBlock& block, float padding)
{
    return {std::ceil(block.width) + 2.0f * padding, block.height + 2.0f * padding};
}

// The block's box, then its glyphs over it.
void pushTextBox(std::vector<float>& out, const TextBlock& block, glm::vec2 topLeft, float padding)
{
    pushBox(out, topLeft, textBoxSize(block, padding), tagBox);
    for (const GlyphQuad& q : block.quads)
        pushQuad(out, q, topLeft + glm::vec2(padding), tagText);
}

// The font's height for subtitles in a picture `windowHeight` pixels high.
int captionPixelHeight(int windowHeight)
{
    return std::clamp(static_cast<int>(std::lround(windowHeight / 24.0)), 12, 80);
}

void uploadVertices(TextOverlay& overlay)
{
    glBindBuffer(GL_ARRAY_BUFFER, overlay.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(overlay.vertices.size() * sizeof(float)),
                 overlay.vertices.data(), GL_STREAM_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void uploadAtlas(TextOverlay& overlay)
{
    if (!overlay.font.changed())
        return;
    glBindTexture(GL_TEXTURE_2D, overlay.atlasTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, atlasSize, atlasSize, GL_RED, GL_UNSIGNED_BYTE,
                    overlay.font.pixels().data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    overlay.font.markUploaded();
}

// The vertices gathered so far, over the bound window of width x height.
void drawTextVertices(TextOverlay& overlay, int width, int height)
{
    if (overlay.vertices.empty())
        return;
    uploadAtlas(overlay);
    uploadVertices(overlay);
    // Glyph coverage blends over the picture byte for byte, as the picture itself went out.
#ifndef __EMSCRIPTEN__
    glDisable(GL_FRAMEBUFFER_SRGB);
#endif
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
    overlay.text->use();
    glUniform2f(overlay.text->getUniformLocation("viewportSize"), static_cast<float>(width), static_cast<float>(height));
    glUniform1i(overlay.text->getUniformLocation("atlas"), 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, overlay.atlasTexture);
    glBindVertexArray(overlay.vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(overlay.vertices.size() / floatsPerVertex));
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
#ifndef __EMSCRIPTEN__
    glEnable(GL_FRAMEBUFFER_SRGB);
#endif
    overlay.vertices.clear();
}

struct Probe {
    int exhibit;
    LabelAnchor anchor;
};

// Which probes see their exhibit: one point each into the answer target, read back.
std::vector<bool> probeVisibility(Renderer& renderer, const std::vector<Probe>& probes, const View& shownView)
{
    TextOverlay& overlay = renderer.text;
    const RenderTargets& targets = renderer.targets;
    const float toSceneX = static_cast<float>(targets.width) / static_cast<float>(shownView.width);
    const float toSceneY = static_cast<float>(targets.height) / static_cast<float>(shownView.height);
    overlay.vertices.clear();
    for (size_t i = 0; i < probes.size(); ++i) {
        const LabelAnchor& a = probes[i].anchor;
        pushVertex(overlay.vertices, std::floor(a.centre.x * toSceneX), std::floor(a.centre.y * toSceneY), a.frontDepth,
                   static_cast<float>(i), glm::vec4(0.0f));
    }
    uploadVertices(overlay);
    overlay.vertices.clear();
    glBindFramebuffer(GL_FRAMEBUFFER, overlay.probeFramebuffer);
    std::vector<unsigned char> answer(static_cast<size_t>(maxLabelProbes) * 4, 0);
    if (drawFramebufferComplete()) {
        glViewport(0, 0, probeColumns, probeRows);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        overlay.probe->use();
        glUniform2f(overlay.probe->getUniformLocation("answerSize"), probeColumns, probeRows);
        glUniform1i(overlay.probe->getUniformLocation("sceneDepth"), 0);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, targets.sceneDepthTexture);
        glBindVertexArray(overlay.vertexArray);
        glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(probes.size()));
        glBindVertexArray(0);
        glBindTexture(GL_TEXTURE_2D, 0);
        glUseProgram(0);
        glEnable(GL_DEPTH_TEST);
        const int rows = (static_cast<int>(probes.size()) + probeColumns - 1) / probeColumns;
        glReadPixels(0, 0, probeColumns, rows, GL_RGBA, GL_UNSIGNED_BYTE, answer.data());
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, shownView.width, shownView.height);
    std::vector<bool> visible(probes.size());
    for (size_t i = 0; i < probes.size(); ++i)
        visible[i] = answer[i * 4] > 127;
    return visible;
}

} // namespace

int labelPixelHeight(int windowHeight)
{
    return std::clamp(static_cast<int>(std::lround(windowHeight / 30.0)), 12, 64);
}

bool prepareTextOverlay(Renderer& renderer)
{
    TextOverlay& overlay = renderer.text;
    if (overlay.prepared)
        return overlay.usable;
    overlay.prepared = true;
    // The fonts sit beside the shaders in the data folder.
    const std::string fontPath = renderer.programs.directory + "/../res/fonts/DejaVuSans.ttf";
    std::string bytes, problem;
    if (!readWholeFile(fontPath, maxFontBytes, bytes, problem) || !overlay.font.load(std::move(bytes), problem)) {
        std::cerr << fontPath << ": " << problem << "; no text is drawn" << std::endl;
        return false;
    }
    overlay.text = new ShaderProgram(renderer.programs.directory + "/textShader");
    overlay.probe = new ShaderProgram(renderer.programs.directory + "/labelDepthShader");
    if (overlay.text->program == 0 || overlay.probe->program == 0) {
        std::cerr << "The text programs did not build; no text is drawn" << std::endl;
        return false;
    }
    glGenTextures(1, &overlay.atlasTexture);
    glBindTexture(GL_TEXTURE_2D, overlay.atlasTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, atlasSize, atlasSize, 0, GL_RED, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glGenTextures(1, &overlay.probeTexture);
    glBindTexture(GL_TEXTURE_2D, overlay.probeTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, probeColumns, probeRows, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    // The first text may be meant for a framebuffer of the caller's, not the window.
    GLint drawing = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawing);
    glGenFramebuffers(1, &overlay.probeFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, overlay.probeFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, overlay.probeTexture, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(drawing));
    glGenVertexArrays(1, &overlay.vertexArray);
    glGenBuffers(1, &overlay.vertexBuffer);
    glBindVertexArray(overlay.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, overlay.vertexBuffer);
    const GLsizei stride = static_cast<GLsizei>(floatsPerVertex * sizeof(float));
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(4 * sizeof(float)));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    overlay.usable = true;
    return true;
}

void drawText(Renderer& renderer, const std::string& text, glm::vec2 topLeft, float wrapWidth, const glm::vec4& color,
              int pixelHeight, int width, int height)
{
    if (!prepareTextOverlay(renderer))
        return;
    TextOverlay& overlay = renderer.text;
    overlay.font.setPixelHeight(pixelHeight);
    const TextBlock block = overlay.font.layout(text, wrapWidth);
    for (const GlyphQuad& q : block.quads)
        pushQuad(overlay.vertices, q, topLeft, color);
    drawTextVertices(overlay, width, height);
}

void drawLabels(Renderer& renderer, const Hall& hall, const View& shownView)
{
    TextOverlay& overlay = renderer.text;
    overlay.shownLabels.clear();
    if (!prepareTextOverlay(renderer) || renderer.targets.sceneDepthTexture == 0)
        return;
    const int width = shownView.width, height = shownView.height;
    const Camera& camera = shownView.camera;
    // The view the frame was drawn with, not the camera's cached matrix, which only the
    // default view's frames bring up to date.
    const glm::mat4 view = cameraViewMatrix(camera);
    std::vector<Probe> probes;
    for (size_t e = 0; e < hall.exhibitSpheres.size() && e < hall.exhibitTitles.size(); ++e) {
        if (hall.exhibitTitles[e].empty())
            continue;
        const LabelAnchor anchor =
            labelAnchor(hall.exhibitSpheres[e], camera.projection, view, camera.eye, width, height);
        if (anchor.inView)
            probes.push_back({static_cast<int>(e), anchor});
    }
    if (probes.empty())
        return;
    std::stable_sort(probes.begin(), probes.end(),
                     [](const Probe& a, const Probe& b) { return a.anchor.distance < b.anchor.distance; });
    if (probes.size() > static_cast<size_t>(maxLabelProbes))
        probes.resize(static_cast<size_t>(maxLabelProbes));
    const std::vector<bool> visible = probeVisibility(renderer, probes, shownView);

    const int pixels = labelPixelHeight(height);
    overlay.font.setPixelHeight(pixels);
    const float padding = std::round(0.3f * static_cast<float>(pixels));
    const float wrapWidth = std::max(12.0f * static_cast<float>(pixels), 0.25f * static_cast<float>(width));
    std::vector<LabelBox> candidates;
    std::vector<TextBlock> blocks(hall.exhibitTitles.size());
    for (size_t i = 0; i < probes.size(); ++i) {
        if (!visible[i])
            continue;
        const size_t e = static_cast<size_t>(probes[i].exhibit);
        blocks[e] = overlay.font.layout(hall.exhibitTitles[e], wrapWidth);
        candidates.push_back({probes[i].exhibit, glm::round(probes[i].anchor.top), textBoxSize(blocks[e], padding),
                              probes[i].anchor.distance});
    }
    overlay.shownLabels = placeLabels(std::move(candidates), width, height);
    // Each tag's box, then its glyphs over it.
    for (auto tag = overlay.shownLabels.rbegin(); tag != overlay.shownLabels.rend(); ++tag) {
        const glm::vec2 topLeft(std::round(tag->at.x), std::round(static_cast<float>(height) - tag->at.y - tag->size.y));
        pushTextBox(overlay.vertices, blocks[static_cast<size_t>(tag->exhibit)], topLeft, padding);
    }
    drawTextVertices(overlay, width, height);
}

namespace {

// A block of text on its dark box: the guide's panel over the lower left corner, or the
// tour's subtitles, lines centred and no wider than most of the picture, a little above
// its bottom edge.
void drawTextBox(Renderer& renderer, const std::string& text, int width, int height, bool subtitles)
{
    if (text.empty() || !prepareTextOverlay(renderer))
        return;
    TextOverlay& overlay = renderer.text;
    const int pixels = subtitles ? captionPixelHeight(height) : labelPixelHeight(height);
    overlay.font.setPixelHeight(pixels);
    const float em = static_cast<float>(pixels), w = static_cast<float>(width), h = static_cast<float>(height);
    const float padding = std::round((subtitles ? 0.4f : 0.6f) * em);
    const float wrapWidth = subtitles ? std::max(em, 0.8f * w) : std::min(std::max(16.0f * em, w / 3.0f), w - 4.0f * padding);
    TextBlock block = overlay.font.layout(text, wrapWidth);
    if (subtitles)
        centreLines(block);
    const glm::vec2 size = textBoxSize(block, padding);
    const float margin = subtitles ? std::round(0.05f * h) : padding;
    const glm::vec2 topLeft(subtitles ? std::round(0.5f * (w - size.x)) : padding,
                            std::max(0.0f, std::round(h - size.y - margin)));
    pushTextBox(overlay.vertices, block, topLeft, padding);
    drawTextVertices(overlay, width, height);
}

} // namespace

void drawPanel(Renderer& renderer, const std::string& text, int width, int height)
{
    drawTextBox(renderer, text, width, height, false);
}

void drawCaption(Renderer& renderer, const std::string& text, int width, int height)
{
    drawTextBox(renderer, text, width, height, true);
}
