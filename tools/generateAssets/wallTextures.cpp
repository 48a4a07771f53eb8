// Bricks, tiles, plaster and marble: man-made surfaces laid out in units.
#include "textures.h"

#include <cmath>

BondSample runningBond(float u, float v, int across, int rows, float shift, int size)
{
    BondSample s;
    const float y = v * rows;
    s.row = static_cast<int>(std::floor(y));
    const float x = u * across + shift * s.row;
    const int column = static_cast<int>(std::floor(x));
    // Wrapping the column keeps a brick that crosses the tile edge one brick.
    s.column = ((column % across) + across) % across;
    s.local = {x - std::floor(x), y - std::floor(y)};
    const float w = static_cast<float>(size) / across, h = static_cast<float>(size) / rows;
    s.edge = std::min(std::min(s.local.x, 1.0f - s.local.x) * w, std::min(s.local.y, 1.0f - s.local.y) * h);
    return s;
}

namespace {
// Height and colour of one fired-clay unit with worn, slightly chipped edges.
struct ClayLook {
    glm::vec3 base;
    float mortar;  // half width of the joint in pixels
    uint32_t seed;
};

void shadeBrick(SurfaceMaps& maps, int x, int y, float u, float v, const BondSample& b, int unitId,
                const ClayLook& look)
{
    const float roughEdge = 1.6f * fractalNoise(u, v, 32, 3, look.seed + 1);
    const float inside = b.edge - look.mortar + roughEdge;
    const float face = smoothStep(0.0f, 4.0f, inside);
    const float grain = fractalNoise(u, v, 16, 5, look.seed + 2);
    const float pits = smoothStep(0.55f, 0.8f, fractalNoise(u, v, 64, 2, look.seed + 3));
    const float tone = hashUnit(unitId, 0, look.seed);
    const float burn = hashUnit(unitId, 1, look.seed);

    glm::vec3 clay = look.base * (0.78f + 0.4f * tone);
    clay = mixColour(clay, clay * glm::vec3(0.72f, 0.68f, 0.68f), smoothStep(0.75f, 1.0f, burn));
    clay *= 0.88f + 0.22f * grain;
    clay = mixColour(clay, clay * 0.6f, pits);
    const float sand = fractalNoise(u, v, 64, 3, look.seed + 4);
    const glm::vec3 mortar = glm::vec3(0.66f, 0.63f, 0.57f) * (0.85f + 0.2f * sand);

    maps.colour.at(x, y) = mixColour(mortar, clay, face);
    maps.height.at(x, y) = 0.15f + 0.05f * sand + face * (0.75f + 0.08f * grain - 0.12f * pits);
    maps.specular.at(x, y) = 0.06f + face * (0.28f + 0.12f * grain - 0.2f * pits);
}
}  // namespace

SurfaceMaps makeWallBricks(int size)
{
    // Running bond, four bricks across and ten courses per repeat (2.5 : 1 bricks).
    SurfaceMaps maps(size);
    const ClayLook look{{0.56f, 0.24f, 0.16f}, 3.0f, 2401u};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            const BondSample b = runningBond(u, v, 4, 10, 0.5f, size);
            shadeBrick(maps, x, y, u, v, b, b.row * 4 + b.column, look);
        }
    maps.bumpStrength = 3.0f;
    return maps;
}

SurfaceMaps makeFloorBricks(int size)
{
    // Basket weave: 4 x 4 squares per repeat, each two bricks laid across or along,
    // alternating like a chequer board.
    SurfaceMaps maps(size);
    const ClayLook look{{0.6f, 0.36f, 0.22f}, 2.5f, 1301u};
    const int squares = 4;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            const int i = static_cast<int>(u * squares), j = static_cast<int>(v * squares);
            const bool lengthwise = (i + j) % 2 == 0;
            // Inside one square, two bricks side by side.
            const float su = u * squares - i, sv = v * squares - j;
            const float a = lengthwise ? sv : su;
            const int half = a < 0.5f ? 0 : 1;
            const float cell = static_cast<float>(size) / squares;
            const float across = (lengthwise ? su : sv) * cell, along = (a * 2.0f - half) * cell * 0.5f;
            BondSample b;
            b.edge = std::min(std::min(across, cell - across), std::min(along, cell * 0.5f - along));
            shadeBrick(maps, x, y, u, v, b, (j * squares + i) * 2 + half, look);
        }
    maps.bumpStrength = 3.0f;
    return maps;
}

