#include "render/frame.h"

#include "base/frameClock.h"
#include "app/window.h"
#include "navigation/view.h"
#include "programs/programs.h"
#include "render/passTimer.h"
#include "render/renderTargets.h"
#include "render/scenePass.h"

namespace {

#ifndef __EMSCRIPTEN__
const GLenum allSceneColorBuffers[3] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2};
#endif

// The quad's triangles wind clockwise, so culling goes off while it is drawn.
void beginFullScreenPass(const ShaderProgram& program)
{
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    program.use();
    glBindVertexArray(screenQuad);
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
void gatherReduced(const ShaderProgram& program, void (*sendUniforms)(const ShaderProgram&), GLuint framebuffer,
                   GLsizei width, GLsizei height)
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

void sendBloomUniforms(const ShaderProgram& program)
{
    glUniform1i(program.getUniformLocation("colorTexture"), 0);
    glUniform1i(program.getUniformLocation("colorMips"), static_cast<GLint>(mipUnit));
    glUniform1i(program.getUniformLocation("bloomHalo"), static_cast<GLint>(reducedUnit));
    glUniform1f(program.getUniformLocation("bloomfactor"), bloomfactor);
    glUniform1f(program.getUniformLocation("pixelsizex"), 1.0f / static_cast<float>(screenWidth));
    glUniform1f(program.getUniformLocation("pixelsizey"), 1.0f / static_cast<float>(screenHeight));
}

void sendDepthOfFieldUniforms(const ShaderProgram& program)
{
    glUniform1i(program.getUniformLocation("bgl_RenderedTexture"), 0);
    glUniform1i(program.getUniformLocation("bgl_DepthTexture"), 1);
    glUniform1i(program.getUniformLocation("renderedMips"), static_cast<GLint>(mipUnit));
    glUniform1i(program.getUniformLocation("dofBlur"), static_cast<GLint>(reducedUnit));
    glUniform1i(program.getUniformLocation("bloomHalo"), static_cast<GLint>(reducedUnit));
    glUniform1f(program.getUniformLocation("bloomfactor"), bloomfactor);
    glUniform1f(program.getUniformLocation("focalDepth"), focalDepth);
    glUniform1f(program.getUniformLocation("focalLength"), focalLength);
    glUniform1f(program.getUniformLocation("fstop"), fstop);
    glUniform1f(program.getUniformLocation("bgl_RenderedTextureWidth"), static_cast<float>(screenWidth));
    glUniform1f(program.getUniformLocation("bgl_RenderedTextureHeight"), static_cast<float>(screenHeight));
    glUniform1f(program.getUniformLocation("showFocus"), 0.0f);
}

void endMipSampling()
{
    glBindSampler(mipUnit, 0);
    glActiveTexture(GL_TEXTURE0 + mipUnit);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
}

// Points the one fragment output at scene colour texture k (the scene pass draws depth too).
void drawIntoSceneColor(int k)
{
#ifdef __EMSCRIPTEN__
    // ES sends the output to draw buffer 0 alone, and WebGL refuses to draw while a texture
    // being read is attached: the target takes attachment 0 by itself.
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, sceneColorTextures[k], 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, k == 0 ? sceneDepthTexture : 0, 0);
#else
    glDrawBuffers(1, &allSceneColorBuffers[k]);
#endif
}

