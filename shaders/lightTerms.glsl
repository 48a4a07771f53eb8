// The point lights and the material, and what one light gives a surface point before its
// shadow and texture: shared by the lit fragment stages and, for the captures, by the
// vertex stage.
struct LightSource {
    vec4 position;
    vec4 attenuation;
    vec4 ambientColor;
    vec4 diffuseColor;
    vec4 specularColor;
};
struct MaterialProperties {
    vec4 ambientColor;
    vec4 diffuseColor;
    vec4 specularColor;
    float specularExponent;
};

// How many lights the hall has, 1 to 4: the build says, a program is built per count.
#ifndef LIGHT_COUNT
#define LIGHT_COUNT 2
#endif
#if LIGHT_COUNT < 1 || LIGHT_COUNT > 4
#error LIGHT_COUNT must be 1 to 4
#endif

// FOR_EACH_LIGHT(F) writes F(0) F(1) ..., one per light. Code that reads a light's shadow
// map is written out this way rather than looped: GLSL ES 3.00 indexes an array of samplers
// only with a constant expression, and a loop's counter is not one.
#if LIGHT_COUNT == 1
#define FOR_EACH_LIGHT(F) F(0)
#elif LIGHT_COUNT == 2
#define FOR_EACH_LIGHT(F) F(0) F(1)
#elif LIGHT_COUNT == 3
#define FOR_EACH_LIGHT(F) F(0) F(1) F(2)
#else
#define FOR_EACH_LIGHT(F) F(0) F(1) F(2) F(3)
#endif

uniform LightSource light[LIGHT_COUNT];
uniform MaterialProperties material;
uniform vec3 eyePos;

// The Blinn-Phong lobe x^e as (1 - e/16 (1 - x))^16: four squarings, exactly x^e for the
// hall's exponent of 16 and within a few per cent of it near the peak for others.
float specularPower(float x)
{
    float p = max(1.0 - material.specularExponent * (1.0 / 16.0) * (1.0 - x), 0.0);
    p *= p;
    p *= p;
    p *= p;
    return p * p;
}

// Light i at `position`: its ambient part, and its diffuse and specular parts attenuated
// but not yet shadowed; the albedo and the specular map scale them later.
void lightTerms(int i, vec3 position, vec3 normal, vec3 viewDir, out vec3 ambient, out vec3 diffuse,
                out vec3 specular)
{
    vec3 toLight = light[i].position.xyz - position;
    float d2 = dot(toLight, toLight);
    float inverseD = inversesqrt(d2);
    float d = d2 * inverseD;
    vec3 l = toLight * inverseD;
    vec4 att = light[i].attenuation;
    float attenuation = 1.0 / (att.x + att.y * d + att.z * d2);
    ambient = light[i].ambientColor.rgb * material.ambientColor.rgb;
    float diffuseTerm = max(dot(normal, l), 0.0);
    diffuse = attenuation * diffuseTerm * light[i].diffuseColor.rgb * material.diffuseColor.rgb;
    vec3 h = l + viewDir;
    h *= inversesqrt(dot(h, h));
    float specularTerm = diffuseTerm > 0.0 ? specularPower(max(dot(normal, h), 0.0)) : 0.0;
    specular = attenuation * specularTerm * light[i].specularColor.rgb * material.specularColor.rgb;
}

// Depth bias of a shadow look-up at distance d from the light, on a surface whose normal
// makes cosine cosTheta with the way to the light: more where the light grazes, and in
// proportion to how wide a shadow texel is (the captures read maps a quarter the size).
#ifdef ENVIRONMENT_CAPTURE
const float shadowTexelWidth = 4.0;
#else
const float shadowTexelWidth = 1.0;
#endif

float shadowBias(float d, float cosTheta)
{
    float c = max(cosTheta, 0.05);
    float slope = min(sqrt(1.0 - c * c) / c, 6.0);
    return 1.0 + 0.0015 * shadowTexelWidth * d * (1.0 + slope);
}
