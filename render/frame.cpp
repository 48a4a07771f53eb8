#include "render/frame.h"

#include "navigation/view.h"
#include "render/renderScale.h"
#include "render/renderer.h"
#include "render/scenePass.h"
#include "render/textOverlay.h"
#include "scene/hall.h"

#include <cmath>
#include <iterator>

namespace {

#ifndef __EMSCRIPTEN__
const GLenum allSceneColorBuffers[3] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2};
#endif

// The quad's triangles wind clockwise, so culling goes off while it is drawn.
void beginFullScreenPass(const Renderer& renderer, const ShaderProgram& program)
{
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    program.use();
    glBindVertexArray(renderer.programs.screenQuad);
}

void drawQuad()
{
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
}

void endFullScreenPass()
{
    glUseProgram(0);
    glBindVertexArray(0);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
}

// The filters gather from coarse levels of the picture they read. Its mipmaps are made
// afresh, and the filter reads them on a unit of their own through a mipmap sampler. Each
// filter gathers into a reduced target first, which its full-size pass reads on a unit of
// its own; the full-size pass reads the picture itself one texel per pixel, on unit 0.
constexpr GLuint mipUnit = 2;
constexpr GLuint reducedUnit = 3;

void beginMipSampling(GLuint texture, GLuint sampler, bool makeMips)
{
    glActiveTexture(GL_TEXTURE0 + mipUnit);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (makeMips)
        glGenerateMipmap(GL_TEXTURE_2D);
    glBindSampler(mipUnit, sampler);
    glActiveTexture(GL_TEXTURE0);
}

// Draws `program` over a reduced target, `sendUniforms` giving it what it reads; the
// caller's framebuffer and viewport come back afterwards.
template <typename SendUniforms>
void gatherReduced(const ShaderProgram& program, const SendUniforms& sendUniforms, GLuint framebuffer, GLsizei width,
                   GLsizei height)
{
    GLint previous = 0;
    GLint viewport[4];
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
    program.use();
    sendUniforms(program);
    if (drawFramebufferComplete())
        drawQuad();
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

// The reduced picture for the full-size pass to read (0 takes it away again).
void bindReduced(GLuint texture)
{
    glActiveTexture(GL_TEXTURE0 + reducedUnit);
    glBindTexture(GL_TEXTURE_2D, texture);
    glActiveTexture(GL_TEXTURE0);
}

// `scale` is the render scale `view` is drawn at: the halo and the blur are sized in
// window pixels, so that they look the same at any scale.
void sendBloomUniforms(const ShaderProgram& program, const View& view, double scale)
{
    const FilterSettings& filters = view.filters;
    glUniform1i(program.getUniformLocation("colorTexture"), 0);
    glUniform1i(program.getUniformLocation("colorMips"), static_cast<GLint>(mipUnit));
    glUniform1i(program.getUniformLocation("bloomHalo"), static_cast<GLint>(reducedUnit));
    glUniform1f(program.getUniformLocation("bloomfactor"), filters.bloomfactor);
    glUniform1f(program.getUniformLocation("pixelsizex"), 1.0f / static_cast<float>(view.width));
    glUniform1f(program.getUniformLocation("pixelsizey"), 1.0f / static_cast<float>(view.height));
    glUniform2f(program.getUniformLocation("windowPixel"), static_cast<float>(scale) / static_cast<float>(view.width),
                static_cast<float>(scale) / static_cast<float>(view.height));
    glUniform1f(program.getUniformLocation("levelShift"), static_cast<float>(std::log2(scale)));
}

void sendDepthOfFieldUniforms(const ShaderProgram& program, const View& view, double scale)
{
    const FilterSettings& filters = view.filters;
    glUniform1i(program.getUniformLocation("bgl_RenderedTexture"), 0);
    glUniform1i(program.getUniformLocation("bgl_DepthTexture"), 1);
    glUniform1i(program.getUniformLocation("renderedMips"), static_cast<GLint>(mipUnit));
    glUniform1i(program.getUniformLocation("dofBlur"), static_cast<GLint>(reducedUnit));
    glUniform1i(program.getUniformLocation("bloomHalo"), static_cast<GLint>(reducedUnit));
    glUniform1f(program.getUniformLocation("bloomfactor"), filters.bloomfactor);
    glUniform1f(program.getUniformLocation("focalDepth"), filters.focalDepth);
    glUniform1f(program.getUniformLocation("focalLength"), filters.focalLength);
    glUniform1f(program.getUniformLocation("fstop"), filters.fstop);
    glUniform1f(program.getUniformLocation("bgl_RenderedTextureWidth"), static_cast<float>(view.width));
    glUniform1f(program.getUniformLocation("bgl_RenderedTextureHeight"), static_cast<float>(view.height));
    glUniform1f(program.getUniformLocation("showFocus"), 0.0f);
    glUniform1f(program.getUniformLocation("renderScale"), static_cast<float>(scale));
}

void endMipSampling()
{
    glBindSampler(mipUnit, 0);
    glActiveTexture(GL_TEXTURE0 + mipUnit);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
}

// Points the one fragment output at scene colour texture k (the scene pass draws depth too).
void drawIntoSceneColor(const RenderTargets& targets, int k)
{
#ifdef __EMSCRIPTEN__
    // ES sends the output to draw buffer 0 alone, and WebGL refuses to draw while a texture
    // being read is attached: the target takes attachment 0 by itself.
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, targets.sceneColorTextures[k], 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, k == 0 ? targets.sceneDepthTexture : 0,
                           0);
#else
    (void)targets;
    glDrawBuffers(1, &allSceneColorBuffers[k]);
#endif
}

