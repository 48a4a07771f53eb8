#include "mesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

void Mesh::append(const Mesh& part)
{
    const auto base = static_cast<unsigned>(vertices.size());
    vertices.insert(vertices.end(), part.vertices.begin(), part.vertices.end());
    for (const glm::uvec3& t : part.triangles)
        triangles.push_back(t + glm::uvec3(base));
}

void Mesh::transform(const glm::mat4& matrix)
{
    const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(matrix)));
    for (Vertex& v : vertices) {
        v.position = glm::vec3(matrix * glm::vec4(v.position, 1.0f));
        if (glm::dot(v.normal, v.normal) > 0.0f)
            v.normal = glm::normalize(normalMatrix * v.normal);
    }
}

void Mesh::flipWinding()
{
    for (glm::uvec3& t : triangles)
        std::swap(t.y, t.z);
}

namespace {
// Positions that print alike in the files must smooth together, so compare them on a
// grid finer than the written precision.
std::tuple<long, long, long> positionKey(const glm::vec3& p)
{
    return {std::lround(p.x * 1000.0f), std::lround(p.y * 1000.0f), std::lround(p.z * 1000.0f)};
}
}  // namespace

void Mesh::smoothNormals()
{
    std::map<std::tuple<long, long, long>, glm::vec3> sums;
    for (const glm::uvec3& t : triangles) {
        const glm::vec3& a = vertices[t.x].position;
        const glm::vec3& b = vertices[t.y].position;
        const glm::vec3& c = vertices[t.z].position;
        const glm::vec3 weighted = glm::cross(b - a, c - a);  // length = twice the area
        for (unsigned i : {t.x, t.y, t.z})
            sums[positionKey(vertices[i].position)] += weighted;
    }
    for (Vertex& v : vertices) {
        const glm::vec3 sum = sums[positionKey(v.position)];
        v.normal = glm::dot(sum, sum) > 0.0f ? glm::normalize(sum) : glm::vec3(0, 1, 0);
    }
}

Mesh gridPatch(int rows, int cols, const PointFunction& point, const UvFunction& uv)
{
    Mesh mesh;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= cols; ++c)
            mesh.vertices.push_back({point(r, c), glm::vec3(0.0f), uv(r, c)});
    auto index = [cols](int r, int c) { return static_cast<unsigned>(r * (cols + 1) + c); };
    auto degenerate = [&mesh](unsigned a, unsigned b, unsigned c) {
        auto key = [&mesh](unsigned i) { return positionKey(mesh.vertices[i].position); };
        return key(a) == key(b) || key(b) == key(c) || key(a) == key(c);
    };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const unsigned a = index(r, c), b = index(r, c + 1);
            const unsigned cc = index(r + 1, c + 1), d = index(r + 1, c);
            if (!degenerate(a, b, cc))
                mesh.triangles.push_back({a, b, cc});
            if (!degenerate(a, cc, d))
                mesh.triangles.push_back({a, cc, d});
        }
    return mesh;
}

Profile smoothProfile(const Profile& points, int steps)
{
    Profile out;
    const int n = static_cast<int>(points.size());
    for (int i = 0; i + 1 < n; ++i) {
        const glm::vec2 p0 = points[std::max(i - 1, 0)], p1 = points[i];
        const glm::vec2 p2 = points[i + 1], p3 = points[std::min(i + 2, n - 1)];
        for (int s = 0; s < steps; ++s) {
            const float t = static_cast<float>(s) / steps;
            const float t2 = t * t, t3 = t2 * t;
            glm::vec2 p = 0.5f * ((2.0f * p1) + (-p0 + p2) * t + (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3) * t2
                                  + (-p0 + 3.0f * p1 - 3.0f * p2 + p3) * t3);
            // No overshoot past a segment's ends: a flat base stays flat.
            p.x = std::max(p.x, 0.0f);
            p.y = std::clamp(p.y, std::min(p1.y, p2.y), std::max(p1.y, p2.y));
            out.push_back(p);
        }
    }
    out.push_back(points.back());
    // The poles must sit exactly on the axis.
    if (points.front().x == 0.0f)
        out.front().x = 0.0f;
    return out;
}

