#version 330 core
// Text and its boxes over the finished frame: pixel corners (origin top left) with their
// atlas texels.
layout(location = 0) in vec4 in_corner;
layout(location = 1) in vec4 in_color;

uniform vec2 viewportSize;

out vec2 atlasTexel;
out vec4 color;

void main()
{
    atlasTexel = in_corner.zw;
    color = in_color;
    gl_Position = vec4(in_corner.x / viewportSize.x * 2.0 - 1.0, 1.0 - in_corner.y / viewportSize.y * 2.0, 0.0, 1.0);
}
