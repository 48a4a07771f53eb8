#version 330 core
// One atlas texel per pixel, unfiltered: the glyph as the font rasterises it.
uniform sampler2D atlas;

in vec2 atlasTexel;
in vec4 color;
out vec4 out_color;

void main()
{
    float coverage = texelFetch(atlas, ivec2(atlasTexel), 0).r;
    out_color = vec4(color.rgb, color.a * coverage);
}
