#version 330 core
// The finished picture, held display-encoded, copied to the window as it is stored.
uniform sampler2D colorTexture1;

in vec2 texCoord;
out vec4 out_color;

void main()
{
    // One texel per pixel, unfiltered: the window is multisampled, and a filtered read at
    // a sample position would blend in the opposite edge at the borders.
    out_color = vec4(texelFetch(colorTexture1, ivec2(texCoord * vec2(textureSize(colorTexture1, 0))), 0).rgb, 1.0);
}
