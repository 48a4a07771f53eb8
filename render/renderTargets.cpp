#include "render/renderTargets.h"

#include "base/glCapabilities.h"

#include <algorithm>
#include <iostream>


namespace {

// Names render targets GL had no memory for; the frame goes on with what was made.
void reportTargetMemory(const char* which, int width, int height)
{
    if (glRanOutOfMemory())
        std::cerr << "GL ran out of memory for the " << which << " render targets (" << width << "x" << height
                  << "); the picture may be missing parts." << std::endl;
}

GLint mipLevelCount(GLsizei width, GLsizei height)
{
    GLint levels = 1;
    for (GLsizei size = std::max(width, height); size > 1; size >>= 1)
        ++levels;
    return levels;
}

void setCubeWrapAndFilter(GLenum filter)
{
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, filter);
}

void createSceneTargets(RenderTargets& t, const char* successText)
{
    const GLsizei width = t.width, height = t.height;
    glGenFramebuffers(1, &t.sceneFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, t.sceneFramebuffer);

    glGenTextures(1, &t.sceneDepthTexture);
    glBindTexture(GL_TEXTURE_2D, t.sceneDepthTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, width, height, 0, GL_DEPTH_COMPONENT,
                 GL_UNSIGNED_INT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, t.sceneDepthTexture, 0);

    for (int k = 0; k < 3; ++k) {
        glGenTextures(1, &t.sceneColorTextures[k]);
        glBindTexture(GL_TEXTURE_2D, t.sceneColorTextures[k]);
        // The two pictures the filters read get the whole chain down to 1 x 1, as the
        // filters gather from coarse levels; the last one only ever shows level 0.
        const GLint levels = k < 2 ? mipLevelCount(width, height) : 1;
        for (GLint level = 0; level < levels; ++level)
            glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, std::max(1, width >> level),
                         std::max(1, height >> level), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
#ifdef __EMSCRIPTEN__
        // ES draws the one fragment output into attachment 0 only: each pass attaches
        // its target there (see the frame).
        if (k == 0)
#endif
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + k, GL_TEXTURE_2D, t.sceneColorTextures[k], 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        if (anisotropicFilteringAvailable())
            glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 8.0f);
    }
    reportFramebufferStatus(successText, "The hall is not drawn: its scene framebuffer is incomplete.");
}

