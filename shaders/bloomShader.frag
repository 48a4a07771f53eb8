#version 330 core
// Bloom: what glows (alpha) or nears white is gathered over a wide golden-angle disc
// with Gaussian weights and added back to the picture.
uniform sampler2D colorTexture;
uniform float pixelsizex;
uniform float pixelsizey;
uniform float bloomfactor;

in vec2 texCoord;
out vec4 out_color;

const int tapCount = 24;
const float goldenAngle = 2.39996323;
const float radiusPixels = 56.0;

vec3 brightPart(vec2 uv)
{
    vec4 texel = texture(colorTexture, uv);
    vec3 linear = texel.rgb * texel.rgb;  // close enough to the display curve for a glow
    float luminance = dot(linear, vec3(0.2126, 0.7152, 0.0722));
    float nearWhite = smoothstep(0.8, 1.0, luminance);
    return linear * (nearWhite * 0.35 + texel.a * 4.0);
}

void main()
{
    vec2 pixel = vec2(pixelsizex, pixelsizey);
    vec3 sum = vec3(0.0);
    float weightSum = 0.0;
    for (int i = 0; i < tapCount; ++i) {
        // Equal-area spiral: tap i sits at radius sqrt((i + 0.5) / n).
        float r = sqrt((float(i) + 0.5) / float(tapCount));
        float angle = float(i) * goldenAngle;
        vec2 offset = vec2(cos(angle), sin(angle)) * r * radiusPixels * pixel;
        float weight = exp(-r * r * 4.0);
        sum += brightPart(texCoord + offset) * weight;
        weightSum += weight;
    }
    vec3 bloom = sum / weightSum;
    vec3 scene = pow(texture(colorTexture, texCoord).rgb, vec3(2.2));
    vec3 color = scene + bloom * bloomfactor;
    color = color / (1.0 + max(color - 1.0, 0.0));  // a soft roof instead of a hard clip
    out_color = vec4(pow(color, vec3(1.0 / 2.2)), 1.0);
}