void clearSceneTargets(const RenderTargets& targets)
{
#ifdef __EMSCRIPTEN__
    for (int k = 2; k >= 0; --k) {
        drawIntoSceneColor(targets, k);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
#else
    (void)targets;
    glDrawBuffers(3, allSceneColorBuffers);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
#endif
}

// Copies one colour attachment of the scene framebuffer into the current draw buffer.
void copySceneColor(const View& view, GLenum fromAttachment)
{
    glReadBuffer(fromAttachment);
    glBlitFramebuffer(0, 0, view.width, view.height, 0, 0, view.width, view.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
}

// A filter reads the picture so far from scene colour texture `from` and draws its own
// into `to`: the lit scene is texture 0, the last filter draws texture 2 (what the window
// and the captures show), and the ones before alternate between 1 and 2 back from it.
struct FilterStep {
    int from;
    int to;
};

// A filter whose program failed to build hands the picture on unchanged, so a broken
// shader file costs its effect, not the whole hall.
bool passedOnUnfiltered(const View& view, bool built, const FilterStep& step)
{
    if (built)
        return false;
    copySceneColor(view, GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(step.from));
    return true;
}

// Starts a full-screen filter with the picture it reads on unit 0.
void beginFilter(const Renderer& renderer, const ShaderProgram& program, const FilterStep& step)
{
    beginFullScreenPass(renderer, program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, renderer.targets.sceneColorTextures[step.from]);
}

// How the frame's lit programs expose: Off unless they were built tone-mapped. A
// tone-mapped frame gets its exposure targets (a fixed exposure written into them) and
// the current one bound for the scene pass.
ExposureMode exposureOfFrame(Renderer& renderer)
{
    if (!renderer.programs.toneMapped)
        return ExposureMode::Off;
    ExposureState& exposure = renderer.exposure;
    createExposureTargets(exposure);
    const ExposureMode mode =
        exposure.setting.mode == ExposureMode::Fixed ? ExposureMode::Fixed : ExposureMode::Automatic;
    if (mode == ExposureMode::Fixed && exposure.restart)
        writeFixedExposure(exposure);
    bindExposure(exposure, true);
    return mode;
}

// A filter's full-size draw over its reduced picture, leaving the state as the filter found it.
template <typename SendUniforms>
void drawFilter(const ShaderProgram& program, const SendUniforms& sendUniforms, GLuint reduced)
{
    bindReduced(reduced);
    program.use();
    sendUniforms(program);
    drawQuad();
    bindReduced(0);
    endMipSampling();
    endFullScreenPass();
}

void renderBloom(Renderer& renderer, const View& view, const FilterStep& step)
{
    const ShaderPrograms& programs = renderer.programs;
    const RenderTargets& targets = renderer.targets;
    const ShaderProgram& program = *programs.bloom;
    if (passedOnUnfiltered(view, program.program != 0, step))
        return;
    beginFilter(renderer, program, step);
    beginMipSampling(targets.sceneColorTextures[step.from], targets.filterLevelSampler, true);
    const double scale = renderer.scale < 1.0 ? renderer.scale : 1.0;
    auto sendUniforms = [&view, scale](const ShaderProgram& p) { sendBloomUniforms(p, view, scale); };
    // Without its halo build the halo target stays black: the picture passes through
    // without a halo.
    if (programs.bloomHalo->program != 0)
        gatherReduced(*programs.bloomHalo, sendUniforms, targets.bloomHaloFramebuffer, bloomHaloExtent(view.width),
                      bloomHaloExtent(view.height));
    drawFilter(program, sendUniforms, targets.bloomHaloTexture);
}

void renderDepthOfField(Renderer& renderer, const View& view, const FilterStep& step)
{
    const ShaderPrograms& programs = renderer.programs;
    const RenderTargets& targets = renderer.targets;
    const ShaderProgram& program = *programs.dof;
    // Both builds come from one file: without the blur the pass would fade into black.
    if (passedOnUnfiltered(view, program.program != 0 && programs.dofBlur->program != 0, step))
        return;
    beginFilter(renderer, program, step);
    // The blur gathers from the picture before the bloom, whose mipmaps the bloom made
    // this frame, and adds the bloom's halo back, which varies too slowly for a blur to
    // change: one mipmap chain a frame instead of two. Without a bloom the chain is made here.
    beginMipSampling(targets.sceneColorTextures[0], targets.filterLevelSampler, programs.bloom->program == 0);
    bindReduced(targets.bloomHaloTexture);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, targets.sceneDepthTexture);
    glActiveTexture(GL_TEXTURE0);
    const double scale = renderer.scale < 1.0 ? renderer.scale : 1.0;
    auto sendUniforms = [&view, scale](const ShaderProgram& p) { sendDepthOfFieldUniforms(p, view, scale); };
    gatherReduced(*programs.dofBlur, sendUniforms, targets.dofBlurFramebuffer, dofBlurExtent(view.width),
                  dofBlurExtent(view.height));
    drawFilter(program, sendUniforms, targets.dofBlurTexture);
}

// The filters between the lit scene and the window, in the order they draw: a new one is
// its function above and its row here (with its FramePass and its program).
struct FilterPass {
    FramePass pass;
    void (*draw)(Renderer& renderer, const View& view, const FilterStep& step);
};
const FilterPass filterPasses[] = {
    {FramePass::Bloom, renderBloom},
    {FramePass::DepthOfField, renderDepthOfField},
};

} // namespace