namespace {
std::vector<float> arcLengths(const Profile& profile)
{
    std::vector<float> lengths{0.0f};
    for (size_t i = 1; i < profile.size(); ++i)
        lengths.push_back(lengths.back() + glm::length(profile[i] - profile[i - 1]));
    return lengths;
}

glm::vec3 revolve(const glm::vec2& rh, int col, int segments)
{
    // Angles come from the column index modulo the count, so the seam column repeats
    // the first one bit for bit.
    const float a = 2.0f * pi * static_cast<float>(col % segments) / segments;
    return {rh.x * std::cos(a), rh.y, -rh.x * std::sin(a)};
}
}  // namespace

Mesh lathe(const Profile& profile, int segments, float uRepeat, float vLength)
{
    const std::vector<float> lengths = arcLengths(profile);
    Mesh mesh = gridPatch(
        static_cast<int>(profile.size()) - 1, segments,
        [&](int r, int c) { return revolve(profile[r], c, segments); },
        [&](int r, int c) { return glm::vec2(uRepeat * c / segments, lengths[r] / vLength); });
    mesh.smoothNormals();
    return mesh;
}

Mesh creasedLathe(const Profile& profile, int segments, float uRepeat, float vLength)
{
    const std::vector<float> lengths = arcLengths(profile);
    Mesh mesh;
    for (size_t i = 0; i + 1 < profile.size(); ++i) {
        Mesh part = gridPatch(
            1, segments, [&](int r, int c) { return revolve(profile[i + r], c, segments); },
            [&](int r, int c) { return glm::vec2(uRepeat * c / segments, lengths[i + r] / vLength); });
        part.smoothNormals();
        mesh.append(part);
    }
    return mesh;
}

std::vector<Frame> sweepFrames(const std::vector<glm::vec3>& points, bool closed)
{
    const int n = static_cast<int>(points.size());
    std::vector<Frame> frames(n);
    for (int i = 0; i < n; ++i) {
        const int prev = closed ? (i + n - 1) % n : std::max(i - 1, 0);
        const int next = closed ? (i + 1) % n : std::min(i + 1, n - 1);
        frames[i].point = points[i];
        frames[i].tangent = glm::normalize(points[next] - points[prev]);
    }
    const glm::vec3 t0 = frames[0].tangent;
    const glm::vec3 helper = std::fabs(t0.z) < 0.9f ? glm::vec3(0, 0, 1) : glm::vec3(1, 0, 0);
    frames[0].normal = glm::normalize(glm::cross(helper, t0));
    // Double reflection keeps the frame from spinning about the curve.
    auto carry = [&](const Frame& from, const glm::vec3& toPoint, const glm::vec3& toTangent) {
        const glm::vec3 v1 = toPoint - from.point;
        const float c1 = glm::dot(v1, v1);
        if (c1 < 1e-12f)
            return from.normal;
        const glm::vec3 rL = from.normal - (2.0f / c1) * glm::dot(v1, from.normal) * v1;
        const glm::vec3 tL = from.tangent - (2.0f / c1) * glm::dot(v1, from.tangent) * v1;
        const glm::vec3 v2 = toTangent - tL;
        const float c2 = glm::dot(v2, v2);
        if (c2 < 1e-12f)
            return rL;
        return rL - (2.0f / c2) * glm::dot(v2, rL) * v2;
    };
    for (int i = 1; i < n; ++i)
        frames[i].normal = glm::normalize(carry(frames[i - 1], points[i], frames[i].tangent));
    if (closed) {
        const glm::vec3 back = carry(frames[n - 1], points[0], t0);
        const float twist = std::atan2(glm::dot(glm::cross(back, frames[0].normal), t0),
                                       glm::dot(back, frames[0].normal));
        for (int i = 1; i < n; ++i) {
            const float a = twist * static_cast<float>(i) / n;
            const glm::vec3 t = frames[i].tangent, nn = frames[i].normal;
            frames[i].normal = glm::normalize(nn * std::cos(a) + glm::cross(t, nn) * std::sin(a));
        }
    }
    for (Frame& f : frames) {
        f.normal = glm::normalize(f.normal - f.tangent * glm::dot(f.normal, f.tangent));
        f.binormal = glm::cross(f.tangent, f.normal);
    }
    return frames;
}

