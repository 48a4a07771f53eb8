#version 330 core
// Textured Blinn-Phong under two shadowed point lights.
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
    float shadow0 = shadowFactor(shadowTexture[0], light[0].position.xyz, normal);
    float shadow1 = shadowFactor(shadowTexture[1], light[1].position.xyz, normal);
    vec3 color = shadeLight(0, shadow0, normal, viewDir, albedo, 1.0)
               + shadeLight(1, shadow1, normal, viewDir, albedo, 1.0);
    out_color = encodeOutput(color);
#endif
}
