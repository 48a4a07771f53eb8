// What the lit programs share: point lights with soft cube-map shadows, the captured
// cube maps' orientation, and how the stored picture is encoded.
#include "lightTerms.glsl"

uniform float farDist;
uniform samplerCubeShadow shadowTexture[LIGHT_COUNT];
// ENVIRONMENT_CAPTURE is defined in the builds the environment captures draw with: their
// faces are seen small and curved in a mirror, so they shade more lightly. A compiled variant
// rather than a uniform branch: a software rasterizer pays for both sides of a branch.

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 texCoord;

out vec4 out_color;

// The stored picture: exposed, tone-mapped with a soft shoulder, display-encoded (a
// captured face with a curve of its own, see storageEncode), and what lies above the glow
// threshold kept in alpha for the bloom.
const float exposure = 2.2;
const float shoulder = 0.15;
const float shoulderGain = 1.15;
const float glowThreshold = 1.5;
const float glowRange = 12.0;
// TONE_MAP builds (an exhibition's exposure) expose by the factor the vertex stage read
// from the exposure texture and bend the highlights with exposure.glsl's shoulder.
#ifdef TONE_MAP
#include "exposure.glsl"
#ifndef ENVIRONMENT_CAPTURE
flat in float exposureScale;
#endif
#endif

// A software rasterizer pays every power, division and square root per pixel, so the
// curves below are built from square roots and products: c^2.2 to within 0.2% above
// 0.03 (and a few millionths below).
vec3 toLinear(vec3 c)
{
    vec3 s = sqrt(c);
    vec3 q = sqrt(s);
    return c * c * (0.08803 + 1.03344 * q - 0.12196 * s);
}

// The captured faces come out turned: a side face holds what was seen in direction
// (x, -y, -z) (X major) or (-x, -y, z) (Z major); flip the look-up to match.
vec3 captureFlip(vec3 v)
{
    vec3 a = abs(v);
    if (a.x >= a.y && a.x >= a.z) return vec3(1.0, -1.0, -1.0);
    if (a.z >= a.y) return vec3(-1.0, -1.0, 1.0);
    return vec3(1.0);
}

vec3 captureLookup(vec3 v)
{
    return v * captureFlip(v);
}

// Window depth the capture projection (NEAR_DIST to farDist) gives a point at major-axis
// distance z from the light.
float captureDepth(float z)
{
    float n = NEAR_DIST;
    float f = farDist;
    float k = f / (f - n);
    return k - k * n / z;
}

// Offset directions for percentage-closer filtering, the corners of a tetrahedron so that
// they spread evenly whichever cube face they fall on; each tap is itself a filtered 2x2
// comparison.
const int pcfTapCount = 4;
const vec3 pcfOffsets[pcfTapCount] = vec3[](vec3(1, 1, 1), vec3(-1, -1, 1), vec3(1, -1, -1), vec3(-1, 1, -1));

float shadowTap(samplerCubeShadow shadowMap, vec3 v, float bias)
{
    vec3 a = abs(v);
    return texture(shadowMap, vec4(captureLookup(v), captureDepth(max(a.x, max(a.y, a.z)) - bias)));
}

float shadowFactor(samplerCubeShadow shadowMap, vec3 lightPosition, vec3 normal)
{
    // The same expressions as lightTerms': the compiler computes them once for both.
    vec3 toLight = lightPosition - worldPosition;
    float d2 = dot(toLight, toLight);
    float inverseD = inversesqrt(d2);
    float distanceToLight = d2 * inverseD;
    float cosTheta = dot(normal, toLight) * inverseD;
    vec3 toFragment = -toLight;
    if (cosTheta <= 0.0)
        return 0.0;  // facing away: the light cannot reach it anyway
    float bias = shadowBias(distanceToLight, cosTheta);
#ifdef ENVIRONMENT_CAPTURE
    // One look-up is enough for what a mirror shows.
    return shadowTap(shadowMap, toFragment, bias);
#else
    // Two taps first; the other two only where those disagree, at a shadow's edge. A
    // loop that no pixel of a block enters is skipped, where an if would run both sides.
    float radius = 0.0012 * distanceToLight + 1.5;
    float lit = 0.5 * (shadowTap(shadowMap, toFragment + pcfOffsets[0] * radius, bias)
                     + shadowTap(shadowMap, toFragment + pcfOffsets[1] * radius, bias));
    int edge = lit > 0.0 && lit < 1.0 ? 1 : 0;
    for (int i = 0; i < edge; ++i)
        lit = 0.5 * lit + 0.25 * (shadowTap(shadowMap, toFragment + pcfOffsets[2] * radius, bias)
                                + shadowTap(shadowMap, toFragment + pcfOffsets[3] * radius, bias));
    return lit;
#endif
}

