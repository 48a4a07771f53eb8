#version 330 core
// Textured Blinn-Phong under the shadowed point lights.
#include "litShading.glsl"

uniform sampler2D colorTexture;

void main()
{
#ifdef ENVIRONMENT_CAPTURE
    out_color = encodeOutput(capturedLight(toLinear(texture(colorTexture, texCoord).rgb), 1.0));
#else
    vec3 normal = normalize(worldNormal);
    vec3 viewDir = normalize(eyePos - worldPosition);
    vec3 albedo = toLinear(texture(colorTexture, texCoord).rgb);
    out_color = encodeOutput(shadeLights(normal, normal, viewDir, albedo, 1.0));
#endif
}
