// Natural stone: rock face, sawn slabs and rounded cobbles.
#include "textures.h"

#include <cmath>

SurfaceMaps makeRock(int size)
{
    // Layered noise for the mass, ridges for strata, cell borders for the cracks.
    SurfaceMaps maps(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            const float mass = fractalNoise(u, v, 4, 7, 601u, 0.55f);
            const float ridges = 1.0f - std::fabs(fractalNoise(u, v, 8, 4, 602u));
            const float wu = u + 0.02f * fractalNoise(u, v, 8, 3, 603u);
            const float wv = v + 0.02f * fractalNoise(u, v, 8, 3, 604u);
            const CellSample c = cells(wu, wv, 5, 605u, 0.9f);
            const float crackDepth = smoothStep(-0.3f, 0.3f, fractalNoise(u, v, 6, 3, 609u));
            const float crack = (1.0f - smoothStep(0.0f, 0.008f, c.second - c.nearest)) * (0.3f + 0.7f * crackDepth);
            const float grit = fractalNoise(u, v, 128, 2, 606u);

            const float h = 0.5f + 0.35f * mass + 0.2f * ridges * ridges + 0.04f * grit;
            maps.height.at(x, y) = h * (1.0f - 0.7f * crack);

            const float tone = hashUnit(static_cast<int>(c.id & 0xffff), 3, 607u);
            glm::vec3 stone = mixColour(glm::vec3(0.44f, 0.42f, 0.4f), glm::vec3(0.55f, 0.5f, 0.44f), tone);
            stone *= 0.75f + 0.45f * (0.5f + 0.5f * mass) + 0.08f * grit;
            // Rust-brown iron stains in the hollows.
            const float stain = smoothStep(0.2f, 0.6f, fractalNoise(u, v, 3, 4, 608u)) * (1.0f - ridges);
            stone = mixColour(stone, glm::vec3(0.45f, 0.32f, 0.2f), 0.5f * stain);
            maps.colour.at(x, y) = mixColour(stone, glm::vec3(0.12f, 0.11f, 0.1f), 0.85f * crack);
            maps.specular.at(x, y) = (0.12f + 0.25f * ridges * ridges) * (1.0f - crack);
        }
    maps.bumpStrength = 12.0f;
    return maps;
}

SurfaceMaps makeSlabPaving(int size)
{
    // Sandstone slabs twice as long as wide in a running bond, with dark joints.
    SurfaceMaps maps(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            const BondSample b = runningBond(u, v, 2, 4, 0.25f, size);
            const float rough = 1.5f * fractalNoise(u, v, 32, 3, 1201u);
            const float face = smoothStep(0.0f, 3.0f, b.edge - 3.5f + rough);
            const float grain = fractalNoise(u, v, 16, 6, 1202u);
            const float wear = fractalNoise(u, v, 4, 3, 1203u);
            const float tone = hashUnit(b.column, b.row, 1204u);
            const float tilt = hashUnit(b.column, b.row, 1205u) - 0.5f;

            glm::vec3 slab = mixColour(glm::vec3(0.62f, 0.57f, 0.48f), glm::vec3(0.7f, 0.67f, 0.6f), tone);
            slab *= 0.85f + 0.18f * grain + 0.06f * wear;
            const float speck = smoothStep(0.6f, 0.75f, fractalNoise(u, v, 128, 1, 1206u));
            slab = mixColour(slab, slab * 0.7f, speck);
            const glm::vec3 joint = glm::vec3(0.22f, 0.21f, 0.19f) * (0.8f + 0.3f * grain);
            maps.colour.at(x, y) = mixColour(joint, slab, face);
            // Each slab sits a touch out of level.
            maps.height.at(x, y) = 0.1f + face * (0.8f + 0.04f * grain + 0.05f * tilt * (b.local.x - 0.5f));
            maps.specular.at(x, y) = 0.04f + face * (0.22f + 0.1f * wear);
        }
    maps.bumpStrength = 3.0f;
    return maps;
}

SurfaceMaps makeCobbles(int size)
{
    // Rounded setts from jittered cells; the gaps are sand.
    SurfaceMaps maps(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            const CellSample c = cells(u, v, 8, 1501u, 0.7f);
            // Distance to the cell border in pixels, roughened.
            const float border = 0.5f * (c.second - c.nearest) * size + 1.5f * fractalNoise(u, v, 32, 3, 1502u);
            // A bevel at the border and a gentle crown towards the centre.
            const float crown = 1.0f - std::min(1.0f, c.nearest * 8.0f / 0.9f);
            const float dome = smoothStep(1.0f, 9.0f, border) * (0.7f + 0.3f * (1.0f - (1.0f - crown) * (1.0f - crown)));
            const float grain = fractalNoise(u, v, 32, 5, 1503u);
            const float tone = hashUnit(static_cast<int>(c.id & 0xffff), 7, 1504u);

            glm::vec3 stone = tone < 0.33f   ? glm::vec3(0.5f, 0.48f, 0.46f)
                              : tone < 0.66f ? glm::vec3(0.58f, 0.52f, 0.44f)
                                             : glm::vec3(0.47f, 0.46f, 0.45f);
            stone *= 0.8f + 0.25f * grain + 0.15f * dome;
            const glm::vec3 sand = glm::vec3(0.42f, 0.37f, 0.3f) * (0.85f + 0.3f * grain);
            const float face = smoothStep(0.0f, 0.25f, dome);
            maps.colour.at(x, y) = mixColour(sand, stone, face);
            maps.height.at(x, y) = 0.1f + 0.8f * dome + 0.05f * grain;
            maps.specular.at(x, y) = 0.05f + 0.35f * dome * dome;
        }
    maps.bumpStrength = 4.0f;
    return maps;
}
