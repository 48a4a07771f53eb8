#version 330 core
// The finished picture is held display-encoded. A window that encodes sRGB on write gets
// it decoded with the exact sRGB curve, so what it shows is what is stored; any other
// window takes it as it is.
uniform sampler2D colorTexture1;
uniform bool windowEncodesSrgb;

in vec2 texCoord;
out vec4 out_color;

void main()
{
    // One texel per pixel, unfiltered: the window is multisampled, and a filtered read at
    // a sample position would blend in the opposite edge at the borders.
    vec3 c = texelFetch(colorTexture1, ivec2(texCoord * vec2(textureSize(colorTexture1, 0))), 0).rgb;
    if (windowEncodesSrgb)
        c = mix(c / 12.92, pow((c + 0.055) / 1.055, vec3(2.4)), step(vec3(0.04045), c));
    out_color = vec4(c, 1.0);
}