// The textures keep plain linear filtering; only the filters read their mipmaps.
// Clamped, so a halo or blur at one edge does not pull in the opposite edge.
void createFilterSampler(RenderTargets& t)
{
    glGenSamplers(1, &t.filterLevelSampler);
    glSamplerParameteri(t.filterLevelSampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(t.filterLevelSampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(t.filterLevelSampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(t.filterLevelSampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
}

void createReducedScaleSampler(RenderTargets& t)
{
    glGenSamplers(1, &t.reducedScaleTextureSampler);
    glSamplerParameteri(t.reducedScaleTextureSampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(t.reducedScaleTextureSampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glSamplerParameteri(t.reducedScaleTextureSampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(t.reducedScaleTextureSampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
#ifndef __EMSCRIPTEN__
    // ES has no bias: there the textures are only read without anisotropy.
    glSamplerParameterf(t.reducedScaleTextureSampler, GL_TEXTURE_LOD_BIAS, -0.5f);
#endif
}

// A colour texture the filters draw a reduced picture into and read back bilinearly.
// Black until first drawn, so a halo program that failed to build adds nothing.
void createReducedTarget(GLuint& framebuffer, GLuint& texture, GLsizei width, GLsizei height, const char* skipped)
{
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    if (reportFramebufferStatus(nullptr, skipped))
        glClear(GL_COLOR_BUFFER_BIT);
}

void createViewTargets(RenderTargets& t, int width, int height, const char* successText)
{
    t.width = width;
    t.height = height;
    createSceneTargets(t, successText);
    createReducedTarget(t.bloomHaloFramebuffer, t.bloomHaloTexture, bloomHaloExtent(width), bloomHaloExtent(height),
                        "The bloom's halo is not drawn: its framebuffer is incomplete.");
    createReducedTarget(t.dofBlurFramebuffer, t.dofBlurTexture, dofBlurExtent(width), dofBlurExtent(height),
                        "The depth of field's blur is not drawn: its framebuffer is incomplete.");
}

void releaseViewTargets(RenderTargets& t)
{
    const GLuint framebuffers[] = {t.sceneFramebuffer, t.bloomHaloFramebuffer, t.dofBlurFramebuffer};
    glDeleteFramebuffers(3, framebuffers);
    const GLuint textures[] = {t.sceneColorTextures[0], t.sceneColorTextures[1], t.sceneColorTextures[2],
                               t.sceneDepthTexture, t.bloomHaloTexture, t.dofBlurTexture};
    glDeleteTextures(6, textures);
    t.width = t.height = 0;
    t.sceneFramebuffer = t.sceneDepthTexture = 0;
    for (GLuint& texture : t.sceneColorTextures)
        texture = 0;
    t.bloomHaloFramebuffer = t.bloomHaloTexture = t.dofBlurFramebuffer = t.dofBlurTexture = 0;
}

void createEnvironmentSamplers(RenderTargets& t)
{
    GLuint& environmentTextureSampler = t.environmentTextureSampler;
    GLuint& environmentShadowSampler = t.environmentShadowSampler;
    glGenSamplers(1, &environmentTextureSampler);
    glSamplerParameteri(environmentTextureSampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(environmentTextureSampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
    // Nearest both ways: the captures almost never magnify, and with one filter for both
    // a software rasterizer need not decide per block which one applies.
    glSamplerParameteri(environmentTextureSampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glSamplerParameteri(environmentTextureSampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    // A sampler replaces all of a texture's sampling state, comparison included.
    glGenSamplers(1, &environmentShadowSampler);
    for (GLenum wrap : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R})
        glSamplerParameteri(environmentShadowSampler, wrap, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(environmentShadowSampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glSamplerParameteri(environmentShadowSampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(environmentShadowSampler, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
    glSamplerParameteri(environmentShadowSampler, GL_TEXTURE_COMPARE_FUNC, GL_LESS);
}

// The samplers exist whatever the hall holds: a capture may be drawn into any framebuffer.
void createEnvironmentTargets(RenderTargets& t, int reflectingCount)
{
    createEnvironmentSamplers(t);
    if (reflectingCount <= 0)
        return;
    glGenFramebuffers(1, &t.environmentFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, t.environmentFramebuffer);
    glGenRenderbuffers(1, &t.environmentDepthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, t.environmentDepthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, environmentMapSize, environmentMapSize);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, t.environmentDepthBuffer);

    // A curved mirror shows a face minified many times over: read at one level, it
    // glitters. The captures make the chain afresh after each refresh.
    t.environmentCubeMaps.assign(static_cast<size_t>(reflectingCount), 0);
    for (GLuint& cubeMap : t.environmentCubeMaps) {
        glGenTextures(1, &cubeMap);
        glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
        setCubeWrapAndFilter(GL_LINEAR);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL, environmentMipLevels - 1);
        for (GLint level = 0; level < environmentMipLevels; ++level)
            for (int face = 0; face < 6; ++face)
                glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, level, GL_RGBA8,
                             std::max(1, environmentMapSize >> level), std::max(1, environmentMapSize >> level), 0,
                             GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    }
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_CUBE_MAP_POSITIVE_X,
                           t.environmentCubeMaps.back(), 0);
    reportFramebufferStatus("\nEnvironment framebuffer created\n",
                            "The mirror's and the lens's environment maps are not drawn: their framebuffer is incomplete.");
}


// One depth-only framebuffer and `count` depth cube maps of `size` it draws into, one
// face at a time.
void createDepthCubeTargets(GLuint& framebuffer, std::vector<GLuint>& cubeMaps, int count, GLsizei size, GLenum filter,
                            const char* successText, const char* skipped)
{
    if (count <= 0)
        return;
    cubeMaps.assign(static_cast<size_t>(count), 0);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    for (GLuint& cubeMap : cubeMaps) {
        glGenTextures(1, &cubeMap);
        glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
        setCubeWrapAndFilter(filter);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_COMPARE_FUNC, GL_LESS);
        for (int face = 0; face < 6; ++face)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT32F, size, size, 0,
                         GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    }
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_CUBE_MAP_POSITIVE_X, cubeMaps.back(), 0);
    const GLenum none = GL_NONE;
    glDrawBuffers(1, &none);
    glReadBuffer(GL_NONE);
    reportFramebufferStatus(successText, skipped);
}

void createShadowTargets(RenderTargets& t, int lightCount)
{
    createDepthCubeTargets(t.shadowFramebuffer, t.shadowCubeMaps, lightCount, shadowMapSize, GL_LINEAR,
                           "\nShadow framebuffer created\n",
                           "The lights' shadow maps are not drawn: their framebuffer is incomplete.");
    t.shadowFaceQueries.assign(6 * t.shadowCubeMaps.size(), ShadowFaceQuery{});
    for (ShadowFaceQuery& query : t.shadowFaceQueries)
        glGenQueries(1, &query.name);
    createDepthCubeTargets(t.captureShadowFramebuffer, t.captureShadowCubeMaps, lightCount, captureShadowMapSize,
                           GL_NEAREST,
                           nullptr, "The environment maps' shadow copies are not made: their framebuffer is incomplete.");
}

} // namespace

bool reportFramebufferStatus(const char* successText, const char* skipped)
{
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status == GL_FRAMEBUFFER_COMPLETE) {
        if (successText)
            std::cout << successText;
        return true;
    }
    std::cout << "\nDidn't work!\n" << static_cast<unsigned int>(status) << std::endl;
    if (skipped)
        std::cerr << skipped << std::endl;
    return false;
}

bool drawFramebufferComplete()
{
    return glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void createRenderTargets(RenderTargets& t, int width, int height, int lightCount, int reflectingCount)
{
    releaseRenderTargets(t);
    createViewTargets(t, width, height, "\nFramebuffer created\n");
    createFilterSampler(t);
    createReducedScaleSampler(t);
    createEnvironmentTargets(t, reflectingCount);
    createShadowTargets(t, lightCount);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    reportTargetMemory("view, shadow and environment", width, height);
}

void fitViewTargets(RenderTargets& t, int width, int height)
{
    if ((width == t.width && height == t.height) || width <= 0 || height <= 0)
        return;
    releaseViewTargets(t);
    createViewTargets(t, width, height, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    reportTargetMemory("view", width, height);
}

void releaseRenderTargets(RenderTargets& t)
{
    releaseViewTargets(t);
    const GLuint framebuffers[] = {t.environmentFramebuffer, t.shadowFramebuffer, t.captureShadowFramebuffer};
    glDeleteFramebuffers(3, framebuffers);
    std::vector<GLuint> textures;
    for (const std::vector<GLuint>* maps : {&t.environmentCubeMaps, &t.shadowCubeMaps, &t.captureShadowCubeMaps})
        textures.insert(textures.end(), maps->begin(), maps->end());
    glDeleteTextures(static_cast<GLsizei>(textures.size()), textures.data());
    glDeleteRenderbuffers(1, &t.environmentDepthBuffer);
    for (const ShadowFaceQuery& query : t.shadowFaceQueries)
        glDeleteQueries(1, &query.name);
    t.shadowFaceQueries.clear();
    const GLuint samplers[] = {t.environmentTextureSampler, t.environmentShadowSampler, t.filterLevelSampler,
                               t.reducedScaleTextureSampler};
    glDeleteSamplers(4, samplers);
    // Deleting name 0 does nothing, so a set released twice, or never made, is harmless.
    t.environmentFramebuffer = t.environmentDepthBuffer = 0;
    t.shadowFramebuffer = t.captureShadowFramebuffer = 0;
    t.environmentCubeMaps.clear();
    t.shadowCubeMaps.clear();
    t.captureShadowCubeMaps.clear();
    t.environmentTextureSampler = t.environmentShadowSampler = t.filterLevelSampler = 0;
    t.reducedScaleTextureSampler = 0;
}

void clearEnvironmentMaps(const RenderTargets& targets)
{
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    GLfloat clearColor[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColor);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    for (GLuint cubeMap : targets.environmentCubeMaps)
        for (int face = 0; face < 6; ++face) {
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face,
                                   cubeMap, 0);
            if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE)
                glClear(GL_COLOR_BUFFER_BIT);
        }
    for (GLuint cubeMap : targets.environmentCubeMaps) {
        glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
        glGenerateMipmap(GL_TEXTURE_CUBE_MAP);
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glClearColor(clearColor[0], clearColor[1], clearColor[2], clearColor[3]);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
}
