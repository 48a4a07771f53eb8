#version 330 core
// Depth of the casters as a light sees them through one cube face.
layout(location = 0) in vec4 in_position;

uniform mat4 projectionMatrix;
uniform mat4 modelMatrix;
uniform mat4 viewMatrix;

void main()
{
    gl_Position = projectionMatrix * viewMatrix * modelMatrix * in_position;
}
