#version 330 core
// The finished picture, held display-encoded, copied to the window as it is stored, or
// (built with STRETCH) stretched over it when it was drawn at a reduced scale. Two builds,
// not a branch on a uniform: a rasterizer that shades pixels in lanes runs both sides of
// the branch, and the filtered read would cost every full-scale frame as much again.
uniform sampler2D colorTexture1;

in vec2 texCoord;
out vec4 out_color;

void main()
{
    vec2 size = vec2(textureSize(colorTexture1, 0));
#ifdef STRETCH
    // Bilinear, kept half a texel inside: the texture wraps, and its opposite edge must
    // not bleed into the border.
    out_color = vec4(texture(colorTexture1, clamp(texCoord, 0.5 / size, 1.0 - 0.5 / size)).rgb, 1.0);
#else
    // One texel per pixel, unfiltered: the window is multisampled, and a filtered read at
    // a sample position would blend in the opposite edge at the borders.
    out_color = vec4(texelFetch(colorTexture1, ivec2(texCoord * size), 0).rgb, 1.0);
#endif
}
