#version 330 core
// Mirror and glass: the captured surroundings, reflected or refracted, with highlights.
#include "litShading.glsl"

uniform float refraction;
uniform samplerCube cubeTexture;

// The maps are read trilinearly at the level the direction's spread across the pixel asks
// for. The flip jumps where the direction crosses a face edge: derivatives taken after it
// would ask for the coarsest level there and draw the edges as seams, so they are taken of
// the direction itself and flipped as the look-up is. The lens passes its three refracted
// directions the spread of the middle one.
vec3 environment(vec3 direction, vec3 spreadX, vec3 spreadY)
{
    vec3 flip = captureFlip(direction);
    return decodeStored(textureGrad(cubeTexture, direction * flip, spreadX * flip, spreadY * flip));
}

vec3 environment(vec3 direction)
{
    return environment(direction, dFdx(direction), dFdy(direction));
}

// A glint below this changes the stored picture by less than an 8-bit step, even where the
// mirror shows a dark corner.
const float glintFloor = 1e-4;

// 1 where a glint shows at all, else 0: the count of the loop around its shadow look-up.
int showing(vec3 glintColor)
{
    return max(glintColor.r, max(glintColor.g, glintColor.b)) > glintFloor ? 1 : 0;
}

// A tight glint of light i; the broad lobe of the lit surfaces would wash a mirror out. The
// lit lobe to the 16th power, four more squarings: exactly x^256 for the mirror's exponent
// of 16, and within a few per cent of x^512 near the peak for the glass's 32.
vec3 glint(int i, vec3 normal, vec3 viewDir)
{
    vec3 l = normalize(light[i].position.xyz - worldPosition);
    vec3 h = normalize(l + viewDir);
    float term = specularPower(max(dot(normal, h), 0.0));
    term *= term;
    term *= term;
    term *= term;
    term *= term;
    return light[i].specularColor.rgb * material.specularColor.rgb * term;
}

// Light i's glint where it shows, as far as its shadow lets it; main writes one per light.
#define ADD_GLINT(i) for (int k = 0; k < showing(glints[i]); ++k) highlights += glints[i] * shadowFactor(shadowTexture[i], light[i].position.xyz, normal);

void main()
{
    vec3 normal = normalize(worldNormal);
    vec3 viewDir = normalize(eyePos - worldPosition);
    vec3 incident = -viewDir;
    vec3 reflected = environment(reflect(incident, normal));
    vec3 surface;
    if (refraction > 0.0) {
        // Glass: Schlick's Fresnel between reflection and a slightly dispersed refraction.
        float r0 = (1.0 - refraction) / (1.0 + refraction);
        float f0 = r0 * r0;
        float m = 1.0 - max(dot(viewDir, normal), 0.0);
        float fresnel = f0 + (1.0 - f0) * m * m * m * m * m;
        vec3 green = refract(incident, normal, refraction);
        vec3 spreadX = dFdx(green);
        vec3 spreadY = dFdy(green);
        vec3 refracted = vec3(environment(refract(incident, normal, refraction * 0.985), spreadX, spreadY).r,
                              environment(green, spreadX, spreadY).g,
                              environment(refract(incident, normal, refraction * 1.015), spreadX, spreadY).b);
        surface = mix(refracted, reflected, fresnel) * material.ambientColor.rgb * 0.22;
    } else {
        surface = reflected * material.ambientColor.rgb;
    }
    // Each light's glint is hidden only by that light's own shadow, which is looked up only
    // where the glint shows: a loop that no pixel of a block enters is skipped.
    vec3 glints[LIGHT_COUNT];
    for (int i = 0; i < LIGHT_COUNT; ++i)
        glints[i] = glint(i, normal, viewDir);
    vec3 highlights = vec3(0.0);
    FOR_EACH_LIGHT(ADD_GLINT)
    out_color = encodeOutput(surface + highlights);
}