void clearSceneTargets()
{
#ifdef __EMSCRIPTEN__
    for (int k = 2; k >= 0; --k) {
        drawIntoSceneColor(k);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
#else
    glDrawBuffers(3, allSceneColorBuffers);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
#endif
}

// Copies one colour attachment of the scene framebuffer into the current draw buffer.
void copySceneColor(GLenum fromAttachment)
{
    glReadBuffer(fromAttachment);
    glBlitFramebuffer(0, 0, screenWidth, screenHeight, 0, 0, screenWidth, screenHeight, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
}

// A filter whose program failed to build hands the picture on unchanged, so a broken
// shader file costs its effect, not the whole hall.
bool passedOnUnfiltered(bool built, GLenum fromAttachment)
{
    if (built)
        return false;
    copySceneColor(fromAttachment);
    return true;
}

} // namespace

void renderFrame()
{
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);
    glViewport(0, 0, screenWidth, screenHeight);
    // Without its scene framebuffer the frame has nothing to draw into but the window.
    if (drawFramebufferComplete()) {
        clearSceneTargets();
        drawIntoSceneColor(0);
        {
            PassScope timing(FramePass::Scene);
            renderScene();
        }
        drawIntoSceneColor(1);
        {
            PassScope timing(FramePass::Bloom);
            renderBloom();
        }
        drawIntoSceneColor(2);
        {
            PassScope timing(FramePass::DepthOfField);
            renderDepthOfField();
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    PassScope timing(FramePass::Present);
    presentFrame();
    swapAndPollEvents();
}

void renderBloom()
{
    const ShaderProgram& program = *bloomShader;
    if (passedOnUnfiltered(program.program != 0, GL_COLOR_ATTACHMENT0))
        return;
    beginFullScreenPass(program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, sceneColorTextures[0]);
    beginMipSampling(sceneColorTextures[0], filterLevelSampler, true);
    // Without its halo build the halo target stays black: the picture passes through
    // without a halo.
    if (bloomHaloShader->program != 0)
        gatherReduced(*bloomHaloShader, sendBloomUniforms, bloomHaloFramebuffer, bloomHaloExtent(screenWidth),
                      bloomHaloExtent(screenHeight));
    bindReduced(bloomHaloTexture);
    program.use();
    sendBloomUniforms(program);
    drawQuad();
    bindReduced(0);
    endMipSampling();
    endFullScreenPass();
}

void renderDepthOfField()
{
    const ShaderProgram& program = *dofShader;
    // Both builds come from one file: without the blur the pass would fade into black.
    if (passedOnUnfiltered(program.program != 0 && dofBlurShader->program != 0, GL_COLOR_ATTACHMENT1))
        return;
    beginFullScreenPass(program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, sceneColorTextures[1]);
    // The blur gathers from the picture before the bloom, whose mipmaps the bloom made
    // this frame, and adds the bloom's halo back, which varies too slowly for a blur to
    // change: one mipmap chain a frame instead of two. Without a bloom the chain is made here.
    beginMipSampling(sceneColorTextures[0], filterLevelSampler, bloomShader->program == 0);
    bindReduced(bloomHaloTexture);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, sceneDepthTexture);
    glActiveTexture(GL_TEXTURE0);
    gatherReduced(*dofBlurShader, sendDepthOfFieldUniforms, dofBlurFramebuffer, dofBlurExtent(screenWidth),
                  dofBlurExtent(screenHeight));
    bindReduced(dofBlurTexture);
    program.use();
    sendDepthOfFieldUniforms(program);
    drawQuad();
    bindReduced(0);
    endMipSampling();
    endFullScreenPass();
}

void presentFrame()
{
    // The picture is stored display-encoded, so it goes to the window byte for byte with
    // sRGB encoding off: exactly what is stored, whatever the window's encoding, and no
    // curve to run per sample. A failed program gives way to the built-in copy; the
    // window is multisampled, so no blit may copy into it.
    const bool fallback = framebufferShader->program == 0 && presentFallbackShader;
    const ShaderProgram& program = fallback ? *presentFallbackShader : *framebufferShader;
#ifndef __EMSCRIPTEN__
    glDisable(GL_FRAMEBUFFER_SRGB);
#endif
    beginFullScreenPass(program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, sceneColorTextures[2]);
    glUniform1i(program.getUniformLocation("colorTexture1"), 0);
    drawQuad();
    glBindTexture(GL_TEXTURE_2D, 0);
    endFullScreenPass();
#ifndef __EMSCRIPTEN__
    glEnable(GL_FRAMEBUFFER_SRGB);
#endif
}
