// Metal surfaces: painted hull plates, brushed steel, tread plate, and the lamps' dimples.
#include "textures.h"

#include <cmath>

namespace {
// Rivets sit this far inside a plate's border, this far apart.
constexpr float rivetInset = 9.0f, rivetPitch = 18.0f, rivetRadius = 4.0f;

// Offset (pixels) from the nearest rivet centre of a plate w x h at local pixel p.
glm::vec2 nearestRivet(const glm::vec2& p, float w, float h)
{
    auto along = [](float t, float length) {
        const float first = rivetInset, last = length - rivetInset;
        const int count = std::max(1, static_cast<int>(std::round((last - first) / rivetPitch)));
        const float step = (last - first) / count;
        return first + std::clamp(std::round((t - first) / step), 0.0f, static_cast<float>(count)) * step;
    };
    const glm::vec2 candidates[] = {
        {along(p.x, w), rivetInset}, {along(p.x, w), h - rivetInset},
        {rivetInset, along(p.y, h)}, {w - rivetInset, along(p.y, h)},
    };
    glm::vec2 best = candidates[0] - p;
    for (const glm::vec2& c : candidates)
        if (glm::length(c - p) < glm::length(best))
            best = c - p;
    return best;
}
}  // namespace

Image makeShipHull(int size)
{
    // Painted steel plates, riveted along every seam, with rust running down from
    // the rivets. Lighting from the top left is baked in (the map has no normal map).
    const int across = 2, rows = 4;
    return makeImage(size, [=](float u, float v) {
        const BondSample b = runningBond(u, v, across, rows, 0.5f, size);
        const float w = static_cast<float>(size) / across, h = static_cast<float>(size) / rows;
        const glm::vec2 p(b.local.x * w, b.local.y * h);
        const float tint = hashUnit(b.column, b.row, 101u);
        glm::vec3 paint = mixColour(glm::vec3(0.25f, 0.31f, 0.37f), glm::vec3(0.32f, 0.37f, 0.41f), tint);
        paint *= 0.92f + 0.1f * fractalNoise(u, v, 8, 4, 102u);

        // Rust: vertical streaks, strongest just below a plate's top row of rivets.
        const float streaks = 0.5f + 0.5f * stretchedNoise(u, v, 96, 3, 103u) + 0.3f * stretchedNoise(u, v, 192, 6, 104u);
        const float below = std::exp(-std::max(0.0f, p.y - rivetInset) / 38.0f);
        const float blotch = smoothStep(0.35f, 0.7f, fractalNoise(u, v, 6, 5, 105u));
        const float rust = std::clamp(streaks * below * 0.9f + 0.6f * blotch, 0.0f, 1.0f);
        const glm::vec3 rustColour = glm::vec3(0.46f, 0.24f, 0.1f) * (0.8f + 0.3f * fractalNoise(u, v, 64, 2, 106u));
        glm::vec3 c = mixColour(paint, rustColour, 0.75f * rust);

        // Seam: a dark gap with a light upper lip.
        const float seam = 1.0f - smoothStep(1.0f, 2.5f, b.edge);
        const float lip = smoothStep(2.0f, 3.0f, b.edge) * (1.0f - smoothStep(3.0f, 5.0f, b.edge));
        c = mixColour(c, glm::vec3(0.06f, 0.06f, 0.07f), seam);
        c *= 1.0f + (p.y < h * 0.5f || p.x < w * 0.5f ? 0.15f : -0.15f) * lip;

        // Rivet domes, shaded as half spheres.
        const glm::vec2 d = nearestRivet(p, w, h);
        const float r = glm::length(d);
        if (r < rivetRadius + 1.0f) {
            const float z = std::sqrt(std::max(0.0f, rivetRadius * rivetRadius - r * r));
            const glm::vec3 n = glm::normalize(glm::vec3(-d.x, d.y, z + 0.01f));
            const float light = std::max(0.0f, glm::dot(n, glm::normalize(glm::vec3(-1.0f, 1.0f, 1.2f))));
            const glm::vec3 rivet = mixColour(paint, rustColour, 0.4f) * (0.35f + 0.95f * light);
            const float shadowRing = smoothStep(rivetRadius - 0.5f, rivetRadius + 1.0f, r);
            c = mixColour(rivet, c * 0.7f, shadowRing);
        }
        return c;
    });
}

