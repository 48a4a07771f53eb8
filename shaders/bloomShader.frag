#version 330 core
// Bloom: what glows (alpha) or nears white is gathered from three coarse mipmap levels
// (8, 16 and 32 pixels a texel) and added back to the picture. Each level is read with
// four bilinear taps half a texel off the pixel, a small tent that hides the texel
// grid; the three levels together make a bell-shaped halo about 20 pixels wide.
uniform sampler2D colorTexture;
uniform sampler2D colorMips;  // the same picture, read through its mipmaps
uniform float pixelsizex;
uniform float pixelsizey;
uniform float bloomfactor;

in vec2 texCoord;
out vec4 out_color;

const int levelCount = 3;
const float levels[levelCount] = float[](3.0, 4.0, 5.0);
const float levelWeights[levelCount] = float[](0.2, 0.35, 0.45);
const float halfTexelPixels[levelCount] = float[](4.0, 8.0, 16.0);
const vec2 corners[4] = vec2[](vec2(-1.0, -1.0), vec2(1.0, -1.0), vec2(-1.0, 1.0), vec2(1.0, 1.0));

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

void main()
{
    vec2 pixel = vec2(pixelsizex, pixelsizey);
    vec3 bloom = vec3(0.0);
    for (int l = 0; l < levelCount; ++l) {
        vec2 halfTexel = pixel * halfTexelPixels[l];
        vec3 sum = vec3(0.0);
        for (int i = 0; i < 4; ++i)
            sum += brightPart(textureLod(colorMips, texCoord + corners[i] * halfTexel, levels[l]));
        bloom += sum * (levelWeights[l] * 0.25);
    }
    // Squares and a square root stand for the display curve, like the glow above.
    vec3 scene = textureLod(colorTexture, texCoord, 0.0).rgb;
    scene *= scene;
    vec3 color = scene + bloom * bloomfactor;
    color = color / (1.0 + max(color - 1.0, 0.0));  // a soft roof instead of a hard clip
    out_color = vec4(sqrt(color), 1.0);
}
