#version 330 core
// White where nothing of the scene stands in front of the exhibit's front.
uniform sampler2D sceneDepth;

flat in vec3 probe;
out vec4 out_color;

void main()
{
    float scene = texelFetch(sceneDepth, ivec2(probe.xy), 0).r;
    out_color = vec4(scene >= probe.z ? 1.0 : 0.0, 0.0, 0.0, 1.0);
}