vec3 shadeLight(int i, float shadow, vec3 normal, vec3 viewDir, vec3 albedo, float specularStrength)
{
    vec3 ambient, diffuse, specular;
    lightTerms(i, worldPosition, normal, viewDir, ambient, diffuse, specular);
    return ambient * albedo + shadow * (diffuse * albedo + specular * specularStrength);
}

// Every light's share, each hidden by its own shadow; the shadows are tested against
// `shadowNormal`, the geometric normal (bumps must not move the bias). The shares are summed
// in one expression written out per light ("+ a + b", the first + unary), shadows first:
// summed in a loop instead, the compiled arithmetic changed and a few pixels moved a level.
#define LIGHT_SHARE(i) + shadeLight(i, shadow[i], normal, viewDir, albedo, specularStrength)
#define LIGHT_SHADOW(i) shadow[i] = shadowFactor(shadowTexture[i], light[i].position.xyz, shadowNormal);
vec3 shadeLights(vec3 normal, vec3 shadowNormal, vec3 viewDir, vec3 albedo, float specularStrength)
{
    float shadow[LIGHT_COUNT];
    FOR_EACH_LIGHT(LIGHT_SHADOW)
    return FOR_EACH_LIGHT(LIGHT_SHARE);
}

#ifdef ENVIRONMENT_CAPTURE
// The captures light at the vertices (a mirror shows the hall small and curved; the hall's
// meshes are fine enough) and keep only the shadows and the textures per pixel.
in vec3 capturedAmbient;
in vec3 capturedDiffuse[LIGHT_COUNT];
in vec3 capturedSpecular[LIGHT_COUNT];
in float capturedBias[LIGHT_COUNT];

#define CAPTURED_SHARE(i) + shadow[i] * (capturedDiffuse[i] * albedo + capturedSpecular[i] * specularStrength)
#define CAPTURED_SHADOW(i) shadow[i] = shadowTap(shadowTexture[i], worldPosition - light[i].position.xyz, capturedBias[i]);
vec3 capturedLight(vec3 albedo, float specularStrength)
{
    float shadow[LIGHT_COUNT];
    FOR_EACH_LIGHT(CAPTURED_SHADOW)
    return capturedAmbient * albedo FOR_EACH_LIGHT(CAPTURED_SHARE);
}
#endif

// A captured face is only ever read back by the mirrors, so it is stored with a square-root
// curve: decodeStored undoes it exactly, and a square root costs far less than a power.
#ifdef ENVIRONMENT_CAPTURE
vec3 storageEncode(vec3 c) { return sqrt(c); }
#else
// c^(1/2.2) to within a quarter of an 8-bit step.
vec3 storageEncode(vec3 c)
{
    vec3 s = sqrt(c);
    vec3 q = sqrt(s);
    return 0.05102 * q + (1.08353 - 0.22336 * s + 0.08976 * c) * s;
}
#endif

#ifdef TONE_MAP
#ifdef ENVIRONMENT_CAPTURE
// A captured face keeps the light at the fixed exposure in x / (1 + x), which
// decodeStored undoes: the mirrors show lamps and bright walls as bright as they are,
// whatever the frame's exposure.
vec4 encodeOutput(vec3 linearColor)
{
    vec3 exposed = linearColor * exposure;
    return vec4(storageEncode(exposed / (1.0 + exposed)), 0.0);
}
#else
vec4 encodeOutput(vec3 linearColor)
{
    vec3 exposed = linearColor * exposureScale;
    float peak = max(exposed.r, max(exposed.g, exposed.b));
    float glow = clamp((peak - glowThreshold) * (1.0 / glowRange), 0.0, 1.0);
    return vec4(storageEncode(toneCurve(exposed)), glow);
}
#endif

vec3 decodeStored(vec4 texel)
{
    vec3 t = texel.rgb * texel.rgb;
    return t / max(1.0 - t, vec3(1.0 / 128.0)) * (1.0 / exposure);
}
#else
vec4 encodeOutput(vec3 linearColor)
{
    vec3 exposed = linearColor * exposure;
    float peak = max(exposed.r, max(exposed.g, exposed.b));
    vec3 mapped = exposed / (1.0 + exposed * shoulder);
    mapped = min(mapped * shoulderGain, vec3(1.0));
    float glow = clamp((peak - glowThreshold) * (1.0 / glowRange), 0.0, 1.0);
    return vec4(storageEncode(mapped), glow);
}

// Light back from a captured texel, as the mirrors see the hall: the shoulder is not
// undone, the glow lifts what shone above it.
vec3 decodeStored(vec4 texel)
{
    return texel.rgb * texel.rgb * (1.0 / exposure) * (1.0 + glowRange * texel.a);
}
#endif