Mesh tube(const std::vector<Frame>& frames, const std::vector<float>& radii, bool closed,
          int sides, float capDepth, float uRepeat, float vLength)
{
    // Rows: the curve stations, plus capRows on either end of an open tube.
    const int capRows = closed ? 0 : 6;
    const int stations = static_cast<int>(frames.size());
    const int rows = closed ? stations : stations - 1 + 2 * capRows;
    std::vector<float> along{0.0f};
    for (int i = 1; i <= stations; ++i)
        along.push_back(along.back() + glm::length(frames[i % stations].point - frames[i - 1].point));

    auto station = [&](int row, float& radiusScale, float& offset) {
        radiusScale = 1.0f;
        offset = 0.0f;
        if (closed)
            return row % stations;
        if (row < capRows) {
            const float a = 0.5f * pi * static_cast<float>(capRows - row) / capRows;
            radiusScale = std::cos(a);
            offset = -std::sin(a) * capDepth;
            return 0;
        }
        if (row > capRows + stations - 1) {
            const float a = 0.5f * pi * static_cast<float>(row - capRows - stations + 1) / capRows;
            radiusScale = std::cos(a);
            offset = std::sin(a) * capDepth;
            return stations - 1;
        }
        return row - capRows;
    };
    Mesh mesh = gridPatch(
        rows, sides,
        [&](int row, int col) {
            float scale, offset;
            const Frame& f = frames[station(row, scale, offset)];
            const float r = radii[&f - frames.data()];
            const float a = 2.0f * pi * static_cast<float>(col % sides) / sides;
            // Exact zero radius at the poles makes the cap vertices coincide.
            const float ring = scale < 1e-6f ? 0.0f : r * scale;
            return f.point + f.tangent * (offset * r)
                + ring * (std::cos(a) * f.normal + std::sin(a) * f.binormal);
        },
        [&](int row, int col) {
            float scale, offset;
            const int s = station(row, scale, offset);
            const float v = closed ? along[row] : along[s] + offset * radii[s];
            return glm::vec2(uRepeat * col / sides, v / vLength);
        });
    mesh.smoothNormals();
    return mesh;
}

Mesh box(const glm::vec3& low, const glm::vec3& high, float uvSize)
{
    const glm::vec3 centre = 0.5f * (low + high), half = 0.5f * (high - low);
    struct Face {
        glm::vec3 normal, right, up;
    };
    const Face faces[] = {
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
    };
    Mesh mesh;
    for (const Face& f : faces) {
        const float depth = glm::dot(glm::abs(f.normal), half);
        const float halfWidth = glm::dot(glm::abs(f.right), half);
        const float halfHeight = glm::dot(glm::abs(f.up), half);
        mesh.append(rectangle(centre + f.normal * depth, f.right, f.up, halfWidth, halfHeight, 1, 1,
                              1.0f / uvSize, 1.0f / uvSize));
    }
    return mesh;
}

Mesh rectangle(const glm::vec3& centre, const glm::vec3& right, const glm::vec3& up,
               float halfWidth, float halfHeight, int cellsAcross, int cellsUp,
               float uScale, float vScale)
{
    const glm::vec3 facing = glm::cross(right, up);
    auto point = [&](int r, int c) {
        const float x = -halfWidth + 2.0f * halfWidth * c / cellsAcross;
        const float y = -halfHeight + 2.0f * halfHeight * r / cellsUp;
        return centre + right * x + up * y;
    };
    Mesh mesh = gridPatch(cellsUp, cellsAcross, point, [&](int r, int c) {
        const glm::vec3 p = point(r, c);
        return glm::vec2(glm::dot(p, right) * uScale, glm::dot(p, up) * vScale);
    });
    for (Vertex& v : mesh.vertices)
        v.normal = facing;
    return mesh;
}

glm::mat4 alignY(const glm::vec3& origin, const glm::vec3& axis)
{
    const glm::vec3 y = glm::normalize(axis);
    const glm::vec3 helper = std::fabs(y.z) < 0.9f ? glm::vec3(0, 0, 1) : glm::vec3(1, 0, 0);
    const glm::vec3 x = glm::normalize(glm::cross(y, helper));
    const glm::vec3 z = glm::cross(x, y);
    glm::mat4 m(1.0f);
    m[0] = glm::vec4(x, 0.0f);
    m[1] = glm::vec4(y, 0.0f);
    m[2] = glm::vec4(z, 0.0f);
    m[3] = glm::vec4(origin, 1.0f);
    return m;
}
