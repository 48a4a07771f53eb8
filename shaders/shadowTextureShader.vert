#version 330 core
// Depth of the casters as a light sees them through one cube face; also the depth
// pre-pass of the lit views, which must meet the lit programs' positions exactly.
layout(location = 0) in vec4 in_position;

uniform mat4 projectionMatrix;
uniform mat4 modelMatrix;
uniform mat4 viewMatrix;

invariant gl_Position;

void main()
{
    // The same expression as the lit vertex stage's, for the same result.
    vec4 world = modelMatrix * in_position;
    gl_Position = projectionMatrix * viewMatrix * world;
}
