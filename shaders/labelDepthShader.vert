#version 330 core
// One point per exhibit into its own texel of the answer target: x, y the scene texel
// under the exhibit's centre, z the depth of its front, w its number.
layout(location = 0) in vec4 in_probe;

uniform vec2 answerSize;

flat out vec3 probe;

void main()
{
    probe = in_probe.xyz;
    vec2 cell = vec2(mod(in_probe.w, answerSize.x), floor(in_probe.w / answerSize.x)) + 0.5;
    gl_Position = vec4(cell / answerSize * 2.0 - 1.0, 0.0, 1.0);
    gl_PointSize = 1.0;
}
