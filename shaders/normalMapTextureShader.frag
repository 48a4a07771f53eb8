#version 330 core
// Normal- and specular-mapped Blinn-Phong under the shadowed point lights.
#include "litShading.glsl"

uniform sampler2D colorTexture;
uniform sampler2D normalMap;
uniform sampler2D specularMap;

in vec3 worldTangent;
in vec3 worldBitangent;

void main()
{
    vec3 albedo = toLinear(texture(colorTexture, texCoord).rgb);
#ifdef ENVIRONMENT_CAPTURE
    // A curved mirror blurs the bumps away; the captures light the plain surface, and
    // the vertex stage has already weighed the highlights by the specular map.
    out_color = encodeOutput(capturedLight(albedo, 1.0));
#else
    float specularStrength = texture(specularMap, texCoord).r;
    // Orthonormalise the interpolated frame (Gram-Schmidt) and keep its handedness.
    vec3 n = normalize(worldNormal);
    vec3 t = normalize(worldTangent - n * dot(n, worldTangent));
    vec3 b = cross(n, t);
    if (dot(b, worldBitangent) < 0.0)
        b = -b;
    vec3 mapped = texture(normalMap, texCoord).rgb * 2.0 - 1.0;
    vec3 normal = normalize(mat3(t, b, n) * mapped);

    vec3 viewDir = normalize(eyePos - worldPosition);
    out_color = encodeOutput(shadeLights(normal, n, viewDir, albedo, specularStrength));
#endif
}
