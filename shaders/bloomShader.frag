#version 330 core
// Bloom: what glows (alpha) or nears white is gathered from three coarse mipmap levels
// (8, 16 and 32 pixels a texel) and added back to the picture. A few bilinear taps per
// level, spread by about a texel, hide the texel grid; the three levels together make
// a bell-shaped halo about 20 pixels wide.
// The halo varies so slowly that it is gathered once at a quarter of the size (the build
// with BLOOM_HALO defined) into a texture of its own, which the full-size pass reads with
// one bilinear tap.
uniform sampler2D colorTexture;
uniform sampler2D colorMips;  // the same picture, read through its mipmaps
uniform float pixelsizex;
uniform float pixelsizey;
// A window pixel in texture coordinates, and log2 of the render scale: below scale 1 the
// taps reach as many window pixels, on the levels whose texels cover as many of them, so
// the halo keeps its size on screen.
uniform vec2 windowPixel;
uniform float levelShift;
#include "bloomHalo.glsl"

in vec2 texCoord;
out vec4 out_color;

// Three bilinear taps per level, 0.6 texel from the pixel in a triangle that points
// the other way on the middle level, so the three add up to a round bell.
const int tapCount = 9;
const float tapLevels[tapCount] = float[](3.0, 3.0, 3.0, 4.0, 4.0, 4.0, 5.0, 5.0, 5.0);
const vec2 tapOffsets[tapCount] = vec2[](  // in pixels
    vec2(0.0, 4.8), vec2(4.157, -2.4), vec2(-4.157, -2.4),
    vec2(0.0, -9.6), vec2(8.314, 4.8), vec2(-8.314, 4.8),
    vec2(0.0, 19.2), vec2(16.628, -9.6), vec2(-16.628, -9.6));
const float levelWeights[3] = float[](0.2, 0.35, 0.45);
// A coarse texel averages a glowing spot with its surroundings, so the alpha term takes
// the texel's hue rather than its squared colour: the glow then stays in proportion to
// how much of the texel glows, and a lamp does not fade as it shrinks into few texels.
vec3 brightPart(vec4 texel)
{
    vec3 linear = texel.rgb * texel.rgb;  // close enough to the display curve for a glow
    float luminance = dot(linear, vec3(0.2126, 0.7152, 0.0722));
    float nearWhite = smoothstep(0.8, 1.0, luminance);
    vec3 hue = texel.rgb / max(max(texel.r, texel.g), max(texel.b, 0.001));
    return linear * (nearWhite * 0.35) + hue * hue * (texel.a * 4.0);
}

#ifdef BLOOM_HALO
void main()
{
    vec3 bloom = vec3(0.0);
    for (int i = 0; i < tapCount; ++i) {
        vec4 texel = textureLod(colorMips, texCoord + tapOffsets[i] * windowPixel, tapLevels[i] + levelShift);
        bloom += brightPart(texel) * (levelWeights[i / 3] / 3.0);
    }
    out_color = vec4(sqrt(min(bloom / haloRange, vec3(1.0))), 1.0);
}
#else
void main()
{
    // One texel per pixel, exactly as stored: a filtered read here would soften the picture.
    vec3 scene = texelFetch(colorTexture, ivec2(texCoord / vec2(pixelsizex, pixelsizey)), 0).rgb;
    out_color = vec4(withHalo(scene, texCoord), 1.0);
}
#endif
