// What the lit programs share in their vertex stage: world-space position, normal and,
// with TANGENT_FRAME defined, the tangent frame. The locations are those every model's
// vertex array was wired with.
layout(location = 0) in vec4 in_position;
layout(location = 1) in vec3 in_normal;
layout(location = 2) in vec2 in_texCoord;
#ifdef TANGENT_FRAME
layout(location = 3) in vec3 in_tangent;
layout(location = 4) in vec3 in_bitangent;
out vec3 worldTangent;
out vec3 worldBitangent;
#endif

uniform mat4 projectionMatrix;
uniform mat4 modelMatrix;
uniform mat4 viewMatrix;
uniform mat3 normalMatrix;

out vec3 worldPosition;
out vec3 worldNormal;
out vec2 texCoord;

// The hall's exposure, one texel the frame keeps up to date, read once per vertex.
#if defined(TONE_MAP) && !defined(ENVIRONMENT_CAPTURE)
#include "exposure.glsl"
uniform sampler2D exposureTexture;
flat out float exposureScale;
#endif

#ifdef ENVIRONMENT_CAPTURE
#include "lightTerms.glsl"
out vec3 capturedAmbient;
out vec3 capturedDiffuse[LIGHT_COUNT];
out vec3 capturedSpecular[LIGHT_COUNT];
out float capturedBias[LIGHT_COUNT];
#ifdef TANGENT_FRAME
uniform sampler2D specularMap;
#endif

// The captures' lighting, done here once per vertex (see litShading.glsl).
void lightVertex(vec3 position, vec3 normal)
{
    vec3 viewDir = normalize(eyePos - position);
    capturedAmbient = vec3(0.0);
    for (int i = 0; i < LIGHT_COUNT; ++i) {
        vec3 ambient;
        lightTerms(i, position, normal, viewDir, ambient, capturedDiffuse[i], capturedSpecular[i]);
        capturedAmbient += ambient;
        vec3 toLight = light[i].position.xyz - position;
        float d = length(toLight);
        capturedBias[i] = shadowBias(d, dot(normal, toLight) / d);
    }
#ifdef TANGENT_FRAME
    // The specular map's last mipmap level, its mean: a mirror shows the highlights of
    // the hall too small for the map's pattern, and a read per pixel cost a fifth of
    // a capture.
    float strength = textureLod(specularMap, in_texCoord, 16.0).r;
    for (int i = 0; i < LIGHT_COUNT; ++i)
        capturedSpecular[i] *= strength;
#endif
}
#endif

// The depth pre-pass (the shadow program) must reach the very same depths.
invariant gl_Position;

void main()
{
    vec4 world = modelMatrix * in_position;
    worldPosition = world.xyz;
    worldNormal = normalMatrix * in_normal;
#ifdef TANGENT_FRAME
    worldTangent = mat3(modelMatrix) * in_tangent;
    worldBitangent = mat3(modelMatrix) * in_bitangent;
#endif
    texCoord = in_texCoord;
#if defined(TONE_MAP) && !defined(ENVIRONMENT_CAPTURE)
    exposureScale = exp2(decodeExposure(texelFetch(exposureTexture, ivec2(0, 0), 0)));
#endif
#ifdef ENVIRONMENT_CAPTURE
    lightVertex(worldPosition, normalize(worldNormal));
#endif
    gl_Position = projectionMatrix * viewMatrix * world;
}
