// The bloom's halo, held a quarter of the size as the square root of a quarter of itself
// (fine steps where it is faint), and how it is added to a display-encoded picture: the
// squares and the square root stand for the display curve.
uniform sampler2D bloomHalo;
uniform float bloomfactor;

const float haloRange = 4.0;

vec3 withHalo(vec3 picture, vec2 uv)
{
    vec3 halo = textureLod(bloomHalo, uv, 0.0).rgb;
    return sqrt(min(picture * picture + halo * halo * (haloRange * bloomfactor), vec3(1.0)));
}