SurfaceMaps makeBrushedMetal(int size)
{
    // Fine horizontal brushing over soft blotches, with a few long scratches.
    SurfaceMaps maps(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            const float brush = 0.5f * stretchedNoise(u, v, 4, size / 2, 901u) + 0.35f * stretchedNoise(u, v, 8, size, 902u)
                + 0.25f * stretchedNoise(u, v, 2, size / 4, 903u);
            const float blotch = fractalNoise(u, v, 3, 4, 904u);
            const float scratchLine = std::fabs(stretchedNoise(u, v, 2, 48, 905u));
            const float scratch = (1.0f - smoothStep(0.0f, 0.015f, scratchLine))
                * smoothStep(0.35f, 0.6f, periodicNoise(u, v, 12, 906u));
            glm::vec3 steel = glm::vec3(0.6f, 0.62f, 0.64f) * (0.88f + 0.12f * brush + 0.06f * blotch);
            steel += glm::vec3(0.1f) * scratch;
            maps.colour.at(x, y) = steel;
            maps.height.at(x, y) = 0.5f + 0.05f * brush - 0.2f * scratch;
            maps.specular.at(x, y) = 0.65f + 0.12f * brush + 0.1f * blotch;
        }
    maps.bumpStrength = 4.0f;
    return maps;
}

SurfaceMaps makeTreadPlate(int size)
{
    // Diamond tread plate: raised lozenges on an 8 x 8 lattice, turned alternately by
    // plus and minus 45 degrees.
    SurfaceMaps maps(size);
    const int cellsPerSide = 8;
    const float cell = static_cast<float>(size) / cellsPerSide;
    const float halfLength = 0.36f * cell, radius = 0.13f * cell;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            const int i = static_cast<int>(u * cellsPerSide), j = static_cast<int>(v * cellsPerSide);
            const glm::vec2 local((u * cellsPerSide - i - 0.5f) * cell, (v * cellsPerSide - j - 0.5f) * cell);
            const glm::vec2 axis = glm::normalize(glm::vec2(1.0f, (i + j) % 2 == 0 ? 1.0f : -1.0f));
            // Lozenge: the bar narrows towards its ends.
            const float t = std::clamp(glm::dot(local, axis), -halfLength, halfLength);
            const float across = glm::length(local - axis * t);
            const float width = radius * std::sqrt(1.0f - (t / halfLength) * (t / halfLength) * 0.75f);
            const float q = std::min(1.0f, across / width);
            const float bar = std::sqrt(1.0f - q * q);
            const float grime = smoothStep(0.1f, 0.6f, fractalNoise(u, v, 8, 4, 1801u));
            const float wear = fractalNoise(u, v, 32, 3, 1802u);

            glm::vec3 plate = glm::vec3(0.5f, 0.51f, 0.53f) * (0.9f + 0.1f * wear);
            plate = mixColour(plate, glm::vec3(0.26f, 0.24f, 0.22f), 0.6f * grime);
            const glm::vec3 polished = glm::vec3(0.78f, 0.79f, 0.8f) * (0.92f + 0.08f * wear);
            maps.colour.at(x, y) = mixColour(plate, polished, smoothStep(0.2f, 0.9f, bar));
            maps.height.at(x, y) = 0.2f + 0.7f * bar + 0.02f * wear;
            maps.specular.at(x, y) = 0.35f - 0.25f * grime * (1.0f - bar) + 0.5f * bar;
        }
    maps.bumpStrength = 3.0f;
    return maps;
}

Image makeDimples(int size)
{
    // Shallow round hollows on an 8 x 8 lattice: a gentle, inverted relief.
    const int perSide = 8;
    const Field height = makeField(size, [](float u, float v) {
        const glm::vec2 p(u * perSide - std::floor(u * perSide) - 0.5f, v * perSide - std::floor(v * perSide) - 0.5f);
        const float d = glm::length(p) / 0.42f;
        const float bump = d < 1.0f ? (1.0f - d * d) * (1.0f - d * d) : 0.0f;
        return -bump;
    });
    return normalMap(height, 5.0f);
}
