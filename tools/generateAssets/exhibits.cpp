// The sphere, the torus, the lens, the torus knot and the sword.
#include "models.h"

#include <cmath>

Mesh makeSphere()
{
    const float radius = 120.0f;
    const int rings = 32, segments = 64;
    Profile arc;
    for (int i = 0; i <= rings; ++i) {
        const float a = pi * static_cast<float>(i) / rings - 0.5f * pi;
        arc.push_back({i == 0 || i == rings ? 0.0f : radius * std::cos(a), radius * std::sin(a)});
    }
    // Three repeats round the equator and one and a half pole to pole: square texels
    // at the equator, and paving or metal at a size that matches the pedestals.
    return lathe(arc, segments, 3.0f, pi * radius / 1.5f);
}

Mesh makeTorus()
{
    // Lies in the xy plane, so the scene's three turned copies nest on three axes.
    const float major = 10.0f, minor = 1.2f;
    const int stations = 72;
    std::vector<glm::vec3> circle;
    for (int i = 0; i < stations; ++i) {
        const float a = 2.0f * pi * static_cast<float>(i) / stations;
        circle.push_back({major * std::cos(a), major * std::sin(a), 0.0f});
    }
    return tube(sweepFrames(circle, true), std::vector<float>(stations, minor), true, 24, 0.0f, 1.0f,
                2.0f * pi * minor);
}

Mesh makeLens()
{
    // Two spherical caps on a thin rim, axis along z; each is its own part so the
    // rim keeps a crisp edge.
    const float radius = 8.0f, halfRim = 0.15f, sag = 1.35f;
    const float sphere = (radius * radius + sag * sag) / (2.0f * sag);
    const int rings = 16, segments = 64;
    auto ring = [&](int col) {
        const float a = 2.0f * pi * static_cast<float>(col % segments) / segments;
        return glm::vec2(std::cos(a), std::sin(a));
    };
    auto capHeight = [&](float rho) {
        return halfRim + std::sqrt(sphere * sphere - rho * rho) - std::sqrt(sphere * sphere - radius * radius);
    };
    // Front cap (+z): the angle runs clockwise seen from the front so the patch faces +z.
    auto frontPoint = [&](int r, int c) {
        const float rho = radius * r / rings;
        const glm::vec2 d = ring(segments - c);
        return glm::vec3(rho * d.x, rho * d.y, capHeight(rho));
    };
    auto planarUv = [&](const glm::vec3& p, float mirror) {
        return glm::vec2(0.5f + mirror * p.x / (2 * radius), 0.5f + p.y / (2 * radius));
    };
    Mesh front = gridPatch(rings, segments, frontPoint,
                           [&](int r, int c) { return planarUv(frontPoint(r, c), 1.0f); });
    front.smoothNormals();
    auto backPoint = [&](int r, int c) {
        const float rho = radius * r / rings;
        const glm::vec2 d = ring(c);
        return glm::vec3(rho * d.x, rho * d.y, -capHeight(rho));
    };
    Mesh back = gridPatch(rings, segments, backPoint,
                          [&](int r, int c) { return planarUv(backPoint(r, c), -1.0f); });
    back.smoothNormals();
    auto rimPoint = [&](int r, int c) {
        const glm::vec2 d = ring(c);
        return glm::vec3(radius * d.x, radius * d.y, r == 0 ? -halfRim : halfRim);
    };
    Mesh rim = gridPatch(1, segments, rimPoint, [&](int r, int c) {
        return glm::vec2(8.0f * c / segments, r * 2.0f * halfRim / (2 * radius));
    });
    for (Vertex& v : rim.vertices)
        v.normal = glm::normalize(glm::vec3(v.position.x, v.position.y, 0.0f));
    Mesh lens;
    lens.append(front);
    lens.append(back);
    lens.append(rim);
    return lens;
}

Mesh makeKnot()
{
    // A (2, 3) torus knot standing in the xy plane, 600 across.
    const float major = 190.0f, swing = 78.0f, radius = 32.0f;
    const int stations = 200;
    std::vector<glm::vec3> curve;
    for (int i = 0; i < stations; ++i) {
        const float t = 2.0f * pi * static_cast<float>(i) / stations;
        const float r = major + swing * std::cos(3.0f * t);
        curve.push_back({r * std::cos(2.0f * t), r * std::sin(2.0f * t), -swing * std::sin(3.0f * t)});
    }
    // About square texels: the tube is ~200 round, the knot ~3300 long.
    return tube(sweepFrames(curve, true), std::vector<float>(stations, radius), true, 16, 0.0f, 1.0f,
                2.0f * pi * radius);
}

Mesh makeSword()
{
    // Point up: blade of diamond section, cross guard, faceted grip, pommel.
    Mesh sword;
    struct Station {
        float y, width, thickness;
    };
    const Station blade[] = {{-110, 38, 9}, {40, 35, 8}, {150, 30, 7}, {198, 20, 5.5f}, {225, 0, 0}};
    // Section corners run from +x towards -z, the same turn as a lathe, so the
    // strip faces outward.
    auto bladePoint = [&](int r, int c) {
        const Station& s = blade[r];
        switch (c % 4) {
        case 0: return glm::vec3(s.width / 2, s.y, 0);
        case 1: return glm::vec3(0, s.y, -s.thickness / 2);
        case 2: return glm::vec3(-s.width / 2, s.y, 0);
        default: return glm::vec3(0, s.y, s.thickness / 2);
        }
    };
    const float uvSize = 120.0f;
    Mesh strip = gridPatch(4, 4, bladePoint, [&](int r, int c) {
        return glm::vec2((c == 0 || c == 4 ? 0.5f : c == 2 ? -0.5f : 0.0f) * blade[r].width / uvSize,
                         blade[r].y / uvSize);
    });
    sword.append(strip);
    // Closes the blade's root, hidden inside the guard.
    Mesh root = gridPatch(1, 4, [&](int r, int c) { return r == 0 ? glm::vec3(0, -110, 0) : bladePoint(0, c); },
                          [&](int r, int c) { return glm::vec2(0.1f * c, 0.1f * r); });
    sword.append(root);
    sword.append(box({-58, -124, -9}, {58, -110, 9}, uvSize));
    sword.append(creasedLathe({{0, -206}, {8, -206}, {7, -166}, {8, -126}, {0, -126}}, 10, 1.0f, uvSize));
    sword.append(creasedLathe(
        {{0, -225}, {7, -224}, {12, -218}, {13, -212}, {12, -206}, {7, -200}, {0, -199}}, 8, 1.0f, uvSize));
    return sword;
}
