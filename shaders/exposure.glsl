// The exposed picture's tone curve, and how an exposure is held in an 8-bit texel.
// The curve is the identity up to toneKnee and then bends into a shoulder that nears 1
// without reaching it: k + (1 - k) y / (1 + y), y = (x - k) / (1 - k), whose slope at the
// knee is 1, so the dark and middle tones keep their values and a highlight of twice the
// knee still shows its colour.
const float toneKnee = 0.5;

vec3 toneCurve(vec3 x)
{
    vec3 y = max(x - toneKnee, 0.0) * (1.0 / (1.0 - toneKnee));
    return min(x, vec3(toneKnee)) + (1.0 - toneKnee) * y / (1.0 + y);
}

// The exposed value a curve output t (below 1) came from.
float undoToneCurve(float t)
{
    float u = max(t - toneKnee, 0.0) * (1.0 / (1.0 - toneKnee));
    return min(t, toneKnee) + (1.0 - toneKnee) * u / (1.0 - u);
}

// log2 of the factor the linear light is multiplied by, -16 to 16 in steps of 1/2048 of
// a stop: sixteen bits in the red and green bytes.
vec4 encodeExposure(float logScale)
{
    float v = floor(clamp((logScale + 16.0) * (1.0 / 32.0), 0.0, 1.0) * 65535.0 + 0.5);
    float high = floor(v * (1.0 / 256.0));
    return vec4(high * (1.0 / 255.0), (v - high * 256.0) * (1.0 / 255.0), 0.0, 1.0);
}

float decodeExposure(vec4 texel)
{
    vec2 bytes = floor(texel.rg * 255.0 + 0.5);
    return (bytes.r * 256.0 + bytes.g) * (32.0 / 65535.0) - 16.0;
}
