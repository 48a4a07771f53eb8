#pragma once
// The off-screen targets every frame is drawn through: the window-sized scene
// framebuffer (lit scene, bloom, depth of field), the 1024 environment cube maps of the
// two reflecting objects, and the 2048 depth cube maps of the two lights with their
// reduced copies for the environment captures.
#include "base/glApi.h"

constexpr GLsizei environmentMapSize = 1024;
// The environment maps' mipmap levels, 1024 down to 8 a side. A footprint wider than an
// eighth of a face comes near a mirror's rim, where the reflection is squeezed one way
// only: a coarser level would blur it the other way too. Each level costs a draw per face.
constexpr GLint environmentMipLevels = 8;
constexpr GLsizei shadowMapSize = 2048;
constexpr GLsizei captureShadowMapSize = 512;

extern GLuint sceneFramebuffer;
extern GLuint sceneColorTextures[3];
extern GLuint sceneDepthTexture;
extern GLuint environmentFramebuffer;
extern GLuint environmentDepthBuffer;
// Read trilinearly through their full mipmap chain, which each capture makes anew.
extern GLuint environmentCubeMaps[2];
extern GLuint shadowFramebuffer;
extern GLuint shadowCubeMaps[2];
// The shadow maps a quarter the size each way, copied from shadowCubeMaps before each
// environment refresh, for the captures to read: a capture's look-ups wander over the
// whole of a light's map, and at full size they spend most of their time waiting for
// memory. A mirror shows the shadows small; the captures' bias allows for the wider texels.
extern GLuint captureShadowFramebuffer;
extern GLuint captureShadowCubeMaps[2];
// How the environment captures read the hall's 2D textures and the shadow maps: the
// nearest texel of one mipmap level, no anisotropy, and one comparison per shadow look-up.
// A capture is seen small and curved in a mirror; on a software rasterizer each filtered
// texel costs a memory gather per pixel.
extern GLuint environmentTextureSampler;
extern GLuint environmentShadowSampler;
// How the bloom and depth of field read the scene colour textures' mipmap chains:
// bilinear within one whole level, clamped to the edge. Bound only while a filter draws.
extern GLuint filterLevelSampler;
// The bloom's halo, a quarter of the window each way, and the framebuffer that
// draws it.
extern GLuint bloomHaloFramebuffer;
extern GLuint bloomHaloTexture;
inline GLsizei bloomHaloExtent(GLsizei windowExtent) { return windowExtent / 4 > 0 ? windowExtent / 4 : 1; }
// The depth of field's blur, half the window each way, and the framebuffer that draws it.
extern GLuint dofBlurFramebuffer;
extern GLuint dofBlurTexture;
inline GLsizei dofBlurExtent(GLsizei windowExtent) { return windowExtent / 2 > 0 ? windowExtent / 2 : 1; }

// Creates all of them at screenWidth x screenHeight (the two scene colour textures
// the filters read with their full mipmap chain), printing each framebuffer's status.
void createRenderTargets();

// Prints the success text (none when null), or "\nDidn't work!\n" and the status, for the
// bound framebuffer, then one line saying what will not be drawn (`skipped`) when given.
// True when complete.
bool reportFramebufferStatus(const char* successText, const char* skipped = nullptr);

// Whether the bound draw framebuffer can be drawn into. Every pass asks before it draws:
// drawing into an incomplete framebuffer is an error at best and a driver crash at worst
// (as when memory ran out for its textures), so the pass is skipped and the rest of the
// frame goes on.
bool drawFramebufferComplete();
