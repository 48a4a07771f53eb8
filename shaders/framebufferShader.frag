#version 330 core
// The finished picture is held display-encoded; decode it so the sRGB write of the
// window encodes it exactly once.
uniform sampler2D colorTexture1;

in vec2 texCoord;
out vec4 out_color;

void main()
{
    vec3 encoded = texture(colorTexture1, texCoord).rgb;
    out_color = vec4(pow(encoded, vec3(2.2)), 1.0);
}