void renderFrame(Renderer& renderer, const Hall& hall, const View& shownView)
{
    // Below scale 1 the filters work on the reduced picture, at its own size.
    View reduced;
    const bool scaled = renderer.scale < 1.0;
    if (scaled) {
        reduced = shownView;
        reduced.width = scaledExtent(shownView.width, renderer.scale);
        reduced.height = scaledExtent(shownView.height, renderer.scale);
    }
    const View& view = scaled ? reduced : shownView;
    fitViewTargets(renderer.targets, view.width, view.height);
    const RenderTargets& targets = renderer.targets;
    glBindFramebuffer(GL_FRAMEBUFFER, targets.sceneFramebuffer);
    glViewport(0, 0, view.width, view.height);
    // Without its scene framebuffer the frame has nothing to draw into but the window.
    if (drawFramebufferComplete()) {
        clearSceneTargets(targets);
        drawIntoSceneColor(targets, 0);
        const ExposureMode exposure = exposureOfFrame(renderer);
        {
            PassScope timing(renderer.timing, FramePass::Scene);
            // Restarted, the automatic exposure is measured from the scene drawn once
            // beforehand, so that this very frame shows it.
            if (exposure == ExposureMode::Automatic && renderer.exposure.restart) {
                renderScene(renderer, hall, view.camera);
                measureExposure(renderer, 1.0f, true);
                renderer.exposure.restart = false;
                bindExposure(renderer.exposure, true);
            }
            renderScene(renderer, hall, view.camera);
            if (exposure != ExposureMode::Off)
                bindExposure(renderer.exposure, false);
        }
        constexpr int filterCount = static_cast<int>(std::size(filterPasses));
        int from = 0;
        for (int i = 0; i < filterCount; ++i) {
            const FilterStep step{from, (filterCount - 1 - i) % 2 == 0 ? 2 : 1};
            drawIntoSceneColor(targets, step.to);
            PassScope timing(renderer.timing, filterPasses[i].pass);
            filterPasses[i].draw(renderer, view, step);
            from = step.to;
        }
        // The next frame's exposure, from this one's picture: the bloom (or else the depth
        // of field) has made its mipmaps.
        if (exposure == ExposureMode::Automatic) {
            const ShaderPrograms& p = renderer.programs;
            const bool mipsMade = p.bloom->program != 0 || (p.dof->program != 0 && p.dofBlur->program != 0);
            measureExposure(renderer, exposureAdaptation(renderer.exposure.frameSeconds), !mipsMade);
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, shownView.width, shownView.height);
    renderer.presentedWidth = shownView.width;
    renderer.presentedHeight = shownView.height;
    PassScope timing(renderer.timing, FramePass::Present);
    presentFrame(renderer);
    // Over the finished picture at the window's own pixels, so the text stays sharp.
    if (shownView.labels)
        drawLabels(renderer, hall, shownView);
    if (!shownView.panel.empty())
        drawPanel(renderer, shownView.panel, shownView.width, shownView.height);
    else
        drawCaption(renderer, shownView.cue, shownView.width, shownView.height);
    if (renderer.afterPresent)
        renderer.afterPresent();
}

void presentFrame(Renderer& renderer)
{
    const ShaderPrograms& programs = renderer.programs;
    // The picture is stored display-encoded, so it goes to the window byte for byte with
    // sRGB encoding off: exactly what is stored, whatever the window's encoding, and no
    // curve to run per sample. A failed program gives way to the built-in copy; the
    // window is multisampled, so no blit may copy into it.
    const RenderTargets& targets = renderer.targets;
    const bool stretched = renderer.presentedWidth > 0 &&
                           (targets.width != renderer.presentedWidth || targets.height != renderer.presentedHeight);
    const bool fallback = programs.framebuffer->program == 0 && programs.presentFallback;
    const ShaderProgram& program = fallback ? *programs.presentFallback
                                   : stretched && programs.framebufferStretch && programs.framebufferStretch->program
                                       ? *programs.framebufferStretch
                                       : *programs.framebuffer;
#ifndef __EMSCRIPTEN__
    glDisable(GL_FRAMEBUFFER_SRGB);
#endif
    beginFullScreenPass(renderer, program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, targets.sceneColorTextures[2]);
    glUniform1i(program.getUniformLocation("colorTexture1"), 0);
    drawQuad();
    glBindTexture(GL_TEXTURE_2D, 0);
    endFullScreenPass();
#ifndef __EMSCRIPTEN__
    glEnable(GL_FRAMEBUFFER_SRGB);
#endif
}

void renderFrame()
{
    renderFrame(defaultRenderer(), defaultHall(), drawnDefaultView());
}

void presentFrame()
{
    presentFrame(defaultRenderer());
}
