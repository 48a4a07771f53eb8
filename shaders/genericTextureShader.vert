#version 330 core
// Shared by the lit programs: world-space position, normal and tangent frame.
layout(location = 0) in vec4 in_position;
layout(location = 1) in vec3 in_normal;
layout(location = 2) in vec2 in_texCoord;

uniform mat4 projectionMatrix;
uniform mat4 modelMatrix;
uniform mat4 viewMatrix;
uniform mat3 normalMatrix;

out vec3 worldPosition;
out vec3 worldNormal;
out vec2 texCoord;

void main()
{
    vec4 world = modelMatrix * in_position;
    worldPosition = world.xyz;
    worldNormal = normalMatrix * in_normal;
    texCoord = in_texCoord;
    gl_Position = projectionMatrix * viewMatrix * world;
}
