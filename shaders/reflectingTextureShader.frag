#version 330 core
// Mirror and glass: the captured surroundings, reflected or refracted, with highlights.
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

uniform LightSource light[2];
uniform MaterialProperties material;
uniform vec3 eyePos;
uniform float farDist;
uniform float refraction;
uniform samplerCube cubeTexture;
uniform samplerCubeShadow shadowTexture[2];

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 texCoord;

out vec4 out_color;

//-- shared lighting: keep identical in the three lit programs --
vec3 toLinear(vec3 c) { return pow(c, vec3(2.2)); }

// The captured faces come out turned: a side face holds what was seen in direction
// (x, -y, -z) (X major) or (-x, -y, z) (Z major); flip the look-up to match.
vec3 captureLookup(vec3 v)
{
    vec3 a = abs(v);
    if (a.x >= a.y && a.x >= a.z) return vec3(v.x, -v.y, -v.z);
    if (a.z >= a.y) return vec3(-v.x, -v.y, v.z);
    return v;
}

// Window depth the capture projection (near 1, far farDist) gives a point at
// major-axis distance z from the light.
float captureDepth(float z)
{
    float n = 1.0;
    float f = farDist;
    float ndc = (f + n) / (f - n) - (2.0 * f * n) / ((f - n) * z);
    return 0.5 * ndc + 0.5;
}

// Offset directions for percentage-closer filtering; each tap is itself a filtered
// 2x2 comparison.
const vec3 pcfOffsets[6] = vec3[](
    vec3(1, 1, 1), vec3(-1, -1, 1), vec3(1, -1, -1),
    vec3(-1, 1, -1), vec3(0.5, 0, 0), vec3(-0.5, 0, 0));

uniform mat4 projectionMatrix;

// The environment captures use a square 90-degree projection; their faces are seen
// blurred by curved mirrors, so one filtered tap per light is enough there.
bool capturing()
{
    return abs(projectionMatrix[0][0] - projectionMatrix[1][1]) < 1e-4;
}

float shadowFactor(samplerCubeShadow shadowMap, vec3 lightPosition, vec3 normal)
{
    vec3 toFragment = worldPosition - lightPosition;
    float distanceToLight = length(toFragment);
    float cosTheta = dot(normal, -toFragment / distanceToLight);
    if (cosTheta <= 0.0)
        return 0.0;  // facing away: the light cannot reach it anyway
    cosTheta = max(cosTheta, 0.05);
    float slope = min(sqrt(1.0 - cosTheta * cosTheta) / cosTheta, 6.0);
    float bias = 1.0 + 0.0015 * distanceToLight * (1.0 + slope);
    if (capturing()) {
        vec3 a = abs(toFragment);
        return texture(shadowMap, vec4(captureLookup(toFragment), captureDepth(max(a.x, max(a.y, a.z)) - bias)));
    }
    float radius = 0.0012 * distanceToLight + 1.5;
    float lit = 0.0;
    for (int i = 0; i < 6; ++i) {
        vec3 v = toFragment + pcfOffsets[i] * radius;
        vec3 a = abs(v);
        float reference = captureDepth(max(a.x, max(a.y, a.z)) - bias);
        lit += texture(shadowMap, vec4(captureLookup(v), reference));
    }
    return lit / 6.0;
}

vec3 shadeLight(int i, float shadow, vec3 normal, vec3 viewDir, vec3 albedo, float specularStrength)
{
    vec3 toLight = light[i].position.xyz - worldPosition;
    float d = length(toLight);
    vec3 l = toLight / d;
    vec4 att = light[i].attenuation;
    float attenuation = 1.0 / (att.x + att.y * d + att.z * d * d);
    vec3 ambient = light[i].ambientColor.rgb * material.ambientColor.rgb * albedo;
    float diffuseTerm = max(dot(normal, l), 0.0);
    vec3 diffuse = light[i].diffuseColor.rgb * material.diffuseColor.rgb * albedo * diffuseTerm;
    vec3 h = normalize(l + viewDir);
    float specularTerm = diffuseTerm > 0.0 ? pow(max(dot(normal, h), 0.0), material.specularExponent) : 0.0;
    vec3 specular = light[i].specularColor.rgb * material.specularColor.rgb * specularTerm * specularStrength;
    return ambient + attenuation * shadow * (diffuse + specular);
}

// Exposure and a soft shoulder keep the lit hall bright without clipping; what lies
// above the shoulder goes to alpha, where the bloom picks it up.
vec4 encodeOutput(vec3 linearColor)
{
    vec3 exposed = linearColor * 2.2;
    float peak = max(exposed.r, max(exposed.g, exposed.b));
    vec3 mapped = exposed / (1.0 + exposed * 0.15);
    mapped = min(mapped * 1.15, vec3(1.0));
    float glow = clamp((peak - 1.5) / 12.0, 0.0, 1.0);
    return vec4(pow(mapped, vec3(1.0 / 2.2)), glow);
}
//-- end of shared lighting --

// The captured surroundings, stored display-encoded with their glow in alpha.
vec3 environment(vec3 direction)
{
    vec4 texel = texture(cubeTexture, captureLookup(direction));
    return toLinear(texel.rgb) / 2.2 * (1.0 + 12.0 * texel.a);
}

void main()
{
    vec3 normal = normalize(worldNormal);
    vec3 viewDir = normalize(eyePos - worldPosition);
    vec3 incident = -viewDir;
    vec3 reflected = environment(reflect(incident, normal));
    vec3 surface;
    if (refraction > 0.0) {
        // Glass: Schlick's Fresnel between reflection and a slightly dispersed refraction.
        float f0 = pow((1.0 - refraction) / (1.0 + refraction), 2.0);
        float fresnel = f0 + (1.0 - f0) * pow(1.0 - max(dot(viewDir, normal), 0.0), 5.0);
        vec3 refracted = vec3(environment(refract(incident, normal, refraction * 0.985)).r,
                              environment(refract(incident, normal, refraction)).g,
                              environment(refract(incident, normal, refraction * 1.015)).b);
        surface = mix(refracted, reflected, fresnel) * material.ambientColor.rgb * 0.22;
    } else {
        surface = reflected * material.ambientColor.rgb;
    }
    vec3 highlights = vec3(0.0);
    for (int i = 0; i < 2; ++i) {
        vec3 l = normalize(light[i].position.xyz - worldPosition);
        vec3 h = normalize(l + viewDir);
        float term = pow(max(dot(normal, h), 0.0), material.specularExponent * 16.0);
        highlights += light[i].specularColor.rgb * material.specularColor.rgb * term;
    }
    float shadow = shadowFactor(shadowTexture[0], light[0].position.xyz, normal);
    out_color = encodeOutput(surface + highlights * shadow);
}
