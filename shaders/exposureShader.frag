#version 330 core
// Automatic exposure, drawn into one texel: the log-average luminance of the picture just
// drawn gives the exposure that brings it to a middle grey, and the exposure kept moves
// that way by `adapt` of the distance. The picture is read 64 times on a coarse mipmap
// level, so each tap is already a mean of a patch. A log-average with the curve's top
// held back lets no lamp or highlight decide it: the picture stores light only as far as
// the shoulder reaches, and a patch is counted as at most 20 times middle grey.
#include "exposure.glsl"

uniform sampler2D pictureMips;  // the picture, as stored, through its mipmaps
uniform sampler2D previous;     // the exposure the picture was drawn with
uniform float level;            // the mipmap level read, about 16 texels across
uniform float adapt;            // 1: take the measured exposure at once
uniform vec2 logScaleRange;     // the automatic exposure stays within these

in vec2 texCoord;
out vec4 out_color;

// The log2 scale that brings a log-average of `logLuminance` to this.
const float middleGrey = 0.18;

void main()
{
    float drawnWith = decodeExposure(texelFetch(previous, ivec2(0, 0), 0));
    float sum = 0.0;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            vec2 at = (vec2(float(x), float(y)) + 0.5) * (1.0 / 8.0);
            vec3 stored = textureLod(pictureMips, at, level).rgb;
            float shown = dot(pow(stored, vec3(2.2)), vec3(0.2126, 0.7152, 0.0722));
            float exposed = min(undoToneCurve(min(shown, 0.97)), middleGrey * 20.0);
            sum += log2(max(exposed, 1e-4));
        }
    }
    // What the scene itself gives, before the exposure it was drawn with.
    float logLuminance = sum * (1.0 / 64.0) - drawnWith;
    float measured = clamp(log2(middleGrey) - logLuminance, logScaleRange.x, logScaleRange.y);
    out_color = encodeExposure(mix(drawnWith, measured, adapt));
}
