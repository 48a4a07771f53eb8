#pragma once
// The off-screen targets every frame is drawn through: the view-sized scene framebuffer
// (lit scene, bloom, depth of field) with the filters' reduced targets, one 1024
// environment cube map per reflecting object, and one 2048 depth cube map per light with
// its reduced copy for the environment captures. A RenderTargets holds them (a renderer
// owns it); the named variables (sceneFramebuffer ...) refer to the default renderer's.
#include "base/glApi.h"

#include <vector>

constexpr GLsizei environmentMapSize = 1024;
// The environment maps' mipmap levels, 1024 down to 8 a side. A footprint wider than an
// eighth of a face comes near a mirror's rim, where the reflection is squeezed one way
// only: a coarser level would blur it the other way too. Each level costs a draw per face.
constexpr GLint environmentMipLevels = 8;
constexpr GLsizei shadowMapSize = 2048;
constexpr GLsizei captureShadowMapSize = 512;

inline GLsizei bloomHaloExtent(GLsizei windowExtent) { return windowExtent / 4 > 0 ? windowExtent / 4 : 1; }
inline GLsizei dofBlurExtent(GLsizei windowExtent) { return windowExtent / 2 > 0 ? windowExtent / 2 : 1; }

// A query of whether any depth was written, and whether it was ever asked: a query never
// begun has no result to read.
struct ShadowFaceQuery {
    GLuint name = 0;
    bool issued = false;
};

struct RenderTargets {
    // Sized by the view they were made for.
    GLsizei width = 0;
    GLsizei height = 0;
    GLuint sceneFramebuffer = 0;
    GLuint sceneColorTextures[3] = {0, 0, 0};
    GLuint sceneDepthTexture = 0;
    // The bloom's halo, a quarter of the view each way, and the framebuffer that draws it.
    GLuint bloomHaloFramebuffer = 0;
    GLuint bloomHaloTexture = 0;
    // The depth of field's blur, half the view each way, and the framebuffer that draws it.
    GLuint dofBlurFramebuffer = 0;
    GLuint dofBlurTexture = 0;

    // One per reflecting object, read trilinearly through their full mipmap chain, which
    // each capture makes anew.
    GLuint environmentFramebuffer = 0;
    GLuint environmentDepthBuffer = 0;
    std::vector<GLuint> environmentCubeMaps;
    // One per light.
    GLuint shadowFramebuffer = 0;
    std::vector<GLuint> shadowCubeMaps;
    // Per light and face (light i's face f at 6 i + f), whether the last shadow pass wrote
    // any depth there. A face seeing no caster is still clear and need not be cleared again:
    // a 2048 depth face costs as much to clear as to draw the few casters most faces see.
    std::vector<ShadowFaceQuery> shadowFaceQueries;
    // The shadow maps a quarter the size each way, copied from shadowCubeMaps before each
    // environment refresh, for the captures to read: a capture's look-ups wander over the
    // whole of a light's map, and at full size they spend most of their time waiting for
    // memory. A mirror shows the shadows small; the captures' bias allows for the wider texels.
    GLuint captureShadowFramebuffer = 0;
    std::vector<GLuint> captureShadowCubeMaps;

    // How the environment captures read the hall's 2D textures and the shadow maps: the
    // nearest texel of one mipmap level, no anisotropy, and one comparison per shadow look-up.
    // A capture is seen small and curved in a mirror; on a software rasterizer each filtered
    // texel costs a memory gather per pixel.
    GLuint environmentTextureSampler = 0;
    GLuint environmentShadowSampler = 0;
    // How the bloom and depth of field read the scene colour textures' mipmap chains:
    // bilinear within one whole level, clamped to the edge. Bound only while a filter draws.
    GLuint filterLevelSampler = 0;
    // How the lit hall reads its 2D textures below render scale 1: trilinear without
    // anisotropy, half a level sharper instead. On a software rasterizer anisotropic
    // filtering costs about as much as the rest of the lit scene, and the stretched
    // picture shows little of what it adds.
    GLuint reducedScaleTextureSampler = 0;

    RenderTargets() = default;
    RenderTargets(const RenderTargets&) = delete;
    RenderTargets& operator=(const RenderTargets&) = delete;
};

extern GLuint& sceneFramebuffer;
extern GLuint (&sceneColorTextures)[3];
extern GLuint& sceneDepthTexture;
extern GLuint& environmentFramebuffer;
extern GLuint& environmentDepthBuffer;
extern std::vector<GLuint>& environmentCubeMaps;
extern GLuint& shadowFramebuffer;
extern std::vector<GLuint>& shadowCubeMaps;

// Creates all of them for a view of width x height, `lightCount` lights and
// `reflectingCount` reflecting objects (the two scene colour textures the filters read
// with their full mipmap chain), printing each framebuffer's status. Whatever `targets`
// held before is released first.
void createRenderTargets(RenderTargets& targets, int width, int height, int lightCount, int reflectingCount);
// The default renderer's, at screenWidth x screenHeight for the default hall (defined
// with the renderer).
void createRenderTargets();
// Makes the view-sized targets anew at width x height when they have another size (a
// view resized); the status is printed only when a framebuffer is incomplete.
void fitViewTargets(RenderTargets& targets, int width, int height);
// Deletes every GL object of `targets`; call while the context is still there.
void releaseRenderTargets(RenderTargets& targets);
// Empties every environment map (transparent black, every level), as a run starts: what a
// hall shown before left in them would glow through another's mirrors.
void clearEnvironmentMaps(const RenderTargets& targets);

// Prints the success text (none when null), or "\nDidn't work!\n" and the status, for the
// bound framebuffer, then one line saying what will not be drawn (`skipped`) when given.
// True when complete.
bool reportFramebufferStatus(const char* successText, const char* skipped = nullptr);

// Whether the bound draw framebuffer can be drawn into. Every pass asks before it draws:
// drawing into an incomplete framebuffer is an error at best and a driver crash at worst
// (as when memory ran out for its textures), so the pass is skipped and the rest of the
// frame goes on.
bool drawFramebufferComplete();