Image makeBlueTiles(int size)
{
    // Glazed tiles, 4 x 4 per repeat, light grout; the bevel is lit from the top left.
    return makeImage(size, [size](float u, float v) {
        const BondSample b = runningBond(u, v, 4, 4, 0.0f, size);
        const float face = smoothStep(2.0f, 5.0f, b.edge);
        const float tone = hashUnit(b.column, b.row, 303u);
        const float glaze = fractalNoise(u, v, 8, 4, 304u);
        glm::vec3 tile = mixColour(glm::vec3(0.06f, 0.2f, 0.5f), glm::vec3(0.12f, 0.32f, 0.66f), tone);
        tile *= 0.9f + 0.18f * glaze;
        // A soft highlight across each glazed face.
        const glm::vec2 d = b.local - glm::vec2(0.3f, 0.3f);
        tile += glm::vec3(0.12f) * std::exp(-glm::dot(d, d) * 10.0f);
        // The bevel is lighter on the top and left borders, darker on the others.
        const float bevel = 1.0f - smoothStep(5.0f, 10.0f, b.edge);
        const float left = b.local.x, right = 1.0f - b.local.x, top = b.local.y, bottom = 1.0f - b.local.y;
        const bool lit = std::min(left, top) < std::min(right, bottom);
        tile *= 1.0f + (lit ? 0.25f : -0.3f) * bevel;
        const glm::vec3 grout = glm::vec3(0.78f, 0.78f, 0.76f) * (0.9f + 0.1f * fractalNoise(u, v, 64, 2, 305u));
        return mixColour(grout, tile, face);
    });
}

Image makePlaster(int size)
{
    // Warm lime plaster: broad clouds, softer trowel patches and a fine sand grain.
    return makeImage(size, [](float u, float v) {
        const float clouds = fractalNoise(u, v, 3, 5, 201u);
        const float patches = smoothStep(0.1f, 0.5f, fractalNoise(u, v, 5, 3, 202u));
        const float grain = fractalNoise(u, v, 128, 2, 203u);
        glm::vec3 c(0.86f, 0.82f, 0.75f);
        c *= 0.94f + 0.07f * clouds + 0.035f * grain;
        return mixColour(c, c * glm::vec3(0.97f, 0.97f, 0.95f), patches);
    });
}

Image makeMarble(int size)
{
    // Carrara-like: soft grey veins along bands bent by low-frequency turbulence, each
    // with a darker core, over faint clouds.
    return makeImage(size, [](float u, float v) {
        const float turbulence = fractalNoise(u, v, 2, 4, 301u, 0.45f);
        const float detail = fractalNoise(u, v, 16, 3, 302u);
        const float bands = std::sin(2.0f * 3.14159265f * (u + 2.0f * v) + 7.0f * turbulence + 0.4f * detail);
        const float halo = std::pow(1.0f - std::fabs(bands), 6.0f);
        const float core = std::pow(1.0f - std::fabs(bands), 60.0f);
        const float second = std::sin(2.0f * 3.14159265f * (3.0f * u - v) + 6.0f * fractalNoise(u, v, 3, 4, 304u));
        const float pale = std::pow(1.0f - std::fabs(second), 30.0f);
        const float cloud = fractalNoise(u, v, 2, 4, 303u);
        glm::vec3 c = glm::vec3(0.93f, 0.92f, 0.9f) * (0.95f + 0.06f * cloud);
        c = mixColour(c, glm::vec3(0.75f, 0.75f, 0.77f), 0.45f * pale);
        c = mixColour(c, glm::vec3(0.62f, 0.62f, 0.65f), 0.55f * halo);
        c = mixColour(c, glm::vec3(0.36f, 0.37f, 0.4f), 0.8f * core);
        return c;
    });
}

Image makeWhite(int size)
{
    return makeImage(size, [](float, float) { return glm::vec3(1.0f); });
}
