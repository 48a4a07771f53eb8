#version 330 core
// Depth of field: a circle of confusion from the linear depth around the focal plane.
// The blur is gathered at half the size (the build with DOF_BLUR defined) into a texture
// of its own: a blurred texel reads the mipmap level that matches its circle at four
// diagonal taps, whose spread grows smoothly with the circle. A tap only counts as far as
// its own circle reaches, so a sharp foreground never smears over a blurred background.
// The full-size pass keeps the sharp zone exactly as drawn and fades into the blur as
// the circle grows.
uniform sampler2D bgl_RenderedTexture;
uniform sampler2D renderedMips;  // the picture before the bloom, read through its mipmaps
uniform sampler2D bgl_DepthTexture;
uniform sampler2D dofBlur;       // the blur, at half the size
uniform float bgl_RenderedTextureWidth;
uniform float bgl_RenderedTextureHeight;
uniform float focalDepth;   // focal plane, in hundreds of world units
uniform float focalLength;  // lens: blur grows with its square
uniform float fstop;        // depth of the sharp zone grows with it
uniform float showFocus;
uniform float renderScale;  // drawn pixels per window pixel: the circle keeps its size on screen

in vec2 texCoord;
out vec4 out_color;

const float zNear = 1.0;
const float zFar = 100000.0;
const float maxBlurPixels = 9.0;
const vec2 diagonals[4] = vec2[](vec2(-1.0, -1.0), vec2(1.0, -1.0), vec2(-1.0, 1.0), vec2(1.0, 1.0));

float linearDepthOf(float windowDepth)
{
    float z = windowDepth * 2.0 - 1.0;
    return 2.0 * zNear * zFar / (zFar + zNear - z * (zFar - zNear));
}

float linearDepth(vec2 uv)
{
    return linearDepthOf(texture(bgl_DepthTexture, uv).r);
}

float circleOfConfusion(float depth)
{
    float focalPlane = focalDepth * 150.0;
    float sharpZone = fstop * 50.0;
    float lens = focalLength / 1000.0;
    float outside = max(abs(depth - focalPlane) - sharpZone, 0.0);
    return clamp(outside / 1500.0, 0.0, 1.0) * maxBlurPixels * lens * lens * renderScale;
}

#ifdef DOF_BLUR
#include "bloomHalo.glsl"

void main()
{
    vec2 pixel = vec2(1.0 / bgl_RenderedTextureWidth, 1.0 / bgl_RenderedTextureHeight);  // full-size pixels
    float depth = linearDepth(texCoord);
    float coc = circleOfConfusion(depth);
    // The full-size pixels under this texel, for where the full-size pass blends in a
    // little blur only.
    vec3 color = textureLod(renderedMips, texCoord, 0.0).rgb;

    if (coc > 0.5) {
        // The half-size texels and their bilinear read-back already soften by about 1.4
        // pixels: the taps gather what is left of the circle. Four diagonal taps of a level
        // whose texels are about gather / 1.2 pixels wide, 0.4 gather off the pixel each
        // way, together soften about as much as a disc of that radius.
        float gather = sqrt(max(coc * coc - 2.0, 0.0));
        float lod = max(log2(max(gather, 0.001)) - 0.25, 0.0);
        vec2 spread = gather * 0.4 * pixel;
        float tapDistance = coc * 0.57;
        vec3 sum = vec3(0.0);
        float weightSum = 0.0;
        for (int i = 0; i < 4; ++i) {
            vec2 uv = texCoord + diagonals[i] * spread;
            float sampleDepth = linearDepth(uv);
            float sampleCoc = circleOfConfusion(sampleDepth);
            // Nearer sharp samples keep to themselves; farther ones blur freely.
            float reach = sampleDepth < depth ? sampleCoc : coc;
            float weight = smoothstep(tapDistance - 1.0, tapDistance + 0.5, reach);
            sum += textureLod(renderedMips, uv, lod).rgb * weight;
            weightSum += weight;
        }
        // Hemmed in by a sharp foreground on all four sides, the texel stays as it is.
        if (weightSum > 0.001)
            color = sum / weightSum;
    }
    // The mipmaps are of the picture before the bloom: its halo comes back here.
    out_color = vec4(withHalo(color, texCoord), 1.0);
}
#else
void main()
{
    vec2 pixel = vec2(1.0 / bgl_RenderedTextureWidth, 1.0 / bgl_RenderedTextureHeight);
    // One texel per pixel, exactly as stored: a filtered read here would soften the sharp
    // zone, and an exact read costs the least.
    ivec2 at = ivec2(texCoord / pixel);
    float depth = linearDepthOf(texelFetch(bgl_DepthTexture, at, 0).r);
    float coc = circleOfConfusion(depth);
    vec3 color = texelFetch(bgl_RenderedTexture, at, 0).rgb;
    // Sharp up to half a pixel's circle, all blur from one and a half pixels on, where the
    // half-size texels no longer show.
    color = mix(color, textureLod(dofBlur, texCoord, 0.0).rgb, smoothstep(0.5, 1.5, coc));

    if (showFocus > 0.5) {
        float band = abs(depth - focalDepth * 150.0) / (fstop * 50.0);
        color = mix(color, vec3(1.0, 0.9, 0.0), 0.5 * (1.0 - smoothstep(0.0, 0.08, abs(band - 1.0))));
        color = mix(color, vec3(1.0, 0.2, 0.1), 0.4 * (1.0 - smoothstep(0.0, 0.02, band)));
    }
    out_color = vec4(color, 1.0);
}
#endif
